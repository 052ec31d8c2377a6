#include "CameraCaptureService.h"
#include "CaptureTestSupport.h"
#include "ZunoAppLogger.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Mean absolute step between horizontal neighbours (all three colours) inside `area`.
double detail(const QImage &frame, const QRect &area)
{
    double sum = 0;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
        for (int x = area.left() + 1; x <= area.right(); ++x) {
            sum += std::abs(qRed(row[x]) - qRed(row[x - 1])) + std::abs(qGreen(row[x]) - qGreen(row[x - 1]))
                + std::abs(qBlue(row[x]) - qBlue(row[x - 1]));
            ++count;
        }
    }
    return sum / count;
}

// Runs the studio's own service (system cameras, selfie model, face detector) on the virtual camera
// and returns the frame that arrives after `settle` frames.
QImage frameAfter(
    const std::shared_ptr<ZunoAppLogger> &logger, const CameraAdjustments &adjustments, int settle)
{
    CameraCaptureService service(logger);
    service.updateAdjustments(adjustments);
    std::mutex lock;
    std::condition_variable arrived;
    int frames = 0;
    QImage last;
    service.onFrame = [&](const QImage &frame) {
        std::lock_guard guard(lock);
        ++frames;
        last = frame.copy();
        arrived.notify_all();
    };
    EXPECT_TRUE(service.start(std::nullopt));
    std::unique_lock guard(lock);
    EXPECT_TRUE(arrived.wait_for(guard, 30s, [&] { return frames >= settle; }));
    return last;
}

} // namespace

// The portrait fixture, still and letter-boxed, played as the camera: with a strong blur the
// person stays as sharp as without one while the shuttle model behind her loses its detail.
TEST(CameraCaptureServiceRoadTest, StrongBlurKeepsThePersonAndBlursTheBackgroundOfThePortraitClip)
{
    QTemporaryDir dir;
    const QString clip = dir.filePath(QStringLiteral("portrait.mp4"));
    QString error;
    ASSERT_TRUE(runFFmpeg({ "-loop", "1", "-framerate", "30", "-i", portraitFixturePath(), "-vf",
                              "scale=540:540,pad=1280:720:370:90:color=0x20262e,"
                              "drawbox=x=0:y=0:w=1280:h=90:color=black:t=fill,"
                              "drawbox=x=0:y=630:w=1280:h=90:color=black:t=fill,format=yuv420p",
                              "-t", "1", "-c:v", "libx264", "-crf", "12", clip },
        &error))
        << error.toStdString();
    VirtualCameraVariable camera(clip.toUtf8());
    QTemporaryDir logs;
    auto logger = std::make_shared<ZunoAppLogger>(QStringLiteral("ZunoCam"), logs.path());

    CameraAdjustments adjustments;
    adjustments.isMirrored = false;
    adjustments.autoFaceFraming = false;
    adjustments.saturation = 1;
    adjustments.contrast = 1;
    adjustments.vignetteIntensity = 0;
    const QImage plain = frameAfter(logger, adjustments, 3);
    adjustments.portraitBackgroundMode = PortraitBackgroundMode::strongBlur;
    const QImage blurred = frameAfter(logger, adjustments, 3);
    ASSERT_EQ(plain.size(), QSize(1280, 720));
    ASSERT_EQ(blurred.size(), QSize(1280, 720));

    const QRect face(570, 150, 90, 100);
    const QRect shuttle(790, 100, 100, 250);
    EXPECT_GT(detail(plain, shuttle), 4.0);
    EXPECT_LT(detail(blurred, shuttle), detail(plain, shuttle) * 0.4);
    EXPECT_GT(detail(blurred, face), detail(plain, face) * 0.85);
    for (const ZunoLogEntry &entry : logger->recentEntries(100, ZunoLogLevel::warn))
        ADD_FAILURE() << entry.message.toStdString();
}
