#pragma once

#include <QString>

#include <optional>

// Where a service's address comes from: the caller's override, then an environment variable, then a
// string in the application's defaults, else the built-in address. Each candidate is trimmed; one
// with nothing left is skipped. Services differ only in whether "/" is also trimmed from both ends.
namespace ZunoServiceURL {

enum class Trimming {
    whiteSpace, // white space and line breaks only
    whiteSpaceAndSlashes, // then "/" at both ends, for bases that paths are appended to
};

// `text` without any "/" at its start or end.
QString withoutEdgeSlashes(const QString &text);

// The candidate trimmed as asked, or none when it is blank.
std::optional<QString> usable(const QString &candidate, Trimming trimming);

// The first usable candidate; `builtIn` unchanged when none is.
QString resolve(const std::optional<QString> &override, const char *environmentVariable,
    const QString &defaultsKey, const QString &builtIn, Trimming trimming);

} // namespace ZunoServiceURL
