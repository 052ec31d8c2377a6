#include "CameraFaceDetector.h"

#include "NeuralPortraitFrames.h"

#include <QLineF>

#include <gtest/gtest.h>

namespace {

// The detected box (bottom-left origin, normalised) in frame pixels with a top-left origin.
QRectF inPixels(const QRectF &box, const QImage &frame)
{
    return QRectF(box.x() * frame.width(), (1.0 - box.bottom()) * frame.height(), box.width() * frame.width(),
        box.height() * frame.height());
}

void expectFaceFound(CameraFaceDetector &detector)
{
    for (const NeuralPortraitFrame &f : neuralPortraitFrames()) {
        SCOPED_TRACE(f.name);
        const CameraFaceDetection result = detector.detect(NeuralImageView::of(f.image));
        ASSERT_TRUE(result.succeeded);
        ASSERT_TRUE(result.face.has_value());
        const QRectF box = inPixels(*result.face, f.image);
        EXPECT_TRUE(box.contains(f.faceCentre))
            << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
        // A face, not the whole person: the box is about a head's size and ends above the shoulder.
        EXPECT_LT(box.bottom(), f.shoulder.y());
        EXPECT_LT(QLineF(box.center(), f.faceCentre).length(), box.width() * 0.5);
    }
}

TEST(CameraFaceDetectorTest, ModelFindsTheFaceWhereItIsInTheFrame)
{
    CameraFaceDetector detector;
    ASSERT_TRUE(detector.usesModel()) << detector.modelError().toStdString();
    expectFaceFound(detector);
}

TEST(CameraFaceDetectorTest, CascadeStandsInWhenTheModelIsMissing)
{
    CameraFaceDetector detector(QStringLiteral("/nonexistent/face.tflite"));
    ASSERT_FALSE(detector.usesModel());
    EXPECT_TRUE(detector.modelError().contains(QStringLiteral("Cannot open model file")));
    if (CameraFaceDetector::defaultCascadePath().isEmpty())
        GTEST_SKIP() << "opencv-data's face cascade is not installed";
    expectFaceFound(detector);
}

TEST(CameraFaceDetectorTest, NoFaceIsASuccessWithoutABoxAndAnEmptyFrameIsAFailure)
{
    CameraFaceDetector detector;
    QImage wall(1280, 720, QImage::Format_RGB32);
    wall.fill(QColor(120, 130, 140));
    const CameraFaceDetection none = detector.detect(NeuralImageView::of(wall));
    EXPECT_TRUE(none.succeeded);
    EXPECT_FALSE(none.face.has_value());
    EXPECT_FALSE(detector.detect(NeuralImageView {}).succeeded);
}

} // namespace

namespace {

// A person further from the camera (a face about 130 px high) in a 1280x720 frame, anywhere across it.
struct DistantPerson {
    QImage frame;
    QPointF faceCentre;
};

DistantPerson distantPerson(int left)
{
    const QImage portrait = QImage(QStringLiteral(ZUNO_TEST_DATA "/neural/astronaut.png"))
                                .convertToFormat(QImage::Format_RGB32);
    QImage frame(1280, 720, QImage::Format_RGB32);
    frame.fill(QColor(96, 104, 112));
    const QRect placed(left, 160, 560, 560);
    QPainter p(&frame);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(placed, portrait);
    return {frame, QPointF(placed.x() + 225 * 560 / 512.0, placed.y() + 120 * 560 / 512.0)};
}

TEST(CameraFaceDetectorTest, FindsSmallerFacesAcrossAWideFrame)
{
    CameraFaceDetector detector;
    ASSERT_TRUE(detector.usesModel());
    for (int left : {20, 440, 860}) {
        SCOPED_TRACE(left);
        const DistantPerson person = distantPerson(left);
        const CameraFaceDetection result = detector.detect(NeuralImageView::of(person.frame));
        ASSERT_TRUE(result.succeeded);
        ASSERT_TRUE(result.face.has_value());
        const QRectF box = inPixels(*result.face, person.frame);
        EXPECT_TRUE(box.contains(person.faceCentre)) << box.x() << "," << box.y() << " " << box.width();
        EXPECT_LT(box.height(), 140);
    }
}

}  // namespace
