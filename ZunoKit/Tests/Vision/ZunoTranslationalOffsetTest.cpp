#include "ZunoVisionError.h"
#include "ZunoVisionServices.h"
#include "ZunoVisionTestImages.h"

#include <QPainter>
#include <QtConcurrent>

#include <gtest/gtest.h>

namespace {

// `image` moved `right` pixels to the right and `down` pixels down, the uncovered edge grey.
QImage moved(const QImage &image, int right, int down)
{
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(QColor(128, 128, 128));
    QPainter painter(&out);
    painter.drawImage(QPoint(right, down), image);
    return out;
}

} // namespace

TEST(ZunoVisionServicesRegistration, FindsTheShiftThatAlignsTheSecondImage)
{
    const QImage portrait = ZunoVisionTestImages::astronaut();
    const QImage wide = portrait.copy(0, 100, 512, 300);
    struct Case {
        const char *name;
        QImage image;
        int right;
        int down;
    };
    const Case cases[] = {
        { "no shift", portrait, 0, 0 },
        { "right and down", portrait, 7, 4 },
        { "left and down", portrait, -12, 9 },
        { "right and up", portrait, 20, -15 },
        { "wide picture, left and up", wide, -5, -11 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QImage to = moved(c.image, c.right, c.down);
        // Moving `to` back: against its shift, and with y upwards a shift down is undone upwards.
        const ZunoVector offset = ZunoVisionServices::translationalOffset(c.image, to);
        EXPECT_NEAR(offset.dx, -c.right, 1.0);
        EXPECT_NEAR(offset.dy, c.down, 1.0);
        const ZunoVector back = ZunoVisionServices::translationalOffset(to, c.image);
        EXPECT_NEAR(back.dx, c.right, 1.0);
        EXPECT_NEAR(back.dy, -c.down, 1.0);
    }
}

TEST(ZunoVisionServicesRegistration, ImagesOfDifferentSizesShareTheirBottomLeftCorner)
{
    const QImage portrait = ZunoVisionTestImages::astronaut();
    // The 400 × 400 block at the bottom left: the same content at the same place.
    const ZunoVector same
        = ZunoVisionServices::translationalOffset(portrait, portrait.copy(0, 112, 400, 400));
    EXPECT_NEAR(same.dx, 0.0, 1.0);
    EXPECT_NEAR(same.dy, 0.0, 1.0);
    // A block 10 pixels in and 12 up: its content sits 10 left of and 12 below where it belongs.
    const ZunoVector inner
        = ZunoVisionServices::translationalOffset(portrait, portrait.copy(10, 100, 400, 400));
    EXPECT_NEAR(inner.dx, 10.0, 1.0);
    EXPECT_NEAR(inner.dy, 12.0, 1.0);
}

TEST(ZunoVisionServicesRegistration, NothingToAlignAndBadInput)
{
    QImage plain(64, 64, QImage::Format_RGB32);
    plain.fill(QColor(90, 90, 90));
    EXPECT_EQ(ZunoVisionServices::translationalOffset(plain, plain), ZunoVector());
    EXPECT_EQ(ZunoVisionServices::translationalOffset(
                  QImage(1, 1, QImage::Format_RGB32), QImage(1, 1, QImage::Format_RGB32)),
        ZunoVector());

    const QImage portrait = ZunoVisionTestImages::astronaut();
    for (const auto &[from, to] : { std::pair { QImage(), portrait }, std::pair { portrait, QImage() } }) {
        try {
            ZunoVisionServices::translationalOffset(from, to);
            ADD_FAILURE() << "no error thrown";
        } catch (const ZunoVisionError &error) {
            EXPECT_EQ(error.domain(), ZunoVisionError::kEngineDomain);
            EXPECT_EQ(error.code(), ZunoVisionError::InvalidImage);
        }
    }
}

TEST(ZunoVisionServicesRegistration, PrintsAndRegistrationsRunOnSeveralThreadsAtOnce)
{
    const QImage portrait = ZunoVisionTestImages::astronaut();
    const QImage to = moved(portrait, 6, -3);
    const ZunoVector expectedOffset = ZunoVisionServices::translationalOffset(portrait, to);
    const ZunoFeaturePrint expectedPrint = ZunoVisionServices::featurePrint(to);
    QList<QFuture<bool>> futures;
    for (int i = 0; i < 8; ++i) {
        futures.append(QtConcurrent::run([&] {
            return ZunoVisionServices::translationalOffset(portrait, to) == expectedOffset
                && ZunoVisionServices::featurePrint(to) == expectedPrint;
        }));
    }
    for (QFuture<bool> &future : futures)
        EXPECT_TRUE(future.result());
}
