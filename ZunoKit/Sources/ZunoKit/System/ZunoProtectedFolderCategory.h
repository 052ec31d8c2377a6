#pragma once

#include <QString>

// Folders whose listing the original's platform guards with a permission prompt.
enum class ZunoProtectedFolderCategory {
    desktop,
    documents,
    downloads,
    removableVolume,
    networkVolume,
    libraryAppData,
    photosLibrary,
    mediaLibrary,
};

// The case name ("libraryAppData").
QString rawValue(ZunoProtectedFolderCategory category);
