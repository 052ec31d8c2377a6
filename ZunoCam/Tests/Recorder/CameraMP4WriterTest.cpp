#include "CameraMP4Writer.h"
#include "RecorderTestSupport.h"
#include "ZunoWaitUntil.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

CameraMP4Writer::Settings settings720(double start)
{
    return CameraMP4Writer::Settings { 1280, 720, 8'000'000, 30, start };
}

// Appends one frame, retrying while the pool is full (the writer refuses rather than waits).
bool appendWhenReady(CameraMP4Writer &writer, const CameraRecorderFrame &frame)
{
    for (int attempt = 0; attempt < 2000; ++attempt) {
        if (writer.isReadyForMoreMediaData())
            return writer.append(frame);
        QThread::usleep(500);
    }
    return false;
}

} // namespace

TEST(CameraMP4Writer, WritesPlayableHighProfileBt709)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("clip.mp4");
    const double start = 1000.25; // the capture clock does not start at zero
    SyntheticFrames frames(1280, 720);
    {
        CameraMP4Writer writer(path, settings720(start));
        for (int i = 0; i < 90; ++i)
            ASSERT_TRUE(appendWhenReady(writer, frames.frame(i, start + i / 30.0))) << i;
        EXPECT_EQ(writer.finish(), CameraMP4Writer::Status::completed) << writer.errorMessage().toStdString();
        EXPECT_EQ(writer.framesWritten(), 90);
    }

    const RecorderProbe probe = probeRecording(path, 100, 360);
    ASSERT_TRUE(probe.opened);
    expectHighProfileBt709(probe, 1280, 720, 90, 3.0, 0.001);
    EXPECT_EQ(probe.colorRange, "tv");
    for (double duration : probe.packetDurations)
        EXPECT_NEAR(duration, 1 / 30.0, 1e-4);
    // Pure red through the BT.709 limited-range matrix is (63, 102, 240); BT.601 would give (81, 90, 240).
    EXPECT_NEAR(probe.firstY, 63, 3);
    EXPECT_NEAR(probe.firstCb, 102, 3);
    EXPECT_NEAR(probe.firstCr, 240, 3);
}

TEST(CameraMP4Writer, KeepsVariableFrameTimes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("vfr.mp4");
    const double gaps[] = { 1 / 30.0, 1 / 15.0, 1 / 60.0, 0.1, 1 / 30.0, 0.05 };
    SyntheticFrames frames(320, 240, 0);
    std::vector<double> expected;
    {
        CameraMP4Writer writer(path, CameraMP4Writer::Settings { 320, 240, 4'500'000, 30, 5.0 });
        double t = 5.0;
        for (int i = 0; i < 40; ++i) {
            ASSERT_TRUE(appendWhenReady(writer, frames.frame(i, t)));
            const double gap = gaps[i % 6];
            expected.push_back(i == 39 ? 1 / 30.0 : gap);
            t += gap;
        }
        ASSERT_EQ(writer.finish(), CameraMP4Writer::Status::completed);
    }
    const RecorderProbe probe = probeRecording(path, 0, 0);
    ASSERT_EQ(probe.packetDurations.size(), expected.size());
    double total = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(probe.packetDurations[i], expected[i], 2.0 / 90000) << i;
        total += expected[i];
    }
    EXPECT_NEAR(probe.durationSeconds, total, 0.001);
}

TEST(CameraMP4Writer, RefusesFramesItCannotPlaceInTime)
{
    QTemporaryDir dir;
    SyntheticFrames frames(320, 240);
    CameraMP4Writer writer(
        dir.filePath("times.mp4"), CameraMP4Writer::Settings { 320, 240, 4'500'000, 30, 10.0 });
    EXPECT_FALSE(writer.append(frames.frame(0, 9.5))) << "before the start";
    EXPECT_FALSE(writer.append(frames.frame(0, std::nan("")))) << "no time";
    EXPECT_FALSE(writer.append(frames.frame(0, INFINITY))) << "infinite time";
    ASSERT_TRUE(appendWhenReady(writer, frames.frame(0, 10.0)));
    EXPECT_FALSE(appendWhenReady(writer, frames.frame(1, 10.0))) << "same time";
    EXPECT_FALSE(appendWhenReady(writer, frames.frame(1, 9.99))) << "earlier time";
    CameraRecorderFrame noPixels = frames.frame(1, 11.0);
    noPixels.data = nullptr;
    EXPECT_FALSE(writer.append(noPixels));
    CameraRecorderFrame shortRows = frames.frame(1, 11.0);
    shortRows.bytesPerRow = 320 * 4 - 1;
    EXPECT_FALSE(writer.append(shortRows));
    ASSERT_TRUE(appendWhenReady(writer, frames.frame(1, 10.04)));
    EXPECT_EQ(writer.finish(), CameraMP4Writer::Status::completed);
    EXPECT_EQ(writer.framesWritten(), 2);
    EXPECT_FALSE(writer.append(frames.frame(2, 12.0))) << "after finishing";
}

