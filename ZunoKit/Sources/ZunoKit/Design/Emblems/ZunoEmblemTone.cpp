#include "ZunoEmblemTone.h"

#include <algorithm>
#include <cmath>

ZunoEmblemTone::ZunoEmblemTone(const QColor &primaryColor, const QColor &accentColor, bool isWhiteGlass)
    : m_primaryColor(primaryColor)
    , m_accentColor(accentColor)
    , m_isWhiteGlass(isWhiteGlass)
{
}

const ZunoEmblemTone &ZunoEmblemTone::whiteGlass()
{
    static const ZunoEmblemTone tone(
        QColor::fromRgbF(1, 1, 1, 0.98f), QColor::fromRgbF(1, 1, 1, 0.72f), true);
    return tone;
}

ZunoEmblemTone ZunoEmblemTone::flatLight(const QColor &primary, const QColor &accent)
{
    return ZunoEmblemTone(primary, accent, false);
}

QColor ZunoEmblemTone::flatCutoutColor(qreal alpha)
{
    return withAlpha(QColor::fromRgbF(238 / 255.0f, 241 / 255.0f, 247 / 255.0f), alpha);
}

QColor ZunoEmblemTone::withAlpha(const QColor &color, qreal alpha)
{
    if (!color.isValid() || !std::isfinite(alpha))
        return color;
    QColor copy = color;
    copy.setAlphaF(static_cast<float>(std::clamp<qreal>(alpha, 0, 1)));
    return copy;
}

ZunoFlatPaint ZunoEmblemTone::primary() const
{
    return ZunoFlatPaint::color(m_primaryColor);
}

ZunoFlatPaint ZunoEmblemTone::accent() const
{
    return ZunoFlatPaint::color(m_accentColor);
}

ZunoFlatPaint ZunoEmblemTone::mid() const
{
    return primaryAlpha(0.46);
}

ZunoFlatPaint ZunoEmblemTone::soft() const
{
    return primaryAlpha(m_isWhiteGlass ? 0.16 : 0.11);
}

ZunoFlatPaint ZunoEmblemTone::stroke() const
{
    return primaryAlpha(m_isWhiteGlass ? 0.42 : 0.28);
}

ZunoFlatPaint ZunoEmblemTone::primaryAlpha(qreal alpha) const
{
    return ZunoFlatPaint::color(withAlpha(m_primaryColor, alpha));
}

ZunoFlatPaint ZunoEmblemTone::accentAlpha(qreal alpha) const
{
    return ZunoFlatPaint::color(withAlpha(m_accentColor, alpha));
}

ZunoFlatPaint ZunoEmblemTone::onPrimaryAccent() const
{
    return m_isWhiteGlass ? ZunoFlatPaint::cutout(0.86) : accent();
}

ZunoFlatPaint ZunoEmblemTone::cutout(qreal alpha) const
{
    if (!m_isWhiteGlass)
        return ZunoFlatPaint::color(flatCutoutColor(alpha));
    return ZunoFlatPaint::cutout(std::min(std::max(alpha * 1.15, 0.55), 1.0));
}
