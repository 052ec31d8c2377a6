#include "ZunoSystemPermissionKind.h"

namespace {

constexpr std::array<const char *, ZunoSystemPermissionKinds::kCount> kRawValues {
    "accessibility",
    "screenRecording",
    "systemAudio",
    "fullDiskAccess",
    "filesAndFolders",
    "automation",
    "camera",
    "microphone",
    "localNetwork",
};

// Panels of gnome-control-center; sandboxed applications' file access lives on "applications".
const char *gnomePanel(ZunoSystemPermissionKind kind)
{
    switch (kind) {
    case ZunoSystemPermissionKind::accessibility:
        return "universal-access";
    case ZunoSystemPermissionKind::systemAudio:
        return "sound";
    case ZunoSystemPermissionKind::fullDiskAccess:
    case ZunoSystemPermissionKind::filesAndFolders:
        return "applications";
    case ZunoSystemPermissionKind::camera:
        return "camera";
    case ZunoSystemPermissionKind::microphone:
        return "microphone";
    case ZunoSystemPermissionKind::localNetwork:
        return "network";
    case ZunoSystemPermissionKind::screenRecording:
    case ZunoSystemPermissionKind::automation:
        return nullptr;
    }
    return nullptr;
}

// Modules of KDE's System Settings.
const char *kdeModule(ZunoSystemPermissionKind kind)
{
    switch (kind) {
    case ZunoSystemPermissionKind::accessibility:
        return "kcm_access";
    case ZunoSystemPermissionKind::systemAudio:
    case ZunoSystemPermissionKind::microphone:
        return "kcm_pulseaudio";
    case ZunoSystemPermissionKind::fullDiskAccess:
    case ZunoSystemPermissionKind::filesAndFolders:
        return "kcm_flatpak";
    case ZunoSystemPermissionKind::localNetwork:
        return "kcm_networkmanagement";
    case ZunoSystemPermissionKind::screenRecording:
    case ZunoSystemPermissionKind::automation:
    case ZunoSystemPermissionKind::camera:
        return nullptr;
    }
    return nullptr;
}

} // namespace

QString rawValue(ZunoSystemPermissionKind kind)
{
    return QString::fromLatin1(kRawValues[static_cast<std::size_t>(kind)]);
}

namespace ZunoSystemPermissionKinds {

const std::array<ZunoSystemPermissionKind, kCount> &allCases()
{
    static const std::array<ZunoSystemPermissionKind, kCount> cases {
        ZunoSystemPermissionKind::accessibility,
        ZunoSystemPermissionKind::screenRecording,
        ZunoSystemPermissionKind::systemAudio,
        ZunoSystemPermissionKind::fullDiskAccess,
        ZunoSystemPermissionKind::filesAndFolders,
        ZunoSystemPermissionKind::automation,
        ZunoSystemPermissionKind::camera,
        ZunoSystemPermissionKind::microphone,
        ZunoSystemPermissionKind::localNetwork,
    };
    return cases;
}

std::optional<ZunoSystemPermissionKind> fromRawValue(const QString &raw)
{
    for (ZunoSystemPermissionKind kind : allCases()) {
        if (rawValue(kind) == raw)
            return kind;
    }
    return std::nullopt;
}

std::optional<QStringList> settingsCommand(ZunoSystemPermissionKind kind, const QString &currentDesktop)
{
    const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &desktop : desktops) {
        if (desktop.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0) {
            if (const char *panel = gnomePanel(kind))
                return QStringList { QStringLiteral("gnome-control-center"), QString::fromLatin1(panel) };
            return std::nullopt;
        }
        if (desktop.compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0) {
            if (const char *module = kdeModule(kind))
                return QStringList { QStringLiteral("systemsettings"), QString::fromLatin1(module) };
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace ZunoSystemPermissionKinds
