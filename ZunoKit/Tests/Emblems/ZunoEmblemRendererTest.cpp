#include "ZunoEmblemRenderer.h"
#include "EmblemProbe.h"
#include "ZunoEmblemArtworkProductivity.h"
#include "ZunoEmblemArtworkSystemNet.h"
#include "ZunoFlatDraw.h"

#include <QPainter>
#include <QtConcurrent/QtConcurrentMap>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>

using namespace EmblemProbe;

namespace {

constexpr qreal kNaN = std::numeric_limits<qreal>::quiet_NaN();
constexpr qreal kInf = std::numeric_limits<qreal>::infinity();

QImage bitmapOf(ZunoAppIdentity app, int pixels)
{
    const auto png = ZunoEmblemRenderer::pngData(app, pixels);
    if (!png)
        return QImage();
    return QImage::fromData(*png, "PNG").convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The slits of the aperture as design segments.
std::vector<std::pair<QPointF, QPointF>> apertureSlits()
{
    std::vector<std::pair<QPointF, QPointF>> slits;
    for (int i = 0; i < 6; ++i)
        slits.emplace_back(ZunoFlatDraw::polar({ 50, 50 }, 10.5, 60.0 * i),
            ZunoFlatDraw::polar({ 50, 50 }, 25.5, 60.0 * i + 48));
    return slits;
}

QPointF rotated(const QPointF &p, qreal degrees)
{
    const qreal r = degrees * std::numbers::pi / 180;
    const QPointF d = p - QPointF(50, 50);
    return QPointF(
        50 + d.x() * std::cos(r) - d.y() * std::sin(r), 50 + d.x() * std::sin(r) + d.y() * std::cos(r));
}

// Share of sample points whose alpha changes when the aperture is turned by the given angle.
qreal asymmetry(const QImage &image, qreal degrees)
{
    int samples = 0;
    int differing = 0;
    for (qreal r = 2; r <= 30; r += 0.5) {
        for (int a = 0; a < 360; a += 3) {
            const QPointF p = ZunoFlatDraw::polar({ 50, 50 }, r, a + 1.3);
            ++samples;
            if (std::abs(smoothAlphaAt(image, p) - smoothAlphaAt(image, rotated(p, degrees))) > 0.2)
                ++differing;
        }
    }
    return qreal(differing) / samples;
}

} // namespace

struct PixelCase {
    const char *name;
    qreal pointSize;
    qreal scale;
    int pixels;
};

void PrintTo(const PixelCase &c, std::ostream *os)
{
    *os << c.pointSize << " pt at " << c.scale << "x";
}

class ZunoEmblemPixelCount : public testing::TestWithParam<PixelCase> { };

TEST_P(ZunoEmblemPixelCount, FollowsTheSizeRules)
{
    EXPECT_EQ(ZunoEmblemRenderer::pixelCount(GetParam().pointSize, GetParam().scale), GetParam().pixels);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ZunoEmblemPixelCount,
    testing::Values(PixelCase { "SmallPointSizeCountsAsTen", 4, 1, 16 },
        PixelCase { "MinimumOf16", 12, 1, 16 }, PixelCase { "TwelveAtTwo", 12, 2, 24 },
        PixelCase { "ScaleBelowOneCountsAsOne", 20, 0.5, 20 },
        PixelCase { "ScaleAboveThreeCountsAsThree", 20, 5, 60 },
        PixelCase { "HalfRoundsAwayFromZero", 10.25, 2, 21 },
        PixelCase { "NaNScaleCountsAsThree", 20, kNaN, 60 },
        PixelCase { "NaNPointSizeCountsAsTen", kNaN, 2, 20 },
        PixelCase { "InfinitePointSizeCountsAsTen", kInf, 2, 20 },
        PixelCase { "NegativeInfinityCountsAsTen", -kInf, 1, 16 }, PixelCase { "NegativeSize", -5, 2, 20 },
        PixelCase { "Large", 600, 3, 1800 }, PixelCase { "CappedAt2048", 700, 3, 2048 },
        PixelCase { "EnormousIsCapped", 1e300, 3, 2048 }),
    [](const testing::TestParamInfo<PixelCase> &info) { return std::string(info.param.name); });

TEST(ZunoEmblemRenderer, CacheKeys)
{
    using ZunoEmblemRenderer::cacheKey;
    EXPECT_EQ(cacheKey(ZunoAppIdentity::zunoCam, 20, 2, true), QStringLiteral("zunocam_40_tpl_20"));
    EXPECT_EQ(cacheKey(ZunoAppIdentity::zunoCam, 4, 1, false), QStringLiteral("zunocam_16_glass_10"));
    EXPECT_EQ(
        cacheKey(ZunoAppIdentity::zunoStudio, 10.25, 2, false), QStringLiteral("zunostudio_21_glass_10.25"));
    EXPECT_EQ(
        cacheKey(ZunoAppIdentity::zunoStudio, kNaN, 2, false), QStringLiteral("zunostudio_20_glass_10"));
    EXPECT_EQ(cacheKey(ZunoAppIdentity::harbor, 0.1 + 19.9, 1, false), QStringLiteral("harbor_20_glass_20"));
    // Same pixel count, different logical sizes: two entries.
    EXPECT_NE(
        cacheKey(ZunoAppIdentity::zunoCam, 20, 1, false), cacheKey(ZunoAppIdentity::zunoCam, 10, 2, false));
}

TEST(ZunoEmblemRenderer, CachedImagesAreSharedPerKey)
{
    const ZunoEmblemImage first = ZunoEmblemRenderer::image(ZunoAppIdentity::zunoCam, 20, 2, false);
    EXPECT_EQ(first.bitmap.size(), QSize(40, 40));
    EXPECT_EQ(first.size, QSizeF(20, 20));
    EXPECT_EQ(first.bitmap.deviceIndependentSize(), QSizeF(20, 20));
    EXPECT_FALSE(first.isTemplate);
    EXPECT_EQ(first.bitmap.format(), QImage::Format_ARGB32_Premultiplied);

    const ZunoEmblemImage again = ZunoEmblemRenderer::image(ZunoAppIdentity::zunoCam, 20, 2, false);
    EXPECT_EQ(again.bitmap.cacheKey(), first.bitmap.cacheKey());

    const ZunoEmblemImage tpl = ZunoEmblemRenderer::image(ZunoAppIdentity::zunoCam, 20, 2, true);
    EXPECT_TRUE(tpl.isTemplate);
    EXPECT_NE(tpl.bitmap.cacheKey(), first.bitmap.cacheKey());
    EXPECT_EQ(tpl.bitmap, first.bitmap); // same pixels, its own entry

    // 40 pixels at another logical size is another image of that size.
    const ZunoEmblemImage half = ZunoEmblemRenderer::image(ZunoAppIdentity::zunoCam, 40, 1, false);
    EXPECT_NE(half.bitmap.cacheKey(), first.bitmap.cacheKey());
    EXPECT_EQ(half.size, QSizeF(40, 40));
    EXPECT_EQ(half.bitmap.deviceIndependentSize(), QSizeF(40, 40));

    const ZunoEmblemImage huge = ZunoEmblemRenderer::image(ZunoAppIdentity::zunoStudio, kInf, 2, false);
    EXPECT_EQ(huge.size, QSizeF(10, 10));
    EXPECT_EQ(huge.bitmap.size(), QSize(20, 20));
}

TEST(ZunoEmblemRenderer, CacheHoldsAtMost256Images)
{
    for (int i = 0; i < 300; ++i)
        ZunoEmblemRenderer::image(ZunoAppIdentity::zunoFocus, 10 + i / 64.0, 1, i % 2 == 0);
    EXPECT_EQ(ZunoEmblemRenderer::cachedImageCount(), ZunoEmblemRenderer::kCacheLimit);
}

TEST(ZunoEmblemRenderer, PngDataHasTheAskedSize)
{
    for (int pixels : { 8, 24, 64, 256 }) {
        const QImage decoded = bitmapOf(ZunoAppIdentity::zunoCam, pixels);
        EXPECT_EQ(decoded.size(), QSize(pixels, pixels)) << pixels;
        EXPECT_TRUE(decoded.hasAlphaChannel());
    }
    // The PNG holds the same pixels as the cached bitmap.
    EXPECT_EQ(bitmapOf(ZunoAppIdentity::zunoStudio, 64),
        ZunoEmblemRenderer::image(ZunoAppIdentity::zunoStudio, 64, 1, false).bitmap);
    for (int pixels : { 0, -3, 2049, std::numeric_limits<int>::max() })
        EXPECT_FALSE(ZunoEmblemRenderer::pngData(ZunoAppIdentity::zunoCam, pixels).has_value()) << pixels;
}

TEST(ZunoEmblemRenderer, EveryEmblemIsWhiteGlassAndLeavesThePainterAsFound)
{
    for (ZunoAppIdentity app : ZunoAppIdentities::allCases()) {
        SCOPED_TRACE(ZunoAppIdentities::caseName(app).toStdString());
        const ZunoEmblemTone flat = ZunoEmblemTone::flatLight(QColor(40, 70, 160), QColor(250, 140, 20));
        QImage image;
        for (const ZunoEmblemTone &tone : { ZunoEmblemTone::whiteGlass(), flat }) {
            bool drawn = false;
            const auto draw = [&](QPainter &p) {
                p.setPen(QPen(Qt::green, 3));
                p.setBrush(Qt::red);
                p.setOpacity(0.9);
                const QTransform transform = p.transform();
                const QPainter::RenderHints hints = p.renderHints();
                drawn = ZunoEmblemRenderer::drawFlatEmblem(app, p, tone);
                EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_SourceOver);
                EXPECT_EQ(p.pen(), QPen(Qt::green, 3));
                EXPECT_EQ(p.brush(), QBrush(Qt::red));
                EXPECT_EQ(p.transform(), transform);
                EXPECT_EQ(p.opacity(), 0.9);
                EXPECT_EQ(p.renderHints(), hints);
                EXPECT_FALSE(p.hasClipping());
            };
            const QImage first = renderDesign(64, draw);
            EXPECT_TRUE(drawn);
            // The same picture every time for the same tone.
            EXPECT_EQ(renderDesign(64, draw), first);
            if (tone.isWhiteGlass())
                image = ZunoEmblemRenderer::image(app, 64, 1, false).bitmap;
        }
        int visible = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb px = image.pixel(x, y);
                // Premultiplied white: every channel equals alpha.
                ASSERT_TRUE(qRed(px) == qAlpha(px) && qGreen(px) == qAlpha(px) && qBlue(px) == qAlpha(px))
                    << x << "," << y;
                visible += qAlpha(px) > 0;
            }
        }
        EXPECT_GT(visible, 64 * 64 / 10);
    }
}

