#pragma once

#include <QColor>

// A colour from a 24-bit 0xRRGGBB number (the top byte is ignored), each channel the byte / 255, in
// sRGB. QColor cannot hold an opacity outside 0...1, so one outside that range is bounded there.
QColor zunoColorFromHex(quint32 hex, double opacity = 1.0);
