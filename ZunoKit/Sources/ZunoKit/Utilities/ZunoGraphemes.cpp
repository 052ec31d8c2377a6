#include "ZunoGraphemes.h"

#include <QTextBoundaryFinder>

namespace ZunoGraphemes {

qsizetype count(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype clusters = 0;
    while (finder.toNextBoundary() > 0)
        ++clusters;
    return clusters;
}

QString prefix(const QString &text, qsizetype limit)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (qsizetype i = 0; i < limit; ++i) {
        end = finder.toNextBoundary();
        if (end < 0)
            return text;
    }
    return text.left(end);
}

} // namespace ZunoGraphemes
