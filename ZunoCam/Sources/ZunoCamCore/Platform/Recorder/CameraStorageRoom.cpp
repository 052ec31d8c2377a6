#include "CameraStorageRoom.h"

#include <QFile>

#include <sys/resource.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <limits>

namespace {

// FAT keeps a file's size in 32 bits. (pathconf's FILESIZEBITS is no help: glibc answers 32 for every
// file system it does not know, tmpfs and overlayfs among them.)
constexpr long kFatMagic = 0x4d44;
constexpr std::uint64_t kFatLargestFile = 0xFFFFFFFFull;

} // namespace

namespace CameraStorageRoom {

std::optional<std::uint64_t> freeBytes(const QString &path)
{
    struct statvfs info { };
    if (::statvfs(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    const std::uint64_t blockSize = info.f_frsize ? info.f_frsize : info.f_bsize;
    if (blockSize != 0 && info.f_bavail > std::numeric_limits<std::uint64_t>::max() / blockSize)
        return std::numeric_limits<std::uint64_t>::max();
    return std::uint64_t(info.f_bavail) * blockSize;
}

std::optional<std::uint64_t> largestFileSize(const QString &path)
{
    std::optional<std::uint64_t> largest;
    rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        largest = std::uint64_t(limit.rlim_cur);
    struct statfs info { };
    if (::statfs(QFile::encodeName(path).constData(), &info) == 0 && long(info.f_type) == kFatMagic)
        largest = std::min(largest.value_or(kFatLargestFile), kFatLargestFile);
    return largest;
}

} // namespace CameraStorageRoom
