#include "ZunoFlatDraw.h"
#include "EmblemProbe.h"
#include "ZunoEmblemArtworkMedia.h"
#include "ZunoEmblemRenderer.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <numbers>
#include <string>

using namespace EmblemProbe;

namespace {

// A 400-pixel canvas where one design unit is four pixels, starting transparent.
constexpr int kSide = 400;

QImage canvas(const std::function<void(QPainter &)> &draw)
{
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(kSide / 100.0, kSide / 100.0);
    draw(painter);
    painter.end();
    return image;
}

QColor at(const QImage &image, qreal x, qreal y)
{
    return image.pixelColor(static_cast<int>(x * kSide / 100), static_cast<int>(y * kSide / 100));
}

struct PainterState {
    QPainter::CompositionMode mode;
    QPen pen;
    QBrush brush;
    QTransform transform;
    qreal opacity;
    QPainter::RenderHints hints;
    bool clipping;

    explicit PainterState(const QPainter &p)
        : mode(p.compositionMode())
        , pen(p.pen())
        , brush(p.brush())
        , transform(p.transform())
        , opacity(p.opacity())
        , hints(p.renderHints())
        , clipping(p.hasClipping())
    {
    }
    bool operator==(const PainterState &o) const
    {
        return mode == o.mode && pen == o.pen && brush == o.brush && transform == o.transform
            && opacity == o.opacity && hints == o.hints && clipping == o.clipping;
    }
};

const ZunoEmblemTone &glass()
{
    return ZunoEmblemTone::whiteGlass();
}
const ZunoEmblemTone kFlat = ZunoEmblemTone::flatLight(QColor(40, 70, 160), QColor(250, 140, 20));

} // namespace

TEST(ZunoFlatDraw, EveryElementRestoresThePainter)
{
    const QPainterPath path = ZunoFlatDraw::roundedRect(QRectF(30, 30, 40, 40), 6);
    const QRectF box(35, 35, 30, 30);
    const std::vector<std::pair<std::string, std::function<void(QPainter &)>>> elements = {
        { "fill colour", [&](QPainter &p) { ZunoFlatDraw::fillPath(p, path, glass().primary()); } },
        { "fill cut-out", [&](QPainter &p) { ZunoFlatDraw::fillPath(p, path, glass().cutout(1)); } },
        { "stroke colour", [&](QPainter &p) { ZunoFlatDraw::strokePath(p, path, kFlat.stroke(), 3); } },
        { "stroke cut-out", [&](QPainter &p) { ZunoFlatDraw::strokePath(p, path, glass().cutout(0.5), 3); } },
        { "ellipse fill cut-out",
            [&](QPainter &p) { ZunoFlatDraw::fillEllipse(p, box, glass().onPrimaryAccent()); } },
        { "ellipse stroke", [&](QPainter &p) { ZunoFlatDraw::strokeEllipse(p, box, kFlat.accent(), 2.5); } },
        { "display frame", [](QPainter &p) { ZunoFlatDraw::displayFrame(p, glass()); } },
        { "folded sheet", [](QPainter &p) { ZunoFlatDraw::foldedSheet(p, glass()); } },
        { "split shield", [](QPainter &p) { ZunoFlatDraw::splitShield(p, kFlat); } },
        { "zunoCam", [](QPainter &p) { ZunoEmblemArtworkMedia::drawZunoCam(p, glass()); } },
    };
    for (const auto &[name, draw] : elements) {
        SCOPED_TRACE(name);
        canvas([&](QPainter &p) {
            // A state unlike every element's own.
            p.setCompositionMode(QPainter::CompositionMode_Plus);
            p.setPen(QPen(Qt::green, 7, Qt::DashLine, Qt::FlatCap, Qt::MiterJoin));
            p.setBrush(QBrush(Qt::red, Qt::Dense4Pattern));
            p.setOpacity(0.9);
            const PainterState before(p);
            draw(p);
            EXPECT_TRUE(PainterState(p) == before);
        });
    }
}

