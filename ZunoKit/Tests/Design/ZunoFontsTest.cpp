// Inter and JetBrains Mono, set explicitly, at the type ramp's sizes and weights.
#include "ZunoFonts.h"
#include "ZunoLanguage.h"
#include "ZunoSymbolRegistry.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QRawFont>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

TEST(ZunoFonts, TextIsInterAndMonospacedTextJetBrainsMono)
{
    const QFont text = ZunoFonts::system(13, QFont::DemiBold);
    EXPECT_EQ(QFontInfo(text).family(), QStringLiteral("Inter"));
    EXPECT_EQ(QFontInfo(text).pixelSize(), 13);
    EXPECT_EQ(text.weight(), QFont::DemiBold);
    EXPECT_EQ(text.hintingPreference(), QFont::PreferNoHinting);
    const QFont mono = ZunoFonts::monospaced(10, QFont::DemiBold);
    EXPECT_EQ(QFontInfo(mono).family(), QStringLiteral("JetBrains Mono"));
    EXPECT_TRUE(QFontInfo(mono).fixedPitch());
    EXPECT_DOUBLE_EQ(ZunoFonts::size(mono), 10);
}

TEST(ZunoFonts, FractionalSizesDrawAtTheNearestWholePixel)
{
    const struct {
        qreal requested;
        int drawn;
    } sizes[] = { { 12.5, 13 }, { 12.4, 12 }, { 9.5, 10 }, { 10.5, 11 }, { 0.2, 1 } };
    for (const auto &s : sizes) {
        const QFont font = ZunoFonts::system(s.requested);
        EXPECT_EQ(font.pixelSize(), s.drawn) << s.requested;
        EXPECT_EQ(QFontInfo(font).pixelSize(), s.drawn) << s.requested;
        EXPECT_DOUBLE_EQ(ZunoFonts::size(font), s.drawn) << s.requested;
    }
    const QString sample = QStringLiteral("Start Live Camera");
    EXPECT_LT(QFontMetricsF(ZunoFonts::system(12)).horizontalAdvance(sample),
        QFontMetricsF(ZunoFonts::system(12.5)).horizontalAdvance(sample));
}

TEST(ZunoFonts, TextStylesHaveTheRampsSizesAndWeights)
{
    const struct {
        ZunoTextStyle style;
        qreal size;
        QFont::Weight weight;
    } ramp[] = {
        { ZunoTextStyle::largeTitle, 26, QFont::Normal },
        { ZunoTextStyle::title, 22, QFont::Normal },
        { ZunoTextStyle::title2, 17, QFont::Normal },
        { ZunoTextStyle::title3, 15, QFont::Normal },
        { ZunoTextStyle::headline, 13, QFont::Bold },
        { ZunoTextStyle::body, 13, QFont::Normal },
        { ZunoTextStyle::callout, 12, QFont::Normal },
        { ZunoTextStyle::subheadline, 11, QFont::Normal },
        { ZunoTextStyle::footnote, 10, QFont::Normal },
        { ZunoTextStyle::caption, 10, QFont::Normal },
        { ZunoTextStyle::caption2, 10, QFont::Medium },
    };
    for (const auto &row : ramp) {
        SCOPED_TRACE(static_cast<int>(row.style));
        const QFont font = ZunoFonts::style(row.style);
        EXPECT_DOUBLE_EQ(ZunoFonts::size(font), row.size);
        EXPECT_EQ(font.weight(), row.weight);
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Inter"));
    }
    // A weight given with a style replaces the style's own.
    const QFont callout = ZunoFonts::style(ZunoTextStyle::callout, QFont::Medium);
    EXPECT_DOUBLE_EQ(ZunoFonts::size(callout), 12);
    EXPECT_EQ(callout.weight(), QFont::Medium);
    // Bold text really is drawn heavier.
    EXPECT_GT(QFontMetricsF(ZunoFonts::system(13, QFont::Bold)).horizontalAdvance(QStringLiteral("Headline")),
        QFontMetricsF(ZunoFonts::system(13)).horizontalAdvance(QStringLiteral("Headline")));
    // A symbol beside text is a little larger than the text's size.
    EXPECT_NEAR(ZunoSymbolRegistry::sideForFont(ZunoFonts::system(10)), 11, 1e-9);
}

TEST(ZunoFonts, TheChosenFontsDrawEveryLanguagesOwnName)
{
    const QStringList families
        = QStringList { QString::fromLatin1(ZunoFonts::kTextFamily) } + ZunoFonts::scriptFallbackFamilies();
    EXPECT_EQ(ZunoFonts::system(13).families(), families) << "text falls back on the chosen fonts";
    std::vector<QRawFont> fonts;
    for (const QString &family : families) {
        QFont font(family);
        font.setPixelSize(13);
        EXPECT_EQ(QFontInfo(font).family(), family) << "not installed: " << family.toStdString();
        fonts.push_back(QRawFont::fromFont(font));
    }
    for (const ZunoLanguage language : ZunoLanguages::allCases()) {
        const QString name = nativeName(language);
        for (const char32_t character : name.toUcs4()) {
            if (QChar::isSpace(character))
                continue;
            const bool drawn = std::any_of(fonts.begin(), fonts.end(),
                [character](const QRawFont &font) { return font.supportsCharacter(character); });
            EXPECT_TRUE(drawn) << name.toStdString() << ": U+" << std::hex
                               << static_cast<unsigned>(character);
        }
    }
}

TEST(ZunoFonts, TheRoundedDesignIsQuicksandAtItsHeaviestForBlack)
{
    const QFont font = ZunoFonts::rounded(40, QFont::Black);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Quicksand"));
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_EQ(QFontInfo(font).pixelSize(), 40);
}
