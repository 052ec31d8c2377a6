#include "ZunoTabularFigures.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Calls segment(text, x, isDigit) for every run of non-digits and every single digit, left to right;
// returns the total advance.
template <typename Segment> qreal walk(const QString &text, const QFont &font, Segment segment)
{
    const QFontMetricsF metrics(font);
    const qreal cell = ZunoTabularFigures::digitWidth(font);
    qreal x = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        if (isDigit(text.at(start))) {
            const QString digit = text.mid(start, 1);
            segment(digit, x + (cell - metrics.horizontalAdvance(digit)) / 2);
            x += cell;
            ++start;
            continue;
        }
        qsizetype end = start;
        while (end < text.size() && !isDigit(text.at(end)))
            ++end;
        const QString run = text.mid(start, end - start);
        segment(run, x);
        x += metrics.horizontalAdvance(run);
        start = end;
    }
    return x;
}

} // namespace

namespace ZunoTabularFigures {

qreal digitWidth(const QFont &font)
{
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (char c = '0'; c <= '9'; ++c)
        widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(c)));
    return widest;
}

qreal width(const QString &text, const QFont &font)
{
    return walk(text, font, [](const QString &, qreal) {});
}

void draw(QPainter &painter, const QPointF &origin, const QString &text, const QFont &font)
{
    painter.save();
    painter.setFont(font);
    walk(text, font, [&](const QString &segment, qreal x) {
        painter.drawText(QPointF(origin.x() + x, origin.y()), segment);
    });
    painter.restore();
}

} // namespace ZunoTabularFigures
