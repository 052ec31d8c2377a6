#include "CameraImageKernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

using Format = CameraPixelBuffer::Format;

CameraPixelBuffer solid(int w, int h, std::uint8_t b, std::uint8_t g, std::uint8_t r)
{
    CameraPixelBuffer buffer(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t *p = buffer.scanLine(y) + 4 * x;
            p[0] = b, p[1] = g, p[2] = r, p[3] = 255;
        }
    return buffer;
}

CameraPixelBuffer noise(int w, int h, unsigned seed = 1)
{
    CameraPixelBuffer buffer(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t *p = buffer.scanLine(y) + 4 * x;
            for (int c = 0; c < 3; ++c) {
                seed = seed * 1103515245u + 12345u;
                p[c] = static_cast<std::uint8_t>(seed >> 24);
            }
            p[3] = 255;
        }
    return buffer;
}

const std::uint8_t *px(const CameraPixelBuffer &b, int x, int y)
{
    return b.constScanLine(y) + 4 * x;
}

double toLinear(int v)
{
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

TEST(CameraPixelBuffer, SharesPixelsWithQImageWithoutCopying)
{
    CameraPixelBuffer buffer(33, 7);
    EXPECT_EQ(buffer.bytesPerRow() % 64, 0);
    buffer.scanLine(3)[4 * 5 + 2] = 200;
    const QImage image = buffer.toQImage();
    EXPECT_EQ(image.constBits(), buffer.constBits());
    EXPECT_EQ(qRed(image.pixel(5, 3)), 200);
    EXPECT_FALSE(buffer.isDetached());

    QImage source(4, 4, QImage::Format_RGB888);
    source.fill(QColor(10, 20, 30));
    const CameraPixelBuffer converted = CameraPixelBuffer::fromQImage(source);
    ASSERT_FALSE(converted.isNull());
    EXPECT_EQ(px(converted, 1, 1)[0], 30); // BGRA order in memory
    EXPECT_EQ(px(converted, 1, 1)[2], 10);

    CameraPixelBuffer reused(8, 8);
    const std::uint8_t *before = reused.constBits();
    reused.ensure(8, 8);
    EXPECT_EQ(reused.constBits(), before);
}

TEST(CameraColorMatrix, SaturationZeroGivesGrey)
{
    const CameraPixelBuffer in = noise(64, 16);
    CameraPixelBuffer out;
    CameraImageKernels::colorPass(in, { CameraColorMatrix::saturation(0) }, out);
    for (int x = 0; x < 64; ++x) {
        const auto *p = px(out, x, 5);
        EXPECT_EQ(p[0], p[1]);
        EXPECT_EQ(p[1], p[2]);
        // Rec. 709 luma of the linear values.
        const auto *q = px(in, x, 5);
        const double luma = 0.2126 * toLinear(q[2]) + 0.7152 * toLinear(q[1]) + 0.0722 * toLinear(q[0]);
        EXPECT_NEAR(toLinear(p[0]), luma, 0.006);
    }
}

TEST(CameraColorMatrix, PlusOneStopDoublesLinearValues)
{
    const CameraPixelBuffer in = noise(64, 16, 7);
    CameraPixelBuffer out;
    CameraImageKernels::colorPass(in, { CameraColorMatrix::exposure(1) }, out);
    for (int x = 0; x < 64; ++x)
        for (int c = 0; c < 3; ++c) {
            const double expected = std::min(2 * toLinear(px(in, x, 3)[c]), 1.0);
            EXPECT_NEAR(toLinear(px(out, x, 3)[c]), expected, 0.01) << x << "," << c;
        }
}

TEST(CameraColorMatrix, ContrastPivotsOnMidGreyAndIdentityIsExact)
{
    const CameraPixelBuffer grey = solid(8, 8, 128, 128, 128);
    CameraPixelBuffer out;
    CameraImageKernels::ColorPass contrast;
    contrast.contrast = 1.4;
    CameraImageKernels::colorPass(grey, contrast, out);
    EXPECT_NEAR(px(out, 3, 3)[1], 128, 1);
    CameraImageKernels::colorPass(solid(8, 8, 40, 40, 40), contrast, out);
    EXPECT_LT(px(out, 3, 3)[1], 40);

    const CameraPixelBuffer in = noise(32, 8, 3);
    CameraImageKernels::colorPass(in, {}, out);
    for (int x = 0; x < 32; ++x)
        for (int c = 0; c < 4; ++c)
            ASSERT_EQ(px(out, x, 2)[c], px(in, x, 2)[c]);
}

TEST(CameraColorMatrix, WarmerTargetRaisesRedAgainstBlue)
{
    const auto warm = CameraColorMatrix::temperature(6500, 6500 + 1800 * 0.3);
    const auto cool = CameraColorMatrix::temperature(6500, 6500 - 1800 * 0.3);
    EXPECT_TRUE(CameraColorMatrix::temperature(6500, 6500).isIdentity(1e-3f));
    CameraPixelBuffer out;
    CameraImageKernels::colorPass(solid(8, 8, 128, 128, 128), { warm }, out);
    EXPECT_GT(px(out, 1, 1)[2], px(out, 1, 1)[0] + 5);
    CameraImageKernels::colorPass(solid(8, 8, 128, 128, 128), { cool }, out);
    EXPECT_LT(px(out, 1, 1)[2] + 5, px(out, 1, 1)[0]);
}

TEST(CameraColorMatrix, ComposesInOrder)
{
    const auto a = CameraColorMatrix::exposure(1);
    const auto b = CameraColorMatrix::saturation(0.5);
    const auto ab = a.then(b);
    // ab applied to (0.1, 0.2, 0.3) equals b(a(v)).
    const float v[3] = { 0.1f, 0.2f, 0.3f };
    float av[3], bav[3], abv[3];
    for (int i = 0; i < 3; ++i)
        av[i] = a.m[i][0] * v[0] + a.m[i][1] * v[1] + a.m[i][2] * v[2] + a.m[i][3];
    for (int i = 0; i < 3; ++i) {
        bav[i] = b.m[i][0] * av[0] + b.m[i][1] * av[1] + b.m[i][2] * av[2] + b.m[i][3];
        abv[i] = ab.m[i][0] * v[0] + ab.m[i][1] * v[1] + ab.m[i][2] * v[2] + ab.m[i][3];
        EXPECT_NEAR(abv[i], bav[i], 1e-6);
    }
}

TEST(CameraImageKernels, VignetteKeepsTheCentreAndDarkensTheCorners)
{
    const CameraPixelBuffer in = solid(160, 90, 200, 200, 200);
    CameraPixelBuffer out;
    CameraImageKernels::colorPass(in, { CameraColorMatrix(), false, 0.21, 1.8 }, out);
    EXPECT_NEAR(px(out, 80, 45)[1], 200, 1);
    EXPECT_LT(px(out, 0, 0)[1], 190);
    EXPECT_LT(px(out, 0, 0)[1], px(out, 0, 45)[1]);
    EXPECT_EQ(px(out, 0, 0)[1], px(out, 159, 89)[1]);
    EXPECT_FLOAT_EQ(CameraImageKernels::vignetteFactor(80, 45, 160, 90, 0, 1.8), 1.0f);
}

TEST(CameraImageKernels, MirrorFlipsAboutTheVerticalCentreLine)
{
    const CameraPixelBuffer in = noise(31, 4, 9);
    CameraPixelBuffer out;
    CameraImageKernels::colorPass(in, { CameraColorMatrix(), true }, out);
    for (int x = 0; x < 31; ++x)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(px(out, x, 1)[c], px(in, 30 - x, 1)[c]);
}

TEST(CameraImageKernels, CropAndScaleTakesTheRequestedQuarter)
{
    // Four coloured quadrants; cropping the top-left quarter at 2x gives that colour everywhere.
    CameraPixelBuffer in(64, 36);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 64; ++x) {
            std::uint8_t *p = in.scanLine(y) + 4 * x;
            p[0] = x < 32 ? 10 : 200;
            p[1] = y < 18 ? 20 : 220;
            p[2] = 0;
            p[3] = 255;
        }
    CameraPixelBuffer out;
    CameraImageKernels::cropAndScale(in, QRectF(0, 0, 32, 18), 64, 36, out);
    for (int y = 0; y < 36; y += 5)
        for (int x = 0; x < 64; x += 7) {
            EXPECT_EQ(px(out, x, y)[0], 10);
            EXPECT_EQ(px(out, x, y)[1], 20);
        }
}

