// Hex colours, the nine product palettes and the glass tokens.
#include "ZunoGlassTokens.h"
#include "ZunoHexColor.h"
#include "ZunoProductPalette.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

namespace {

void expectColor(const QColor &color, int r, int g, int b, double opacity)
{
    EXPECT_TRUE(color.isValid());
    EXPECT_EQ(color.spec(), QColor::Rgb);
    EXPECT_EQ(color.red(), r);
    EXPECT_EQ(color.green(), g);
    EXPECT_EQ(color.blue(), b);
    EXPECT_NEAR(color.alphaF(), opacity, 1.0 / 65535);
}

void expectHex(const QColor &color, quint32 hex)
{
    expectColor(color, hex >> 16, (hex >> 8) & 0xFF, hex & 0xFF, 1);
}

} // namespace

TEST(ZunoHexColor, ReadsRedGreenBlueBytesAndIgnoresTheTopByte)
{
    expectColor(zunoColorFromHex(0x000000, 1), 0, 0, 0, 1);
    expectColor(zunoColorFromHex(0xFFFFFF, 1), 255, 255, 255, 1);
    expectColor(zunoColorFromHex(0x6E1F63, 0.5), 0x6E, 0x1F, 0x63, 0.5);
    for (quint32 top : { 0x01u, 0x7Fu, 0xFFu })
        EXPECT_EQ(zunoColorFromHex((top << 24) | 0x3EE6A8, 0.3), zunoColorFromHex(0x3EE6A8, 0.3)) << top;
    // Each channel is the byte over 255.
    EXPECT_DOUBLE_EQ(zunoColorFromHex(0x6E1F63).redF(), static_cast<float>(110 / 255.0));
}

TEST(ZunoProductPalette, AllCasesInDeclarationOrderWithTheirRawValues)
{
    const auto &all = ZunoProductPalettes::allCases();
    ASSERT_EQ(all.size(), 9u);
    const char *names[] = { "deepViolet", "deepCrimson", "deepAmber", "deepEmerald", "deepCobalt",
        "deepIndigo", "deepAbyss", "deepCoral", "deepCyan" };
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(rawValue(all[i]), QLatin1String(names[i]));
        EXPECT_EQ(ZunoProductPalettes::fromRawValue(QLatin1String(names[i])), all[i]);
    }
    EXPECT_EQ(all.front(), ZunoProductPalette::deepViolet);
    EXPECT_EQ(all.back(), ZunoProductPalette::deepCyan);
}

TEST(ZunoProductPalette, RawValuesMatchExactly)
{
    EXPECT_EQ(ZunoProductPalettes::fromRawValue(QStringLiteral("deepCoral")), ZunoProductPalette::deepCoral);
    for (const char *wrong : { "DeepCoral", "deepcoral", "deepCor", "coral", "deep", "", " deepCoral" })
        EXPECT_FALSE(ZunoProductPalettes::fromRawValue(QLatin1String(wrong))) << wrong;
}

TEST(ZunoProductPalette, JsonIsTheRawValueString)
{
    EXPECT_EQ(nlohmann::json(ZunoProductPalette::deepAbyss), nlohmann::json("deepAbyss"));
    EXPECT_EQ(nlohmann::json("deepAbyss").get<ZunoProductPalette>(), ZunoProductPalette::deepAbyss);
    for (const auto &palette : ZunoProductPalettes::allCases())
        EXPECT_EQ(nlohmann::json(palette).get<ZunoProductPalette>(), palette);
    EXPECT_THROW(nlohmann::json("DeepAbyss").get<ZunoProductPalette>(), nlohmann::json::exception);
    EXPECT_THROW(nlohmann::json(7).get<ZunoProductPalette>(), nlohmann::json::exception);
}

struct PaletteCase {
    ZunoProductPalette palette;
    quint32 topLeft, middle, bottomRight, accent;
    std::array<ZunoRgbStop, 3> rgb;
};

void PrintTo(const PaletteCase &c, std::ostream *os)
{
    *os << rawValue(c.palette).toStdString();
}

class ZunoPaletteColours : public testing::TestWithParam<PaletteCase> { };

TEST_P(ZunoPaletteColours, GroundAccentAndDecimalStops)
{
    const PaletteCase &c = GetParam();
    const ZunoGroundStops stops = ZunoProductPalettes::groundStops(c.palette);
    expectHex(stops.topLeft, c.topLeft);
    expectHex(stops.middle, c.middle);
    expectHex(stops.bottomRight, c.bottomRight);
    expectHex(ZunoProductPalettes::accentColor(c.palette), c.accent);
    const auto rgb = ZunoProductPalettes::rgbStops(c.palette);
    EXPECT_EQ(rgb, c.rgb);
    // The decimal stops are the ground colours to three decimals, not recomputed from the bytes.
    const quint32 hexes[] = { c.topLeft, c.middle, c.bottomRight };
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(rgb[i].r, (hexes[i] >> 16) / 255.0, 0.0005);
        EXPECT_NEAR(rgb[i].g, ((hexes[i] >> 8) & 0xFF) / 255.0, 0.0005);
        EXPECT_NEAR(rgb[i].b, (hexes[i] & 0xFF) / 255.0, 0.0005);
    }
}

