#include "CameraFileSource.h"
#include "CameraPushSource.h"
#include "CameraSyntheticSource.h"
#include "CameraSystemDevices.h"
#include "CameraV4L2Source.h"
#include "CaptureTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const CameraDeviceDescriptor kPush { QStringLiteral("push-1"), QStringLiteral("Push Camera") };

// Every time lies a whole number of frame periods after the first: the source stamps its schedule,
// not the moment its thread woke up.
void expectTimesOnTheSchedule(const std::vector<CameraFrameSample> &frames, double period)
{
    ASSERT_GE(frames.size(), 2u);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        const double periods = (frames[i].presentationTime - frames[0].presentationTime) / period;
        EXPECT_NEAR(periods, std::round(periods), 1e-4) << "frame " << i;
        EXPECT_GT(frames[i].presentationTime, frames[i - 1].presentationTime);
    }
}

} // namespace

TEST(CameraPushSourceTest, DeliversOnlyWhileRunningAndCanRefuseToOpen)
{
    CameraPushSource source(kPush);
    FrameCollector collector;
    EXPECT_FALSE(source.push(CameraFrameSample { CameraPixelBuffer(2, 2), 1 }));

    source.setOpenFailure(QStringLiteral("Device busy"));
    QString error;
    EXPECT_FALSE(source.open(error));
    EXPECT_EQ(error, QStringLiteral("Device busy"));
    EXPECT_FALSE(source.start(collector.sink()));

    source.setOpenFailure({});
    ASSERT_TRUE(source.start(collector.sink()));
    EXPECT_TRUE(source.isRunning());
    EXPECT_TRUE(source.push(CameraFrameSample { CameraPixelBuffer(2, 2), 2 }));
    source.stop();
    EXPECT_FALSE(source.isOpen());
    EXPECT_FALSE(source.push(CameraFrameSample { CameraPixelBuffer(2, 2), 3 }));
    ASSERT_EQ(collector.count(), 1u);
    EXPECT_EQ(collector.frames()[0].presentationTime, 2);
}

TEST(CameraSyntheticSourceTest, SendsMovingFramesOfTheCameraSizeWithIncreasingTimes)
{
    CameraSyntheticSource source({ CameraSystemDevices::kPatternId, QStringLiteral("Pattern") });
    FrameCollector collector;
    ASSERT_TRUE(source.start(collector.sink()));
    ASSERT_TRUE(collector.waitForFrames(6));
    source.stop();
    const std::size_t afterStop = collector.count();

    const auto frames = collector.frames();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        ASSERT_EQ(frames[i].image.width(), 1280);
        ASSERT_EQ(frames[i].image.height(), 720);
        ASSERT_EQ(frames[i].image.format(), CameraPixelBuffer::Format::BGRA8);
        if (i > 0) {
            EXPECT_LT(frames[i - 1].presentationTime, frames[i].presentationTime);
        }
    }
    // Stamped with its tick, not the moment its thread woke up.
    expectTimesOnTheSchedule(frames, 1.0 / CameraSyntheticSource::kFramesPerSecond);
    EXPECT_GT(maxChannelDifference(frames.front().image, frames.back().image), 100); // it moves
    EXPECT_EQ(collector.count(), afterStop); // nothing arrives after stop() returned
    EXPECT_FALSE(source.isRunning());

    // Restartable after a stop.
    ASSERT_TRUE(source.start(collector.sink()));
    EXPECT_TRUE(collector.waitForFrames(afterStop + 2));
    source.stop();
}

TEST(CameraSyntheticSourceTest, PictureDependsOnlyOnTheFrameIndex)
{
    CameraPixelBuffer a, b, c;
    CameraSyntheticSource::render(12, a);
    CameraSyntheticSource::render(12, b);
    CameraSyntheticSource::render(13, c);
    EXPECT_EQ(maxChannelDifference(a, b), 0);
    EXPECT_GT(maxChannelDifference(a, c), 0);
    // Opaque everywhere.
    for (int y = 0; y < a.height(); y += 37)
        for (int x = 0; x < a.width(); x += 41)
            ASSERT_EQ(a.constScanLine(y)[x * 4 + 3], 255);
}

struct FileCodecCase {
    const char *name;
    const char *codec;
    const char *container;
};

void PrintTo(const FileCodecCase &c, std::ostream *os)
{
    *os << c.name;
}

