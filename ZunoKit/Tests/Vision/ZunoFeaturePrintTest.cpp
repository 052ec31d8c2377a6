#include "ZunoFeaturePrint.h"
#include "ZunoVisionError.h"
#include "ZunoVisionServices.h"
#include "ZunoVisionTestImages.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace {

// Every channel scaled and lifted, clipped at white: the same scene, exposed brighter.
QImage brightened(const QImage &image, double gain, int lift)
{
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            auto channel = [&](int v) { return std::min(255, int(std::lround(v * gain)) + lift); };
            row[x] = qRgb(channel(qRed(row[x])), channel(qGreen(row[x])), channel(qBlue(row[x])));
        }
    }
    return out;
}

double norm(const ZunoFeaturePrint &print)
{
    const std::vector<float> &d = print.data();
    return std::sqrt(std::inner_product(d.begin(), d.end(), d.begin(), 0.0));
}

} // namespace

TEST(ZunoFeaturePrint, SmallForTheSameSceneLargeForAnother)
{
    const QImage portrait = ZunoVisionTestImages::astronaut();
    ASSERT_FALSE(portrait.isNull());
    const ZunoFeaturePrint print = ZunoVisionServices::featurePrint(portrait);
    EXPECT_EQ(print.elementCount(), ZunoFeaturePrint::kElementCount);
    EXPECT_NEAR(norm(print), 1.0, 1e-5);
    EXPECT_EQ(print.computeDistance(print), 0.0f);
    EXPECT_EQ(ZunoVisionServices::featurePrint(portrait), print);

    const float brighter
        = print.computeDistance(ZunoVisionServices::featurePrint(brightened(portrait, 1.1, 20)));
    const float darker
        = print.computeDistance(ZunoVisionServices::featurePrint(brightened(portrait, 0.85, 0)));
    const float halfSize = print.computeDistance(ZunoVisionServices::featurePrint(
        portrait.scaled(256, 256, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    const ZunoFeaturePrint other
        = ZunoVisionServices::featurePrint(ZunoVisionTestImages::landscape(portrait.size()));
    const float different = print.computeDistance(other);
    const float mirrored
        = print.computeDistance(ZunoVisionServices::featurePrint(portrait.mirrored(true, false)));
    EXPECT_LT(brighter, 0.1f);
    EXPECT_LT(darker, 0.1f);
    EXPECT_LT(halfSize, 0.1f);
    EXPECT_GT(different, 0.8f);
    EXPECT_GT(mirrored, 0.5f); // upside down is another picture
    EXPECT_EQ(other.computeDistance(print), different);
}

TEST(ZunoFeaturePrint, TransparencyAndPlainPictures)
{
    // Transparent pixels count as white, whatever colour they carry.
    QImage transparent(64, 48, QImage::Format_ARGB32);
    transparent.fill(QColor(255, 0, 0, 0));
    QImage white(64, 48, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(ZunoVisionServices::featurePrint(transparent), ZunoVisionServices::featurePrint(white));

    // A plain grey picture has nothing to describe: all zeros. A plain colour keeps its colour.
    QImage grey(30, 20, QImage::Format_RGB32);
    grey.fill(QColor(128, 128, 128));
    const ZunoFeaturePrint plain = ZunoVisionServices::featurePrint(grey);
    EXPECT_EQ(plain, ZunoFeaturePrint(std::vector<float>(ZunoFeaturePrint::kElementCount, 0.0f)));
    QImage red(30, 20, QImage::Format_RGB32);
    red.fill(QColor(200, 30, 30));
    EXPECT_NEAR(norm(ZunoVisionServices::featurePrint(red)), 1.0, 1e-5);

    // One-pixel pictures are described too.
    EXPECT_EQ(ZunoVisionServices::featurePrint(QImage(1, 1, QImage::Format_RGB32)).elementCount(),
        ZunoFeaturePrint::kElementCount);
}

TEST(ZunoFeaturePrint, Failures)
{
    for (const QImage &image : { QImage(), QImage(0, 10, QImage::Format_RGB32) }) {
        try {
            ZunoVisionServices::featurePrint(image);
            ADD_FAILURE() << "no error thrown";
        } catch (const ZunoVisionError &error) {
            EXPECT_EQ(error.domain(), "ZunoVisionServices");
            EXPECT_EQ(error.code(), 1);
            EXPECT_EQ(error.localizedDescription(), "Could not compute image feature print.");
            EXPECT_STREQ(error.what(), "Could not compute image feature print.");
        }
    }
    const ZunoFeaturePrint shorter(std::vector<float>(3, 0.0f));
    EXPECT_THROW(shorter.computeDistance(ZunoVisionServices::featurePrint(ZunoVisionTestImages::astronaut())),
        ZunoVisionError);
}
