#include "ZunoHexColor.h"

#include <algorithm>

QColor zunoColorFromHex(quint32 hex, double opacity)
{
    QColor color((hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF);
    color.setAlphaF(static_cast<float>(std::clamp(opacity, 0.0, 1.0)));
    return color;
}
