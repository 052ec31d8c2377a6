#pragma once

#include <QtGlobal>

// How a window's content shares its top with the window controls.
enum class ZunoUnifiedTitlebarMode {
    // The title-bar area is as tall as a unified toolbar (52) and the header bar runs beside the
    // controls.
    unifiedHeader,
    // A standard-height title-bar area (28); a sidebar runs the full height and its content starts
    // below the controls.
    fullHeightSidebar
};

// Where the window controls sit, in device-independent pixels from the window's top-left corner.
// `leadingClearance` is the space content leaves free at the left edge, `trailingClearance` at the
// right edge (0 when the desktop puts no controls there).
struct ZunoUnifiedTitlebarMetrics {
    static constexpr qreal standardHeight = 52;
    static constexpr qreal fallbackLeadingClearance = 93;
    static constexpr qreal fullscreenLeadingMargin = 16;
    static constexpr qreal trafficLightGap = 14;
    static constexpr qreal sidebarTrafficLightVerticalGap = 14;

    qreal leadingClearance = 93;
    qreal trafficLightCenterY = 26;
    qreal trafficLightBottomY = 33;
    qreal sidebarTopClearance = 37;
    bool isFullScreen = false;
    qreal trailingClearance = 0;

    // Controls on the left. In full screen: (fullscreenLeading, 26, 0, fullscreenLeading, true).
    // Otherwise leadingClearance = ceil(maxX + gap) (93 without controls), centre and bottom as given
    // (26 and 23 when not positive), sidebarTopClearance = ceil(bottom + sidebarVerticalGap).
    static ZunoUnifiedTitlebarMetrics calculate(qreal trafficLightMaxX, qreal trafficLightCenterY,
        qreal trafficLightBottomY, bool isFullScreen, qreal fullscreenLeading, qreal gap,
        qreal sidebarVerticalGap);
    // Controls on either side or both: `leadingMaxX` is the right end of the left group (0 without
    // one), `trailingInset` the distance from the window's right edge to the right group's left end
    // (0 without one). The left edge is as `calculate` gives it, keeping only the full-screen margin
    // when the controls are all on the right; trailingClearance = ceil(trailingInset + gap).
    static ZunoUnifiedTitlebarMetrics calculate(qreal leadingMaxX, qreal trailingInset,
        qreal trafficLightCenterY, qreal trafficLightBottomY, bool isFullScreen, qreal fullscreenLeading,
        qreal gap, qreal sidebarVerticalGap);

    bool operator==(const ZunoUnifiedTitlebarMetrics &) const = default;
};
