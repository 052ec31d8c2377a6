#include "ZunoOCRResult.h"

#include <QStringList>

QString ZunoOCRResult::fullText() const
{
    QStringList texts;
    texts.reserve(lines.size());
    for (const ZunoOCRLine &line : lines)
        texts.append(line.text);
    return texts.join(QLatin1Char('\n'));
}
