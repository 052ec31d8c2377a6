#include "CameraColorFilterEngine.h"
#include "FaceFramingSmoother.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

void expectRect(const QRectF &a, const QRectF &b)
{
    EXPECT_NEAR(a.x(), b.x(), 1e-9);
    EXPECT_NEAR(a.y(), b.y(), 1e-9);
    EXPECT_NEAR(a.width(), b.width(), 1e-9);
    EXPECT_NEAR(a.height(), b.height(), 1e-9);
}

const std::uint8_t *px(const CameraPixelBuffer &b, int x, int y)
{
    return b.constScanLine(y) + 4 * x;
}

} // namespace

TEST(FaceFramingSmoother, StepsTowardsTheFaceAndBack)
{
    FaceFramingSmoother s;
    auto state = s.update(std::nullopt, 0.14);
    EXPECT_DOUBLE_EQ(state.centerX, 0.5);
    EXPECT_DOUBLE_EQ(state.centerY, 0.5);
    EXPECT_DOUBLE_EQ(state.zoom, 1.0);

    // A small face far right: x target clamped to 0.78, the most zoom.
    state = s.update(QRectF(0.85, 0.45, 0.1, 0.1), 0.14);
    EXPECT_NEAR(state.centerX, 0.5392, 1e-12);
    EXPECT_NEAR(state.centerY, 0.5, 1e-12);
    EXPECT_NEAR(state.zoom, 1.0672, 1e-12);
    EXPECT_EQ(s.centerX, state.centerX);

    // Without a face it relaxes at half the factor.
    FaceFramingSmoother back;
    back.centerX = 0.7;
    back.zoom = 1.4;
    state = back.update(std::nullopt, 0.14);
    EXPECT_NEAR(state.centerX, 0.7 - 0.2 * 0.07, 1e-12);
    EXPECT_NEAR(state.zoom, 1.4 - 0.4 * 0.07, 1e-12);
}

TEST(FaceFramingSmoother, ClampsSmoothingAndTargets)
{
    struct Case {
        double smoothing;
        QRectF face;
        double x, y, zoom; // after one step from the initial state
    };
    const Case cases[] = {
        { 0.9, { 0.4, 0.4, 0.2, 0.2 }, 0.5, 0.5,
            1 + (1.48 - 1) * 0.5 }, // smoothing 0.5; 0.32/0.2 = 1.6 -> 1.48
        { 0.0, { 0.4, 0.4, 0.2, 0.2 }, 0.5, 0.5, 1 + (1.48 - 1) * 0.02 }, // smoothing 0.02
        { 0.5, { 0.3, 0.3, 0.4, 0.4 }, 0.5, 0.5, 1 + (1.08 - 1) * 0.5 }, // 0.8 raised to 1.08
        { 0.5, { 0.0, 0.9, 0.1, 0.1 }, 0.5 + (0.22 - 0.5) * 0.5, 0.5 + (0.75 - 0.5) * 0.5, 1 + 0.48 * 0.5 },
        { 0.5, { 0.0, 0.0, 0.3, 0.25 }, 0.5 + (0.22 - 0.5) * 0.5, 0.5 + (0.25 - 0.5) * 0.5,
            1 + (1.28 - 1) * 0.5 },
    };
    for (const auto &c : cases) {
        FaceFramingSmoother s;
        const auto state = s.update(c.face, c.smoothing);
        EXPECT_NEAR(state.centerX, c.x, 1e-12) << c.smoothing;
        EXPECT_NEAR(state.centerY, c.y, 1e-12) << c.smoothing;
        EXPECT_NEAR(state.zoom, c.zoom, 1e-12) << c.smoothing;
    }
}

TEST(FaceFramingSmoother, CropRectStaysInside)
{
    const QRectF r(0, 0, 1280, 720);
    expectRect(
        FaceFramingSmoother::cropRect(r, 0.0, 1.0, 2), QRectF(0, 360, 640, 360)); // top-left quarter (y up)
    expectRect(FaceFramingSmoother::cropRect(r, 0.5, 0.5, 3),
        QRectF(640 - 1280 / 4.4, 360 - 720 / 4.4, 1280 / 2.2, 720 / 2.2));
    expectRect(FaceFramingSmoother::cropRect(r, 0.5, 0.5, 0.5), r);
    expectRect(FaceFramingSmoother::cropRect(r, 1.0, 0.0, 1.25), QRectF(1280 - 1024, 0, 1024, 576));
    expectRect(FaceFramingSmoother::cropRect(QRectF(10, 20, 100, 50), 0.5, 0.5, 2), QRectF(35, 32.5, 50, 25));
}

