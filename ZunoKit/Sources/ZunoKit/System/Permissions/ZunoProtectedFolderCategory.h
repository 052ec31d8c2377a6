#pragma once

#include <QString>

// Kinds of folders that hold the user's private files or other programs' data, which a directory
// walk should not list unless the user chose them.
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
