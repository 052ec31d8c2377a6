#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;

// Where a floating panel sits on a screen: centred horizontally, its top `offset` below the screen's
// top edge. Desktop top bars stay above every ordinary window (and some draw over any window that is
// not full screen), so where the available area starts lower than that the panel's top sits 6 px
// below the available area instead, keeping its controls reachable.
namespace ZunoFloatingPanelPlacement {

inline constexpr int kBelowTopBar = 6;

// The screen panels go on: the primary screen, else the first; none without screens.
QScreen *screen();

// The panel's top-left corner: x = lround(midX(screen) - width / 2),
// y = max(screen top + offset, available top + 6).
QPoint topCentre(const QRect &screenGeometry, const QRect &availableGeometry, const QSize &size, int offset);

} // namespace ZunoFloatingPanelPlacement