TEST(CameraColorFilterEngine, LookTable)
{
    using CameraColorFilterEngine::applyLook;
    struct Case {
        CameraLookPreset look;
        double e, w, s, c; // user
        double e2, w2, s2, c2; // result
    };
    const Case cases[] = {
        { CameraLookPreset::natural, 0.1, 0.2, 1.3, 1.1, 0.1, 0.2, 1.3, 1.1 },
        { CameraLookPreset::deepSeaCinema, 0, 0, 1, 1, 0, -0.25, 1.08, 1.12 },
        { CameraLookPreset::deepSeaCinema, 0, 0, 1.75, 1.35, 0, -0.25, 1.8, 1.4 },
        { CameraLookPreset::warmStudio, 0, 0.1, 1, 1.5, 0.12, 0.45, 1.06, 1.5 },
        { CameraLookPreset::warmStudio, 0, 0, 2.0, 1, 0.12, 0.35, 1.8,
            1 }, // cap binds below the user's value
        { CameraLookPreset::crispDaylight, 0, 0, 1, 1.39, 0.18, -0.08, 1, 1.4 },
        { CameraLookPreset::crispDaylight, 0, 0, 1, 1.5, 0.18, -0.08, 1, 1.4 },
        { CameraLookPreset::noirMono, 0, 0.3, 1.2, 1.0, 0, 0.3, 0, 1.18 },
    };
    for (const auto &c : cases) {
        const auto v = applyLook(c.look, c.e, c.w, c.s, c.c);
        EXPECT_NEAR(v.exposure, c.e2, 1e-12);
        EXPECT_NEAR(v.warmth, c.w2, 1e-12);
        EXPECT_NEAR(v.saturation, c.s2, 1e-12);
        EXPECT_NEAR(v.contrast, c.c2, 1e-12);
    }
}

TEST(CameraColorFilterEngine, PlanOfTheDefaults)
{
    const auto p = CameraColorFilterEngine::plan(CameraAdjustments(), { 0.3, 0.3 }, 1.0, QSizeF(1280, 720));
    EXPECT_FALSE(p.crop);
    EXPECT_TRUE(p.mirror);
    EXPECT_FALSE(p.exposureEV);
    EXPECT_FALSE(p.targetNeutralKelvin);
    EXPECT_DOUBLE_EQ(p.saturation, 1.05);
    EXPECT_DOUBLE_EQ(p.contrast, 1.02);
    ASSERT_TRUE(p.vignetteIntensity);
    EXPECT_NEAR(*p.vignetteIntensity, 0.21, 1e-12);
    EXPECT_DOUBLE_EQ(p.vignetteRadius, 1.8);
}

TEST(CameraColorFilterEngine, PlanZoomAndThresholds)
{
    const QSizeF size(1280, 720);
    CameraAdjustments a;
    a.digitalZoom = 3;
    a.autoFaceFraming = false;
    auto p = CameraColorFilterEngine::plan(a, { 0.1, 0.9 }, 1.4, size);
    ASSERT_TRUE(p.crop);
    EXPECT_NEAR(p.crop->width(), 1280 / 2.2, 1e-9); // 3 treated as 2.2, centred
    EXPECT_NEAR(p.crop->center().x(), 640, 1e-9);

    a.digitalZoom = 1.005;
    EXPECT_FALSE(CameraColorFilterEngine::plan(a, { 0.5, 0.5 }, 1.0, size).crop);

    a.digitalZoom = 1.5;
    a.autoFaceFraming = true;
    p = CameraColorFilterEngine::plan(a, { 0.5, 0.5 }, 1.2, size);
    EXPECT_NEAR(p.crop->width(), 1280 / 1.8, 1e-9);
    a.autoFaceFraming = false;
    p = CameraColorFilterEngine::plan(a, { 0.9, 0.9 }, 1.2, size);
    EXPECT_NEAR(p.crop->width(), 1280 / 1.5, 1e-9);
    EXPECT_NEAR(p.crop->center().y(), 360, 1e-9);
    EXPECT_FALSE(CameraColorFilterEngine::plan(a, { 0.5, 0.5 }, 1.0, QSizeF()).crop);

    CameraAdjustments t;
    t.exposureEV = 0.01;
    t.warmthShift = -0.01;
    t.vignetteIntensity = 0.02;
    p = CameraColorFilterEngine::plan(t, { 0.5, 0.5 }, 1, size);
    EXPECT_FALSE(p.exposureEV);
    EXPECT_FALSE(p.targetNeutralKelvin);
    EXPECT_FALSE(p.vignetteIntensity);
    t.exposureEV = 0.011;
    t.warmthShift = 0.5;
    p = CameraColorFilterEngine::plan(t, { 0.5, 0.5 }, 1, size);
    EXPECT_NEAR(*p.exposureEV, 0.011, 1e-12);
    EXPECT_NEAR(*p.targetNeutralKelvin, 6500 + 900, 1e-9);
}

