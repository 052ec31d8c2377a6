#pragma once

#include "ZunoEmblemTone.h"

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <initializer_list>

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

// A neutral emblem in the family's style (four rounded tiles in three paints), for
// the applications whose own artwork is not drawn yet.
void placeholder(QPainter &painter, const ZunoEmblemTone &tone);

} // namespace ZunoFlatDraw
