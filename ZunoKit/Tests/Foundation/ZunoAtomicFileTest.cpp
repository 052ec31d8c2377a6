// The atomic file under kills and file-size limits.
#include "ZunoAtomicFile.h"
#include "ZunoFileSizeSignal.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("left over");
}

} // namespace

TEST(ZunoAtomicFile, OpeningRemovesOnlyTheTargetsOwnTemporaries)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("store.json"));
    ASSERT_TRUE(ZunoAtomicFile::write(target, "{}"));
    struct Row {
        const char *name;
        bool removed;
    };
    const Row rows[] {
        { "store.json.a1B2c3", true },
        { "store.json.ZZZZZZ", true },
        { "store.json.a1B2c", false }, // not mkstemp's six characters
        { "store.json.a1B2c3d", false },
        { "store.json.a1-2c3", false },
        { "store.corrupt-20261210-101010.json", false },
        { "other.json.a1B2c3", false },
        { "store.jsonXa1B2c3", false },
    };
    for (const Row &row : rows)
        touch(dir.filePath(QString::fromLatin1(row.name)));
    // A folder of that shape is not the writer's.
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("store.json.dir123"))));

    EXPECT_EQ(ZunoAtomicFile::removeStaleTemporaries(target), 2);
    for (const Row &row : rows)
        EXPECT_EQ(QFile::exists(dir.filePath(QString::fromLatin1(row.name))), !row.removed) << row.name;
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("store.json.dir123"))).isDir());
    EXPECT_EQ(ZunoAtomicFile::removeStaleTemporaries(target), 0);
}

// Forked, so the default SIGXFSZ action can be seen to end a process without ending the tests.
TEST(ZunoFileSizeSignal, IgnoredSignalTurnsAnOversizedWriteIntoEFBIG)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("big")));
    for (const bool ignore : { false, true }) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_DFL);
            if (ignore && !ZunoFileSizeSignal::ignore())
                ::_exit(3);
            const rlimit limit { 1024, RLIM_INFINITY };
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(4);
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            static char block[1024];
            ::write(fd, block, sizeof block);
            const ssize_t beyond = ::write(fd, block, sizeof block);
            ::_exit(beyond < 0 && errno == EFBIG ? 0 : 5);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (ignore) {
            ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
            EXPECT_EQ(WEXITSTATUS(status), 0);
        } else {
            ASSERT_TRUE(WIFSIGNALED(status)) << "without it the limit kills";
            EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
        }
    }
}
