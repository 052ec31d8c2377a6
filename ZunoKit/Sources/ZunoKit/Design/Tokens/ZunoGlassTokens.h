#pragma once

#include <QColor>

// The fixed colours of the glass look, the same for every palette: white surfaces, borders and texts
// at fixed opacities, and the status and accent colours. Each is made once, on first use.
struct ZunoGlassTokens {
    static const QColor &surface1();
    static const QColor &surface2();
    static const QColor &surface3();
    static const QColor &borderSubtle();
    static const QColor &borderStrong();
    static const QColor &textPrimary();
    static const QColor &textSecondary();
    static const QColor &textMuted();
    static const QColor &success();
    static const QColor &warning();
    static const QColor &danger();
    static const QColor &accentViolet();
    static const QColor &accentCyan();

    // `color` at the given opacity (0...1), whatever its own.
    static QColor withAlpha(QColor color, qreal alpha)
    {
        color.setAlphaF(static_cast<float>(alpha));
        return color;
    }
};
