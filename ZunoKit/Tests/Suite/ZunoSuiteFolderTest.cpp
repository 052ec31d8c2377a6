// The shared suite folder: where it lies, and private folders made on demand.
#include "ZunoSuiteFolder.h"
#include "ZunoTestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : mode_t(-1);
}

} // namespace

TEST(ZunoSuiteFolder, LiesInTheDataFolderOrTheGivenBase)
{
    ZunoTestHome home;
    EXPECT_EQ(ZunoSuiteFolder().path(), home.filePath(".local/share/Quarnwell/SuiteTelemetry"));
    EXPECT_EQ(ZunoSuiteFolder(home.filePath("base")).path(), home.filePath("base"));
    EXPECT_EQ(ZunoSuiteFolder(home.filePath("base")).filePath("Commands"), home.filePath("base/Commands"));
    // Nothing is made until asked for.
    EXPECT_FALSE(QFileInfo::exists(home.filePath(".local/share/Quarnwell")));
}

TEST(ZunoSuiteFolder, NewFoldersArePrivateAndExistingOnesKeepTheirMode)
{
    ZunoTestHome home;
    const mode_t previous = ::umask(022);
    ASSERT_TRUE(QDir().mkpath(home.filePath(".local/share")));
    ASSERT_EQ(::chmod(QFile::encodeName(home.filePath(".local/share")).constData(), 0755), 0);

    const auto commands = ZunoSuiteFolder().ensureSubfolder(QStringLiteral("Commands"));
    ASSERT_TRUE(commands);
    EXPECT_EQ(*commands, home.filePath(".local/share/Quarnwell/SuiteTelemetry/Commands"));
    for (const char *made : { ".local/share/Quarnwell", ".local/share/Quarnwell/SuiteTelemetry",
             ".local/share/Quarnwell/SuiteTelemetry/Commands" })
        EXPECT_EQ(modeOf(home.filePath(made)), 0700u) << made;
    EXPECT_EQ(modeOf(home.filePath(".local/share")), 0755u);

    ASSERT_EQ(::chmod(QFile::encodeName(*commands).constData(), 0750), 0);
    EXPECT_EQ(ZunoSuiteFolder().ensureSubfolder(QStringLiteral("Commands")), commands);
    EXPECT_EQ(modeOf(*commands), 0750u);
    EXPECT_EQ(
        ZunoSuiteFolder().ensureSubfolder(QString()), home.filePath(".local/share/Quarnwell/SuiteTelemetry"));
    ::umask(previous);
}

TEST(ZunoSuiteFolder, AFileInTheWayIsReported)
{
    ZunoTestHome home;
    QFile blocker(home.filePath("base"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString failure;
    EXPECT_FALSE(
        ZunoSuiteFolder(home.filePath("base")).ensureSubfolder(QStringLiteral("LiveTiles"), &failure));
    EXPECT_FALSE(failure.isEmpty());
}
