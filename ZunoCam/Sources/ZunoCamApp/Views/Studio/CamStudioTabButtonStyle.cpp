#include "CamStudioTabButtonStyle.h"

#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QPainter>

namespace {

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

} // namespace

QColor CamStudioTabButtonStyle::fill() const
{
    return m_selected ? withOpacity(m_accent, kFillOpacity) : ZunoGlassTokens::surface1();
}

QColor CamStudioTabButtonStyle::border() const
{
    return m_selected ? withOpacity(m_accent, kBorderOpacity) : ZunoGlassTokens::borderSubtle();
}

QFont CamStudioTabButtonStyle::font() const
{
    return ZunoFonts::system(kFontSize, m_selected ? QFont::DemiBold : QFont::Medium);
}

QColor CamStudioTabButtonStyle::foreground() const
{
    return m_selected ? QColor(Qt::white) : ZunoGlassTokens::textSecondary();
}

void CamStudioTabButtonStyle::paintBackground(QPainter &painter, const QRectF &rect, qreal) const
{
    painter.fillPath(ZunoContinuousShape::roundedRect(rect, kCornerRadius), fill());
    ZunoContinuousShape::strokeBorder(painter, rect, kCornerRadius, border());
}