TEST(CameraImageKernels, BlurKeepsAFlatImageFlatAndEdgesBright)
{
    CameraImageKernels::BlurScratch scratch;
    CameraPixelBuffer out;
    for (double radius : { 2.0, 7.5, 10.0, 24.0 }) {
        CameraImageKernels::gaussianBlur(solid(320, 180, 90, 160, 230), radius, out, scratch);
        for (auto [x, y] : { std::pair { 0, 0 }, { 319, 179 }, { 160, 90 }, { 0, 90 } }) {
            EXPECT_NEAR(px(out, x, y)[0], 90, 1) << radius;
            EXPECT_NEAR(px(out, x, y)[2], 230, 1) << radius;
        }
    }
    // A sharp edge is actually spread.
    CameraPixelBuffer edge = solid(320, 180, 0, 0, 0);
    for (int y = 0; y < 180; ++y)
        for (int x = 160; x < 320; ++x)
            edge.scanLine(y)[4 * x + 1] = 255;
    CameraImageKernels::gaussianBlur(edge, 24, out, scratch);
    EXPECT_GT(px(out, 150, 90)[1], 60);
    EXPECT_LT(px(out, 170, 90)[1], 200);
}

TEST(CameraImageKernels, BlendFollowsTheMask)
{
    const CameraPixelBuffer fg = noise(40, 20, 5), bg = noise(40, 20, 6);
    CameraPixelBuffer mask(40, 20, Format::Gray8), out;
    for (std::uint8_t value : { 255, 0 }) {
        for (int y = 0; y < 20; ++y)
            std::memset(mask.scanLine(y), value, 40);
        CameraImageKernels::blendWithMask(fg, bg, mask, out);
        const CameraPixelBuffer &expected = value ? fg : bg;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x)
                for (int c = 0; c < 4; ++c)
                    ASSERT_EQ(px(out, x, y)[c], px(expected, x, y)[c]);
    }
    for (int y = 0; y < 20; ++y)
        std::memset(mask.scanLine(y), 128, 40);
    CameraImageKernels::blendWithMask(solid(40, 20, 200, 200, 200), solid(40, 20, 0, 0, 0), mask, out);
    EXPECT_NEAR(px(out, 3, 3)[0], 100, 1);
}