TEST(CameraMP4Writer, DropsInsteadOfBlockingWhenThePoolIsFull)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("burst.mp4");
    SyntheticFrames frames(1280, 720);
    int accepted = 0;
    {
        CameraMP4Writer writer(path, settings720(0));
        // A burst far faster than any encoder: the writer takes what its pool holds and refuses the rest.
        for (int i = 0; i < 100; ++i)
            accepted += writer.append(frames.frame(i, i / 1000.0)) ? 1 : 0;
        ASSERT_EQ(writer.finish(), CameraMP4Writer::Status::completed);
    }
    EXPECT_GE(accepted, CameraMP4Writer::kPoolSize);
    EXPECT_LT(accepted, 100);
    EXPECT_EQ(probeRecording(path, 0, 0).packets, accepted);
}

TEST(CameraMP4Writer, CancelStopsWithoutFinishing)
{
    QTemporaryDir dir;
    SyntheticFrames frames(320, 240);
    CameraMP4Writer writer(
        dir.filePath("cancel.mp4"), CameraMP4Writer::Settings { 320, 240, 4'500'000, 30, 0 });
    ASSERT_TRUE(appendWhenReady(writer, frames.frame(0, 0)));
    writer.cancel();
    EXPECT_EQ(writer.status(), CameraMP4Writer::Status::cancelled);
    EXPECT_FALSE(writer.isReadyForMoreMediaData());
    EXPECT_FALSE(writer.append(frames.frame(1, 1)));
    EXPECT_EQ(writer.finish(), CameraMP4Writer::Status::cancelled);
}

TEST(CameraMP4Writer, ReportsWhereSetUpFailed)
{
    QTemporaryDir dir;
    try {
        CameraMP4Writer writer(dir.filePath("missing/folder/clip.mp4"), settings720(0));
        FAIL() << "a file in a missing folder was opened";
    } catch (const CameraMP4Writer::SetupError &error) {
        EXPECT_EQ(error.stage(), CameraMP4Writer::SetupStage::file);
        EXPECT_FALSE(error.message().isEmpty());
    }
    try {
        CameraMP4Writer writer(
            dir.filePath("odd.mp4"), CameraMP4Writer::Settings { 1281, 720, 8'000'000, 30, 0 });
        FAIL() << "an odd width was accepted";
    } catch (const CameraMP4Writer::SetupError &error) {
        EXPECT_EQ(error.stage(), CameraMP4Writer::SetupStage::input);
    }
}

TEST(CameraMP4Writer, FramesOfAnotherSizeAreCutOrPaddedToTheFileSize)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sizes.mp4");
    SyntheticFrames small(160, 120);
    SyntheticFrames large(640, 480);
    {
        CameraMP4Writer writer(path, CameraMP4Writer::Settings { 320, 240, 4'500'000, 30, 0 });
        ASSERT_TRUE(appendWhenReady(writer, small.frame(0, 0)));
        ASSERT_TRUE(appendWhenReady(writer, large.frame(1, 0.04)));
        ASSERT_EQ(writer.finish(), CameraMP4Writer::Status::completed);
    }
    // The small frame's left quarter is red and the padding black: the first picture is red at the
    // left and black beyond the small frame.
    EXPECT_NEAR(probeRecording(path, 8, 8).firstY, 63, 3);
    EXPECT_NEAR(probeRecording(path, 300, 200).firstY, 16, 3);
    const RecorderProbe probe = probeRecording(path, 0, 0);
    EXPECT_EQ(probe.width, 320);
    EXPECT_EQ(probe.packets, 2);
}

