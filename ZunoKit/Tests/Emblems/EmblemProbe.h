#pragma once

// Helpers for probing emblem pixels at design-space positions.

#include <QImage>
#include <QPainter>
#include <QPointF>

#include <algorithm>
#include <cmath>
#include <functional>

namespace EmblemProbe {

// Pixels per design unit in an N-pixel bitmap of the renderer (60 units fill 88 %).
inline qreal designScale(int pixels)
{
    return pixels * 0.88 / 60;
}

// Where a design point lands in an N-pixel bitmap (continuous pixel coordinates).
inline QPointF toPixel(const QPointF &design, int pixels)
{
    const qreal s = designScale(pixels);
    return QPointF(pixels / 2.0 + (design.x() - 50) * s, pixels / 2.0 + (design.y() - 50) * s);
}

// The design point at the centre of pixel (x, y).
inline QPointF toDesign(int x, int y, int pixels)
{
    const qreal s = designScale(pixels);
    return QPointF(50 + (x + 0.5 - pixels / 2.0) / s, 50 + (y + 0.5 - pixels / 2.0) / s);
}

// The (unpremultiplied) colour of the pixel that holds the design point.
inline QColor colorAt(const QImage &image, const QPointF &design)
{
    const QPointF p = toPixel(design, image.width());
    return image.pixelColor(static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y())));
}

inline int alphaAt(const QImage &image, const QPointF &design)
{
    return colorAt(image, design).alpha();
}

// Alpha (0...1) interpolated between the four pixels around the design point.
inline qreal smoothAlphaAt(const QImage &image, const QPointF &design)
{
    const QPointF p = toPixel(design, image.width()) - QPointF(0.5, 0.5);
    const int x0 = static_cast<int>(std::floor(p.x()));
    const int y0 = static_cast<int>(std::floor(p.y()));
    const qreal fx = p.x() - x0;
    const qreal fy = p.y() - y0;
    auto a = [&](int x, int y) {
        x = std::clamp(x, 0, image.width() - 1);
        y = std::clamp(y, 0, image.height() - 1);
        return qAlpha(image.pixel(x, y)) / 255.0;
    };
    return (a(x0, y0) * (1 - fx) + a(x0 + 1, y0) * fx) * (1 - fy)
        + (a(x0, y0 + 1) * (1 - fx) + a(x0 + 1, y0 + 1) * fx) * fy;
}

// An N x N bitmap with the renderer's design transform, drawn by draw over the background
// (transparent unless given).
inline QImage renderDesign(
    int pixels, const std::function<void(QPainter &)> &draw, const QColor &background = Qt::transparent)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = designScale(pixels);
    painter.translate(pixels / 2.0, pixels / 2.0);
    painter.scale(s, s);
    painter.translate(-50, -50);
    draw(painter);
    painter.end();
    return image;
}

// Distance from p to the segment a-b.
inline qreal distanceToSegment(const QPointF &p, const QPointF &a, const QPointF &b)
{
    const QPointF ab = b - a;
    const qreal t = std::clamp(QPointF::dotProduct(p - a, ab) / QPointF::dotProduct(ab, ab), 0.0, 1.0);
    const QPointF d = p - (a + ab * t);
    return std::hypot(d.x(), d.y());
}

} // namespace EmblemProbe
