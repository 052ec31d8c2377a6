#include "ZunoRoundedFill.h"

#include "ZunoContinuousShape.h"

#include <QPainter>

ZunoRoundedFill::ZunoRoundedFill(qreal radius, const QColor &fill, QWidget *parent)
    : QWidget(parent)
    , m_radius(radius)
    , m_fill(fill)
{
}

void ZunoRoundedFill::setFill(const QColor &fill)
{
    m_fill = fill;
    update();
}

void ZunoRoundedFill::setBorder(const QColor &border)
{
    m_border = border;
    update();
}

void ZunoRoundedFill::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(ZunoContinuousShape::roundedRect(rect(), m_radius), m_fill);
    if (m_border.isValid())
        ZunoContinuousShape::strokeBorder(painter, rect(), m_radius, m_border);
}
