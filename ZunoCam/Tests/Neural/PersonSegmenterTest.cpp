#include "PersonSegmenter.h"

#include "NeuralPortraitFrames.h"

#include "ZunoAppLogger.h"

#include <QSet>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// A logger in its own temporary folder; `lines()` gives its entries oldest first as
// "category|message", with every entry required to be a warning.
struct TestLog {
    QTemporaryDir dir;
    std::shared_ptr<ZunoAppLogger> logger
        = std::make_shared<ZunoAppLogger>(QStringLiteral("ZunoCamNeuralTests"), dir.path());

    QStringList lines() const
    {
        QStringList out;
        for (const ZunoLogEntry &e : logger->recentEntries(100, ZunoLogLevel::debug)) {
            EXPECT_EQ(e.level, ZunoLogLevel::warn);
            out.prepend(e.category + QLatin1Char('|') + e.message);
        }
        return out;
    }
};

// Mean mask value in a small square around a frame point, the mask stretched over the frame.
double maskAt(const QImage &mask, const QImage &frame, QPointF p)
{
    const int cx = int(p.x() * mask.width() / frame.width()),
              cy = int(p.y() * mask.height() / frame.height());
    double sum = 0;
    int n = 0;
    for (int y = cy - 2; y <= cy + 2; ++y)
        for (int x = cx - 2; x <= cx + 2; ++x)
            if (x >= 0 && y >= 0 && x < mask.width() && y < mask.height()) {
                sum += mask.constScanLine(y)[x];
                ++n;
            }
    return sum / n;
}

TEST(PersonSegmenterTest, MaskCoversThePersonAndNotTheBackground)
{
    TestLog log;
    PersonSegmenter segmenter(log.logger);
    for (const NeuralPortraitFrame &f : neuralPortraitFrames()) {
        SCOPED_TRACE(f.name);
        segmenter.reset();
        const std::optional<QImage> mask
            = segmenter.segment(NeuralImageView::of(f.image), PortraitBackgroundMode::softBlur);
        ASSERT_TRUE(mask.has_value());
        EXPECT_EQ(mask->size(), QSize(256, 144));
        EXPECT_EQ(mask->format(), QImage::Format_Grayscale8);
        EXPECT_GT(maskAt(*mask, f.image, f.faceCentre), 200);
        EXPECT_GT(maskAt(*mask, f.image, f.shoulder), 200);
        const double w = f.image.width(), h = f.image.height();
        EXPECT_LT(maskAt(*mask, f.image, { w * 0.03, h * 0.03 }), 40);
        EXPECT_LT(maskAt(*mask, f.image, { w * 0.97, h * 0.03 }), 40);
    }
    EXPECT_EQ(log.lines(), QStringList());
}

// A model whose next answer the test chooses, and a clock the test moves.
struct Scripted {
    bool succeed = true;
    int fill = 0;
    PersonSegmenter::Clock::time_point now {};
    TestLog log;

    PersonSegmenter make()
    {
        return PersonSegmenter(
            log.logger,
            [this](const NeuralImageView &, QImage &mask, QString &error) {
                if (!succeed) {
                    error = QStringLiteral("model exploded");
                    return false;
                }
                if (mask.size() != QSize(8, 4))
                    mask = QImage(8, 4, QImage::Format_Grayscale8);
                mask.fill(fill);
                return true;
            },
            [this] { return now; });
    }
};

const QImage kFrame = [] {
    QImage f(16, 9, QImage::Format_RGB32);
    f.fill(Qt::gray);
    return f;
}();

