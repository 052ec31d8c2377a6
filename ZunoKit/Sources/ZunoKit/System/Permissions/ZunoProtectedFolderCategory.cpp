#include "ZunoProtectedFolderCategory.h"

#include <array>

QString rawValue(ZunoProtectedFolderCategory category)
{
    static constexpr std::array<const char *, 8> kRawValues {
        "desktop",
        "documents",
        "downloads",
        "removableVolume",
        "networkVolume",
        "libraryAppData",
        "photosLibrary",
        "mediaLibrary",
    };
    return QString::fromLatin1(kRawValues[static_cast<std::size_t>(category)]);
}
