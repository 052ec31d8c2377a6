// The rules every emblem of the family keeps, checked on what each one draws (recorded primitives)
// and on its pixels.

#include "EmblemProbe.h"
#include "EmblemRecorder.h"
#include "ZunoEmblemArtworkProductivity.h"
#include "ZunoEmblemArtworkSystemNet.h"
#include "ZunoEmblemRenderer.h"
#include "ZunoFlatDraw.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

using namespace EmblemProbe;

namespace {

struct GroupRule {
    int first;
    int last;
    int minElements;
    int maxElements;
};

constexpr GroupRule kProductivity { 0, 30, 3, 16 };
constexpr GroupRule kMedia { 31, 48, 2, 11 };
constexpr GroupRule kSystemNet { 49, 81, 3, 12 };

const GroupRule &groupOf(ZunoAppIdentity app)
{
    const int index = indexOf(app);
    return index <= kProductivity.last ? kProductivity : index <= kMedia.last ? kMedia : kSystemNet;
}

const QColor kPrimary(0x2B, 0x4C, 0xB8);
const QColor kAccent(0xF5, 0x8A, 0x1F);
const QColor kPale(0xEE, 0xF1, 0xF7);
const ZunoEmblemTone kFlat = ZunoEmblemTone::flatLight(kPrimary, kAccent);

// The edges of what the renderer's bitmap shows, in design units.
constexpr qreal kShownLow = 15.91;
constexpr qreal kShownHigh = 84.09;

QImage bitmap(ZunoAppIdentity app, int pixels)
{
    return ZunoEmblemRenderer::image(app, pixels, 1, false).bitmap;
}

QImage flatOverGrey(ZunoAppIdentity app, int pixels)
{
    return renderDesign(
        pixels, [&](QPainter &p) { ZunoEmblemRenderer::drawFlatEmblem(app, p, kFlat); },
        QColor(0x80, 0x80, 0x80));
}

// Mean absolute difference of alpha (0...1) between two bitmaps of one size.
qreal alphaDistance(const QImage &a, const QImage &b)
{
    qreal sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y)));
    return sum / 255 / (a.width() * a.height());
}

// Share of pixels at least half opaque.
qreal solidShare(const QImage &image)
{
    int solid = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            solid += qAlpha(image.pixel(x, y)) >= 128;
    return qreal(solid) / (image.width() * image.height());
}

bool alphaIsAllowed(qreal alpha)
{
    // The tone's fixed alphas (primary, accent, mid, stroke, the flat stroke, soft) and the range
    // artwork may pick from.
    for (qreal fixed : { 0.98, 0.72, 0.46, 0.42, 0.28, 0.16 })
        if (std::abs(alpha - fixed) < 0.002)
            return true;
    return alpha >= 0.24 - 0.002 && alpha <= 0.95 + 0.002;
}

// The two emblems with shaded side faces, and their schemes.
const ZunoFlatDraw::ShadeScheme *shadeSchemeOf(ZunoAppIdentity app)
{
    if (app == ZunoAppIdentity::zunoDownloader)
        return &ZunoFlatDraw::kBoxShades;
    if (app == ZunoAppIdentity::zunoFrame)
        return &ZunoFlatDraw::kFrameShades;
    return nullptr;
}

std::string nameOf(ZunoAppIdentity app)
{
    return ZunoAppIdentities::caseName(app).toStdString();
}

} // namespace

void PrintTo(ZunoAppIdentity app, std::ostream *os)
{
    *os << nameOf(app);
}

namespace {

class ZunoEmblemFamily : public testing::TestWithParam<ZunoAppIdentity> { };

} // namespace

