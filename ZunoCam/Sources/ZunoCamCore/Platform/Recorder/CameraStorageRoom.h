#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// How far a recording may still grow where it is written: the free space of the file system that holds
// it, and the largest file allowed there (the process's file-size limit and the file system's own
// maximum, 4 GiB - 1 on FAT). Both read the system each time; callable from any thread.
namespace CameraStorageRoom {

// Bytes an ordinary user may still write on the file system holding `path` (blocks kept for root are
// not counted); none when the system cannot tell.
std::optional<std::uint64_t> freeBytes(const QString &path);

// The largest size a file at `path` may reach; none when nothing limits it.
std::optional<std::uint64_t> largestFileSize(const QString &path);

} // namespace CameraStorageRoom
