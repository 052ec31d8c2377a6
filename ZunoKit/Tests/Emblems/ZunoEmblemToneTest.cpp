#include "ZunoEmblemTone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace {

const QColor kFlatPrimary = QColor::fromRgbF(0.2f, 0.3f, 0.6f, 1);
const QColor kFlatAccent = QColor::fromRgbF(1, 0.55f, 0.1f, 1);

struct ExpectedPaint {
    bool cutout;
    // Colour paints: rgb and alpha (0...1); cut-outs: strength in alpha.
    float r, g, b, alpha;
};

ExpectedPaint colorOf(const QColor &c, float alpha)
{
    return { false, c.redF(), c.greenF(), c.blueF(), alpha };
}
ExpectedPaint cutOf(float strength)
{
    return { true, 0, 0, 0, strength };
}

void expectPaint(const ZunoFlatPaint &paint, const ExpectedPaint &expected, const std::string &what)
{
    SCOPED_TRACE(what);
    ASSERT_EQ(paint.kind() == ZunoFlatPaint::Kind::cutout, expected.cutout);
    if (expected.cutout) {
        EXPECT_NEAR(paint.strength(), expected.alpha, 1e-6);
        return;
    }
    const QColor c = paint.colorValue();
    EXPECT_NEAR(c.redF(), expected.r, 1e-4);
    EXPECT_NEAR(c.greenF(), expected.g, 1e-4);
    EXPECT_NEAR(c.blueF(), expected.b, 1e-4);
    EXPECT_NEAR(c.alphaF(), expected.alpha, 1e-4);
}

struct PaintRow {
    const char *name;
    std::function<ZunoFlatPaint(const ZunoEmblemTone &)> paint;
    ExpectedPaint glass;
    ExpectedPaint flat;
};

const QColor kWhite = QColor::fromRgbF(1, 1, 1, 1);
const QColor kPale = QColor(0xEE, 0xF1, 0xF7);

} // namespace

TEST(ZunoEmblemTone, WhiteGlassAndFlatLight)
{
    const ZunoEmblemTone &glass = ZunoEmblemTone::whiteGlass();
    EXPECT_TRUE(glass.isWhiteGlass());
    EXPECT_NEAR(glass.primaryColor().alphaF(), 0.98, 1e-4);
    EXPECT_NEAR(glass.accentColor().alphaF(), 0.72, 1e-4);
    EXPECT_EQ(glass.primaryColor().rgb(), kWhite.rgb());
    EXPECT_EQ(glass.accentColor().rgb(), kWhite.rgb());
    EXPECT_EQ(&ZunoEmblemTone::whiteGlass(), &glass);

    const ZunoEmblemTone flat = ZunoEmblemTone::flatLight(kFlatPrimary, kFlatAccent);
    EXPECT_FALSE(flat.isWhiteGlass());
    EXPECT_EQ(flat.primaryColor(), kFlatPrimary);
    EXPECT_EQ(flat.accentColor(), kFlatAccent);
}

TEST(ZunoEmblemTone, PaintTable)
{
    const ZunoEmblemTone &glass = ZunoEmblemTone::whiteGlass();
    const ZunoEmblemTone flat = ZunoEmblemTone::flatLight(kFlatPrimary, kFlatAccent);
    const std::vector<PaintRow> rows = {
        { "primary", &ZunoEmblemTone::primary, colorOf(kWhite, 0.98f), colorOf(kFlatPrimary, 1) },
        { "accent", &ZunoEmblemTone::accent, colorOf(kWhite, 0.72f), colorOf(kFlatAccent, 1) },
        // Alpha is replaced, not multiplied: white glass gives 0.46, not 0.98 x 0.46.
        { "mid", &ZunoEmblemTone::mid, colorOf(kWhite, 0.46f), colorOf(kFlatPrimary, 0.46f) },
        { "soft", &ZunoEmblemTone::soft, colorOf(kWhite, 0.16f), colorOf(kFlatPrimary, 0.11f) },
        { "stroke", &ZunoEmblemTone::stroke, colorOf(kWhite, 0.42f), colorOf(kFlatPrimary, 0.28f) },
        { "primaryAlpha(0.3)", [](const ZunoEmblemTone &t) { return t.primaryAlpha(0.3); },
            colorOf(kWhite, 0.3f), colorOf(kFlatPrimary, 0.3f) },
        { "accentAlpha(0.5)", [](const ZunoEmblemTone &t) { return t.accentAlpha(0.5); },
            colorOf(kWhite, 0.5f), colorOf(kFlatAccent, 0.5f) },
        { "onPrimaryAccent", &ZunoEmblemTone::onPrimaryAccent, cutOf(0.86f), colorOf(kFlatAccent, 1) },
        { "cutout(0.4)", [](const ZunoEmblemTone &t) { return t.cutout(0.4); }, cutOf(0.55f),
            colorOf(kPale, 0.4f) },
        { "cutout(0.5)", [](const ZunoEmblemTone &t) { return t.cutout(0.5); }, cutOf(0.575f),
            colorOf(kPale, 0.5f) },
        { "cutout(0.7)", [](const ZunoEmblemTone &t) { return t.cutout(0.7); }, cutOf(0.805f),
            colorOf(kPale, 0.7f) },
        { "cutout(0.9)", [](const ZunoEmblemTone &t) { return t.cutout(0.9); }, cutOf(1),
            colorOf(kPale, 0.9f) },
        { "cutout(1)", [](const ZunoEmblemTone &t) { return t.cutout(1); }, cutOf(1), colorOf(kPale, 1) },
    };
    for (const PaintRow &row : rows) {
        expectPaint(row.paint(glass), row.glass, std::string(row.name) + " on white glass");
        expectPaint(row.paint(flat), row.flat, std::string(row.name) + " on a flat tone");
    }
}

TEST(ZunoEmblemTone, AlphaCopyKeepsTheColourWhenNoneCanBeMade)
{
    const QColor translucent = QColor::fromRgbF(0.1f, 0.2f, 0.3f, 0.5f);
    EXPECT_NEAR(ZunoEmblemTone::withAlpha(translucent, 0.9).alphaF(), 0.9, 1e-4);
    EXPECT_EQ(ZunoEmblemTone::withAlpha(translucent, std::numeric_limits<qreal>::quiet_NaN()), translucent);
    EXPECT_FALSE(ZunoEmblemTone::withAlpha(QColor(), 0.5).isValid());
    EXPECT_EQ(ZunoEmblemTone::flatCutoutColor(1).rgba(), qRgba(0xEE, 0xF1, 0xF7, 0xFF));
}
