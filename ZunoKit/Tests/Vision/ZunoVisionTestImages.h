#pragma once

#include <QImage>
#include <QString>

// Pictures shared by the vision tests.
namespace ZunoVisionTestImages {

// The portrait fixture (512 × 512).
QImage astronaut();
// One line of black text at the top of a white (or transparent) picture three times as tall as the
// text; `textRect` receives where the text was drawn, in the picture's pixels, rows counted downwards.
QImage textLine(const QString &text, const QString &family, int pixelSize, bool transparent = false,
    QRect *textRect = nullptr);
// A picture unrelated to the portrait: a sunny landscape with a house.
QImage landscape(const QSize &size);

} // namespace ZunoVisionTestImages
