#include "ZunoFonts.h"

#include "ZunoFontPixelSize.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace {

QFont make(const char *family, qreal size, QFont::Weight weight)
{
    QFont font(QString::fromLatin1(family));
    // Text in a script the family lacks (a language's own name in the picker) comes from the set-up's
    // fonts for that script, the same on every machine.
    font.setFamilies(QStringList { QString::fromLatin1(family) } + ZunoFonts::scriptFallbackFamilies());
    // Qt's font database draws scalable fonts at whole pixel sizes; rounding here (half up) makes
    // that choice ours, the same on every platform.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    font.setWeight(weight);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

} // namespace

QFont ZunoFonts::system(qreal size, QFont::Weight weight)
{
    return make(kTextFamily, size, weight);
}

QFont ZunoFonts::monospaced(qreal size, QFont::Weight weight)
{
    QFont font = make(kMonospacedFamily, size, weight);
    font.setStyleHint(QFont::Monospace);
    return font;
}

QFont ZunoFonts::rounded(qreal size, QFont::Weight weight)
{
    return make(kRoundedFamily, size, std::min(weight, QFont::Bold));
}

ZunoTextStyleMetrics ZunoFonts::metrics(ZunoTextStyle style)
{
    // The desktop type ramp: sizes and weights per style.
    switch (style) {
    case ZunoTextStyle::largeTitle:
        return { 26, QFont::Normal };
    case ZunoTextStyle::title:
        return { 22, QFont::Normal };
    case ZunoTextStyle::title2:
        return { 17, QFont::Normal };
    case ZunoTextStyle::title3:
        return { 15, QFont::Normal };
    case ZunoTextStyle::headline:
        return { 13, QFont::Bold };
    case ZunoTextStyle::body:
        return { 13, QFont::Normal };
    case ZunoTextStyle::callout:
        return { 12, QFont::Normal };
    case ZunoTextStyle::subheadline:
        return { 11, QFont::Normal };
    case ZunoTextStyle::footnote:
        return { 10, QFont::Normal };
    case ZunoTextStyle::caption:
        return { 10, QFont::Normal };
    case ZunoTextStyle::caption2:
        return { 10, QFont::Medium };
    }
    return { 13, QFont::Normal };
}

QFont ZunoFonts::style(ZunoTextStyle style)
{
    const ZunoTextStyleMetrics m = metrics(style);
    return system(m.size, m.weight);
}

QFont ZunoFonts::style(ZunoTextStyle style, QFont::Weight weight)
{
    return system(metrics(style).size, weight);
}

qreal ZunoFonts::size(const QFont &font)
{
    return zunoFontPixelSize(font);
}

QStringList ZunoFonts::scriptFallbackFamilies()
{
    return { QStringLiteral("DejaVu Sans"), // Arabic, Persian, Hebrew, Greek, Cyrillic
        QStringLiteral("WenQuanYi Micro Hei"), // Chinese, Japanese, Korean
        QStringLiteral("Lohit Devanagari"), // Hindi
        QStringLiteral("Loma") }; // Thai
}

void ZunoFonts::applyApplicationFont()
{
    QGuiApplication::setFont(style(ZunoTextStyle::body));
}