TEST(CameraImageKernels, MaskStretchesToAnotherAspectRatio)
{
    // Left half white at 16x16 becomes the left half of a 64x36 mask.
    CameraPixelBuffer mask(16, 16, Format::Gray8), out;
    CameraImageKernels::BlurScratch scratch;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            mask.scanLine(y)[x] = x < 8 ? 255 : 0;
    CameraImageKernels::stretchAndFeatherMask(mask, 64, 36, 2, out, scratch);
    ASSERT_EQ(out.width(), 64);
    ASSERT_EQ(out.height(), 36);
    EXPECT_EQ(out.constScanLine(0)[0], 255);
    EXPECT_EQ(out.constScanLine(35)[63], 0);
    EXPECT_GT(out.constScanLine(18)[30], out.constScanLine(18)[33]); // feathered across the edge
    EXPECT_GT(out.constScanLine(18)[33], 0);
}

TEST(CameraImageKernels, VectorAndPortableRowsGiveTheSameBytes)
{
    if (!CameraImageKernels::vectorPathsActive())
        GTEST_SKIP() << "this processor has no AVX2: only the portable rows run";
    const CameraPixelBuffer in = noise(203, 9, 11),
                            other = noise(203, 9, 12); // odd width: vector body and tail
    CameraPixelBuffer mask(203, 9, Format::Gray8);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 203; ++x)
            mask.scanLine(y)[x] = static_cast<std::uint8_t>(x * 37 + y * 11);
    const CameraImageKernels::ColorPass passes[] = {
        { CameraColorMatrix::saturation(1.3).then(CameraColorMatrix::temperature(6500, 7500)), true, 0.5, 1.8,
            0.7, 1.2 },
        { CameraColorMatrix::temperature(6500, 8000), false, 0, 1.8 },
    };
    for (const auto &pass : passes) {
        CameraPixelBuffer vector, portable;
        CameraImageKernels::colorPass(in, pass, vector);
        CameraImageKernels::setVectorPathsAllowed(false);
        CameraImageKernels::colorPass(in, pass, portable);
        CameraImageKernels::setVectorPathsAllowed(true);
        for (int y = 0; y < 9; ++y)
            ASSERT_EQ(std::memcmp(vector.constScanLine(y), portable.constScanLine(y), 203 * 4), 0) << y;
    }
    for (const QRectF &crop :
        { QRectF(3.3, 0.6, 150.2, 7.9), QRectF(0, 0, 203, 9), QRectF(190.5, 2.25, 12.5, 6.75) }) {
        CameraPixelBuffer vector, portable;
        CameraImageKernels::cropAndScale(in, crop, 203, 9, vector);
        CameraImageKernels::setVectorPathsAllowed(false);
        CameraImageKernels::cropAndScale(in, crop, 203, 9, portable);
        CameraImageKernels::setVectorPathsAllowed(true);
        for (int y = 0; y < 9; ++y)
            ASSERT_EQ(std::memcmp(vector.constScanLine(y), portable.constScanLine(y), 203 * 4), 0) << y;
    }
    CameraPixelBuffer vector, portable;
    CameraImageKernels::blendWithMask(in, other, mask, vector);
    CameraImageKernels::setVectorPathsAllowed(false);
    CameraImageKernels::blendWithMask(in, other, mask, portable);
    CameraImageKernels::setVectorPathsAllowed(true);
    for (int y = 0; y < 9; ++y)
        ASSERT_EQ(std::memcmp(vector.constScanLine(y), portable.constScanLine(y), 203 * 4), 0) << y;
}

