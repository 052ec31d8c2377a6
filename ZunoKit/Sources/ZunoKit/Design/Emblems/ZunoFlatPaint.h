#pragma once

#include <QColor>

// What one element of an emblem is painted with: a colour in the normal blend mode, or a cut-out
// that erases the given share (0 to 1) of what the emblem has drawn under it.
class ZunoFlatPaint {
public:
    enum class Kind { color, cutout };

    static ZunoFlatPaint color(const QColor &color) { return ZunoFlatPaint(Kind::color, color, 0); }
    static ZunoFlatPaint cutout(qreal strength) { return ZunoFlatPaint(Kind::cutout, QColor(), strength); }

    Kind kind() const { return m_kind; }
    // The colour of a colour paint (invalid for a cut-out).
    QColor colorValue() const { return m_color; }
    // The strength of a cut-out (0 for a colour paint).
    qreal strength() const { return m_strength; }

    bool operator==(const ZunoFlatPaint &other) const = default;

private:
    ZunoFlatPaint(Kind kind, const QColor &color, qreal strength)
        : m_kind(kind)
        , m_color(color)
        , m_strength(strength)
    {
    }

    Kind m_kind;
    QColor m_color;
    qreal m_strength;
};