TEST(ZunoFlatDraw, ACallersCompositionModeNeverReachesTheEmblem)
{
    // Painting in Source mode would replace what lies under each translucent element instead of
    // blending over it; every emblem must come out as it does in the normal mode.
    for (const ZunoEmblemTone &tone : { glass(), kFlat }) {
        for (ZunoAppIdentity app : ZunoAppIdentities::allCases()) {
            SCOPED_TRACE(ZunoAppIdentities::caseName(app).toStdString());
            const QImage normal
                = canvas([&](QPainter &p) { ZunoEmblemRenderer::drawFlatEmblem(app, p, tone); });
            const QImage fromSource = canvas([&](QPainter &p) {
                p.setCompositionMode(QPainter::CompositionMode_Source);
                ZunoEmblemRenderer::drawFlatEmblem(app, p, tone);
                EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_Source);
            });
            ASSERT_EQ(fromSource, normal);
        }
    }
}

TEST(ZunoFlatDraw, CutOutsEraseTheirStrength)
{
    const QRectF hole(40, 40, 20, 20);
    struct Row {
        qreal strength;
        int alpha;
    };
    // Destination-out keeps (1 - s) of what is there.
    for (const Row &row : { Row { 1, 0 }, Row { 0.55, 115 }, Row { 0.86, 36 } }) {
        SCOPED_TRACE(row.strength);
        const QImage image = canvas([&](QPainter &p) {
            ZunoFlatDraw::fillPath(
                p, ZunoFlatDraw::roundedRect(QRectF(20, 20, 60, 60), 0), ZunoFlatPaint::color(Qt::white));
            ZunoFlatDraw::fillEllipse(p, hole, ZunoFlatPaint::cutout(row.strength));
        });
        EXPECT_NEAR(at(image, 50, 50).alpha(), row.alpha, 1);
        EXPECT_EQ(at(image, 25, 25).alpha(), 255);
    }
    // On an empty canvas a cut-out has nothing to erase; on a flat tone the same paint draws pale.
    const QImage empty = canvas([&](QPainter &p) { ZunoFlatDraw::fillEllipse(p, hole, glass().cutout(1)); });
    EXPECT_EQ(empty.pixel(200, 200), 0u);
    const QImage pale = canvas([&](QPainter &p) { ZunoFlatDraw::fillEllipse(p, hole, kFlat.cutout(0.4)); });
    EXPECT_NEAR(at(pale, 50, 50).alpha(), 102, 1);
    const QColor paleColor = at(pale, 50, 50);
    EXPECT_NEAR(paleColor.red(), 0xEE, 2);
    EXPECT_NEAR(paleColor.green(), 0xF1, 2);
    EXPECT_NEAR(paleColor.blue(), 0xF7, 2);
}

TEST(ZunoFlatDraw, FillsWithTheWindingRule)
{
    // Two nested squares turning the same way: non-zero winding fills the inner one too.
    QPainterPath nested;
    nested.addRect(QRectF(20, 20, 60, 60));
    nested.addRect(QRectF(40, 40, 20, 20));
    const QImage image = canvas([&](QPainter &p) { ZunoFlatDraw::fillPath(p, nested, kFlat.primary()); });
    EXPECT_EQ(at(image, 50, 50).alpha(), 255);
    EXPECT_EQ(at(image, 30, 30).alpha(), 255);
}

TEST(ZunoFlatDraw, StrokesHaveRoundCapsAndJoins)
{
    const QImage line = canvas([](QPainter &p) {
        ZunoFlatDraw::strokePath(
            p, ZunoFlatDraw::polyline({ { 30, 50 }, { 60, 50 } }, false), kFlat.primary(), 10);
    });
    EXPECT_EQ(at(line, 63, 50).alpha(), 255); // a flat cap ends at 60
    EXPECT_EQ(at(line, 63.5, 54.3).alpha(), 0); // a square cap covers this corner

    const QImage corner = canvas([](QPainter &p) {
        ZunoFlatDraw::strokePath(
            p, ZunoFlatDraw::polyline({ { 30, 70 }, { 50, 30 }, { 70, 70 } }, false), kFlat.primary(), 8);
    });
    EXPECT_EQ(at(corner, 50, 26.8).alpha(), 255); // a bevel ends below this
    EXPECT_EQ(at(corner, 50, 24).alpha(), 0); // a mitre reaches above this
}