TEST(CameraColorFilterEngine, NoirMonoWithWarmthIsGreyTintedWarm)
{
    // A colourful frame: saturation 0 first, then the warmth, so the grey picture turns warm.
    CameraPixelBuffer in(64, 36);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 64; ++x) {
            std::uint8_t *p = in.scanLine(y) + 4 * x;
            p[0] = static_cast<std::uint8_t>(x * 4), p[1] = 90, p[2] = static_cast<std::uint8_t>(255 - x * 4),
            p[3] = 255;
        }
    CameraAdjustments a;
    a.lookPreset = CameraLookPreset::noirMono;
    a.isMirrored = false;
    a.vignetteIntensity = 0;
    CameraPixelBuffer out;
    CameraColorFilterEngine::Workspace ws;
    CameraColorFilterEngine::process(in, a, { 0.5, 0.5 }, 1, out, ws);
    for (int x = 0; x < 64; x += 9)
        EXPECT_EQ(px(out, x, 10)[0], px(out, x, 10)[2]);
    a.warmthShift = 0.3;
    CameraColorFilterEngine::process(in, a, { 0.5, 0.5 }, 1, out, ws);
    for (int x = 0; x < 64; x += 9)
        EXPECT_GT(px(out, x, 10)[2], px(out, x, 10)[0]); // red above blue
}

TEST(CameraColorFilterEngine, ZoomCropsWithABottomLeftOrigin)
{
    // Top half red, bottom half blue: framing centred low (y = 0.1 from the bottom) at 2x shows blue.
    CameraPixelBuffer in(128, 72);
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 128; ++x) {
            std::uint8_t *p = in.scanLine(y) + 4 * x;
            p[0] = y < 36 ? 0 : 255, p[1] = 0, p[2] = y < 36 ? 255 : 0, p[3] = 255;
        }
    CameraAdjustments a;
    a.isMirrored = false;
    a.vignetteIntensity = 0;
    a.saturation = 1;
    a.contrast = 1;
    a.digitalZoom = 2;
    CameraPixelBuffer out;
    CameraColorFilterEngine::Workspace ws;
    CameraColorFilterEngine::process(in, a, { 0.5, 0.1 }, 1, out, ws);
    EXPECT_EQ(out.width(), 128);
    EXPECT_EQ(out.height(), 72);
    EXPECT_EQ(px(out, 64, 5)[0], 255);
    EXPECT_EQ(px(out, 64, 5)[2], 0);
    CameraColorFilterEngine::process(in, a, { 0.5, 0.9 }, 1, out, ws);
    EXPECT_EQ(px(out, 64, 66)[2], 255);
}

