// Recordings that end without their finish: the process killed, or another program filling the disk.
#include "CameraSyntheticSource.h"
#include "CameraVideoRecorder.h"
#include "RecorderTestSupport.h"
#include "ZunoAppLogger.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>

namespace {

constexpr int kFramesPerSecond = CameraSyntheticSource::kFramesPerSecond;

// Records the pattern camera's pictures, at its pace, until `keepGoing` says no or the recorder
// stops by itself; prints the frames written every few frames ("frames N").
void recordThePattern(CameraVideoRecorder &recorder, const std::function<bool(int)> &keepGoing)
{
    CameraPixelBuffer image(1280, 720);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; keepGoing(i) && recorder.isRecording(); ++i) {
        std::this_thread::sleep_until(
            start + std::chrono::microseconds(std::int64_t(i) * 1'000'000 / kFramesPerSecond));
        CameraSyntheticSource::render(i, image);
        recorder.append(CameraRecorderFrame { image.constBits(), image.width(), image.height(),
            image.bytesPerRow(), double(i) / kFramesPerSecond });
        if (i % 5 == 0) {
            std::printf("frames %lld\n", static_cast<long long>(recorder.currentSnapshot().frameCount));
            std::fflush(stdout);
        }
    }
}

QString childFolder()
{
    return qEnvironmentVariable("ZUNO_RECORDER_CHILD_FOLDER");
}

// Decodes the whole file without an error: the pictures start at zero and each takes a later frame
// slot (frames the recorder dropped while busy leave gaps); their count.
std::size_t expectDecodesOnRisingFrameSlots(const QString &path)
{
    int errors = -1;
    const std::vector<double> times = decodedPictureTimes(path, &errors);
    EXPECT_EQ(errors, 0);
    for (std::size_t i = 0; i < times.size(); ++i) {
        const double slot = times[i] * kFramesPerSecond;
        EXPECT_NEAR(slot, std::round(slot), 1e-3) << "picture " << i;
        if (i == 0)
            EXPECT_EQ(times[i], 0);
        else
            EXPECT_GT(times[i], times[i - 1]) << "picture " << i;
    }
    return times.size();
}

} // namespace

// Run as a child process by KilledRecordingPlaysAllButItsLastSeconds: records until it is killed.
TEST(CameraRecordingChildRole, RecordsUntilKilled)
{
    if (childFolder().isEmpty())
        GTEST_SKIP() << "runs only as a child of KilledRecordingPlaysAllButItsLastSeconds";
    QTemporaryDir logs;
    CameraVideoRecorder recorder(makeTestLogger(logs.path()));
    const QString url = recorder.startRecording(childFolder(), QDateTime::currentDateTimeUtc());
    std::printf("file %s\n", qPrintable(url));
    // Bounded, should the parent never kill it.
    recordThePattern(recorder, [](int i) { return i < 60 * kFramesPerSecond; });
    recorder.stopRecording().waitForFinished();
}

// A recording whose process is killed keeps every frame but those of its last second or two.
TEST(CameraRecordingSurvival, KilledRecordingPlaysAllButItsLastSeconds)
{
    QTemporaryDir dir;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ZUNO_RECORDER_CHILD_FOLDER", dir.path());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
        { "--gtest_filter=CameraRecordingChildRole.RecordsUntilKilled" });
    ASSERT_TRUE(child.waitForStarted());

    // Killed once three seconds are written.
    QString file;
    long long frames = 0;
    QByteArray output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (frames < 3 * kFramesPerSecond && std::chrono::steady_clock::now() < deadline
        && child.state() == QProcess::Running) {
        child.waitForReadyRead(100);
        output += child.readAllStandardOutput();
        for (const QByteArray &line : output.split('\n')) {
            if (line.startsWith("file "))
                file = QString::fromLocal8Bit(line.mid(5));
            else if (line.startsWith("frames "))
                frames = line.mid(7).toLongLong();
        }
    }
    ASSERT_EQ(child.state(), QProcess::Running) << output.constData();
    ASSERT_EQ(::kill(pid_t(child.processId()), SIGKILL), 0);
    ASSERT_TRUE(child.waitForFinished(10'000));
    output += child.readAllStandardOutput();
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith("frames "))
            frames = line.mid(7).toLongLong();
    }
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);
    ASSERT_FALSE(file.isEmpty()) << output.constData();
    ASSERT_GE(frames, 3 * kFramesPerSecond);

    // Still fragmented, as it was left: no index at the end, but each fragment's own.
    const QStringList boxes = topLevelBoxes(file);
    ASSERT_GE(boxes.size(), 3) << boxes.join(' ').toStdString();
    EXPECT_EQ(boxes.mid(0, 3).join(' ').toStdString(), "ftyp free moov");
    EXPECT_GE(boxes.count("moof"), 1);
    const RecorderProbe probe = probeRecording(file, 0, 0);
    ASSERT_TRUE(probe.opened);
    expectHighProfileBt709(probe, 1280, 720, probe.packets, probe.durationSeconds, 0);
    SCOPED_TRACE(
        "killed after " + std::to_string(frames) + " frames; boxes: " + boxes.join(' ').toStdString());
    const std::size_t pictures = expectDecodesOnRisingFrameSlots(file);
    EXPECT_EQ(std::int64_t(pictures), probe.packets);
    EXPECT_GE(std::int64_t(pictures), frames - 2 * kFramesPerSecond) << "lost more than two seconds";
    EXPECT_LE(std::int64_t(pictures), frames + kFramesPerSecond / 2);
}

