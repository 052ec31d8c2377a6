#include "PresentationToolTile.h"

#include "ZunoContinuousShape.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolRegistry.h"

#include <QPainter>

#include <cmath>

PresentationToolTile::PresentationToolTile(
    PresentationOverlayMode mode, const QColor &accent, QWidget *parent)
    : QAbstractButton(parent)
    , m_mode(mode)
    , m_accent(accent)
{
    setFont(ZunoFonts::system(12.5, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    ZunoFocusRing::track(this);
}

void PresentationToolTile::setSelected(bool selected)
{
    if (m_selected != selected) {
        m_selected = selected;
        update();
    }
}

QColor PresentationToolTile::symbolColor() const
{
    return m_selected ? m_accent : ZunoGlassTokens::textSecondary();
}

qreal PresentationToolTile::symbolSide() const
{
    return ZunoSymbolRegistry::sideForFont(ZunoFonts::system(kSymbolSize));
}

QSize PresentationToolTile::sizeHint() const
{
    const int height
        = static_cast<int>(std::ceil(symbolSide())) + kSpacing + fontMetrics().height() + 2 * kPadding;
    return QSize(fontMetrics().horizontalAdvance(text()) + 2 * kPadding, height);
}

QSize PresentationToolTile::minimumSizeHint() const
{
    return QSize(2 * kPadding, sizeHint().height());
}

void PresentationToolTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    QColor fill = m_accent;
    fill.setAlphaF(0.24);
    QColor stroke = m_accent;
    stroke.setAlphaF(0.65);
    painter.fillPath(ZunoContinuousShape::roundedRect(bounds, kCornerRadius),
        m_selected ? fill : ZunoGlassTokens::surface2());
    ZunoContinuousShape::strokeBorder(
        painter, bounds, kCornerRadius, m_selected ? stroke : ZunoGlassTokens::borderSubtle());
    if (isDown())
        painter.setOpacity(0.78);

    const qreal side = symbolSide();
    const qreal top = (bounds.height() - side - kSpacing - fontMetrics().height()) / 2;
    ZunoSymbolRegistry::paint(painter, QRectF((bounds.width() - side) / 2, top, side, side),
        PresentationOverlayModes::symbolName(m_mode), symbolColor());
    painter.setPen(ZunoGlassTokens::textPrimary());
    const QRectF textRect(
        kPadding / 2.0, top + side + kSpacing, bounds.width() - kPadding, fontMetrics().height());
    painter.drawText(textRect, Qt::AlignCenter,
        fontMetrics().elidedText(text(), Qt::ElideRight, static_cast<int>(textRect.width())));
    painter.setOpacity(1);
    ZunoFocusRing::paintIfVisible(painter, this, bounds, kCornerRadius);
}
