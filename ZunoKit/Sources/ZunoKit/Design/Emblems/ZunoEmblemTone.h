#pragma once

#include "ZunoFlatPaint.h"

#include <QColor>

// Two colours and one switch from which every element of an emblem takes its paint. In the
// white-glass tone holes and marks are cut out of the glyph; in a flat tone they are painted in a
// pale fixed colour or the accent colour. Immutable; safe to share between threads.
class ZunoEmblemTone {
public:
    ZunoEmblemTone(const QColor &primaryColor, const QColor &accentColor, bool isWhiteGlass);

    // White at 0.98 with a white accent at 0.72; the renderer draws every emblem in it.
    static const ZunoEmblemTone &whiteGlass();
    static ZunoEmblemTone flatLight(const QColor &primary, const QColor &accent);

    // The pale colour (#EEF1F7) that stands for a cut-out on a flat tone, at the given alpha.
    static QColor flatCutoutColor(qreal alpha);
    // A copy of the colour whose alpha is replaced (not multiplied) by alpha; the colour itself
    // when no such copy can be made (an invalid colour or a non-finite alpha).
    static QColor withAlpha(const QColor &color, qreal alpha);

    QColor primaryColor() const { return m_primaryColor; }
    QColor accentColor() const { return m_accentColor; }
    bool isWhiteGlass() const { return m_isWhiteGlass; }

    ZunoFlatPaint primary() const;
    ZunoFlatPaint accent() const;
    ZunoFlatPaint mid() const;
    ZunoFlatPaint soft() const;
    ZunoFlatPaint stroke() const;
    ZunoFlatPaint primaryAlpha(qreal alpha) const;
    ZunoFlatPaint accentAlpha(qreal alpha) const;
    // A mark on the primary colour: cut 86 % deep on white glass, the accent colour on a flat tone.
    ZunoFlatPaint onPrimaryAccent() const;
    // A hole: on white glass a cut-out of strength min(max(alpha x 1.15, 0.55), 1); on a flat
    // tone the pale colour at alpha, which never erases.
    ZunoFlatPaint cutout(qreal alpha) const;

private:
    QColor m_primaryColor;
    QColor m_accentColor;
    bool m_isWhiteGlass;
};
