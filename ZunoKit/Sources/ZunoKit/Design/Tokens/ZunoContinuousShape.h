#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

// Rounded rectangles with continuous ("squircle") corners: each corner eases from the straight edge
// into a circular arc through two cubic curves instead of meeting the arc abruptly. The smoothing
// gives way as the radius approaches half the shorter side, so a capsule ends in half circles.
namespace ZunoContinuousShape {

// A rounded rectangle; the radius is limited to half the shorter side.
QPainterPath roundedRect(const QRectF &rect, qreal radius);

// A capsule: radius of half the shorter side.
QPainterPath capsule(const QRectF &rect);

// A border of lineWidth drawn wholly inside the shape's edge: the shape inset by half the line
// width (its radius reduced by the same amount) stroked with that width. A negative radius means a
// capsule.
void strokeBorder(
    QPainter &painter, const QRectF &rect, qreal radius, const QColor &color, qreal lineWidth = 1);

} // namespace ZunoContinuousShape
