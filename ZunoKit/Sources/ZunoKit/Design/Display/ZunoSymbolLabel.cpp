#include "ZunoSymbolLabel.h"

#include "ZunoSymbolRegistry.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

ZunoSymbolLabel::ZunoSymbolLabel(
    const QString &symbol, const QString &text, const QFont &font, const QColor &color, QWidget *parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_text(text)
    , m_color(color)
{
    setFont(font);
    setAccessibleName(text);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize ZunoSymbolLabel::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal side = ZunoSymbolRegistry::sideForFont(font());
    return QSize(static_cast<int>(std::ceil(side + kSpacing + metrics.horizontalAdvance(m_text))),
        static_cast<int>(std::ceil(std::max(side, metrics.height()))));
}

QSize ZunoSymbolLabel::minimumSizeHint() const
{
    const qreal side = ZunoSymbolRegistry::sideForFont(font());
    return QSize(static_cast<int>(std::ceil(side + kSpacing + 24)), sizeHint().height());
}

void ZunoSymbolLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal side = ZunoSymbolRegistry::sideForFont(font());
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    const QRectF bounds = rect();
    const QRectF symbol(
        rtl ? bounds.right() - side : bounds.left(), bounds.center().y() - side / 2, side, side);
    ZunoSymbolRegistry::paint(painter, symbol, m_symbol, m_color);
    const QRectF textBox
        = rtl ? bounds.adjusted(0, 0, -(side + kSpacing), 0) : bounds.adjusted(side + kSpacing, 0, 0, 0);
    painter.setPen(m_color);
    painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeading | Qt::TextSingleLine,
        QFontMetricsF(font()).elidedText(m_text, Qt::ElideRight, textBox.width() + 0.5));
}