TEST(CameraColorFilterEngine, TonalResponseOfEveryLook)
{
    // A 0..255 grey ramp through the whole pipeline with each look at the default settings (no
    // vignette, so every column sees the same pass). Contrast works on the encoded values around
    // their mid point: the ramp stays monotonic, mid grey keeps its level (moved only by the look's
    // exposure), and only the first few levels reach black.
    struct Case {
        CameraLookPreset look;
        int mostBlackInputs; // at most inputs 0 .. mostBlackInputs − 1 give 0 in every channel
    };
    const Case cases[] = {
        { CameraLookPreset::natural, 3 }, // contrast 1.02
        { CameraLookPreset::deepSeaCinema, 17 }, // 1.14
        { CameraLookPreset::warmStudio, 3 }, // 1.02, brighter
        { CameraLookPreset::crispDaylight, 11 }, // 1.10, brighter
        { CameraLookPreset::noirMono, 22 }, // 1.20
    };
    CameraPixelBuffer ramp(256, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 256; ++x) {
            std::uint8_t *p = ramp.scanLine(y) + 4 * x;
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(x);
            p[3] = 255;
        }
    const auto toLinear = [](double v) {
        const double c = v / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const auto toEncoded = [](double l) {
        return 255.0 * (l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055);
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(rawValue(c.look).toStdString());
        CameraAdjustments a;
        a.lookPreset = c.look;
        a.isMirrored = false;
        a.vignetteIntensity = 0;
        CameraPixelBuffer out;
        CameraColorFilterEngine::Workspace ws;
        CameraColorFilterEngine::process(ramp, a, { 0.5, 0.5 }, 1, out, ws);

        int black = 0;
        while (black < 256 && px(out, black, 2)[0] == 0 && px(out, black, 2)[1] == 0
            && px(out, black, 2)[2] == 0)
            ++black;
        EXPECT_LE(black, c.mostBlackInputs);
        for (int x = 1; x < 256; ++x)
            for (int ch = 0; ch < 3; ++ch)
                ASSERT_GE(px(out, x, 2)[ch], px(out, x - 1, 2)[ch]) << "input " << x << ", channel " << ch;
        // Mid grey: its Rec. 709 luma is where the look's exposure alone puts it.
        const auto *mid = px(out, 128, 2);
        const double luma = 0.2126 * toLinear(mid[2]) + 0.7152 * toLinear(mid[1]) + 0.0722 * toLinear(mid[0]);
        const double exposure = CameraColorFilterEngine::applyLook(c.look, 0, 0, 1, 1).exposure;
        EXPECT_NEAR(toEncoded(luma), toEncoded(toLinear(128) * std::exp2(exposure)), 2.0);
    }
}

TEST(CameraColorFilterEngine, StillFaceGivesAStillPicture)
{
    // A bright spot stands for the face. The framing follows a face box that does not move; once it
    // has settled, the spot may move less than a quarter pixel per frame (whole-pixel crops made it
    // jump by more than a pixel whenever the crop crossed a pixel edge).
    constexpr int kW = 640, kH = 360;
    const double spotX = 371.3, spotY = 142.6; // top-left origin
    CameraPixelBuffer frame(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double d2 = (x - spotX) * (x - spotX) + (y - spotY) * (y - spotY);
            std::uint8_t *p = frame.scanLine(y) + 4 * x;
            p[0] = p[1] = p[2]
                = static_cast<std::uint8_t>(std::lround(20 + 220 * std::exp(-d2 / (2 * 36.0))));
            p[3] = 255;
        }
    // The box's centre is near the spot (bottom-left origin), 0.24 of the height tall.
    const QRectF face(spotX / kW - 0.06, 1 - spotY / kH - 0.12, 0.12, 0.24);

    CameraAdjustments a;
    a.isMirrored = false;
    a.vignetteIntensity = 0;
    a.autoFaceFraming = true;
    FaceFramingSmoother smoother;
    CameraPixelBuffer out;
    CameraColorFilterEngine::Workspace ws;
    std::vector<QPointF> positions;
    for (int frameIndex = 0; frameIndex < 60; ++frameIndex) {
        const auto state = smoother.update(face, 0.14);
        CameraColorFilterEngine::process(frame, a, { state.centerX, state.centerY }, state.zoom, out, ws);
        // Centroid of the spot above its background.
        double sum = 0, sx = 0, sy = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const double v = std::max(0, px(out, x, y)[1] - 40);
                sum += v, sx += v * x, sy += v * y;
            }
        ASSERT_GT(sum, 0);
        positions.emplace_back(sx / sum, sy / sum);
    }
    double largestSettledStep = 0;
    for (std::size_t i = 31; i < positions.size(); ++i) {
        const QPointF step = positions[i] - positions[i - 1];
        largestSettledStep = std::max(largestSettledStep, std::hypot(step.x(), step.y()));
    }
    EXPECT_LT(largestSettledStep, 0.25);
    // And the framing did follow the face: the spot moved towards the picture's middle.
    EXPECT_LT(std::abs(positions.back().x() - kW / 2.0), std::abs(spotX - kW / 2.0));
}
