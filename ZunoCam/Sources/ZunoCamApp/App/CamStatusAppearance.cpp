#include "CamStatusAppearance.h"

#include "ZunoSymbolRegistry.h"

#include <QPainter>

CamStatusAppearance CamStatusAppearance::of(
    bool isTeleprompterVisible, bool isRecordingVideo, bool isLaserOverlayVisible)
{
    CamStatusAppearance appearance;
    appearance.symbol = QString::fromLatin1(isTeleprompterVisible ? kPrompterSymbol : kIdleSymbol);
    if (isRecordingVideo)
        appearance.dot = kRecordingDot;
    else if (isLaserOverlayVisible)
        appearance.dot = kLaserDot;
    return appearance;
}

QImage CamStatusAppearance::render(int side) const
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const qreal outline = std::max(1.0, side / 24.0);
    const qreal inner = side - 2 * outline;
    const QImage dark = ZunoSymbolRegistry::image(symbol, inner, QColor(0, 0, 0, 170));
    const QImage light = ZunoSymbolRegistry::image(symbol, inner, QColor(0xF5, 0xF5, 0xF7));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // The outline: the dark symbol stamped around the light one.
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            if (dx != 0 || dy != 0)
                p.drawImage(QPointF(outline + dx * outline, outline + dy * outline), dark);
        }
    }
    p.drawImage(QPointF(outline, outline), light);
    if (dot) {
        const qreal diameter = side * kDotFraction;
        const QRectF badge(side - diameter, side - diameter, diameter, diameter);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 170));
        p.drawEllipse(badge);
        p.setBrush(*dot);
        p.drawEllipse(badge.adjusted(outline, outline, -outline, -outline));
    }
    return image;
}

QIcon CamStatusAppearance::icon() const
{
    QIcon icon;
    for (const int side : { 16, 22, 24, 32, 48 })
        icon.addPixmap(QPixmap::fromImage(render(side)));
    return icon;
}
