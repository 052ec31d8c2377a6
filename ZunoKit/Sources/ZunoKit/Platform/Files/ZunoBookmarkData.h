#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The bookmark of a file or folder on Linux: its absolute path with the device and inode it had when
// the bookmark was made. The item is found again by its path; when another item now stands there
// (another inode, as after an atomic save or a replace), the bookmark is stale and should be renewed.
namespace ZunoBookmarkData {

struct Resolution {
    QString path;
    bool isStale = false;
};

// Bookmark bytes for the item at `absolutePath`; throws std::system_error when it cannot be examined
// (it does not exist, or a folder on the way may not be searched).
QByteArray create(const QString &absolutePath);

// The item the bookmark names, or nothing when the data is malformed or nothing is at its path.
std::optional<Resolution> resolve(const QByteArray &data);

} // namespace ZunoBookmarkData
