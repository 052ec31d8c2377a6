#pragma once

#include <QFont>
#include <QStringList>

// The text styles of the design's type ramp, largest first.
enum class ZunoTextStyle {
    largeTitle,
    title,
    title2,
    title3,
    headline,
    body,
    callout,
    subheadline,
    footnote,
    caption,
    caption2
};

// Size and weight of a text style, in device-independent pixels.
struct ZunoTextStyleMetrics {
    qreal size;
    QFont::Weight weight;
};

// The fonts of the design, set explicitly so that every machine draws the same text: Inter for text
// and JetBrains Mono for monospaced text; Inter has no rounded face, so text meant in the rounded
// design (the prompter's countdown) is drawn in Quicksand. A size of N points is N device-independent pixels,
// drawn at the nearest whole pixel (12.5 draws at 13). Hinting is off, so glyphs keep their designed shapes.
namespace ZunoFonts {

inline constexpr const char *kTextFamily = "Inter";
inline constexpr const char *kMonospacedFamily = "JetBrains Mono";
inline constexpr const char *kRoundedFamily = "Quicksand";

// The system font of a size and weight.
QFont system(qreal size, QFont::Weight weight = QFont::Normal);
// The monospaced design of the system font.
QFont monospaced(qreal size, QFont::Weight weight = QFont::Normal);
// The rounded design of the system font; weights above bold draw bold, the family's heaviest.
QFont rounded(qreal size, QFont::Weight weight = QFont::Normal);
// A text style, in its own weight unless one is given.
QFont style(ZunoTextStyle style);
QFont style(ZunoTextStyle style, QFont::Weight weight);

ZunoTextStyleMetrics metrics(ZunoTextStyle style);

// The size a font is drawn at, in device-independent pixels.
qreal size(const QFont &font);

// The families that draw what the two families lack, in order: every script of the languages the
// language picker lists. The set-up script installs them; text and monospaced fonts fall back on them.
QStringList scriptFallbackFamilies();

// Makes Inter at the body size the application's default font.
void applyApplicationFont();

} // namespace ZunoFonts
