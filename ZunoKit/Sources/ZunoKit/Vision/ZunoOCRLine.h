#pragma once

#include <QRectF>
#include <QString>

// One recognised line of text. The box is normalised to the image (0 to 1 on both axes) with its
// origin at the bottom left, y growing upwards.
struct ZunoOCRLine {
    QString text;
    QRectF boundingBox;
    float confidence = 0.0f; // 0 to 1

    ZunoOCRLine() = default;
    ZunoOCRLine(const QString &text, const QRectF &boundingBox, float confidence)
        : text(text)
        , boundingBox(boundingBox)
        , confidence(confidence)
    {
    }

    friend bool operator==(const ZunoOCRLine &, const ZunoOCRLine &) = default;
};
