#include "ZunoChecksum.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A read-only descriptor closed in every case; close errors are ignored.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString &path)
        : m_path(path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            throw ZunoFileError(errno, path, "open");
    }
    ~ReadOnlyFile() { ::close(m_fd); }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    // Reads up to `size` bytes; fewer only at the end of the file.
    std::int64_t read(char *buffer, std::int64_t size)
    {
        std::int64_t total = 0;
        while (total < size) {
            const ssize_t n = ::read(m_fd, buffer + total, static_cast<size_t>(size - total));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw ZunoFileError(errno, m_path, "read");
            }
            if (n == 0)
                break;
            total += n;
        }
        return total;
    }

    // The size the file has now; 0 for what has none (pipes, most of /proc).
    std::int64_t size() const
    {
        struct stat info { };
        return ::fstat(m_fd, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : 0;
    }

    void seek(std::int64_t offset)
    {
        if (::lseek(m_fd, offset, SEEK_SET) < 0)
            throw ZunoFileError(errno, m_path, "seek");
    }

private:
    QString m_path;
    int m_fd = -1;
};

// The smallest buffer worth reading into: a file without a size may still have content.
constexpr std::int64_t kMinimumBuffer = 64 * 1024;
// A sample is read through a buffer of at most this size, so a huge sample length costs no memory.
constexpr std::int64_t kSamplePiece = 1024 * 1024;

// Feeds the next `count` bytes of the file (fewer at its end) into the hash, piece by piece.
void feed(ReadOnlyFile &file, QCryptographicHash &hash, std::int64_t count, std::vector<char> &buffer)
{
    while (count > 0) {
        const std::int64_t want = std::min<std::int64_t>(count, static_cast<std::int64_t>(buffer.size()));
        const std::int64_t n = file.read(buffer.data(), want);
        hash.addData(QByteArrayView(buffer.data(), n));
        if (n < want)
            return;
        count -= n;
    }
}

QString hex(const QCryptographicHash &hash)
{
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

ZunoFileError::ZunoFileError(int code, const QString &path, const char *operation)
    : std::system_error(code, std::generic_category(), std::string(operation) + " " + path.toStdString())
    , m_path(path)
{
}

namespace ZunoChecksum {

QString sha256(const QString &path, std::int64_t chunkSize)
{
    if (chunkSize <= 0)
        chunkSize = kMinimumBuffer;
    ReadOnlyFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // A chunk larger than the file would only be allocated, never filled.
    chunkSize = std::min(chunkSize, std::max(file.size(), kMinimumBuffer));
    std::vector<char> chunk(static_cast<size_t>(chunkSize));
    for (;;) {
        const std::int64_t n = file.read(chunk.data(), chunkSize);
        if (n == 0)
            break;
        hash.addData(QByteArrayView(chunk.data(), n));
    }
    return hex(hash);
}

QString partialFingerprint(const QString &path, std::int64_t sampleBytes)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        throw ZunoFileError(errno, path, "stat");
    const std::int64_t size = info.st_size;
    const std::int64_t sample = std::max<std::int64_t>(sampleBytes, 0);

    ReadOnlyFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    char sizeBytes[8];
    for (int i = 0; i < 8; ++i)
        sizeBytes[i] = static_cast<char>((static_cast<std::uint64_t>(size) >> (8 * i)) & 0xff);
    hash.addData(QByteArrayView(sizeBytes, 8));

    std::vector<char> buffer(static_cast<size_t>(std::clamp<std::int64_t>(sample, 1, kSamplePiece)));
    feed(file, hash, sample, buffer);
    if (sample < size) {
        file.seek(std::max<std::int64_t>(size - sample, 0));
        feed(file, hash, sample, buffer);
    }
    return hex(hash);
}

} // namespace ZunoChecksum
