#pragma once

#include <QString>

#include <optional>

// Base addresses given by users, the environment or defaults, brought to one form for appending paths.
namespace ZunoBaseURL {

// Without any leading or trailing "/".
QString trimmingSlashes(const QString &text);
// None when blank; otherwise trimmed of white space, then of "/" at both ends.
std::optional<QString> usable(const QString &candidate);

} // namespace ZunoBaseURL
