#pragma once

#include <QString>

#include <optional>

// On a Wayland session the studio runs through XWayland so that its panels can be placed and kept
// above; a platform the user chose stays. A pure function of the environment's four values (an
// unset variable is an empty string).
namespace CamPlatformPreference {

inline constexpr char kPreferredPlatforms[] = "xcb;wayland";

struct Environment {
    QString qtPlatform; // QT_QPA_PLATFORM
    QString sessionType; // XDG_SESSION_TYPE
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString display; // DISPLAY
};

// "xcb;wayland" when the studio should set QT_QPA_PLATFORM; none to leave it alone.
std::optional<QString> preferredPlatform(const Environment &environment);

Environment currentEnvironment();
// Sets QT_QPA_PLATFORM when preferred; call before the QApplication exists.
void apply();

} // namespace CamPlatformPreference