// Makes `path` with ffmpeg (`arguments` come before the path) and returns the first picture a file
// source delivers from it; a null buffer, after a test failure, when either step fails.
CameraPixelBuffer firstPictureOfNewFile(const QString &path, QStringList arguments)
{
    QString error;
    if (!runFFmpeg(arguments << path, &error)) {
        ADD_FAILURE() << error.toStdString();
        return {};
    }
    CameraFileSource source({ CameraSystemDevices::kFileIdPrefix + path, QStringLiteral("File") }, path);
    FrameCollector collector;
    const bool delivered = source.start(collector.sink()) && collector.waitForFrames(1);
    source.stop();
    if (!delivered) {
        ADD_FAILURE() << "no picture from " << path.toStdString();
        return {};
    }
    return collector.frames()[0].image;
}

class CameraFileSourceCodecTest : public ::testing::TestWithParam<FileCodecCase> { };

// A solid colour must come out as that colour: catches full/limited range and channel-order mistakes,
// for the full-range MJPEG pictures cameras send and the limited-range H.264 of files.
TEST_P(CameraFileSourceCodecTest, DecodesToTheRightColourAtCameraSize)
{
    QTemporaryDir dir;
    const CameraPixelBuffer image = firstPictureOfNewFile(
        dir.filePath(QStringLiteral("solid.") + GetParam().container),
        { "-f", "lavfi", "-i", "color=c=0x3366CC:size=320x240:rate=30:duration=0.3", "-c:v", GetParam().codec,
            "-pix_fmt", QString::fromLatin1(GetParam().codec) == "mjpeg" ? "yuvj422p" : "yuv420p" });
    ASSERT_EQ(image.width(), 1280);
    ASSERT_EQ(image.height(), 720);
    const std::uint8_t *pixel = image.constScanLine(360) + 640 * 4;
    EXPECT_NEAR(pixel[0], 0xCC, 6); // B
    EXPECT_NEAR(pixel[1], 0x66, 6); // G
    EXPECT_NEAR(pixel[2], 0x33, 6); // R
    EXPECT_EQ(pixel[3], 255);
}

INSTANTIATE_TEST_SUITE_P(Codecs, CameraFileSourceCodecTest,
    ::testing::Values(FileCodecCase { "mjpeg", "mjpeg", "mkv" }, FileCodecCase { "h264", "libx264", "mp4" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CameraFileSourceTest, OtherShapesAreCentreCroppedNeverStretched)
{
    // A white square in the middle with red bands at the edges that a 16:9 picture cannot hold: the
    // square must stay square at camera size, and the bands must be cut off, not squeezed in.
    struct Case {
        int width, height;
        const char *bands; // drawbox arguments of the two bands outside the 16:9 middle
    };
    const Case cases[] = {
        { 640, 480, "x=0:y=0:w=640:h=56,drawbox=x=0:y=424:w=640:h=56" }, // 4:3, 640x360 kept
        { 1024, 768, "x=0:y=0:w=1024:h=92,drawbox=x=0:y=676:w=1024:h=92" }, // 4:3, 1024x576 kept
        { 960, 360, "x=0:y=0:w=156:h=360,drawbox=x=804:y=0:w=156:h=360" }, // wider: 640x360 kept
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(c.width).arg(c.height).toStdString());
        const int side = c.height / 2;
        const QString filter
            = QStringLiteral("color=c=black:size=%1x%2:rate=30:duration=0.2,"
                             "drawbox=x=%3:y=%4:w=%5:h=%5:color=white:t=fill,drawbox=%6:color=red:t=fill")
                  .arg(c.width)
                  .arg(c.height)
                  .arg((c.width - side) / 2)
                  .arg((c.height - side) / 2)
                  .arg(side)
                  .arg(QString::fromLatin1(c.bands));
        QTemporaryDir dir;
        const CameraPixelBuffer image = firstPictureOfNewFile(dir.filePath(QStringLiteral("shape.mkv")),
            { "-f", "lavfi", "-i", filter, "-c:v", "mjpeg", "-q:v", "2", "-pix_fmt", "yuvj422p" });
        ASSERT_EQ(image.width(), 1280);
        ASSERT_EQ(image.height(), 720);
        const auto isWhite = [&](int x, int y) {
            const std::uint8_t *p = image.constScanLine(y) + 4 * x;
            return p[0] > 128 && p[1] > 128 && p[2] > 128;
        };
        int squareWidth = 0, squareHeight = 0;
        for (int x = 0; x < 1280; ++x)
            squareWidth += isWhite(x, 360);
        for (int y = 0; y < 720; ++y)
            squareHeight += isWhite(640, y);
        // Scaled from the kept 16:9 middle to 1280x720, width and height alike.
        const double scale = 720.0 / std::min(c.height, c.width * 9 / 16);
        EXPECT_NEAR(squareWidth, side * scale, 4);
        EXPECT_NEAR(squareHeight, side * scale, 4);
        for (auto [x, y] : { std::pair { 640, 2 }, { 640, 717 }, { 2, 360 }, { 1277, 360 } }) {
            const std::uint8_t *p = image.constScanLine(y) + 4 * x;
            EXPECT_LT(p[2], 60) << "edge " << x << "," << y << " shows a band";
        }
    }
}

TEST(CameraFileSourceTest, LoopsFromTheStartAtTheEndOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("short.mp4"));
    // Six distinct pictures, lossless so that a picture decodes the same on every pass.
    ASSERT_TRUE(runFFmpeg({ "-f", "lavfi", "-i", "testsrc2=size=320x240:rate=30:duration=0.2", "-c:v",
        "libx264", "-qp", "0", "-pix_fmt", "yuv444p", path }));

    CameraFileSource source({ CameraSystemDevices::kFileIdPrefix + path, QStringLiteral("File") }, path);
    FrameCollector collector;
    ASSERT_TRUE(source.start(collector.sink()));
    ASSERT_TRUE(collector.waitForFrames(15));
    source.stop();
    EXPECT_GE(source.loopCount(), 2);

    const auto frames = collector.frames();
    EXPECT_EQ(maxChannelDifference(frames[0].image, frames[6].image), 0);
    EXPECT_EQ(maxChannelDifference(frames[2].image, frames[14].image), 0);
    EXPECT_GT(maxChannelDifference(frames[0].image, frames[1].image), 0);
    // Stamped with the time each picture is due, across the loops too.
    expectTimesOnTheSchedule(frames, 1.0 / 30);
}

