#include "ZunoTabularLabel.h"

#include "ZunoTabularFigures.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>

#include <cmath>

ZunoTabularLabel::ZunoTabularLabel(
    const QString &text, const QFont &font, const QColor &color, QWidget *parent)
    : QWidget(parent)
    , m_text(text)
    , m_color(color)
{
    setFont(font);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ZunoTabularLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

void ZunoTabularLabel::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void ZunoTabularLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

QSize ZunoTabularLabel::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return QSize(int(std::ceil(ZunoTabularFigures::width(m_text, font()))), int(std::ceil(metrics.height())));
}

void ZunoTabularLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(m_color);
    const QFontMetricsF metrics(font());
    const qreal textWidth = ZunoTabularFigures::width(m_text, font());
    const bool trailing = QStyle::visualAlignment(layoutDirection(), m_alignment) & Qt::AlignRight;
    const qreal x = trailing ? width() - textWidth : 0;
    const qreal baseline = (height() - metrics.height()) / 2 + metrics.ascent();
    ZunoTabularFigures::draw(painter, QPointF(x, baseline), m_text, font());
}
