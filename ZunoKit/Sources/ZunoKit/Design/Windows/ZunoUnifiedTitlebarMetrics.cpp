#include "ZunoUnifiedTitlebarMetrics.h"

#include <cmath>

namespace {

constexpr qreal kFallbackCenterY = 26;
constexpr qreal kFallbackBottomY = 23;

} // namespace

ZunoUnifiedTitlebarMetrics ZunoUnifiedTitlebarMetrics::calculate(qreal trafficLightMaxX,
    qreal trafficLightCenterY, qreal trafficLightBottomY, bool isFullScreen, qreal fullscreenLeading,
    qreal gap, qreal sidebarVerticalGap)
{
    if (isFullScreen)
        return { fullscreenLeading, kFallbackCenterY, 0, fullscreenLeading, true, 0 };
    ZunoUnifiedTitlebarMetrics m;
    m.trafficLightBottomY = trafficLightBottomY > 0 ? trafficLightBottomY : kFallbackBottomY;
    m.trafficLightCenterY = trafficLightCenterY > 0 ? trafficLightCenterY : kFallbackCenterY;
    m.sidebarTopClearance = std::ceil(m.trafficLightBottomY + sidebarVerticalGap);
    m.leadingClearance = trafficLightMaxX > 0 ? std::ceil(trafficLightMaxX + gap) : fallbackLeadingClearance;
    m.isFullScreen = false;
    m.trailingClearance = 0;
    return m;
}

ZunoUnifiedTitlebarMetrics ZunoUnifiedTitlebarMetrics::calculate(qreal leadingMaxX, qreal trailingInset,
    qreal trafficLightCenterY, qreal trafficLightBottomY, bool isFullScreen, qreal fullscreenLeading,
    qreal gap, qreal sidebarVerticalGap)
{
    ZunoUnifiedTitlebarMetrics m = calculate(leadingMaxX, trafficLightCenterY, trafficLightBottomY,
        isFullScreen, fullscreenLeading, gap, sidebarVerticalGap);
    if (isFullScreen || trailingInset <= 0)
        return m;
    m.trailingClearance = std::ceil(trailingInset + gap);
    if (leadingMaxX <= 0)
        m.leadingClearance = fullscreenLeading;
    return m;
}
