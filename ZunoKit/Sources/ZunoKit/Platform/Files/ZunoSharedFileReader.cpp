#include "ZunoSharedFileReader.h"

#include <QFile>
#include <QLoggingCategory>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Q_LOGGING_CATEGORY(lcSharedFiles, "zuno.sharedfiles")

// Says once per path why a file was passed over, so a planted FIFO does not flood the log.
void noteRefused(const QString &path, const char *why)
{
    static std::mutex mutex;
    static std::set<QString> told;
    {
        std::lock_guard lock(mutex);
        if (!told.insert(path).second)
            return;
    }
    qCWarning(lcSharedFiles).noquote() << "ignoring" << path << ":" << why;
}

class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

namespace ZunoSharedFileReader {

std::optional<QByteArray> read(const QString &path, qint64 cap)
{
    const QByteArray name = QFile::encodeName(path);
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        if (errno == ELOOP)
            noteRefused(path, "a symbolic link");
        else if (errno != ENOENT && errno != ENOTDIR)
            noteRefused(path, "cannot be opened");
        return std::nullopt;
    }
    struct stat info { };
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        noteRefused(path, "not a regular file");
        return std::nullopt;
    }
    if (info.st_size > cap) {
        noteRefused(path, "larger than the shared-file limit");
        return std::nullopt;
    }
    // The file may grow while it is read: one byte past the cap tells.
    QByteArray bytes(qsizetype(std::max<qint64>(info.st_size, 0) + 1), Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() > cap) {
                noteRefused(path, "larger than the shared-file limit");
                return std::nullopt;
            }
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, qsizetype(cap) + 1));
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            noteRefused(path, "cannot be read");
            return std::nullopt;
        }
        if (n == 0)
            break;
        filled += n;
    }
    if (filled > cap) {
        noteRefused(path, "larger than the shared-file limit");
        return std::nullopt;
    }
    bytes.truncate(filled);
    return bytes;
}

} // namespace ZunoSharedFileReader