TEST(PersonSegmenterTest, FailuresReuseTheLastGoodMaskAndLogAtMostEveryTenSeconds)
{
    Scripted s;
    PersonSegmenter segmenter = s.make();
    const NeuralImageView frame = NeuralImageView::of(kFrame);
    const QString line = QStringLiteral("portrait|Vision portrait segmentation failed: model exploded");

    // The first failure logs at once (the last log line is in the distant past); there is no mask yet.
    s.succeed = false;
    EXPECT_FALSE(segmenter.segment(frame, PortraitBackgroundMode::strongBlur).has_value());
    EXPECT_EQ(s.log.lines(), QStringList { line });
    s.now += 9999ms;
    EXPECT_FALSE(segmenter.segment(frame, PortraitBackgroundMode::strongBlur).has_value());
    EXPECT_EQ(s.log.lines().size(), 1);

    s.succeed = true;
    s.fill = 180;
    const std::optional<QImage> good = segmenter.segment(frame, PortraitBackgroundMode::strongBlur);
    ASSERT_TRUE(good.has_value());
    EXPECT_EQ(good->pixelColor(3, 2).red(), 180);

    // Failing after a success composes with the last good mask; exactly 10 s after the last line logs again.
    s.succeed = false;
    s.now += 1ms;
    std::optional<QImage> reused = segmenter.segment(frame, PortraitBackgroundMode::strongBlur);
    ASSERT_TRUE(reused.has_value());
    EXPECT_EQ(reused->pixelColor(3, 2).red(), 180);
    EXPECT_EQ(s.log.lines(), (QStringList { line, line }));
    s.now += 9s;
    EXPECT_TRUE(segmenter.segment(frame, PortraitBackgroundMode::strongBlur).has_value());
    EXPECT_EQ(s.log.lines().size(), 2);

    // Reset forgets the mask: failures pass frames through again.
    segmenter.reset();
    EXPECT_FALSE(segmenter.segment(frame, PortraitBackgroundMode::strongBlur).has_value());
}

TEST(PersonSegmenterTest, ModeOffDoesNoWorkAndForgetsTheMask)
{
    Scripted s;
    int calls = 0;
    PersonSegmenter segmenter(s.log.logger, [&](const NeuralImageView &, QImage &mask, QString &error) {
        ++calls;
        if (!s.succeed) {
            error = QStringLiteral("model exploded");
            return false;
        }
        mask = QImage(8, 4, QImage::Format_Grayscale8);
        mask.fill(200);
        return true;
    });
    const NeuralImageView frame = NeuralImageView::of(kFrame);
    ASSERT_TRUE(segmenter.segment(frame, PortraitBackgroundMode::studioDim).has_value());
    EXPECT_FALSE(segmenter.segment(frame, PortraitBackgroundMode::off).has_value());
    EXPECT_EQ(calls, 1);
    // Back to a blur, a failing first frame has no old mask to fall back on.
    s.succeed = false;
    EXPECT_FALSE(segmenter.segment(frame, PortraitBackgroundMode::softBlur).has_value());
    EXPECT_EQ(calls, 2);
}

TEST(PersonSegmenterTest, HandedOutMasksStayIntactAndBuffersAreReused)
{
    Scripted s;
    PersonSegmenter segmenter = s.make();
    const NeuralImageView frame = NeuralImageView::of(kFrame);
    s.fill = 10;
    const QImage held = *segmenter.segment(frame, PortraitBackgroundMode::strongBlur);
    QSet<const uchar *> buffers;
    for (int i = 0; i < 20; ++i) {
        s.fill = 100 + i;
        const std::optional<QImage> mask = segmenter.segment(frame, PortraitBackgroundMode::strongBlur);
        ASSERT_TRUE(mask.has_value());
        EXPECT_EQ(mask->pixelColor(0, 0).red(), 100 + i);
        buffers.insert(mask->constBits());
    }
    // The mask a caller still holds was never written over; the others rotate through the pool.
    EXPECT_EQ(held.pixelColor(0, 0).red(), 10);
    EXPECT_FALSE(buffers.contains(held.constBits()));
    EXPECT_LE(buffers.size(), 2);
}

TEST(PersonSegmenterTest, MissingModelOrEmptyFrameFailsWithTheReason)
{
    TestLog missingLog;
    PersonSegmenter missing(missingLog.logger, QStringLiteral("/nonexistent/selfie.tflite"));
    EXPECT_FALSE(missing.segment(NeuralImageView::of(kFrame), PortraitBackgroundMode::softBlur).has_value());
    const QStringList lines = missingLog.lines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(
        QStringLiteral("portrait|Vision portrait segmentation failed: Cannot open model file")))
        << lines[0].toStdString();

    TestLog emptyLog;
    PersonSegmenter real(emptyLog.logger);
    EXPECT_FALSE(real.segment(NeuralImageView {}, PortraitBackgroundMode::softBlur).has_value());
    EXPECT_EQ(emptyLog.lines(),
        QStringList { QStringLiteral("portrait|Vision portrait segmentation failed: The frame is empty.") });
}

} // namespace
