#include "ZunoGlassButtonStyle.h"

#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QPainter>

QFont ZunoGlassButtonStyle::font() const
{
    return m_font.value_or(ZunoFonts::system(12.5, QFont::Medium));
}

QColor ZunoGlassButtonStyle::foreground() const
{
    return ZunoGlassTokens::textPrimary();
}

QMarginsF ZunoGlassButtonStyle::padding() const
{
    return QMarginsF(11, 6, 11, 6);
}

void ZunoGlassButtonStyle::paintBackground(QPainter &painter, const QRectF &rect, qreal) const
{
    painter.fillPath(ZunoContinuousShape::roundedRect(rect, kCornerRadius),
        m_isActive ? ZunoGlassTokens::surface3() : ZunoGlassTokens::surface2());
    ZunoContinuousShape::strokeBorder(painter, rect, kCornerRadius,
        m_isActive ? ZunoGlassTokens::borderStrong() : ZunoGlassTokens::borderSubtle());
}

qreal ZunoGlassButtonStyle::opacity(qreal pressed) const
{
    return 1 + (kPressedOpacity - 1) * pressed;
}
