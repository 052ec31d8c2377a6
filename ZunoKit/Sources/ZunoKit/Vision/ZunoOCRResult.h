#pragma once

#include "ZunoOCRLine.h"

#include <QList>

// The lines of one recognition, in the order the recogniser read them.
struct ZunoOCRResult {
    QList<ZunoOCRLine> lines;

    ZunoOCRResult() = default;
    explicit ZunoOCRResult(const QList<ZunoOCRLine> &lines)
        : lines(lines)
    {
    }

    // The lines' texts joined with line feeds; empty for no lines.
    QString fullText() const;

    friend bool operator==(const ZunoOCRResult &, const ZunoOCRResult &) = default;
};
