#include "ZunoProminentButtonStyle.h"

#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"

#include <QPainter>

QFont ZunoProminentButtonStyle::font() const
{
    return m_size == Size::small ? ZunoFonts::system(11, QFont::DemiBold)
                                 : ZunoFonts::style(ZunoTextStyle::callout, QFont::DemiBold);
}

QColor ZunoProminentButtonStyle::foreground() const
{
    return Qt::white;
}

QMarginsF ZunoProminentButtonStyle::padding() const
{
    return m_size == Size::small ? QMarginsF(8, 3, 8, 3) : QMarginsF(14, 7, 14, 7);
}

void ZunoProminentButtonStyle::paintBackground(QPainter &painter, const QRectF &rect, qreal pressed) const
{
    const QColor fill = pressed > 0 ? m_tint.darker(100 + int((kPressedDarkness - 100) * pressed)) : m_tint;
    painter.fillPath(ZunoContinuousShape::roundedRect(rect, kCornerRadius), fill);
}
