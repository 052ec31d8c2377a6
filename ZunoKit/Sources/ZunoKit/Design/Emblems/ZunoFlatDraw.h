#pragma once

#include "ZunoEmblemTone.h"

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <array>
#include <initializer_list>
#include <utility>

class QPainter;

// The drawing machinery of the emblem family, in the 100 x 100 design space (origin top left,
// y down, centre (50, 50)). Every element is painted between a save and a restore of the painter,
// so no element's composition mode, pen or brush leaks into the next. A painter is used by one
// thread at a time.
namespace ZunoFlatDraw {

// Painting one element with one paint. Paths are filled with the non-zero winding rule; strokes
// use round caps and joins; a cut-out paint erases its strength's share of what lies under it.
void fillPath(QPainter &painter, const QPainterPath &path, const ZunoFlatPaint &paint);
void strokePath(QPainter &painter, const QPainterPath &path, const ZunoFlatPaint &paint, qreal lineWidth);
void fillEllipse(QPainter &painter, const QRectF &rect, const ZunoFlatPaint &paint);
void strokeEllipse(QPainter &painter, const QRectF &rect, const ZunoFlatPaint &paint, qreal lineWidth);

// Building paths.
QPainterPath roundedRect(const QRectF &rect, qreal radius);
QPainterPath polyline(std::initializer_list<QPointF> points, bool closed);
// A circular arc from startAngle to endAngle (radians), turning towards growing angles, which is
// clockwise on screen because y grows downwards. A path with a current point gets a line to the
// arc's start first.
void addArc(QPainterPath &path, const QPointF &centre, qreal radius, qreal startAngle, qreal endAngle);
// The point at the given radius and angle (degrees) about centre.
QPointF polar(const QPointF &centre, qreal radius, qreal degrees);

// The shapes several emblems share.
void displayFrame(QPainter &painter, const ZunoEmblemTone &tone);
void foldedSheet(QPainter &painter, const ZunoEmblemTone &tone);
void splitShield(QPainter &painter, const ZunoEmblemTone &tone);

// How two side faces are shaded from the primary colour on a flat tone (on white glass they are
// always the primary at alpha 0.46 and 0.28). Colours are red, green and blue from 0 to 1.
struct ShadeScheme {
    // Stands in for a primary colour that gives no components.
    std::array<float, 3> standIn;
    // The fixed pair for a primary whose luma exceeds 0.72, where mixing would wash out.
    std::array<float, 3> lightFirst;
    std::array<float, 3> lightSecond;
    // The primary's share in each shade's mix with the pale #EEF1F7.
    float firstShare;
    float secondShare;
};

// The open box: 60 % and 42 % of the primary, a dark blue standing in.
inline constexpr ShadeScheme kBoxShades { { 0.17f, 0.21f, 0.54f },
    { 95 / 255.0f, 134 / 255.0f, 194 / 255.0f }, { 66 / 255.0f, 98 / 255.0f, 150 / 255.0f }, 0.60f, 0.42f };
// The picture frame's bevels: lit faces at 78 % and shaded ones at 50 %, a slate standing in.
inline constexpr ShadeScheme kFrameShades { { 0.24f, 0.27f, 0.36f },
    { 120 / 255.0f, 132 / 255.0f, 156 / 255.0f }, { 80 / 255.0f, 92 / 255.0f, 118 / 255.0f }, 0.78f, 0.50f };

// The two shades of a scheme in tone: opaque colours on a flat tone.
std::pair<ZunoFlatPaint, ZunoFlatPaint> derivedShades(const ShadeScheme &scheme, const ZunoEmblemTone &tone);

} // namespace ZunoFlatDraw