TEST_P(ZunoEmblemFamily, DrawsAndBelongsToExactlyOneGroup)
{
    const ZunoAppIdentity app = GetParam();
    const int index = indexOf(app);
    const auto glass = ZunoEmblemTone::whiteGlass();
    bool drawn = false;
    EXPECT_FALSE(recordDrawing([&](QPainter &p) {
        drawn = ZunoEmblemRenderer::drawFlatEmblem(app, p, glass);
    }).empty());
    EXPECT_TRUE(drawn);

    bool productivity = false;
    const auto byProductivity = recordDrawing(
        [&](QPainter &p) { productivity = ZunoEmblemArtworkProductivity::draw(app, p, glass); });
    bool systemNet = false;
    const auto bySystemNet
        = recordDrawing([&](QPainter &p) { systemNet = ZunoEmblemArtworkSystemNet::draw(app, p, glass); });
    EXPECT_EQ(productivity, index <= kProductivity.last);
    EXPECT_EQ(systemNet, index >= kSystemNet.first);
    // A group that does not own the case draws nothing at all.
    EXPECT_EQ(byProductivity.empty(), !productivity);
    EXPECT_EQ(bySystemNet.empty(), !systemNet);
}

TEST_P(ZunoEmblemFamily, HasTheElementsItsGroupAllows)
{
    const GroupRule &group = groupOf(GetParam());
    for (const ZunoEmblemTone &tone : { ZunoEmblemTone::whiteGlass(), kFlat }) {
        const auto primitives = recordEmblem(GetParam(), tone);
        EXPECT_GE(int(primitives.size()), group.minElements);
        EXPECT_LE(int(primitives.size()), group.maxElements);
        for (const RecordedPrimitive &primitive : primitives)
            EXPECT_NE(primitive.kind, RecordedPrimitive::Kind::other) << "only paths and ellipses";
    }
}

TEST_P(ZunoEmblemFamily, StrokesAndBlendingFollowTheFamily)
{
    for (const ZunoEmblemTone &tone : { ZunoEmblemTone::whiteGlass(), kFlat }) {
        SCOPED_TRACE(tone.isWhiteGlass() ? "white glass" : "flat");
        int element = 0;
        for (const RecordedPrimitive &primitive : recordEmblem(GetParam(), tone)) {
            SCOPED_TRACE(element++);
            EXPECT_TRUE(primitive.mode == QPainter::CompositionMode_SourceOver
                || (primitive.isCutout() && tone.isWhiteGlass()));
            EXPECT_EQ(primitive.opacity, 1);
            if (primitive.isStroke()) {
                EXPECT_GE(primitive.pen.widthF(), 1.6);
                EXPECT_LE(primitive.pen.widthF(), 11);
                EXPECT_EQ(primitive.pen.capStyle(), Qt::RoundCap);
                EXPECT_EQ(primitive.pen.joinStyle(), Qt::RoundJoin);
                EXPECT_EQ(primitive.brush.style(), Qt::NoBrush);
            } else {
                EXPECT_EQ(primitive.brush.style(), Qt::SolidPattern);
                if (primitive.kind == RecordedPrimitive::Kind::path) {
                    EXPECT_EQ(primitive.path.fillRule(), Qt::WindingFill);
                }
            }
        }
    }
}

TEST_P(ZunoEmblemFamily, WhiteGlassPaintsAreWhiteAtTheFamilysAlphas)
{
    int element = 0;
    for (const RecordedPrimitive &primitive : recordEmblem(GetParam(), ZunoEmblemTone::whiteGlass())) {
        SCOPED_TRACE(element++);
        const QColor color = primitive.color();
        if (primitive.isCutout()) {
            EXPECT_GE(color.alphaF(), 0.5 - 0.002) << "cut-out strength";
            EXPECT_LE(color.alphaF(), 1.0);
        } else {
            EXPECT_EQ(color.rgb(), qRgb(255, 255, 255));
            EXPECT_TRUE(alphaIsAllowed(color.alphaF())) << color.alphaF();
        }
    }
}

TEST_P(ZunoEmblemFamily, EveryCutoutCutsSomethingDrawnBefore)
{
    const auto primitives = recordEmblem(GetParam(), ZunoEmblemTone::whiteGlass());
    ASSERT_FALSE(primitives.empty());
    EXPECT_FALSE(primitives.front().isCutout());
    // Replayed in full, the recording is the renderer's picture: it saw everything drawn.
    const QImage whole = replay(primitives, 128);
    EXPECT_EQ(whole, bitmap(GetParam(), 128));
    for (int i = 0; i < int(primitives.size()); ++i) {
        if (primitives[i].isCutout()) {
            EXPECT_NE(replay(primitives, 128, i), whole) << "cut-out " << i << " erases nothing";
        }
    }
}