TEST(CameraFileSourceTest, UnusableFilesDoNotOpen)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a video\n");
    file.close();

    for (const QString &path : { dir.filePath(QStringLiteral("missing.mp4")), text }) {
        CameraFileSource source({ CameraSystemDevices::kFileIdPrefix + path, QStringLiteral("File") }, path);
        QString error;
        EXPECT_FALSE(source.open(error)) << path.toStdString();
        EXPECT_FALSE(error.isEmpty());
        FrameCollector collector;
        EXPECT_FALSE(source.start(collector.sink()));
    }
}

TEST(CameraSystemDevicesTest, VirtualCameraComesFirstOnlyWhenTheEnvironmentNamesIt)
{
    {
        VirtualCameraVariable variable(QByteArray {});
        EXPECT_FALSE(CameraSystemDevices::virtualCamera().has_value());
        CameraSystemDevices devices;
        for (const auto &device : devices.devices())
            EXPECT_FALSE(device.id.startsWith(QStringLiteral("virtual:")));
    }
    {
        VirtualCameraVariable variable("pattern");
        CameraSystemDevices devices;
        const auto list = devices.devices();
        ASSERT_FALSE(list.isEmpty());
        EXPECT_EQ(list.first().id, CameraSystemDevices::kPatternId);
        EXPECT_EQ(devices.authorizationStatus(std::nullopt), CameraAuthorizationStatus::authorized);
        EXPECT_NE(dynamic_cast<CameraSyntheticSource *>(devices.makeSource(list.first()).get()), nullptr);
    }
    {
        VirtualCameraVariable variable("/tmp/clips/demo.mp4");
        CameraSystemDevices devices;
        const auto list = devices.devices();
        ASSERT_FALSE(list.isEmpty());
        EXPECT_EQ(list.first().id, QStringLiteral("virtual:file:/tmp/clips/demo.mp4"));
        EXPECT_EQ(list.first().name, QStringLiteral("ZunoCam Video File (demo.mp4)"));
        EXPECT_NE(dynamic_cast<CameraFileSource *>(devices.makeSource(list.first()).get()), nullptr);
        EXPECT_EQ(devices.makeSource({ QStringLiteral("no-such-camera"), QStringLiteral("x") }), nullptr);
    }
}

TEST(CameraV4L2SourceTest, CaptureTimeIsTheDriversWhenItIsPlausible)
{
    const double now = 5000.0;
    struct Row {
        const char *name;
        double driverTime;
        double expected;
    };
    const Row rows[] {
        { "captured 40 ms ago", now - 0.040, now - 0.040 },
        { "captured just now", now, now },
        { "no stamp", std::numeric_limits<double>::quiet_NaN(), now },
        { "on the wall clock", 1.78e9, now },
        { "from a stalled stream", now - 30, now },
        { "in the future", now + 1, now },
    };
    for (const Row &row : rows)
        EXPECT_EQ(CameraV4L2Source::captureTime(row.driverTime, now), row.expected) << row.name;
}
