#include "ZunoCapsuleLabel.h"

#include "ZunoContinuousShape.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

ZunoCapsuleLabel::ZunoCapsuleLabel(const QFont &font, qreal paddingX, qreal paddingY, QWidget *parent)
    : QWidget(parent)
    , m_font(font)
    , m_paddingX(paddingX)
    , m_paddingY(paddingY)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ZunoCapsuleLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

void ZunoCapsuleLabel::setLabelFont(const QFont &font)
{
    m_font = font;
    updateGeometry();
    update();
}

void ZunoCapsuleLabel::setColors(const QColor &fill, const QColor &text, const QColor &border)
{
    m_fill = fill;
    m_textColor = text;
    m_border = border;
    update();
}

QSize ZunoCapsuleLabel::sizeHint() const
{
    const QFontMetricsF metrics(m_font);
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(m_text) + 2 * m_paddingX)),
        static_cast<int>(std::ceil(metrics.height() + 2 * m_paddingY)));
}

void ZunoCapsuleLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    painter.fillPath(ZunoContinuousShape::capsule(bounds), m_fill);
    if (m_border.isValid())
        ZunoContinuousShape::strokeBorder(painter, bounds, -1, m_border, 1);
    painter.setFont(m_font);
    painter.setPen(m_textColor);
    painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine, m_text);
}