// Run as a child process by DiskFilledByAnotherProgramKeepsAPlayableFile, on a small disk of its own:
// records while another writer fills the disk, then copies the file out to ZUNO_RECORDER_CHILD_COPY.
TEST(CameraRecordingChildRole, RecordsWhileTheDiskFills)
{
    if (childFolder().isEmpty())
        GTEST_SKIP() << "runs only as a child of DiskFilledByAnotherProgramKeepsAPlayableFile";
    QTemporaryDir logs;
    CameraVideoRecorder recorder(makeTestLogger(logs.path()));
    const QString url = recorder.startRecording(childFolder(), QDateTime::currentDateTimeUtc());

    // One second in, a writer takes every free block, as fast as it can.
    std::atomic<bool> filled = false;
    std::thread filler([&] {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const int fd
            = ::open(QFile::encodeName(childFolder() + "/filler").constData(), O_WRONLY | O_CREAT, 0644);
        std::vector<char> block(64 * 1024, 0);
        while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) { }
        std::printf("filler stopped: %s\n", std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        filled = true;
    });
    recordThePattern(recorder, [&](int i) { return i < 30 * kFramesPerSecond; });
    filler.join();
    ASSERT_TRUE(filled);

    CameraRecordingResult result;
    try {
        result = recorder.stopRecording().result();
    } catch (const CameraRecorderError &error) {
        FAIL() << error.localizedDescription().toStdString();
    }
    EXPECT_EQ(result.ending, CameraRecordingResult::Ending::diskNearlyFull);
    std::printf("recorded %lld frames\n", static_cast<long long>(result.frameCount));
    const QString copy = qEnvironmentVariable("ZUNO_RECORDER_CHILD_COPY") + "/recording.mp4";
    ASSERT_TRUE(QFile::copy(url, copy));
}

// Another program fills the disk during a recording: the room kept for the index is held, not just
// counted, so the recording stops early with its index written, and the file decodes whole.
TEST(CameraRecordingSurvival, DiskFilledByAnotherProgramKeepsAPlayableFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a small disk of its own (tmpfs in a mount namespace) needs root";
    const QString unshare = QStandardPaths::findExecutable("unshare");
    if (unshare.isEmpty())
        GTEST_SKIP() << "no unshare to make a mount namespace";
    QTemporaryDir disk;
    QTemporaryDir copies;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ZUNO_RECORDER_CHILD_FOLDER", disk.path());
    environment.insert("ZUNO_RECORDER_CHILD_COPY", copies.path());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(unshare,
        { "--mount", "--propagation", "private", "sh", "-c",
            "mount -t tmpfs -o size=64m tmpfs \"$1\" || exit 77; exec \"$2\" "
            "--gtest_filter=CameraRecordingChildRole.RecordsWhileTheDiskFills",
            "sh", disk.path(), QCoreApplication::applicationFilePath() });
    ASSERT_TRUE(child.waitForFinished(120'000));
    const QByteArray output = child.readAll();
    if (child.exitCode() == 77 || (child.exitCode() == 1 && output.contains("unshare failed")))
        GTEST_SKIP() << "no mount namespace here: " << output.constData();
    ASSERT_EQ(child.exitStatus(), QProcess::NormalExit) << output.constData();
    ASSERT_EQ(child.exitCode(), 0) << output.constData();

    const QString file = copies.filePath("recording.mp4");
    EXPECT_EQ(topLevelBoxes(file).join(' ').toStdString(), "ftyp free mdat moov");
    const RecorderProbe probe = probeRecording(file, 0, 0);
    ASSERT_TRUE(probe.opened) << output.constData();
    EXPECT_GE(probe.packets, kFramesPerSecond / 2) << output.constData();
    EXPECT_EQ(probe.headerFrames, probe.packets);
    EXPECT_EQ(std::int64_t(expectDecodesOnRisingFrameSlots(file)), probe.packets);
}
