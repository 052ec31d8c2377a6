#pragma once

#include <QFont>

// The size a font is drawn at, in device-independent pixels: its pixel size, or else its point size at
// 96 dots per inch. Below the design's fonts, so that symbols can be sized to any font.
inline qreal zunoFontPixelSize(const QFont &font)
{
    return font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
}
