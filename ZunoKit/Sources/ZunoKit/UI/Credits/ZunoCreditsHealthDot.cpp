#include "ZunoCreditsHealthDot.h"

#include <QPainter>

ZunoCreditsHealthDot::ZunoCreditsHealthDot(int side, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(side, side);
}

void ZunoCreditsHealthDot::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void ZunoCreditsHealthDot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawEllipse(QRectF(rect()));
}