TEST(ZunoFlatDraw, ArcsTurnTowardsGrowingAngles)
{
    const QPointF centre(50, 50);
    auto arc = [&](qreal from, qreal to) {
        return canvas([&](QPainter &p) {
            QPainterPath path;
            ZunoFlatDraw::addArc(path, centre, 20, from, to);
            ZunoFlatDraw::strokePath(p, path, kFlat.primary(), 3);
        });
    };
    const qreal quarter = std::numbers::pi / 2;
    const QImage down = arc(0, quarter);
    // y grows downwards: from the right-hand point towards the bottom, clockwise on screen.
    EXPECT_GT(at(down, 64.14, 64.14).alpha(), 200);
    EXPECT_EQ(at(down, 64.14, 35.86).alpha(), 0);
    EXPECT_EQ(at(down, 30, 50).alpha(), 0);
    // An end before the start goes the long way round.
    const QImage around = arc(0, -quarter);
    EXPECT_GT(at(around, 30, 50).alpha(), 200);
    EXPECT_GT(at(around, 50, 70).alpha(), 200);
    EXPECT_EQ(at(around, 64.14, 35.86).alpha(), 0);
}

TEST(ZunoFlatDraw, PolarPointsMatchTheApertureSlits)
{
    const QPointF c(50, 50);
    const QPointF expected[6][2]
        = { { { 60.5, 50 }, { 67.063, 68.950 } }, { { 55.25, 59.093 }, { 42.120, 74.252 } },
              { { 44.75, 59.093 }, { 25.057, 55.302 } }, { { 39.5, 50 }, { 32.937, 31.050 } },
              { { 44.75, 40.907 }, { 57.880, 25.748 } }, { { 55.25, 40.907 }, { 74.943, 44.698 } } };
    for (int i = 0; i < 6; ++i) {
        const QPointF from = ZunoFlatDraw::polar(c, 10.5, 60.0 * i);
        const QPointF to = ZunoFlatDraw::polar(c, 25.5, 60.0 * i + 48);
        EXPECT_NEAR(from.x(), expected[i][0].x(), 5e-4) << i;
        EXPECT_NEAR(from.y(), expected[i][0].y(), 5e-4) << i;
        EXPECT_NEAR(to.x(), expected[i][1].x(), 5e-4) << i;
        EXPECT_NEAR(to.y(), expected[i][1].y(), 5e-4) << i;
    }
}

TEST(ZunoFlatDraw, SharedShapes)
{
    const QImage sheet = canvas([](QPainter &p) { ZunoFlatDraw::foldedSheet(p, glass()); });
    EXPECT_EQ(at(sheet, 40, 50).alpha(), 250);
    EXPECT_NEAR(at(sheet, 58, 33).alpha(), 112, 1); // the fold keeps 45 % of the sheet
    EXPECT_EQ(at(sheet, 70, 25).alpha(), 0); // the corner above the fold is cut away
    const QImage flatSheet = canvas([](QPainter &p) { ZunoFlatDraw::foldedSheet(p, kFlat); });
    EXPECT_EQ(at(flatSheet, 58, 33), kFlat.accentColor());

    const QImage shield = canvas([](QPainter &p) { ZunoFlatDraw::splitShield(p, glass()); });
    EXPECT_EQ(at(shield, 40, 40).alpha(), 250);
    EXPECT_NEAR(at(shield, 60, 40).alpha(), 117, 1);
    EXPECT_EQ(at(shield, 50, 40).alpha(), 0); // the gap down the middle
    EXPECT_EQ(at(shield, 40, 74).alpha(), 0); // the halves narrow to a point at the bottom

    const QImage frame = canvas([](QPainter &p) { ZunoFlatDraw::displayFrame(p, kFlat); });
    EXPECT_NEAR(at(frame, 50, 45).alpha(), 28, 1); // soft screen, 0.11 on a flat tone
    EXPECT_EQ(at(frame, 20.2, 45), kFlat.primaryColor()); // the screen's border
    EXPECT_EQ(at(frame, 50, 67).alpha(), 0);
    EXPECT_NEAR(at(frame, 50, 72.3).alpha(), 209, 1); // the stand at 0.82
}

