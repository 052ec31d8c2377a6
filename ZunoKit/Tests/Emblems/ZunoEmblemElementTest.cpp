#include "ZunoEmblemElement.h"

#include "ZunoFlatDraw.h"

#include <gtest/gtest.h>

#include <numbers>

using namespace ZunoEmblemElement;

namespace {

const ZunoEmblemTone kFlat = ZunoEmblemTone::flatLight(QColor(40, 70, 160), QColor(250, 140, 20));

} // namespace

TEST(ZunoEmblemElement, PaintRolesResolveToTheTonesPaints)
{
    struct Row {
        const char *name;
        Paint role;
        std::function<ZunoFlatPaint(const ZunoEmblemTone &)> expected;
    };
    const Row rows[] = {
        { "primary", paint::primary, [](const ZunoEmblemTone &t) { return t.primary(); } },
        { "accent", paint::accent, [](const ZunoEmblemTone &t) { return t.accent(); } },
        { "mid", paint::mid, [](const ZunoEmblemTone &t) { return t.mid(); } },
        { "soft", paint::soft, [](const ZunoEmblemTone &t) { return t.soft(); } },
        { "stroke", paint::stroke, [](const ZunoEmblemTone &t) { return t.stroke(); } },
        { "primaryAlpha", paint::primaryAlpha(0.3f),
            [](const ZunoEmblemTone &t) { return t.primaryAlpha(0.3f); } },
        { "accentAlpha", paint::accentAlpha(0.6f),
            [](const ZunoEmblemTone &t) { return t.accentAlpha(0.6f); } },
        { "onPrimaryAccent", paint::onPrimaryAccent,
            [](const ZunoEmblemTone &t) { return t.onPrimaryAccent(); } },
        { "cutout", paint::cutout(0.42f), [](const ZunoEmblemTone &t) { return t.cutout(0.42f); } },
        { "firstShade", paint::firstShade(ZunoFlatDraw::kBoxShades),
            [](const ZunoEmblemTone &t) {
                return ZunoFlatDraw::derivedShades(ZunoFlatDraw::kBoxShades, t).first;
            } },
        { "secondShade", paint::secondShade(ZunoFlatDraw::kFrameShades),
            [](const ZunoEmblemTone &t) {
                return ZunoFlatDraw::derivedShades(ZunoFlatDraw::kFrameShades, t).second;
            } },
    };
    for (const Row &row : rows) {
        for (const ZunoEmblemTone &tone : { ZunoEmblemTone::whiteGlass(), kFlat })
            EXPECT_EQ(resolve(row.role, tone), row.expected(tone)) << row.name << " " << tone.isWhiteGlass();
    }
}

TEST(ZunoEmblemElement, DirectCutoutsEraseOnlyOnWhiteGlass)
{
    const Paint pale = paint::directCutout(0.7f, FlatStandIn::pale);
    const Paint accent = paint::directCutout(0.55f, FlatStandIn::accent);
    EXPECT_EQ(resolve(pale, ZunoEmblemTone::whiteGlass()), ZunoFlatPaint::cutout(0.7f));
    EXPECT_EQ(resolve(accent, ZunoEmblemTone::whiteGlass()), ZunoFlatPaint::cutout(0.55f));
    // On a flat tone the emblem sits on its caller's background: it paints instead of erasing.
    EXPECT_EQ(resolve(pale, kFlat), ZunoFlatPaint::color(ZunoEmblemTone::flatCutoutColor(0.7f)));
    EXPECT_EQ(resolve(accent, kFlat), kFlat.accent());
}

TEST(ZunoEmblemElement, PathsFollowTheirSteps)
{
    // Arcs are given in whole degrees and drawn like ZunoFlatDraw::addArc in radians.
    const Shape shape
        = path({ M(30, 50), L(40, 50), A(50, 50, 10, 180, 270), C(60, 45, 65, 50, 70, 60), Z() });
    QPainterPath expected(QPointF(30, 50));
    expected.lineTo(40, 50);
    ZunoFlatDraw::addArc(expected, QPointF(50, 50), 10, std::numbers::pi, 1.5 * std::numbers::pi);
    expected.cubicTo(60, 45, 65, 50, 70, 60);
    expected.closeSubpath();
    EXPECT_EQ(toPath(shape), expected);
    // The arc ends at the top of its circle: growing angles turn clockwise on screen.
    EXPECT_NEAR(toPath(path({ A(50, 50, 10, 180, 270) })).currentPosition().y(), 40, 1e-4);

    EXPECT_EQ(toPath(roundedRect(20, 30, 40, 20, 6)), ZunoFlatDraw::roundedRect(QRectF(20, 30, 40, 20), 6));
    EXPECT_EQ(toPath(ellipse(20, 30, 40, 20)).boundingRect(), QRectF(20, 30, 40, 20));
}