INSTANTIATE_TEST_SUITE_P(AllPalettes, ZunoPaletteColours,
    testing::Values(PaletteCase { ZunoProductPalette::deepViolet, 0x462A7D, 0x311F59, 0x1D133B, 0xA98BFF,
                        { { { 0.275, 0.165, 0.49 }, { 0.192, 0.122, 0.349 }, { 0.114, 0.075, 0.231 } } } },
        PaletteCase { ZunoProductPalette::deepCrimson, 0x7A2248, 0x4A1634, 0x240D1D, 0xFF6B9D,
            { { { 0.478, 0.133, 0.282 }, { 0.29, 0.086, 0.204 }, { 0.141, 0.051, 0.114 } } } },
        PaletteCase { ZunoProductPalette::deepAmber, 0x783C1E, 0x4A2515, 0x24130C, 0xFFA95C,
            { { { 0.471, 0.235, 0.118 }, { 0.29, 0.145, 0.082 }, { 0.141, 0.075, 0.047 } } } },
        PaletteCase { ZunoProductPalette::deepEmerald, 0x156256, 0x103F3D, 0x0B2124, 0x47E6C1,
            { { { 0.082, 0.384, 0.337 }, { 0.063, 0.247, 0.239 }, { 0.043, 0.129, 0.141 } } } },
        PaletteCase { ZunoProductPalette::deepCobalt, 0x1D4E89, 0x16335E, 0x0D1C38, 0x5CC4FF,
            { { { 0.114, 0.306, 0.537 }, { 0.086, 0.2, 0.369 }, { 0.051, 0.11, 0.22 } } } },
        PaletteCase { ZunoProductPalette::deepIndigo, 0x24347A, 0x182356, 0x0D1433, 0x7CA4FF,
            { { { 0.141, 0.204, 0.478 }, { 0.094, 0.137, 0.337 }, { 0.051, 0.078, 0.2 } } } },
        PaletteCase { ZunoProductPalette::deepAbyss, 0x1F4A5C, 0x153445, 0x0C1F2B, 0x66D9EF,
            { { { 0.122, 0.29, 0.361 }, { 0.082, 0.204, 0.271 }, { 0.047, 0.122, 0.169 } } } },
        PaletteCase { ZunoProductPalette::deepCoral, 0x6E1F63, 0x471645, 0x240B26, 0xF472D0,
            { { { 0.431, 0.122, 0.388 }, { 0.278, 0.086, 0.271 }, { 0.141, 0.043, 0.149 } } } },
        PaletteCase { ZunoProductPalette::deepCyan, 0x0D5668, 0x0B3A4A, 0x07202B, 0x38E8FF,
            { { { 0.051, 0.337, 0.408 }, { 0.043, 0.227, 0.29 }, { 0.027, 0.125, 0.169 } } } }),
    [](const testing::TestParamInfo<PaletteCase> &info) {
        return rawValue(info.param.palette).toStdString();
    });

TEST(ZunoProductPalette, DeepCoralDecimalStopIsNotTheHexStop)
{
    const auto rgb = ZunoProductPalettes::rgbStops(ZunoProductPalette::deepCoral);
    EXPECT_EQ(rgb[0], (ZunoRgbStop { 0.431, 0.122, 0.388 }));
    const QColor topLeft = ZunoProductPalettes::groundStops(ZunoProductPalette::deepCoral).topLeft;
    EXPECT_NE(rgb[0].r, 110 / 255.0);
    EXPECT_NE(rgb[0].g, 31 / 255.0);
    EXPECT_EQ(topLeft.red(), 110);
    EXPECT_EQ(topLeft.green(), 31);
    EXPECT_EQ(topLeft.blue(), 99);
}

TEST(ZunoGlassTokens, WhitesAtTheirOpacitiesAndOpaqueStatusColours)
{
    const struct {
        const char *name;
        const QColor &color;
        double opacity;
    } whites[] = {
        { "surface1", ZunoGlassTokens::surface1(), 0.06 },
        { "surface2", ZunoGlassTokens::surface2(), 0.10 },
        { "surface3", ZunoGlassTokens::surface3(), 0.16 },
        { "borderSubtle", ZunoGlassTokens::borderSubtle(), 0.14 },
        { "borderStrong", ZunoGlassTokens::borderStrong(), 0.28 },
        { "textPrimary", ZunoGlassTokens::textPrimary(), 0.96 },
        { "textSecondary", ZunoGlassTokens::textSecondary(), 0.72 },
        { "textMuted", ZunoGlassTokens::textMuted(), 0.50 },
    };
    for (const auto &w : whites) {
        SCOPED_TRACE(w.name);
        expectColor(w.color, 255, 255, 255, w.opacity);
    }
    expectHex(ZunoGlassTokens::success(), 0x3EE6A8);
    expectHex(ZunoGlassTokens::warning(), 0xFFB84D);
    expectHex(ZunoGlassTokens::danger(), 0xFF647C);
    expectHex(ZunoGlassTokens::accentViolet(), 0xA98BFF);
    expectHex(ZunoGlassTokens::accentCyan(), 0x38E8FF);
    EXPECT_EQ(
        ZunoGlassTokens::accentViolet(), ZunoProductPalettes::accentColor(ZunoProductPalette::deepViolet));
    EXPECT_EQ(ZunoGlassTokens::accentCyan(), ZunoProductPalettes::accentColor(ZunoProductPalette::deepCyan));
}