TEST(ZunoEmblemRenderer, GroupsDrawOnlyTheirOwnCases)
{
    struct Row {
        ZunoAppIdentity app;
        bool productivity;
        bool systemNet;
    };
    for (const Row &row : { Row { ZunoAppIdentity::zunoFocus, true, false },
             Row { ZunoAppIdentity::zunoList, true, false }, Row { ZunoAppIdentity::zunoPhoto, false, false },
             Row { ZunoAppIdentity::zunoCam, false, false }, Row { ZunoAppIdentity::zunoTune, false, false },
             Row { ZunoAppIdentity::zunoKill, false, true }, Row { ZunoAppIdentity::harbor, false, true } }) {
        SCOPED_TRACE(ZunoAppIdentities::caseName(row.app).toStdString());
        bool productivity = true;
        bool systemNet = true;
        const QImage first = renderDesign(32, [&](QPainter &p) {
            productivity = ZunoEmblemArtworkProductivity::draw(row.app, p, ZunoEmblemTone::whiteGlass());
        });
        const QImage second = renderDesign(32, [&](QPainter &p) {
            systemNet = ZunoEmblemArtworkSystemNet::draw(row.app, p, ZunoEmblemTone::whiteGlass());
        });
        EXPECT_EQ(productivity, row.productivity);
        EXPECT_EQ(systemNet, row.systemNet);
        // A group that does not own the case leaves the canvas untouched.
        QImage blank(32, 32, QImage::Format_ARGB32_Premultiplied);
        blank.fill(Qt::transparent);
        EXPECT_EQ(first == blank, !row.productivity);
        EXPECT_EQ(second == blank, !row.systemNet);
    }
}

