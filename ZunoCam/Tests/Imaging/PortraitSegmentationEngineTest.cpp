#include "PortraitSegmentationEngine.h"

#include "ZunoAppLogger.h"
#include "ZunoTestHome.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>

namespace {

using Outcome = PersonSegmenter::Outcome;
using Format = CameraPixelBuffer::Format;

const std::uint8_t *px(const CameraPixelBuffer &b, int x, int y)
{
    return b.constScanLine(y) + 4 * x;
}

// Left half is the person; the right half is a fine checkerboard, so a blur visibly changes it.
CameraPixelBuffer frame(int w = 128, int h = 72)
{
    CameraPixelBuffer b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t *p = b.scanLine(y) + 4 * x;
            const bool light = ((x / 2) + (y / 2)) % 2;
            p[0] = light ? 40 : 220, p[1] = light ? 200 : 30, p[2] = light ? 90 : 250, p[3] = 255;
        }
    return b;
}

CameraPixelBuffer leftHalfMask(int w, int h)
{
    CameraPixelBuffer m(w, h, Format::Gray8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m.scanLine(y)[x] = x < w / 2 ? 255 : 0;
    return m;
}

class ScriptedSegmenter : public PersonSegmenter {
public:
    std::deque<Outcome> script;
    int calls = 0;
    Outcome segment(const CameraPixelBuffer &, CameraPixelBuffer &mask, QString &error) override
    {
        ++calls;
        const Outcome o = script.empty() ? Outcome::noMask : script.front();
        if (!script.empty())
            script.pop_front();
        if (o == Outcome::mask)
            mask = leftHalfMask(32, 32);
        if (o == Outcome::failed)
            error = QStringLiteral("model error %1").arg(calls);
        return o;
    }
};

struct EngineFixture {
    ZunoTestHome home;
    ZunoAppLogger logger { QStringLiteral("ZunoCamTest") };
    std::chrono::steady_clock::time_point now {};
    ScriptedSegmenter *segmenter = new ScriptedSegmenter;
    PortraitSegmentationEngine engine { logger, std::unique_ptr<PersonSegmenter>(segmenter),
        [this] { return now; } };

    QStringList warnings() const
    {
        QStringList out;
        for (const auto &e : logger.recentEntries(100, ZunoLogLevel::warn))
            out.prepend(e.category + QLatin1Char('|') + e.message);
        return out;
    }
};

} // namespace

TEST(PortraitSegmentationEngine, CompositeStretchesAMaskOfAnotherAspect)
{
    const CameraPixelBuffer fg = frame();
    PortraitSegmentationEngine::Workspace ws;
    const CameraPixelBuffer out = PortraitSegmentationEngine::composite(
        fg, leftHalfMask(16, 16), PortraitBackgroundMode::softBlur, ws);
    ASSERT_EQ(out.width(), 128);
    ASSERT_EQ(out.height(), 72);
    for (int y = 4; y < 68; y += 9) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(px(out, 10, y)[c], px(fg, 10, y)[c]); // the person is untouched
        // The background is blurred: the checkerboard becomes its average.
        EXPECT_NEAR(px(out, 110, y)[0], (40 + 220) / 2, 25);
        EXPECT_NEAR(px(out, 111, y)[2], (90 + 250) / 2, 25);
    }
}

TEST(PortraitSegmentationEngine, OffAndEmptyMasksReturnTheForeground)
{
    const CameraPixelBuffer fg = frame();
    PortraitSegmentationEngine::Workspace ws;
    EXPECT_EQ(PortraitSegmentationEngine::composite(fg, leftHalfMask(8, 8), PortraitBackgroundMode::off, ws)
                  .constBits(),
        fg.constBits());
    EXPECT_EQ(
        PortraitSegmentationEngine::composite(fg, CameraPixelBuffer(), PortraitBackgroundMode::strongBlur, ws)
            .constBits(),
        fg.constBits());
}

TEST(PortraitSegmentationEngine, StudioDimIsDarkerAndLessSaturated)
{
    CameraPixelBuffer fg(128, 72);
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 128; ++x) {
            std::uint8_t *p = fg.scanLine(y) + 4 * x;
            p[0] = 60, p[1] = 120, p[2] = 220, p[3] = 255;
        }
    PortraitSegmentationEngine::Workspace ws;
    const CameraPixelBuffer out = PortraitSegmentationEngine::composite(
        fg, leftHalfMask(64, 36), PortraitBackgroundMode::studioDim, ws);
    const auto *person = px(out, 5, 36);
    const auto *back = px(out, 120, 36);
    EXPECT_EQ(person[2], 220);
    EXPECT_LT(back[2], 220 * 0.65); // 1.75 stops darker
    const double spreadBefore = 220.0 - 60.0;
    const double spreadAfter = back[2] - back[0];
    EXPECT_LT(spreadAfter / back[2], spreadBefore / 220.0); // less saturated
    EXPECT_GT(spreadAfter, 0);
}

TEST(PortraitSegmentationEngine, OffSkipsSegmentationAndForgetsTheMask)
{
    EngineFixture f;
    const CameraPixelBuffer in = frame();
    f.segmenter->script = { Outcome::mask };
    const CameraPixelBuffer blurred = f.engine.apply(in, PortraitBackgroundMode::strongBlur);
    EXPECT_NE(blurred.constBits(), in.constBits());
    EXPECT_EQ(f.engine.apply(in, PortraitBackgroundMode::off).constBits(), in.constBits());
    EXPECT_EQ(f.segmenter->calls, 1);
    // The mask was forgotten: a frame without a new mask passes through.
    f.segmenter->script = { Outcome::noMask };
    EXPECT_EQ(f.engine.apply(in, PortraitBackgroundMode::softBlur).constBits(), in.constBits());
}

TEST(PortraitSegmentationEngine, FailuresReuseTheLastMaskAndLogAtMostEveryTenSeconds)
{
    EngineFixture f;
    const CameraPixelBuffer in = frame();
    f.segmenter->script
        = { Outcome::failed, Outcome::mask, Outcome::failed, Outcome::noMask, Outcome::failed };
    // No mask yet: the frame passes through, and the first failure logs at once.
    EXPECT_EQ(f.engine.apply(in, PortraitBackgroundMode::softBlur).constBits(), in.constBits());
    f.now += std::chrono::seconds(1);
    EXPECT_NE(f.engine.apply(in, PortraitBackgroundMode::softBlur).constBits(), in.constBits());
    f.now += std::chrono::seconds(5);
    EXPECT_NE(
        f.engine.apply(in, PortraitBackgroundMode::softBlur).constBits(), in.constBits()); // last mask reused
    EXPECT_NE(f.engine.apply(in, PortraitBackgroundMode::softBlur).constBits(), in.constBits());
    f.now += std::chrono::seconds(4); // 10 s after the first line
    f.engine.apply(in, PortraitBackgroundMode::softBlur);
    EXPECT_EQ(f.warnings(),
        (QStringList { "portrait|Vision portrait segmentation failed: model error 1",
            "portrait|Vision portrait segmentation failed: model error 5" }));

    f.engine.reset();
    f.segmenter->script = { Outcome::noMask };
    EXPECT_EQ(f.engine.apply(in, PortraitBackgroundMode::softBlur).constBits(), in.constBits());
}
