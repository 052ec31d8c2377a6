#include "ZunoFloatingPanelPlacement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

QPoint ZunoFloatingPanelPlacement::topCentre(
    const QRect &screenGeometry, const QRect &availableGeometry, const QSize &size, int offset)
{
    // QRect's centre is biased to the left on even widths; the middle is x + width / 2.
    const double midX = screenGeometry.x() + screenGeometry.width() / 2.0;
    const auto x = static_cast<int>(std::lround(midX - size.width() / 2.0));
    const int top = std::max(screenGeometry.y() + offset, availableGeometry.y() + kBelowTopBar);
    return { x, top };
}

QScreen *ZunoFloatingPanelPlacement::screen()
{
    if (QScreen *primary = QGuiApplication::primaryScreen())
        return primary;
    const QList<QScreen *> screens = QGuiApplication::screens();
    return screens.isEmpty() ? nullptr : screens.first();
}
