#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <cmath>

// Renders a view (children included, no window background) onto transparent pixels.
inline QImage renderView(QWidget &view)
{
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// `top` at `opacity` over `bottom`, as the painter blends.
inline QColor blend(const QColor &top, double opacity, const QColor &bottom)
{
    const double a = top.alphaF() * opacity;
    return QColor::fromRgbF(static_cast<float>(top.redF() * a + bottom.redF() * (1 - a)),
        static_cast<float>(top.greenF() * a + bottom.greenF() * (1 - a)),
        static_cast<float>(top.blueF() * a + bottom.blueF() * (1 - a)));
}

// Whether two colours (their alpha included) are within `tolerance` per channel.
inline bool near(const QColor &a, const QColor &b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

inline QString describe(const QColor &color)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

// An unpremultiplied pixel.
inline QColor pixel(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}
