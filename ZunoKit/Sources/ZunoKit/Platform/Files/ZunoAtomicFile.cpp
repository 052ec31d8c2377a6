#include "ZunoAtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// mkstemp's template: the six X become letters and digits.
constexpr char kTemporarySuffix[] = ".XXXXXX";
constexpr int kTemporaryRandomLength = 6;

bool isTemporaryName(const QString &name, const QString &target)
{
    if (name.size() != target.size() + 1 + kTemporaryRandomLength || !name.startsWith(target)
        || name.at(target.size()) != QLatin1Char('.'))
        return false;
    for (qsizetype index = target.size() + 1; index < name.size(); ++index) {
        const QChar c = name.at(index);
        if (c.unicode() > 127 || !c.isLetterOrNumber())
            return false;
    }
    return true;
}

QString systemError(const char *step, int error)
{
    return QStringLiteral("%1 failed: %2")
        .arg(QLatin1String(step), QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

namespace ZunoAtomicFile {

bool write(const QString &path, const QByteArray &bytes, QString *failure, const Options &options)
{
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = target + kTemporarySuffix;
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        if (failure)
            *failure = systemError("creating a temporary file", errno);
        return false;
    }
    const auto abandon = [&](const char *step, int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        if (failure)
            *failure = systemError(step, error);
        return false;
    };

    // Keep the permissions the user gave the file; a new one gets the usual rw-r--r--.
    struct stat existing { };
    mode_t mode = ::stat(target.constData(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    if (options.mode)
        mode = static_cast<mode_t>(*options.mode & 07777);
    if (::fchmod(fd, mode) != 0)
        return abandon("setting permissions", errno);

    const char *data = bytes.constData();
    qsizetype remaining = bytes.size();
    while (remaining > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(remaining));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return abandon("writing", errno);
        }
        data += written;
        remaining -= written;
    }
    if (options.sync && ::fsync(fd) != 0)
        return abandon("flushing to disk", errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        if (failure)
            *failure = systemError("closing", error);
        return false;
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        if (failure)
            *failure = systemError("replacing the file", error);
        return false;
    }
    return true;
}

int removeStaleTemporaries(const QString &path)
{
    const QFileInfo info(path);
    const QString target = info.fileName();
    const QDir folder = info.absoluteDir();
    int removed = 0;
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        // Only the writer's own names: "<name>.corrupt-…" and the user's files stay.
        if (!isTemporaryName(name, target))
            continue;
        struct stat entry { };
        const QByteArray native = QFile::encodeName(folder.filePath(name));
        if (::lstat(native.constData(), &entry) == 0 && S_ISREG(entry.st_mode)
            && ::unlink(native.constData()) == 0)
            ++removed;
    }
    return removed;
}

QString rescuePath(const QString &directory, const QString &stem)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir dir(directory);
    QString path = dir.filePath(QStringLiteral("%1.corrupt-%2.json").arg(stem, stamp));
    for (int suffix = 2; QFileInfo::exists(path); ++suffix)
        path = dir.filePath(QStringLiteral("%1.corrupt-%2-%3.json").arg(stem, stamp).arg(suffix));
    return path;
}

} // namespace ZunoAtomicFile
