#pragma once

// Renders a widget on a solid ground and reads the pixels back, for probing fills and strokes.

#include "ZunoGlassTokens.h"

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QWidget>

#include <cmath>
#include <memory>

namespace DesignProbe {

// The widget sits at (kInset, kInset) on a host filled with the ground colour.
inline constexpr int kInset = 10;

class Host {
public:
    explicit Host(const QColor &ground = Qt::black)
        : m_host(std::make_unique<QWidget>())
    {
        m_host->setAutoFillBackground(true);
        QPalette palette = m_host->palette();
        palette.setColor(QPalette::Window, ground);
        m_host->setPalette(palette);
    }

    // Takes the widget as a child, at its size hint unless a size is given.
    template <typename W> W *place(W *widget, QSize size = {})
    {
        widget->setParent(m_host.get());
        widget->move(kInset, kInset);
        widget->resize(size.isValid() ? size : widget->sizeHint());
        m_host->resize(widget->width() + 2 * kInset, widget->height() + 2 * kInset);
        m_host->show();
        return widget;
    }

    QWidget *widget() const { return m_host.get(); }
    QImage grab() const { return m_host->grab().toImage().convertToFormat(QImage::Format_RGB32); }

private:
    std::unique_ptr<QWidget> m_host;
};

// The value a channel takes when white at the opacity covers the ground channel.
inline int whiteOver(int ground, double opacity)
{
    return static_cast<int>(std::lround(ground + (255 - ground) * opacity));
}

// Pixel of the image in the placed widget's coordinates.
inline QColor at(const QImage &image, int x, int y)
{
    return image.pixelColor(x + kInset, y + kInset);
}

// True when the widget's own picture carries the design system's focus ring: the ring colour along at
// least a third of its two outermost rows and columns (rounded corners leave the rest).
inline bool showsFocusRing(QWidget *widget)
{
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.width() < 4 || image.height() < 4)
        return false;
    const QColor ring = ZunoGlassTokens::accentViolet();
    int band = 0;
    int ringed = 0;
    const auto probe = [&](int x, int y) {
        const QColor pixel = image.pixelColor(x, y);
        ++band;
        ringed += pixel.alpha() > 200 && std::abs(pixel.red() - ring.red()) < 40
            && std::abs(pixel.green() - ring.green()) < 40 && std::abs(pixel.blue() - ring.blue()) < 40;
    };
    for (int x = 0; x < image.width(); ++x) {
        for (const int y : { 0, 1, image.height() - 2, image.height() - 1 })
            probe(x, y);
    }
    for (int y = 2; y < image.height() - 2; ++y) {
        for (const int x : { 0, 1, image.width() - 2, image.width() - 1 })
            probe(x, y);
    }
    return ringed * 3 >= band;
}

} // namespace DesignProbe
