#include "NotchTeleprompterMetrics.h"

#include "CamSaturating.h"

#include <cmath>

namespace {

int boundedSide(double value, int fallback, std::optional<int> screenSide)
{
    if (!std::isfinite(value) || value < 1)
        return fallback;
    if (screenSide && value > *screenSide)
        return *screenSide;
    return static_cast<int>(std::lround(value));
}

} // namespace

QSize NotchTeleprompterMetrics::panelSize(
    const TeleprompterSettings &settings, std::optional<QSize> screenSize)
{
    const std::optional<int> screenWidth = screenSize ? std::optional(screenSize->width()) : std::nullopt;
    const std::optional<int> screenHeight = screenSize ? std::optional(screenSize->height()) : std::nullopt;
    return { boundedSide(settings.panelWidth, kDefaultWidth, screenWidth),
        boundedSide(settings.panelHeight, kDefaultHeight, screenHeight) };
}

double NotchTeleprompterMetrics::fontSize(const TeleprompterSettings &settings)
{
    return CamSaturating::clamped(settings.fontSize, kMinimumFontSize, kMaximumFontSize);
}

double NotchTeleprompterMetrics::panelOpacity(const TeleprompterSettings &settings)
{
    return CamSaturating::clamped(CamSaturating::finiteOr(settings.panelOpacity, kDefaultOpacity), 0, 1);
}
