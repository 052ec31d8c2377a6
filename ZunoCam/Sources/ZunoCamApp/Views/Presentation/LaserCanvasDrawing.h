#pragma once

#include <QRectF>
#include <QString>

#include <functional>

struct AnnotationItem;
class LaserCanvasState;
class QImage;
class QPainter;

// One frame of the presentation canvas: the frozen backdrop when there is one, then the dimming, the
// spotlight, the annotations oldest first, the stroke in progress, the drag preview, the fading trail
// and the key legend. `now` is the canvas clock's time for the trail's life.
namespace LaserCanvasDrawing {

inline constexpr double kLegendWidth = 670;
inline constexpr double kLegendHeight = 30;
inline constexpr double kLegendTop = 24;
inline constexpr double kSpotlightDiameter = 270;
inline constexpr double kStampDiameter = 36;

QString legendText();
// The legend pill for canvas bounds.
QRectF legendRect(const QRectF &bounds);
// The legend's pixel size: the largest whole size at which the text leaves 12 px free at each end of
// the pill.
int legendTextSize();

void paint(const LaserCanvasState &state, QPainter &painter, const QRectF &bounds, double now,
    const QImage *backdrop = nullptr);

// paint() in its four steps, in this order, for a view that keeps the first steps in a layer. With an
// `area`, drawings wholly outside it are skipped (a painter clipped to it gives the same pixels).
void paintBackground(
    const LaserCanvasState &state, QPainter &painter, const QRectF &bounds, const QImage *backdrop);
void paintSpotlight(const LaserCanvasState &state, QPainter &painter, const QRectF &bounds);
void paintAnnotations(const LaserCanvasState &state, QPainter &painter, const QRectF *area = nullptr);
void paintLive(const LaserCanvasState &state, QPainter &painter, const QRectF &bounds, double now,
    const QRectF *area = nullptr);

// Runs `paint` (whole-frame painting on an image painter) on one thread of Qt's pool, where the raster
// engine does not split fills over the pool, while the caller waits; elsewhere runs it in place.
void onOneThread(const QPainter &painter, const std::function<void()> &paint);

// Where a drawing can leave ink, and where the spotlight's shade edge and ring can.
QRectF annotationBounds(const AnnotationItem &item);
QRectF spotlightBounds(QPointF cursor);

} // namespace LaserCanvasDrawing
