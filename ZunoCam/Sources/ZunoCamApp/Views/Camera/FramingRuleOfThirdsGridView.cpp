#include "FramingRuleOfThirdsGridView.h"

#include <QPainter>
#include <QPen>

FramingRuleOfThirdsGridView::FramingRuleOfThirdsGridView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
}

QPainterPath FramingRuleOfThirdsGridView::gridPath(const QSizeF &size)
{
    QPainterPath path;
    const qreal w = size.width();
    const qreal h = size.height();
    if (w <= 0 || h <= 0)
        return path;
    for (const qreal x : { w / 3, 2 * w / 3 }) {
        path.moveTo(x, 0);
        path.lineTo(x, h);
    }
    for (const qreal y : { h / 3, 2 * h / 3 }) {
        path.moveTo(0, y);
        path.lineTo(w, y);
    }
    return path;
}

QPen FramingRuleOfThirdsGridView::gridPen()
{
    QColor color(Qt::white);
    color.setAlphaF(kOpacity);
    QPen pen(color, 1, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    // Qt measures dashes in pen widths; the width is 1.
    pen.setDashPattern({ kDash, kDash });
    pen.setDashOffset(0);
    return pen;
}

void FramingRuleOfThirdsGridView::paintEvent(QPaintEvent *)
{
    const QPainterPath path = gridPath(size());
    if (path.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(gridPen());
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}
