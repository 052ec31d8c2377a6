#pragma once

#include <QString>

// The per-user folders the suite keeps its files in, on XDG. Each call reads the environment again, so tests
// can point HOME and XDG_* at a temporary folder.
namespace ZunoPaths {

// "Application Support": $XDG_DATA_HOME, else ~/.local/share.
QString applicationSupport();
// "Caches": $XDG_CACHE_HOME, else ~/.cache.
QString caches();
// "Movies": the XDG videos folder (xdg-user-dirs), else ~/Videos.
QString movies();
// Per-application settings: $XDG_CONFIG_HOME, else ~/.config.
QString configuration();
// The user's home folder.
QString home();

} // namespace ZunoPaths