TEST_P(ZunoEmblemFamily, StaysInsideTheShownSquareAndIsCentred)
{
    int element = 0;
    for (const RecordedPrimitive &primitive : recordEmblem(GetParam(), ZunoEmblemTone::whiteGlass())) {
        const QRectF bounds = primitive.paintedBounds();
        EXPECT_TRUE(bounds.left() >= kShownLow && bounds.top() >= kShownLow && bounds.right() <= kShownHigh
            && bounds.bottom() <= kShownHigh)
            << "element " << element << " reaches " << bounds.left() << "," << bounds.top() << " to "
            << bounds.right() << "," << bounds.bottom();
        ++element;
    }

    constexpr int kPixels = 256;
    const QImage image = bitmap(GetParam(), kPixels);
    int left = kPixels, top = kPixels, right = -1, bottom = -1;
    for (int y = 0; y < kPixels; ++y) {
        for (int x = 0; x < kPixels; ++x) {
            if (qAlpha(image.pixel(x, y)) == 0)
                continue;
            EXPECT_TRUE(x >= 2 && y >= 2 && x < kPixels - 2 && y < kPixels - 2)
                << "edge pixel " << x << "," << y;
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
        }
    }
    ASSERT_GE(right, 0);
    // Calibrated on the studio's two: the aperture spans 52 units about (50, 50), the screen 58 x 50
    // about (50, 49.8); the shared sheet and shield span 46 x 56 and 46 x 53.
    const QPointF topLeft = toDesign(left, top, kPixels) - QPointF(0.5, 0.5) / designScale(kPixels);
    const QPointF bottomRight = toDesign(right, bottom, kPixels) + QPointF(0.5, 0.5) / designScale(kPixels);
    const QPointF centre = (topLeft + bottomRight) / 2;
    EXPECT_LE(std::abs(centre.x() - 50), 4) << centre.x();
    EXPECT_LE(std::abs(centre.y() - 50), 4) << centre.y();
    EXPECT_GE(std::max(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()), 44);
}

TEST_P(ZunoEmblemFamily, RendersAtEverySizeAndReadsAt24Pixels)
{
    for (int pixels : { 16, 24, 26, 64, 256 }) {
        const QImage image = bitmap(GetParam(), pixels);
        EXPECT_EQ(image.size(), QSize(pixels, pixels));
        EXPECT_GT(solidShare(image), 0) << pixels;
    }
    const auto png = ZunoEmblemRenderer::pngData(GetParam(), 8);
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(QImage::fromData(*png, "PNG").size(), QSize(8, 8));

    // At 24 pixels 0.32 of the aperture's bitmap is at least half opaque and 0.17 of the screen's.
    // A glyph below half the screen's share has thinned away; above 0.6 it is a blob (the aperture
    // without its slits and opening would be 0.46, a filled square of 56 units 0.67).
    const qreal share = solidShare(bitmap(GetParam(), 24));
    EXPECT_GE(share, 0.086);
    EXPECT_LE(share, 0.6);
}

TEST_P(ZunoEmblemFamily, FlatToneNeverErasesAndUsesOnlyTheToneColours)
{
    const QImage image = flatOverGrey(GetParam(), 96);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(qAlpha(image.pixel(x, y)), 255) << "a hole at " << x << "," << y;

    // Only the box and the frame add side faces, each in the two shades of its own scheme.
    std::vector<QRgb> allowed { kPrimary.rgb(), kAccent.rgb(), kPale.rgb() };
    std::vector<QRgb> shades;
    if (const ZunoFlatDraw::ShadeScheme *scheme = shadeSchemeOf(GetParam())) {
        const auto [first, second] = ZunoFlatDraw::derivedShades(*scheme, kFlat);
        shades = { first.colorValue().rgba(), second.colorValue().rgba() };
        allowed.insert(allowed.end(), { first.colorValue().rgb(), second.colorValue().rgb() });
    }
    std::set<QRgb> shadesUsed;
    int element = 0;
    for (const RecordedPrimitive &primitive : recordEmblem(GetParam(), kFlat)) {
        const QColor color = primitive.color();
        EXPECT_TRUE(std::ranges::find(allowed, color.rgb()) != allowed.end())
            << "element " << element << " paints " << color.name().toStdString();
        if (std::ranges::find(shades, color.rgba()) != shades.end())
            shadesUsed.insert(color.rgba());
        ++element;
    }
    EXPECT_EQ(shadesUsed.size(), shades.size()) << "both shades, opaque";
}

