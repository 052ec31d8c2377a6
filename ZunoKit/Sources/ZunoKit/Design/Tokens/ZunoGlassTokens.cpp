#include "ZunoGlassTokens.h"

#include "ZunoHexColor.h"

namespace {

QColor white(double opacity)
{
    QColor color(Qt::white);
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

} // namespace

#define ZUNO_TOKEN(name, value)                                                                              \
    const QColor &ZunoGlassTokens::name()                                                                    \
    {                                                                                                        \
        static const QColor color = value;                                                                   \
        return color;                                                                                        \
    }

ZUNO_TOKEN(surface1, white(0.06))
ZUNO_TOKEN(surface2, white(0.10))
ZUNO_TOKEN(surface3, white(0.16))
ZUNO_TOKEN(borderSubtle, white(0.14))
ZUNO_TOKEN(borderStrong, white(0.28))
ZUNO_TOKEN(textPrimary, white(0.96))
ZUNO_TOKEN(textSecondary, white(0.72))
ZUNO_TOKEN(textMuted, white(0.50))
ZUNO_TOKEN(success, zunoColorFromHex(0x3EE6A8))
ZUNO_TOKEN(warning, zunoColorFromHex(0xFFB84D))
ZUNO_TOKEN(danger, zunoColorFromHex(0xFF647C))
ZUNO_TOKEN(accentViolet, zunoColorFromHex(0xA98BFF))
ZUNO_TOKEN(accentCyan, zunoColorFromHex(0x38E8FF))

#undef ZUNO_TOKEN