TEST(ZunoEmblemRenderer, ZunoCamIsAnApertureWithSlitsOpeningAndLens)
{
    constexpr int kPixels = 256;
    const QImage image = ZunoEmblemRenderer::image(ZunoAppIdentity::zunoCam, kPixels, 1, false).bitmap;
    ASSERT_EQ(image.width(), kPixels);

    const QColor centre = colorAt(image, { 50, 50 });
    EXPECT_EQ(centre.rgb(), qRgb(255, 255, 255));
    EXPECT_NEAR(centre.alphaF(), 0.72, 0.005);

    // Every pixel clear of an edge shows what the aperture has there.
    const auto slits = apertureSlits();
    constexpr qreal kMargin = 0.6; // design units, over two pixels here
    int checked = 0;
    for (int y = 0; y < kPixels; ++y) {
        for (int x = 0; x < kPixels; ++x) {
            const QPointF p = toDesign(x, y, kPixels);
            const qreal r = std::hypot(p.x() - 50, p.y() - 50);
            qreal slit = 1e9;
            for (const auto &[a, b] : slits)
                slit = std::min(slit, distanceToSegment(p, a, b));
            int expected = -1;
            if (r > 26 + kMargin)
                expected = 0;
            else if (r < 6.5 - kMargin)
                expected = 184; // the lens dot, 0.72
            else if (r > 6.5 + kMargin && r < 10.5 - kMargin)
                expected = 0; // the centre opening
            else if (r > 10.5 + kMargin && r < 26 - kMargin && slit < 1.3 - kMargin)
                expected = 0; // a slit
            else if (r > 10.5 + kMargin && r < 26 - kMargin && slit > 1.3 + kMargin)
                expected = 250; // the disc, 0.98
            if (expected < 0)
                continue;
            ++checked;
            ASSERT_NEAR(qAlpha(image.pixel(x, y)), expected, 1) << x << "," << y << " r=" << r;
        }
    }
    EXPECT_GT(checked, kPixels * kPixels / 2);

    // Slit 0 runs from the opening's right-hand point down to (67.063, 68.950): y grows downwards.
    EXPECT_EQ(alphaAt(image, { 63.78, 59.475 }), 0);
    EXPECT_EQ(alphaAt(image, { 63.78, 40.525 }), 250);

    // Six-fold: turning by 60 degrees changes nothing, turning by 30 does.
    EXPECT_LT(asymmetry(image, 60), 0.01);
    EXPECT_LT(asymmetry(image, 120), 0.01);
    EXPECT_GT(asymmetry(image, 30), 0.05);
}

