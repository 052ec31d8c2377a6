#pragma once

#include <QString>

#include <cstdint>
#include <system_error>

// The platform's file error (missing file, no permission, read or seek failure), carrying errno.
class ZunoFileError : public std::system_error {
public:
    ZunoFileError(int code, const QString &path, const char *operation);
    QString path() const { return m_path; }

private:
    QString m_path;
};

// SHA-256 digests of files as 64 lower-case hexadecimal characters.
namespace ZunoChecksum {

// Whole-file digest, reading at most `chunkSize` bytes at a time (a size of 0 or less reads 64 KiB).
QString sha256(const QString &path, std::int64_t chunkSize = 1 << 20);
// Quick fingerprint of the size and the first and last `sampleBytes` bytes.
QString partialFingerprint(const QString &path, std::int64_t sampleBytes);

} // namespace ZunoChecksum