TEST(CameraImageKernels, FusedZoomAndColourGiveTheBytesOfBothPasses)
{
    // Tall enough to be cut into stripes on two threads; crops between pixels, whole, and a strip
    // one pixel wide (the whole-pixel path); both row paths.
    const CameraPixelBuffer in = noise(203, 360, 21);
    const CameraImageKernels::ColorPass pass { CameraColorMatrix::saturation(1.3), true, 0.5, 1.8, 0.3, 1.1 };
    const int threadsBefore = CameraImageKernels::threadCount();
    CameraImageKernels::setThreadCount(2);
    for (const bool vectorRows : { true, false }) {
        CameraImageKernels::setVectorPathsAllowed(vectorRows);
        for (const QRectF &crop :
            { QRectF(3.3, 20.6, 150.2, 300.9), QRectF(0, 0, 203, 360), QRectF(100.2, 10, 0.6, 200) }) {
            CameraPixelBuffer scaled, twoPasses, fused, scratch;
            CameraImageKernels::cropAndScale(in, crop, 203, 360, scaled);
            CameraImageKernels::colorPass(scaled, pass, twoPasses);
            CameraImageKernels::cropScaleAndColor(in, crop, 203, 360, pass, fused, scratch);
            for (int y = 0; y < 360; ++y)
                ASSERT_EQ(std::memcmp(fused.constScanLine(y), twoPasses.constScanLine(y), 203 * 4), 0)
                    << vectorRows << " " << crop.x() << " row " << y;
        }
    }
    CameraImageKernels::setVectorPathsAllowed(true);
    CameraImageKernels::setThreadCount(threadsBefore);
}
