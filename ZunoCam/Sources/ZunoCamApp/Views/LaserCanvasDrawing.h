#pragma once

#include <QRectF>
#include <QString>

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

} // namespace LaserCanvasDrawing
