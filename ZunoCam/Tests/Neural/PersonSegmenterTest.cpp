#include "SelfiePersonSegmenter.h"

#include "NeuralPortraitFrames.h"
#include "PortraitSegmentationEngine.h"
#include "ZunoAppLogger.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A logger in its own temporary folder; `lines()` gives its warnings oldest first as "category|message".
struct TestLog {
    QTemporaryDir dir;
    ZunoAppLogger logger{QStringLiteral("ZunoCamNeuralTests"), dir.path()};

    QStringList lines() const
    {
        QStringList out;
        for (const ZunoLogEntry &e : logger.recentEntries(100, ZunoLogLevel::debug)) {
            EXPECT_EQ(e.level, ZunoLogLevel::warn);
            out.prepend(e.category + QLatin1Char('|') + e.message);
        }
        return out;
    }
};

CameraPixelBuffer bufferOf(const QImage &image) { return CameraPixelBuffer::fromQImage(image); }

// Mean mask value in a small square around a frame point, the mask stretched over the frame.
double maskAt(const CameraPixelBuffer &mask, const QImage &frame, QPointF p)
{
    const int cx = int(p.x() * mask.width() / frame.width()), cy = int(p.y() * mask.height() / frame.height());
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

TEST(SelfiePersonSegmenterTest, MaskCoversThePersonAndNotTheBackground)
{
    SelfiePersonSegmenter segmenter;
    for (const NeuralPortraitFrame &f : neuralPortraitFrames()) {
        SCOPED_TRACE(f.name);
        CameraPixelBuffer mask;
        QString error;
        ASSERT_EQ(segmenter.segment(bufferOf(f.image), mask, error), PersonSegmenter::Outcome::mask)
            << error.toStdString();
        EXPECT_EQ(mask.width(), 256);
        EXPECT_EQ(mask.height(), 144);
        EXPECT_EQ(mask.format(), CameraPixelBuffer::Format::Gray8);
        EXPECT_GT(maskAt(mask, f.image, f.faceCentre), 200);
        EXPECT_GT(maskAt(mask, f.image, f.shoulder), 200);
        const double w = f.image.width(), h = f.image.height();
        EXPECT_LT(maskAt(mask, f.image, {w * 0.03, h * 0.03}), 40);
        EXPECT_LT(maskAt(mask, f.image, {w * 0.97, h * 0.03}), 40);
    }
}

TEST(SelfiePersonSegmenterTest, ReusesItsMaskBuffer)
{
    SelfiePersonSegmenter segmenter;
    const CameraPixelBuffer frame = bufferOf(neuralPortraitFrames().front().image);
    CameraPixelBuffer mask;
    QString error;
    ASSERT_EQ(segmenter.segment(frame, mask, error), PersonSegmenter::Outcome::mask);
    const std::uint8_t *first = mask.constBits();
    ASSERT_EQ(segmenter.segment(frame, mask, error), PersonSegmenter::Outcome::mask);
    EXPECT_EQ(mask.constBits(), first);
}

TEST(SelfiePersonSegmenterTest, MissingModelOrEmptyFrameFailsWithTheReasonInTheLog)
{
    QImage frameImage(16, 9, QImage::Format_RGB32);
    frameImage.fill(Qt::gray);
    const CameraPixelBuffer frame = bufferOf(frameImage);

    TestLog missingLog;
    PortraitSegmentationEngine missing(missingLog.logger,
                                       std::make_unique<SelfiePersonSegmenter>(QStringLiteral("/nonexistent/selfie.tflite")));
    EXPECT_EQ(missing.apply(frame, PortraitBackgroundMode::softBlur).constBits(), frame.constBits());
    const QStringList lines = missingLog.lines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("portrait|Vision portrait segmentation failed: Cannot open model file")))
        << lines[0].toStdString();

    TestLog emptyLog;
    PortraitSegmentationEngine real(emptyLog.logger, std::make_unique<SelfiePersonSegmenter>());
    real.apply(CameraPixelBuffer(), PortraitBackgroundMode::softBlur);
    EXPECT_EQ(emptyLog.lines(),
              QStringList{QStringLiteral("portrait|Vision portrait segmentation failed: The frame is empty.")});
}

}  // namespace
