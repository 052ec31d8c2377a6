#include "ZunoVisionTestImages.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ZunoVisionTestImages {

QImage astronaut()
{
    return QImage(QStringLiteral(ZUNO_TEST_DATA "/vision/astronaut.png"));
}

QImage textLine(const QString &text, const QString &family, int pixelSize, bool transparent, QRect *textRect)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    const int margin = pixelSize;
    const QRect rect(margin, margin, metrics.horizontalAdvance(text), metrics.height());
    QImage image(rect.width() + 2 * margin, rect.height() * 3 + 2 * margin, QImage::Format_ARGB32);
    image.fill(transparent ? Qt::transparent : Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, text);
    if (textRect)
        *textRect = rect;
    return image;
}

QImage landscape(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = size.width();
    const double h = size.height();
    QLinearGradient sky(0, 0, 0, h * 0.6);
    sky.setColorAt(0, QColor(40, 110, 220));
    sky.setColorAt(1, QColor(170, 210, 250));
    painter.fillRect(QRectF(0, 0, w, h * 0.6), sky);
    painter.fillRect(QRectF(0, h * 0.6, w, h * 0.4), QColor(60, 150, 50));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 220, 40));
    painter.drawEllipse(QPointF(w * 0.8, h * 0.18), w * 0.09, w * 0.09);
    QPainterPath hill;
    hill.moveTo(0, h * 0.62);
    hill.cubicTo(w * 0.3, h * 0.35, w * 0.5, h * 0.5, w, h * 0.55);
    hill.lineTo(w, h * 0.62);
    painter.setBrush(QColor(90, 130, 70));
    painter.drawPath(hill);
    painter.setBrush(QColor(200, 60, 40));
    painter.drawRect(QRectF(w * 0.2, h * 0.5, w * 0.25, h * 0.2));
    painter.setBrush(QColor(120, 70, 40));
    painter.drawPolygon(
        QPolygonF({ QPointF(w * 0.17, h * 0.5), QPointF(w * 0.325, h * 0.36), QPointF(w * 0.48, h * 0.5) }));
    painter.setBrush(QColor(250, 240, 200));
    painter.drawRect(QRectF(w * 0.29, h * 0.58, w * 0.06, h * 0.12));
    return image;
}

} // namespace ZunoVisionTestImages
