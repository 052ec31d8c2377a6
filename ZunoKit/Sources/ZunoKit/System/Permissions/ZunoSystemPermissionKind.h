#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The privacy permissions the suite's applications ask about, in this order.
enum class ZunoSystemPermissionKind {
    accessibility,
    screenRecording,
    systemAudio,
    fullDiskAccess,
    filesAndFolders,
    automation,
    camera,
    microphone,
    localNetwork,
};

// The case name ("screenRecording").
QString rawValue(ZunoSystemPermissionKind kind);
inline QString id(ZunoSystemPermissionKind kind)
{
    return rawValue(kind);
}

namespace ZunoSystemPermissionKinds {

inline constexpr std::size_t kCount = 9;
const std::array<ZunoSystemPermissionKind, kCount> &allCases();
std::optional<ZunoSystemPermissionKind> fromRawValue(const QString &raw);

// The desktop's settings page for a permission, as a program and its arguments, given
// $XDG_CURRENT_DESKTOP (a colon-separated list such as "ubuntu:GNOME"). None where the desktop is
// not known or has no page for it.
std::optional<QStringList> settingsCommand(ZunoSystemPermissionKind kind, const QString &currentDesktop);

} // namespace ZunoSystemPermissionKinds