TEST_P(ZunoEmblemFamily, DrawsTheSamePictureEveryTime)
{
    for (const ZunoEmblemTone &tone : { ZunoEmblemTone::whiteGlass(), kFlat }) {
        const auto draw = [&](QPainter &p) { ZunoEmblemRenderer::drawFlatEmblem(GetParam(), p, tone); };
        EXPECT_EQ(renderDesign(64, draw), renderDesign(64, draw));
    }
}

INSTANTIATE_TEST_SUITE_P(All, ZunoEmblemFamily, testing::ValuesIn(ZunoAppIdentities::allCases()),
    [](const testing::TestParamInfo<ZunoAppIdentity> &info) { return nameOf(info.param); });

TEST(ZunoEmblemFamily, EveryTwoEmblemsDifferMoreThanAPlaySignAndADot)
{
    constexpr int kPixels = 48;
    // The studio's screen against the bare display frame: the least two emblems may differ by.
    const QImage frame = renderDesign(
        kPixels, [](QPainter &p) { ZunoFlatDraw::displayFrame(p, ZunoEmblemTone::whiteGlass()); });
    const qreal least = alphaDistance(bitmap(ZunoAppIdentity::zunoStudio, kPixels), frame);
    ASSERT_GT(least, 0.01);

    // So every application draws its own artwork.
    const auto &apps = ZunoAppIdentities::allCases();
    qreal closest = 1;
    std::string closestPair;
    for (size_t i = 0; i < apps.size(); ++i) {
        const QImage a = bitmap(apps[i], kPixels);
        for (size_t j = i + 1; j < apps.size(); ++j) {
            const qreal distance = alphaDistance(a, bitmap(apps[j], kPixels));
            if (distance < closest) {
                closest = distance;
                closestPair = nameOf(apps[i]) + " and " + nameOf(apps[j]);
            }
        }
    }
    EXPECT_GT(closest, least) << "closest pair: " << closestPair;
}

TEST(ZunoEmblemFamily, EachTechniqueBelongsToItsOwnEmblems)
{
    using App = ZunoAppIdentity;
    const auto glass = ZunoEmblemTone::whiteGlass();
    const auto shape = [&](void (*draw)(QPainter &, const ZunoEmblemTone &)) {
        return recordDrawing([&](QPainter &p) { draw(p, glass); });
    };
    const auto frame = shape(ZunoFlatDraw::displayFrame);
    const auto sheet = shape(ZunoFlatDraw::foldedSheet);
    const auto shield = shape(ZunoFlatDraw::splitShield);
    std::set<App> rotated, clipped, framed, sheeted, shielded;
    for (App app : ZunoAppIdentities::allCases()) {
        const auto primitives = recordEmblem(app, glass);
        for (const RecordedPrimitive &primitive : primitives) {
            if (primitive.transform.isRotating())
                rotated.insert(app);
            if (primitive.clipped)
                clipped.insert(app);
        }
        if (containsRun(primitives, frame))
            framed.insert(app);
        if (containsRun(primitives, sheet))
            sheeted.insert(app);
        if (containsRun(primitives, shield))
            shielded.insert(app);
    }
    EXPECT_EQ(rotated, (std::set { App::zunoWrite, App::zunoTune }));
    EXPECT_EQ(clipped, (std::set { App::zunoRadio }));
    EXPECT_EQ(framed, (std::set { App::zunoStudio, App::zunoVM }));
    EXPECT_EQ(sheeted, (std::set { App::zunoSubtitle }));
    EXPECT_EQ(shielded, (std::set { App::zunoVPN, App::zunoFirewall, App::zunoVault }));

    // The pencil turns about (67, 33) and the tuning fork about the centre, by -45 degrees.
    for (const auto &[app, pivot] :
        { std::pair { App::zunoWrite, QPointF(67, 33) }, { App::zunoTune, QPointF(50, 50) } }) {
        QTransform expected;
        expected.translate(pivot.x(), pivot.y());
        expected.rotate(-45);
        for (const RecordedPrimitive &primitive : recordEmblem(app, glass)) {
            if (primitive.transform.isRotating()) {
                EXPECT_TRUE(qFuzzyCompare(primitive.transform, expected)) << nameOf(app);
            }
        }
    }
}

