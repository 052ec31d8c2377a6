#pragma once

#include "ZunoBundle.h"

#include <QString>
#include <QStringList>

#include <optional>

// Finds a command-line tool by file name. Candidates, first executable file wins: the bundle's
// resources ("bin/" + name, then name), each extra folder in order, the usual system and per-user
// folders (/usr/local/bin, /usr/bin, /bin, ~/.local/bin, /snap/bin), then the entries of PATH.
namespace ZunoBinaryLocator {

// A regular file (or a link to one) that this process may execute; a folder of that name is no tool.
bool isExecutableFile(const QString &path);

// The folders searched after the extra ones and before PATH, in order ("~" is the home folder).
QStringList fixedDirectories();

// The tool's absolute file path, or nothing.
std::optional<QString> locate(const QString &name, const ZunoBundle &bundle = ZunoBundle::main(),
    const QStringList &extraSearchDirectories = {});

} // namespace ZunoBinaryLocator
