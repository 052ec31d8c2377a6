#include "ZunoTwoLineText.h"

#include <QFontMetricsF>
#include <QTextLayout>

QStringList zunoTwoLineText(const QString &text, const QFont &font, qreal width)
{
    QStringList lines;
    if (text.isEmpty() || width <= 0)
        return lines;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine first = layout.createLine();
    qsizetype rest = text.size();
    if (first.isValid()) {
        first.setLineWidth(width);
        lines.append(text.mid(first.textStart(), first.textLength()).trimmed());
        rest = first.textStart() + first.textLength();
    }
    layout.endLayout();
    if (rest < text.size()) {
        const QString remainder = text.mid(rest).trimmed();
        if (!remainder.isEmpty())
            lines.append(QFontMetricsF(font).elidedText(remainder, Qt::ElideRight, width));
    }
    return lines;
}
