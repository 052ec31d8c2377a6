#pragma once

#include <QImage>

namespace ZunoVisionPixels {

// The image as packed RGB888, with any transparency composited over white (text drawn on a
// transparent background must not turn into dark text on black). Null for a null image.
QImage flattenedRGB(const QImage &image);

} // namespace ZunoVisionPixels