TEST(ZunoEmblemFamily, TheRadioWavesStayAboveTheClipAndTheCallersClipSurvives)
{
    const auto primitives = recordEmblem(ZunoAppIdentity::zunoRadio, ZunoEmblemTone::whiteGlass());
    int clippedStrokes = 0;
    for (const RecordedPrimitive &primitive : primitives) {
        if (!primitive.clipped)
            continue;
        EXPECT_TRUE(primitive.isStroke());
        EXPECT_EQ(primitive.clip.boundingRect(), QRectF(0, 0, 100, 31.5));
        EXPECT_LE(primitive.paintedBounds().bottom(), 31.5);
        // Unclipped, the rings would reach well below the line: the clip is what keeps them above.
        EXPECT_GT(primitive.transform.map(primitive.path).boundingRect().bottom(), 40);
        ++clippedStrokes;
    }
    EXPECT_EQ(clippedStrokes, 2);

    // Below the line the waves leave no trace: the picture there equals the radio without them.
    std::vector<RecordedPrimitive> unclippedOnly;
    std::ranges::copy_if(
        primitives, std::back_inserter(unclippedOnly), [](const auto &p) { return !p.clipped; });
    const QImage withWaves = replay(primitives, 256);
    const QImage withoutWaves = replay(unclippedOnly, 256);
    const int lineRow = int(std::ceil(toPixel({ 50, 31.5 }, 256).y()));
    EXPECT_EQ(
        withWaves.copy(0, lineRow, 256, 256 - lineRow), withoutWaves.copy(0, lineRow, 256, 256 - lineRow));
    EXPECT_NE(withWaves, withoutWaves);

    // A caller's own clip is the same after the emblem as before it.
    renderDesign(64, [](QPainter &p) {
        p.setClipRect(QRectF(10, 12, 80, 76));
        const QPainterPath before = p.clipPath();
        ZunoEmblemRenderer::drawFlatEmblem(ZunoAppIdentity::zunoRadio, p, ZunoEmblemTone::whiteGlass());
        EXPECT_TRUE(p.hasClipping());
        EXPECT_EQ(p.clipPath(), before);
    });
}

// At toolbar, menu and tray sizes every two emblems still tell themselves apart. The bar sits below
// the closest pair that reads apart on the contact sheet's 16 px rows (the camera's aperture against
// the player's disc, 0.096) and above every pair that ran together there (studio and VM 0.031, the
// three shields 0.054 to 0.079, focus and time 0.073).
TEST(ZunoEmblemFamily, EveryTwoEmblemsStayApartAtSmallSizes)
{
    constexpr qreal kBar = 0.09;
    const auto &apps = ZunoAppIdentities::allCases();
    for (int pixels : { 16, 24 }) {
        std::vector<QImage> images;
        for (ZunoAppIdentity app : apps)
            images.push_back(bitmap(app, pixels));
        for (size_t i = 0; i < apps.size(); ++i)
            for (size_t j = i + 1; j < apps.size(); ++j)
                EXPECT_GT(alphaDistance(images[i], images[j]), kBar)
                    << nameOf(apps[i]) << " and " << nameOf(apps[j]) << " at " << pixels << " px";
    }
}