TEST(ZunoFlatDraw, DerivedShades)
{
    struct Row {
        const char *name;
        const ZunoFlatDraw::ShadeScheme &scheme;
        QColor primary;
        std::array<qreal, 3> first; // red, green, blue out of 255
        std::array<qreal, 3> second;
    };
    // 16-bit grey levels whose luma sits on either side of 0.72.
    const QColor atThreshold = QColor::fromRgba64(47185, 47185, 47185);
    const QColor aboveThreshold = QColor::fromRgba64(47186, 47186, 47186);
    const Row rows[] = {
        { "mixed with the pale colour", ZunoFlatDraw::kBoxShades, QColor(0x2B, 0x4C, 0xB8),
            { 121.0, 142.0, 209.2 }, { 156.1, 171.7, 220.54 } },
        { "the frame's own proportions", ZunoFlatDraw::kFrameShades, QColor(0x2B, 0x4C, 0xB8),
            { 85.9, 112.3, 197.86 }, { 140.5, 158.5, 215.5 } },
        { "near white takes the fixed pair", ZunoFlatDraw::kBoxShades, QColor(0xD8, 0xE4, 0xF0),
            { 95, 134, 194 }, { 66, 98, 150 } },
        { "the frame's fixed pair", ZunoFlatDraw::kFrameShades, QColor(0xD8, 0xE4, 0xF0), { 120, 132, 156 },
            { 80, 92, 118 } },
        { "luma 0.72 still mixes", ZunoFlatDraw::kBoxShades, atThreshold,
            { 0.6 * 183.6 + 0.4 * 238, 0.6 * 183.6 + 0.4 * 241, 0.6 * 183.6 + 0.4 * 247 },
            { 0.42 * 183.6 + 0.58 * 238, 0.42 * 183.6 + 0.58 * 241, 0.42 * 183.6 + 0.58 * 247 } },
        { "just above 0.72 is fixed", ZunoFlatDraw::kBoxShades, aboveThreshold, { 95, 134, 194 },
            { 66, 98, 150 } },
        { "an invalid colour mixes the dark blue", ZunoFlatDraw::kBoxShades, QColor(),
            { 121.21, 128.53, 181.42 }, { 156.25, 162.27, 201.09 } },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto [first, second]
            = ZunoFlatDraw::derivedShades(row.scheme, ZunoEmblemTone::flatLight(row.primary, Qt::red));
        for (const auto &[paint, expected] : { std::pair { first, row.first }, { second, row.second } }) {
            ASSERT_EQ(paint.kind(), ZunoFlatPaint::Kind::color);
            const QColor c = paint.colorValue();
            EXPECT_NEAR(c.redF() * 255, expected[0], 0.03);
            EXPECT_NEAR(c.greenF() * 255, expected[1], 0.03);
            EXPECT_NEAR(c.blueF() * 255, expected[2], 0.03);
            EXPECT_EQ(c.alphaF(), 1) << "opaque on a flat tone";
        }
    }
    // White glass: the primary at 0.46 and 0.28, whatever the scheme.
    for (const auto *scheme : { &ZunoFlatDraw::kBoxShades, &ZunoFlatDraw::kFrameShades }) {
        const auto [first, second] = ZunoFlatDraw::derivedShades(*scheme, glass());
        EXPECT_EQ(first, glass().primaryAlpha(0.46));
        EXPECT_EQ(second, glass().primaryAlpha(0.28));
    }
}
