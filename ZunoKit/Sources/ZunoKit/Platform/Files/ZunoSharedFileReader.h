#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reads a small file from a folder that other applications (or anyone with the user's rights) can
// write to: never follows a link, never waits on a FIFO or a device, accepts regular files only and
// reads at most a cap. Anything else counts as absent and is logged once per path. Thread-safe.
namespace ZunoSharedFileReader {

inline constexpr qint64 kDefaultCap = 1024 * 1024;

// The file's bytes, or nothing when it is missing, not a regular file, a link, unreadable or larger
// than `cap` bytes.
std::optional<QByteArray> read(const QString &path, qint64 cap = kDefaultCap);

} // namespace ZunoSharedFileReader
