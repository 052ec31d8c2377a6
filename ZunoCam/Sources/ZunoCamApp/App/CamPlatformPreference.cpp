#include "CamPlatformPreference.h"

#include <QtGlobal>

namespace CamPlatformPreference {

std::optional<QString> preferredPlatform(const Environment &environment)
{
    if (!environment.qtPlatform.isEmpty() || environment.display.isEmpty())
        return std::nullopt;
    const bool wayland = environment.sessionType.compare(QStringLiteral("wayland"), Qt::CaseInsensitive) == 0
        || !environment.waylandDisplay.isEmpty();
    if (!wayland)
        return std::nullopt;
    return QString::fromLatin1(kPreferredPlatforms);
}

Environment currentEnvironment()
{
    return Environment { qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariable("XDG_SESSION_TYPE"),
        qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY") };
}

void apply()
{
    if (const auto platform = preferredPlatform(currentEnvironment()))
        qputenv("QT_QPA_PLATFORM", platform->toLatin1());
}

} // namespace CamPlatformPreference
