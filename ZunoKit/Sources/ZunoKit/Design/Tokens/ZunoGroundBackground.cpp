#include "ZunoGroundBackground.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace {

constexpr qreal kGlowStartRadius = 20;
constexpr qreal kGlowEndRadius = 520;
constexpr qreal kGlowOpacity = 0.09;

} // namespace

ZunoGroundBackground::ZunoGroundBackground(ZunoProductPalette palette, QWidget *parent)
    : QWidget(parent)
    , m_palette(palette)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ZunoGroundBackground::setProductPalette(ZunoProductPalette palette)
{
    if (palette == m_palette)
        return;
    m_palette = palette;
    update();
}

void ZunoGroundBackground::paint(
    QPainter &painter, const QRectF &rect, ZunoProductPalette palette, Qt::LayoutDirection direction)
{
    const bool rtl = direction == Qt::RightToLeft;
    const QPointF leadingTop = rtl ? rect.topRight() : rect.topLeft();
    const QPointF trailingBottom = rtl ? rect.bottomLeft() : rect.bottomRight();

    const ZunoGroundStops stops = ZunoProductPalettes::groundStops(palette);
    QLinearGradient ground(leadingTop, trailingBottom);
    ground.setColorAt(0, stops.topLeft);
    ground.setColorAt(0.5, stops.middle);
    ground.setColorAt(1, stops.bottomRight);
    painter.fillRect(rect, ground);

    QColor glow(Qt::white);
    glow.setAlphaF(kGlowOpacity);
    QRadialGradient light(leadingTop, kGlowEndRadius);
    light.setColorAt(0, glow);
    light.setColorAt(kGlowStartRadius / kGlowEndRadius, glow);
    light.setColorAt(1, QColor(0, 0, 0, 0));
    painter.fillRect(rect, light);
}

void ZunoGroundBackground::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paint(painter, rect(), m_palette, layoutDirection());
}