TEST(ZunoEmblemRenderer, ZunoCamOnAFlatTonePaintsItsHoles)
{
    const QColor primary(40, 70, 160);
    const QColor accent(250, 140, 20);
    const ZunoEmblemTone flat = ZunoEmblemTone::flatLight(primary, accent);
    const QImage image = renderDesign(256, [&](QPainter &p) {
        EXPECT_TRUE(ZunoEmblemRenderer::drawFlatEmblem(ZunoAppIdentity::zunoCam, p, flat));
    });
    const QColor pale(0xEE, 0xF1, 0xF7);
    for (const auto &[a, b] : apertureSlits())
        EXPECT_EQ(colorAt(image, (a + b) / 2), pale);
    EXPECT_EQ(colorAt(image, { 58.5, 50 }), pale); // the centre opening
    EXPECT_EQ(colorAt(image, { 50, 50 }), accent);
    EXPECT_EQ(colorAt(image, { 50, 70 }), primary);
    EXPECT_EQ(colorAt(image, { 50, 80 }).alpha(), 0);
}

TEST(ZunoEmblemRenderer, ZunoStudioIsAScreenWithPlaySignAndDot)
{
    const QImage image = ZunoEmblemRenderer::image(ZunoAppIdentity::zunoStudio, 256, 1, false).bitmap;
    struct Probe {
        QPointF at;
        int alpha;
        const char *what;
    };
    for (const Probe &probe : {
             Probe { { 70, 55 }, 41, "soft screen, 0.16" },
             Probe { { 20.2, 45 }, 250, "screen border" },
             Probe { { 50, 25 }, 250, "screen border at the top" },
             Probe { { 48, 44.5 }, 251, "play sign over the screen" },
             Probe { { 58, 40 }, 41, "beside the play sign" },
             Probe { { 31, 33.5 }, 195, "accent dot over the screen, top left" },
             Probe { { 31, 56 }, 41, "no dot at the bottom left" },
             Probe { { 50, 67.5 }, 0, "between screen and stand" },
             Probe { { 50, 72.3 }, 209, "stand, 0.82" },
             Probe { { 50, 20 }, 0, "above the screen" },
         }) {
        EXPECT_NEAR(alphaAt(image, probe.at), probe.alpha, 1) << probe.what;
        if (probe.alpha > 0) {
            EXPECT_EQ(colorAt(image, probe.at).rgb(), qRgb(255, 255, 255)) << probe.what;
        }
    }
}

TEST(ZunoEmblemRenderer, ServesImagesToSeveralThreads)
{
    // Eight threads ask for the same few keys at once; each key yields one picture.
    QList<int> workers(8);
    std::iota(workers.begin(), workers.end(), 0);
    const QList<QList<QImage>> results = QtConcurrent::blockingMapped(workers, [](int) {
        QList<QImage> images;
        for (int i = 0; i < 12; ++i)
            images.append(ZunoEmblemRenderer::image(ZunoAppIdentity::zunoCam, 30 + i, 1.5, false).bitmap);
        return images;
    });
    for (int i = 0; i < 12; ++i) {
        const QImage reference
            = ZunoEmblemRenderer::image(ZunoAppIdentity::zunoCam, 30 + i, 1.5, false).bitmap;
        for (const QList<QImage> &images : results)
            EXPECT_EQ(images[i], reference) << i;
    }
}
