#include "ZunoPrimaryButtonStyle.h"

#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"

#include <QPainter>

QFont ZunoPrimaryButtonStyle::font() const
{
    return ZunoFonts::system(13, QFont::DemiBold);
}

QColor ZunoPrimaryButtonStyle::foreground() const
{
    QColor color(Qt::black);
    color.setAlphaF(0.9f);
    return color;
}

QMarginsF ZunoPrimaryButtonStyle::padding() const
{
    return QMarginsF(14, 7, 14, 7);
}

void ZunoPrimaryButtonStyle::paintBackground(QPainter &painter, const QRectF &rect, qreal pressed) const
{
    QColor fill(Qt::white);
    fill.setAlphaF(static_cast<float>(kFillOpacity + (kPressedFillOpacity - kFillOpacity) * pressed));
    painter.fillPath(ZunoContinuousShape::roundedRect(rect, kCornerRadius), fill);
}

qreal ZunoPrimaryButtonStyle::scale(qreal pressed) const
{
    return 1 + (kPressedScale - 1) * pressed;
}

QEasingCurve ZunoPrimaryButtonStyle::pressEasing() const
{
    // The standard ease-out timing curve (0, 0, 0.58, 1).
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}
