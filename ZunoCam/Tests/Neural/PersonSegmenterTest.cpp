#include "PersonSegmenter.h"

#include "NeuralPortraitFrames.h"

#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

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
    QStringList warnings;
    PersonSegmenter segmenter([&](const QString &, const QString &message) { warnings << message; });
    for (const NeuralPortraitFrame &f : neuralPortraitFrames()) {
        SCOPED_TRACE(f.name);
        segmenter.reset();
        const std::optional<QImage> mask = segmenter.segment(NeuralImageView::of(f.image));
        ASSERT_TRUE(mask.has_value());
        EXPECT_EQ(mask->size(), QSize(256, 144));
        EXPECT_EQ(mask->format(), QImage::Format_Grayscale8);
        EXPECT_GT(maskAt(*mask, f.image, f.faceCentre), 200);
        EXPECT_GT(maskAt(*mask, f.image, f.shoulder), 200);
        const double w = f.image.width(), h = f.image.height();
        EXPECT_LT(maskAt(*mask, f.image, { w * 0.03, h * 0.03 }), 40);
        EXPECT_LT(maskAt(*mask, f.image, { w * 0.97, h * 0.03 }), 40);
    }
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
}

// A model whose next answer the test chooses, and a clock the test moves.
struct Scripted {
    bool succeed = true;
    int fill = 0;
    PersonSegmenter::Clock::time_point now {};
    QStringList lines;

    PersonSegmenter make()
    {
        return PersonSegmenter(
            [this](const QString &category, const QString &message) {
                lines << category + QLatin1Char('|') + message;
            },
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
    EXPECT_FALSE(segmenter.segment(frame).has_value());
    EXPECT_EQ(s.lines, QStringList { line });
    s.now += 9999ms;
    EXPECT_FALSE(segmenter.segment(frame).has_value());
    EXPECT_EQ(s.lines.size(), 1);

    s.succeed = true;
    s.fill = 180;
    const std::optional<QImage> good = segmenter.segment(frame);
    ASSERT_TRUE(good.has_value());
    EXPECT_EQ(good->pixelColor(3, 2).red(), 180);

    // Failing after a success composes with the last good mask; exactly 10 s after the last line logs again.
    s.succeed = false;
    s.now += 1ms;
    std::optional<QImage> reused = segmenter.segment(frame);
    ASSERT_TRUE(reused.has_value());
    EXPECT_EQ(reused->pixelColor(3, 2).red(), 180);
    EXPECT_EQ(s.lines, (QStringList { line, line }));
    s.now += 9s;
    EXPECT_TRUE(segmenter.segment(frame).has_value());
    EXPECT_EQ(s.lines.size(), 2);

    // Reset forgets the mask: failures pass frames through again.
    segmenter.reset();
    EXPECT_FALSE(segmenter.segment(frame).has_value());
}

TEST(PersonSegmenterTest, HandedOutMasksStayIntactAndBuffersAreReused)
{
    Scripted s;
    PersonSegmenter segmenter = s.make();
    const NeuralImageView frame = NeuralImageView::of(kFrame);
    s.fill = 10;
    const QImage held = *segmenter.segment(frame);
    QSet<const uchar *> buffers;
    for (int i = 0; i < 20; ++i) {
        s.fill = 100 + i;
        const std::optional<QImage> mask = segmenter.segment(frame);
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
    QStringList lines;
    PersonSegmenter missing(
        [&](const QString &, const QString &m) { lines << m; }, QStringLiteral("/nonexistent/selfie.tflite"));
    EXPECT_FALSE(missing.segment(NeuralImageView::of(kFrame)).has_value());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(
        lines[0].startsWith(QStringLiteral("Vision portrait segmentation failed: Cannot open model file")))
        << lines[0].toStdString();

    lines.clear();
    PersonSegmenter real([&](const QString &, const QString &m) { lines << m; });
    EXPECT_FALSE(real.segment(NeuralImageView {}).has_value());
    EXPECT_EQ(
        lines, QStringList { QStringLiteral("Vision portrait segmentation failed: The frame is empty.") });
}

} // namespace