// Stopped normally, the file is an ordinary MP4: one media data box and one index after it, with the
// frame count in its header; the fragments it was written as are hidden inside the media data.
TEST(CameraMP4Writer, FinishedFileIsAnOrdinaryMP4)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ordinary.mp4");
    SyntheticFrames frames(320, 240);
    {
        CameraMP4Writer writer(path, CameraMP4Writer::Settings { 320, 240, 4'500'000, 30, 7.0 });
        for (int i = 0; i < 100; ++i) // several fragments of a second
            ASSERT_TRUE(appendWhenReady(writer, frames.frame(i, 7.0 + i / 30.0))) << i;
        ASSERT_EQ(writer.finish(), CameraMP4Writer::Status::completed) << writer.errorMessage().toStdString();
        EXPECT_TRUE(writer.indexWritten());
        EXPECT_TRUE(writer.playable());
        EXPECT_EQ(writer.framesWritten(), 100);
        EXPECT_NEAR(writer.writtenSeconds(), 100 / 30.0, 1e-4);
    }

    EXPECT_EQ(topLevelBoxes(path).join(' ').toStdString(), "ftyp free mdat moov");
    // The room held for finishing is given back: the file takes its size, up to the last block.
    struct stat info { };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_LE(std::int64_t(info.st_blocks) * 512, std::int64_t(info.st_size) + 64 * 1024);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(32).mid(8), QByteArray("isom\0\0\x02\0isomiso2avc1mp41", 24))
        << "file type and brands";
    const RecorderProbe probe = probeRecording(path, 0, 0);
    ASSERT_TRUE(probe.opened);
    expectHighProfileBt709(probe, 320, 240, 100, 100 / 30.0, 0.001);
    EXPECT_EQ(probe.headerFrames, 100);
    EXPECT_EQ(probe.colorRange, "tv");
    int errors = -1;
    const std::vector<double> times = decodedPictureTimes(path, &errors);
    EXPECT_EQ(errors, 0);
    ASSERT_EQ(times.size(), 100u);
    for (std::size_t i = 0; i < times.size(); ++i)
        EXPECT_NEAR(times[i], i / 30.0, 1e-3) << i;
}

// Until it is finished the file is fragmented, every fragment with its own index: a writer that
// never finishes (cancelled here, as a crash would leave it) leaves every whole fragment playable.
TEST(CameraMP4Writer, UnfinishedFilePlaysUpToItsLastWholeFragment)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("unfinished.mp4");
    SyntheticFrames frames(320, 240);
    {
        CameraMP4Writer writer(path, CameraMP4Writer::Settings { 320, 240, 4'500'000, 30, 0 });
        for (int i = 0; i < 75; ++i)
            ASSERT_TRUE(appendWhenReady(writer, frames.frame(i, i / 30.0))) << i;
        // The fragment that ends at two seconds is written once a frame past it has been encoded.
        ASSERT_TRUE(waitUntil(
            [&] { return topLevelBoxes(path).count("moof") >= 2; }, 20'000, "two fragments in the file"));
        writer.cancel();
        EXPECT_FALSE(writer.indexWritten());
    }

    const QStringList boxes = topLevelBoxes(path);
    ASSERT_GE(boxes.size(), 5) << boxes.join(' ').toStdString();
    EXPECT_EQ(boxes.mid(0, 5).join(' ').toStdString(), "ftyp free moov moof mdat");
    EXPECT_EQ(boxes.count("moov"), 1);
    EXPECT_GE(boxes.count("moof"), 2);
    int errors = -1;
    const std::vector<double> times = decodedPictureTimes(path, &errors);
    EXPECT_EQ(errors, 0);
    EXPECT_GE(times.size(), 60u) << "two whole fragments";
    EXPECT_LT(times.size(), 75u);
    for (std::size_t i = 0; i < times.size(); ++i)
        EXPECT_NEAR(times[i], i / 30.0, 1e-3) << i;
}

// A first frame later than the file's start: the index shows nothing for the gap (an empty edit), so
// every picture keeps its time on the capture clock, in the finished file as in the fragments.
TEST(CameraMP4Writer, FirstFrameAfterTheStartKeepsItsTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("late.mp4");
    SyntheticFrames frames(320, 240);
    {
        CameraMP4Writer writer(path, CameraMP4Writer::Settings { 320, 240, 4'500'000, 30, 5.0 });
        for (int i = 0; i < 40; ++i)
            ASSERT_TRUE(appendWhenReady(writer, frames.frame(i, 5.5 + i / 30.0))) << i;
        ASSERT_EQ(writer.finish(), CameraMP4Writer::Status::completed);
        EXPECT_NEAR(writer.writtenSeconds(), 0.5 + 40 / 30.0, 1e-4);
    }
    EXPECT_EQ(topLevelBoxes(path).join(' ').toStdString(), "ftyp free mdat moov");
    EXPECT_EQ(probeRecording(path, 0, 0).headerFrames, 40);
    int errors = -1;
    const std::vector<double> times = decodedPictureTimes(path, &errors);
    EXPECT_EQ(errors, 0);
    ASSERT_EQ(times.size(), 40u);
    for (std::size_t i = 0; i < times.size(); ++i)
        EXPECT_NEAR(times[i], 0.5 + i / 30.0, 1e-3) << i;
}
