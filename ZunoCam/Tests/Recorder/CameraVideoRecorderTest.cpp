#include "CameraVideoRecorder.h"
#include "RecorderTestSupport.h"
#include "ZunoAppLogger.h"
#include "ZunoFileSizeLimit.h"
#include "ZunoTestHome.h"
#include "ZunoWaitUntil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace {

const QDateTime kStart(QDate(2025, 3, 14), QTime(9, 30, 5), Qt::UTC);

// Records what the recorder reports, from whatever thread it reports on.
class SnapshotLog {
public:
    CameraVideoRecorder::StatusCallback callback()
    {
        return [this](const CameraRecordingSnapshot &snapshot) {
            std::lock_guard lock(m_mutex);
            m_snapshots.push_back(snapshot);
        };
    }
    std::vector<CameraRecordingSnapshot> snapshots()
    {
        std::lock_guard lock(m_mutex);
        return m_snapshots;
    }

private:
    std::mutex m_mutex;
    std::vector<CameraRecordingSnapshot> m_snapshots;
};

CameraRecorderError stopError(CameraVideoRecorder &recorder)
{
    QFuture<CameraRecordingResult> future = recorder.stopRecording();
    try {
        future.waitForFinished();
        future.result();
    } catch (const CameraRecorderError &error) {
        return error;
    }
    ADD_FAILURE() << "stopRecording did not fail";
    return CameraRecorderError::notRecording();
}

// The recorder drops a frame while its encoder is busy; a test that needs every frame offers it again.
bool appendEventually(CameraVideoRecorder &recorder, const CameraRecorderFrame &frame, int attempts = 10000)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (recorder.append(frame))
            return true;
        if (!recorder.isRecording())
            return false;
        QThread::usleep(200);
    }
    return false;
}

class CameraVideoRecorderTest : public ::testing::Test {
protected:
    CameraVideoRecorderTest()
        : m_logs(makeTestLogger(m_logDir.path()))
        , m_recorder(m_logs)
    {
        m_recorder.setOnStatusChange(m_snapshots.callback());
    }

    QString folder() const { return m_dir.path(); }
    QStringList recorderLines() { return loggedLines(*m_logs, QStringLiteral("recorder")); }

    QTemporaryDir m_dir;
    QTemporaryDir m_logDir;
    std::shared_ptr<ZunoAppLogger> m_logs;
    SnapshotLog m_snapshots;
    CameraVideoRecorder m_recorder;
};

} // namespace

TEST(CameraVideoRecorderNaming, FileNameFollowsTheGivenTimeZone)
{
    EXPECT_EQ(
        CameraVideoRecorder::makeRecordingFilename(kStart, QTimeZone::utc()), "ZunoCam-20250314-093005.mp4");
    EXPECT_EQ(CameraVideoRecorder::makeRecordingFilename(kStart, QTimeZone(3 * 3600)),
        "ZunoCam-20250314-123005.mp4");
    EXPECT_EQ(CameraVideoRecorder::makeRecordingFilename(kStart, QTimeZone(-10 * 3600)),
        "ZunoCam-20250313-233005.mp4");
}

TEST(CameraVideoRecorderNaming, ClashesGetNumberedThenRandomSuffixes)
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    auto touch = [&](const QString &name) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    auto pick = [&] {
        return QFileInfo(CameraVideoRecorder::makeRecordingURL(dir.path(), kStart, QTimeZone::utc()))
            .fileName();
    };

    EXPECT_EQ(pick(), "ZunoCam-20250314-093005.mp4");
    touch("ZunoCam-20250314-093005.mp4");
    EXPECT_EQ(pick(), "ZunoCam-20250314-093005-2.mp4");
    touch("ZunoCam-20250314-093005-2.mp4");
    EXPECT_EQ(pick(), "ZunoCam-20250314-093005-3.mp4");
    // A folder of that name counts as taken; a free number below a taken one is used.
    folder.mkdir("ZunoCam-20250314-093005-3.mp4");
    touch("ZunoCam-20250314-093005-5.mp4");
    EXPECT_EQ(pick(), "ZunoCam-20250314-093005-4.mp4");

    for (int n = 4; n <= 998; ++n)
        touch(QStringLiteral("ZunoCam-20250314-093005-%1.mp4").arg(n));
    EXPECT_EQ(pick(), "ZunoCam-20250314-093005-999.mp4");
    touch("ZunoCam-20250314-093005-999.mp4");
    const QString beyond = pick();
    EXPECT_TRUE(QRegularExpression("^ZunoCam-20250314-093005-[0-9A-F]{6}\\.mp4$").match(beyond).hasMatch())
        << beyond.toStdString();
}

TEST(CameraVideoRecorderNaming, DefaultFolderIsZunoCamInTheVideosFolder)
{
    ZunoTestHome home;
    EXPECT_EQ(CameraVideoRecorder::defaultOutputDirectory(), home.path() + "/Videos/ZunoCam");
    QDir().mkpath(home.filePath(".config"));
    QFile dirs(home.filePath(".config/user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_VIDEOS_DIR=\"$HOME/Filmler\"\n");
    dirs.close();
    EXPECT_EQ(CameraVideoRecorder::defaultOutputDirectory(), home.path() + "/Filmler/ZunoCam");
    const QString url = CameraVideoRecorder::makeRecordingURL(std::nullopt, kStart, QTimeZone::utc());
    EXPECT_EQ(url, home.path() + "/Filmler/ZunoCam/ZunoCam-20250314-093005.mp4");
}

TEST(CameraVideoRecorderStatics, BitRateTable)
{
    const struct {
        std::int64_t width, height;
        int bitRate;
    } cases[] = {
        { 1280, 720, 8'000'000 },
        { 1279, 720, 4'500'000 },
        { 1920, 1080, 12'000'000 },
        { 1919, 1080, 8'000'000 },
        { 640, 480, 4'500'000 },
        { 0, 0, 4'500'000 },
        { 3840, 2160, 12'000'000 },
        { 921'600, 1, 8'000'000 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(CameraVideoRecorder::recommendedBitrate(c.width, c.height), c.bitRate)
            << c.width << "x" << c.height;
}

TEST(CameraVideoRecorderStatics, EvenDimensions)
{
    const struct {
        double width, height;
        std::optional<QSize> expected;
    } cases[] = {
        { 1.9, 100, std::nullopt },
        { 2, 2, QSize(2, 2) },
        { NAN, 720, std::nullopt },
        { 1280, INFINITY, std::nullopt },
        { 1281.7, 721, QSize(1280, 720) },
        { 2.9, 3, QSize(2, 2) },
        { -4, 10, std::nullopt },
        { 1280, 720, QSize(1280, 720) },
    };
    for (const auto &c : cases)
        EXPECT_EQ(CameraVideoRecorder::evenDimensions(QSizeF(c.width, c.height)), c.expected)
            << c.width << "x" << c.height;
}

TEST(CameraVideoRecorderStatics, FormatDuration)
{
    const std::pair<double, const char *> cases[] = {
        { 0, "00:00" },
        { 59.9, "00:59" },
        { 307, "05:07" },
        { 3599, "59:59" },
        { 3599.99, "59:59" },
        { 3600, "1:00:00" },
        { 43389, "12:03:09" },
        { -5, "00:00" },
        { NAN, "00:00" },
    };
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(CameraVideoRecorder::formatDuration(seconds), text) << seconds;
}

TEST(CameraVideoRecorderStatics, ErrorTexts)
{
    const std::pair<CameraRecorderError, const char *> cases[] = {
        { CameraRecorderError::writerSetupFailed("disk"), "Failed to initialize MP4 video writer: disk" },
        { CameraRecorderError::writerFailed("disk"), "Failed to finalize MP4 video recording: disk" },
        { CameraRecorderError::alreadyRecording(), "A camera recording session is already in progress." },
        { CameraRecorderError::notRecording(), "No active camera recording session to stop." },
        { CameraRecorderError::invalidDimensions(),
            "Video frame dimensions are invalid for H.264 encoding." },
        { CameraRecorderError::noFramesCaptured(),
            "No camera frames were captured before stopping the recording." },
    };
    for (const auto &[error, text] : cases) {
        EXPECT_EQ(error.localizedDescription(), text);
        EXPECT_STREQ(error.what(), text);
    }
    EXPECT_EQ(CameraRecorderError::writerFailed("a"), CameraRecorderError::writerFailed("a"));
    EXPECT_FALSE(CameraRecorderError::writerFailed("a") == CameraRecorderError::writerSetupFailed("a"));
}

TEST_F(CameraVideoRecorderTest, StartReportsAndRefusesASecondStart)
{
    EXPECT_FALSE(m_recorder.append(SyntheticFrames(64, 64).frame(0, 1.0))) << "not recording yet";
    const QString url = m_recorder.startRecording(folder(), kStart);
    EXPECT_EQ(QFileInfo(url).absolutePath(), QFileInfo(folder()).absoluteFilePath());
    EXPECT_TRUE(m_recorder.isRecording());
    EXPECT_FALSE(QFileInfo::exists(url)) << "the file is made with the first frame";
    ASSERT_EQ(m_snapshots.snapshots().size(), 1u);
    EXPECT_EQ(m_snapshots.snapshots()[0], (CameraRecordingSnapshot { true, 0, 0, url }));
    const CameraRecordingSnapshot live = m_recorder.currentSnapshot();
    EXPECT_TRUE(live.isRecording);
    EXPECT_EQ(live.outputURL, url);
    EXPECT_GE(live.elapsedSeconds, 0);

    try {
        m_recorder.startRecording(folder(), kStart);
        FAIL() << "second start accepted";
    } catch (const CameraRecorderError &error) {
        EXPECT_EQ(error.errorCase(), CameraRecorderError::Case::alreadyRecording);
    }
    EXPECT_TRUE(m_recorder.isRecording());
    EXPECT_EQ(recorderLines(), QStringList { "info|MP4 recording started: " + QFileInfo(url).fileName() });
}

TEST_F(CameraVideoRecorderTest, StartFailsWhenTheFolderCannotBeMade)
{
    QFile blocker(m_dir.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_THROW(
        m_recorder.startRecording(m_dir.filePath("file/sub"), kStart), std::filesystem::filesystem_error);
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_TRUE(m_snapshots.snapshots().empty());
    // The folder is made when missing.
    const QString url = m_recorder.startRecording(m_dir.filePath("a/b"), kStart);
    EXPECT_TRUE(QFileInfo(m_dir.filePath("a/b")).isDir());
    EXPECT_TRUE(url.startsWith(m_dir.filePath("a/b/")));
}

TEST_F(CameraVideoRecorderTest, StopWhenIdleThrowsNotRecording)
{
    EXPECT_EQ(stopError(m_recorder).errorCase(), CameraRecorderError::Case::notRecording);
    m_recorder.cancelRecording();
    EXPECT_TRUE(m_snapshots.snapshots().empty()) << "cancel while idle calls nothing";
    EXPECT_TRUE(recorderLines().isEmpty());
}

TEST_F(CameraVideoRecorderTest, StopWithoutFramesDeletesTheFileAndThrows)
{
    SyntheticFrames frames(64, 64);
    const QString url = m_recorder.startRecording(folder(), kStart);
    // A frame of unusable size is logged and the recording waits for a usable one.
    CameraRecorderFrame tiny = frames.frame(0, 1.0);
    tiny.width = 1, tiny.height = 1;
    EXPECT_FALSE(m_recorder.append(tiny));
    EXPECT_TRUE(m_recorder.isRecording());

    EXPECT_EQ(stopError(m_recorder).errorCase(), CameraRecorderError::Case::noFramesCaptured);
    EXPECT_FALSE(QFileInfo::exists(url));
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(m_snapshots.snapshots().back(), CameraRecordingSnapshot::idle());
    const QStringList lines = recorderLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], "error|Invalid frame dimensions for MP4 recording: (1, 1)");
    EXPECT_EQ(lines[2], "warn|MP4 recording stopped before any video frames were captured.");
    // Idle again: a new recording can start.
    EXPECT_NO_THROW(m_recorder.startRecording(folder(), kStart));
}

TEST_F(CameraVideoRecorderTest, CancelDeletesTheFile)
{
    SyntheticFrames frames(320, 240);
    const QString url = m_recorder.startRecording(folder(), kStart);
    ASSERT_TRUE(appendEventually(m_recorder, frames.frame(0, 3.0)));
    EXPECT_TRUE(QFileInfo::exists(url));
    m_recorder.cancelRecording();
    EXPECT_FALSE(QFileInfo::exists(url));
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(m_recorder.currentSnapshot(), CameraRecordingSnapshot::idle());
    EXPECT_EQ(m_snapshots.snapshots().back(), CameraRecordingSnapshot::idle());
    EXPECT_EQ(recorderLines().back(), "warn|MP4 recording cancelled: " + QFileInfo(url).fileName());
    EXPECT_EQ(stopError(m_recorder).errorCase(), CameraRecorderError::Case::notRecording);
}

TEST_F(CameraVideoRecorderTest, FinishingRefusesStartStopAndCancel)
{
    SyntheticFrames frames(320, 240);
    const QString url = m_recorder.startRecording(folder(), kStart);
    ASSERT_TRUE(appendEventually(m_recorder, frames.frame(0, 1.0)));

    // Hold the worker pool so that the stop stays in its finishing phase.
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    QSemaphore release;
    QSemaphore blocking;
    QFuture<void> blocker = QtConcurrent::run([&] {
        blocking.release();
        release.acquire();
    });
    blocking.acquire();

    QFuture<CameraRecordingResult> stopping = m_recorder.stopRecording();
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(m_recorder.currentSnapshot(), CameraRecordingSnapshot::idle());
    EXPECT_FALSE(m_recorder.append(frames.frame(1, 2.0)));
    const std::size_t reports = m_snapshots.snapshots().size();
    m_recorder.cancelRecording();
    EXPECT_EQ(m_snapshots.snapshots().size(), reports) << "cancel while finishing calls nothing";
    try {
        m_recorder.startRecording(folder(), kStart);
        ADD_FAILURE() << "start accepted while finishing";
    } catch (const CameraRecorderError &error) {
        EXPECT_EQ(error.errorCase(), CameraRecorderError::Case::alreadyRecording);
    }
    EXPECT_EQ(stopError(m_recorder).errorCase(), CameraRecorderError::Case::notRecording);

    release.release();
    blocker.waitForFinished();
    const CameraRecordingResult result = stopping.result();
    pool->setMaxThreadCount(threads);
    EXPECT_EQ(result.url, url);
    EXPECT_EQ(result.frameCount, 1);
    EXPECT_TRUE(QFileInfo::exists(url));
    EXPECT_NO_THROW(m_recorder.startRecording(folder(), kStart));
}

TEST_F(CameraVideoRecorderTest, RecordsNinetyFramesToAPlayableFile)
{
    SyntheticFrames frames(1280, 720);
    const QString url = m_recorder.startRecording(folder(), kStart);
    const double start = 512.0; // capture clock
    for (int i = 0; i < 90; ++i) {
        const CameraRecorderFrame frame = frames.frame(i, start + i / 30.0);
        ASSERT_TRUE(appendEventually(m_recorder, frame)) << i;
        if (i == 45) {
            EXPECT_FALSE(m_recorder.append(frame)) << "a frame at the last written time";
        }
    }
    EXPECT_EQ(m_recorder.currentSnapshot().frameCount, 90);

    QFuture<CameraRecordingResult> stopping = m_recorder.stopRecording();
    const CameraRecordingResult result = stopping.result();
    EXPECT_EQ(result.url, url);
    EXPECT_EQ(result.frameCount, 90);
    // The media's length, not the time since start: 89 intervals plus the last frame.
    EXPECT_NEAR(result.durationSeconds, 89 / 30.0 + 1 / 30.0, 1e-9);

    // Progress: start, the first frame, then each new whole second; the idle snapshot at the end.
    const std::vector<CameraRecordingSnapshot> reports = m_snapshots.snapshots();
    ASSERT_EQ(reports.size(), 5u);
    EXPECT_EQ(reports[0], (CameraRecordingSnapshot { true, 0, 0, url }));
    EXPECT_EQ(reports[1], (CameraRecordingSnapshot { true, 0, 1, url }));
    EXPECT_EQ(reports[2].frameCount, 31);
    EXPECT_DOUBLE_EQ(reports[2].elapsedSeconds, 30 / 30.0);
    EXPECT_EQ(reports[3].frameCount, 61);
    EXPECT_DOUBLE_EQ(reports[3].elapsedSeconds, (start + 60 / 30.0) - start);
    EXPECT_EQ(reports[4], CameraRecordingSnapshot::idle());
    EXPECT_EQ(recorderLines().back(),
        "info|MP4 recording saved: " + QFileInfo(url).fileName() + " (00:03, 90 frames)");

    const RecorderProbe probe = probeRecording(url, 50, 50);
    ASSERT_TRUE(probe.opened);
    expectHighProfileBt709(probe, 1280, 720, 90, 3.0, 0.01);
}

// A source whose frames arrive late and then bunch up: every picture of the file still has its own
// frame slot, at the frame rate a player assumes, so a full decode sees times that rise strictly.
TEST_F(CameraVideoRecorderTest, JitteredArrivalsGiveStrictlyRisingTimes)
{
    SyntheticFrames frames(320, 240);
    const QString url = m_recorder.startRecording(folder(), kStart);
    std::mt19937 random(61);
    std::uniform_real_distribution<double> late(0.046, 0.055);
    std::uniform_real_distribution<double> after(0.011, 0.015);
    const double start = 200.0;
    int offered = 0;
    int taken = 0;
    for (int i = 0; i < 150; ++i) {
        // Every fifth frame is late; the one after it follows it closely.
        double time = start + i / 30.0;
        if (i % 5 == 1)
            time += late(random);
        else if (i % 5 == 2)
            time = start + (i - 1) / 30.0 + late(random) + after(random);
        ++offered;
        taken += appendEventually(m_recorder, frames.frame(i, time), 200) ? 1 : 0;
    }
    const CameraRecordingResult result = m_recorder.stopRecording().result();
    EXPECT_GE(taken, offered * 3 / 4);
    EXPECT_EQ(result.frameCount, taken);

    int errors = -1;
    const std::vector<double> times = decodedPictureTimes(url, &errors);
    EXPECT_EQ(errors, 0);
    ASSERT_EQ(std::int64_t(times.size()), result.frameCount);
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GT(times[i], times[i - 1]) << "picture " << i;
        EXPECT_GT(std::llround(times[i] * 30), std::llround(times[i - 1] * 30))
            << "picture " << i << " shares a slot";
    }
    // Never more than a frame and a half ahead of its capture time.
    EXPECT_LT(times.back(), (start + 149 / 30.0 + 0.055 - start) + 1.5 / 30);
}

TEST_F(CameraVideoRecorderTest, OddFrameSizesAreCutToEven)
{
    SyntheticFrames frames(321, 241);
    const QString url = m_recorder.startRecording(folder(), kStart);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(appendEventually(m_recorder, frames.frame(i, i / 30.0)));
    EXPECT_EQ(m_recorder.stopRecording().result().frameCount, 3);
    const RecorderProbe probe = probeRecording(url, 0, 0);
    EXPECT_EQ(probe.width, 320);
    EXPECT_EQ(probe.height, 240);
    EXPECT_EQ(probe.packets, 3);
}

TEST_F(CameraVideoRecorderTest, WriterThatCannotStartIsReportedAtTheNextStop)
{
    SyntheticFrames frames(320, 240);
    const QString recordings = m_dir.filePath("gone");
    const QString url = m_recorder.startRecording(recordings, kStart);
    ASSERT_TRUE(QDir(recordings).removeRecursively());

    EXPECT_FALSE(m_recorder.append(frames.frame(0, 1.0)));
    EXPECT_FALSE(m_recorder.isRecording());
    EXPECT_EQ(m_snapshots.snapshots().back(), CameraRecordingSnapshot::idle());
    EXPECT_FALSE(QFileInfo::exists(url));
    ASSERT_TRUE(recorderLines().back().startsWith("error|MP4 writer configuration failed: "))
        << recorderLines().back().toStdString();

    const CameraRecorderError error = stopError(m_recorder);
    EXPECT_EQ(error.errorCase(), CameraRecorderError::Case::writerSetupFailed);
    EXPECT_FALSE(error.message().isEmpty());
    EXPECT_EQ(stopError(m_recorder).errorCase(), CameraRecorderError::Case::notRecording) << "reported once";

    // A new recording replaces a failure nobody asked about.
    m_recorder.startRecording(recordings, kStart);
    ASSERT_TRUE(QDir(recordings).removeRecursively());
    EXPECT_FALSE(m_recorder.append(frames.frame(0, 1.0)));
    m_recorder.startRecording(recordings, kStart);
    EXPECT_EQ(stopError(m_recorder).errorCase(), CameraRecorderError::Case::noFramesCaptured);
}

namespace {

// Offers frames 1/30 s apart, each until it is taken, while the recorder records (it ends the
// recording by itself) and fewer than `most` were taken; the number taken. Bounded by a minute.
int recordUntilItStops(CameraVideoRecorder &recorder, SyntheticFrames &frames, int most, int first = 0)
{
    int taken = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = first; taken < most && recorder.isRecording() && clock.elapsed() < 60'000; ++i) {
        const CameraRecorderFrame frame = frames.frame(i, 10 + i / 30.0);
        bool accepted = false;
        while (!(accepted = recorder.append(frame)) && recorder.isRecording() && clock.elapsed() < 60'000)
            QThread::usleep(200);
        taken += accepted ? 1 : 0;
    }
    return taken;
}

// The file plays, and holds exactly `frames` pictures, one every 1/30 s from the start.
void expectPlaysFramesFromTheStart(const QString &path, std::int64_t frames)
{
    const RecorderProbe probe = probeRecording(path, 0, 0);
    ASSERT_TRUE(probe.opened) << "no index";
    EXPECT_EQ(probe.packets, frames);
    int errors = -1;
    const std::vector<double> times = decodedPictureTimes(path, &errors);
    EXPECT_EQ(errors, 0);
    ASSERT_EQ(std::int64_t(times.size()), frames);
    for (std::size_t i = 0; i < times.size(); ++i)
        EXPECT_NEAR(times[i], double(i) / 30, 1e-3) << "picture " << i;
}

} // namespace

// A recording on a disk that fills up stops by itself while its index still fits: the file stays,
// plays and holds every frame up to the stop; a disk without room for one frame keeps nothing.
TEST_F(CameraVideoRecorderTest, NearlyFullDiskEndsTheRecordingWithAPlayableFile)
{
    struct Row {
        const char *name;
        std::int64_t capacity; // bytes of the pretended disk, which holds only the recording
        bool keepsFrames;
    };
    const Row rows[] {
        { "room for some frames", 1536 * 1024, true },
        { "no room for a frame", 200 * 1024, false },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QStringList asked;
        std::mutex askedLock;
        const auto freeSpace = [&](const QString &path) -> std::optional<std::uint64_t> {
            {
                std::lock_guard lock(askedLock);
                asked << path;
            }
            // Blocks the file holds beyond its end are taken, as a file system counts them.
            struct stat info { };
            const std::int64_t held = ::stat(QFile::encodeName(path).constData(), &info) == 0
                ? std::int64_t(info.st_blocks) * 512
                : 0;
            return std::uint64_t(std::max<std::int64_t>(
                0, row.capacity - std::max<std::int64_t>(held, QFileInfo(path).size())));
        };
        SnapshotLog snapshots;
        CameraVideoRecorder recorder(m_logs, freeSpace);
        recorder.setOnStatusChange(snapshots.callback());
        SyntheticFrames frames(640, 480);
        const QString url = recorder.startRecording(folder(), kStart);

        const int taken = recordUntilItStops(recorder, frames, 900);
        ASSERT_LT(taken, 900) << "the recording never stopped";
        // Ended by itself, before any stop: not recording, the idle snapshot reported.
        EXPECT_FALSE(recorder.isRecording());
        EXPECT_EQ(snapshots.snapshots().back(), CameraRecordingSnapshot::idle());
        {
            std::lock_guard lock(askedLock);
            ASSERT_FALSE(asked.isEmpty());
            EXPECT_EQ(asked.filter(url).size(), asked.size()) << "asked about the recording's own file";
        }

        QFuture<CameraRecordingResult> stopping = recorder.stopRecording();
        if (!row.keepsFrames) {
            try {
                stopping.waitForFinished();
                ADD_FAILURE() << "a recording without frames was saved";
            } catch (const CameraRecorderError &error) {
                EXPECT_EQ(error.errorCase(), CameraRecorderError::Case::writerFailed);
                EXPECT_EQ(error.systemError(), ENOSPC);
                EXPECT_TRUE(error.keptFile().isEmpty());
            }
            EXPECT_FALSE(QFileInfo::exists(url)) << "an empty file is not kept";
            continue;
        }
        const CameraRecordingResult result = stopping.result();
        EXPECT_EQ(result.url, url);
        EXPECT_EQ(result.ending, CameraRecordingResult::Ending::diskNearlyFull);
        EXPECT_GE(result.frameCount, 10);
        EXPECT_LE(result.frameCount, taken);
        EXPECT_NEAR(result.durationSeconds, result.frameCount / 30.0, 1e-6);
        EXPECT_LE(QFileInfo(url).size(), row.capacity) << "the pretended disk overflowed";
        expectPlaysFramesFromTheStart(url, result.frameCount);
        const QStringList lines = recorderLines();
        EXPECT_TRUE(lines.contains("warn|MP4 recording stopped early: the disk is nearly full, the rest is "
                                   "kept for the file's index"));
        EXPECT_EQ(lines.back(),
            QStringLiteral("info|MP4 recording saved: %1 (00:%2, %3 frames)")
                .arg(QFileInfo(url).fileName())
                .arg(int(result.durationSeconds), 2, 10, QLatin1Char('0'))
                .arg(result.frameCount));
        EXPECT_EQ(stopError(recorder).errorCase(), CameraRecorderError::Case::notRecording)
            << "reported once";
    }
}

// The process's file-size limit (a FAT stick's 4 GiB works the same way): the recording stops below it.
TEST_F(CameraVideoRecorderTest, FileSizeLimitEndsTheRecordingBelowIt)
{
    constexpr off_t kLimit = 1024 * 1024;
    ZunoFileSizeLimit limit(kLimit);
    ASSERT_TRUE(limit.isActive());
    SyntheticFrames frames(640, 480);
    const QString url = m_recorder.startRecording(folder(), kStart);
    const int taken = recordUntilItStops(m_recorder, frames, 900);
    ASSERT_LT(taken, 900) << "the recording never stopped";
    EXPECT_FALSE(m_recorder.isRecording());

    const CameraRecordingResult result = m_recorder.stopRecording().result();
    EXPECT_EQ(result.ending, CameraRecordingResult::Ending::fileSizeLimit);
    EXPECT_GE(result.frameCount, 10);
    EXPECT_LE(QFileInfo(url).size(), kLimit);
    expectPlaysFramesFromTheStart(url, result.frameCount);
    EXPECT_TRUE(recorderLines().contains(
        "warn|MP4 recording stopped early: the file is near the largest size allowed"));
    EXPECT_TRUE(recorderLines().filter(QRegularExpression("^error\\|")).isEmpty());
}

// A write that fails anyway ends the recording at once. The file is written in fragments, each
// playable on its own: whole fragments are kept and play; a file without one holds nothing and goes.
// Here the file-size limit drops below the file after its writer read it.
TEST_F(CameraVideoRecorderTest, WriteFailureEndsTheRecordingAndKeepsTheFile)
{
    const struct {
        const char *name;
        int framesBefore; // offered before the limit drops
        bool keepsFile;
    } rows[] = {
        { "after whole fragments", 45, true },
        { "before any whole fragment", 1, false },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        SyntheticFrames frames(640, 480);
        const int linesBefore = recorderLines().size();
        const QString url = m_recorder.startRecording(folder(), kStart);
        for (int i = 0; i < row.framesBefore; ++i)
            ASSERT_TRUE(appendEventually(m_recorder, frames.frame(i, 10 + i / 30.0)));
        // The first fragment reaches the file once a frame a second later is encoded.
        if (row.keepsFile) {
            ASSERT_TRUE(waitUntil([&] { return topLevelBoxes(url).contains("mdat"); }, 20'000,
                "the first fragment in the file"));
        }
        ZunoFileSizeLimit limit(QFileInfo(url).size() + 64 * 1024);
        ASSERT_TRUE(limit.isActive());
        const int taken = row.framesBefore + recordUntilItStops(m_recorder, frames, 900, row.framesBefore);
        ASSERT_LT(taken, 900) << "the writes never failed";

        // Reported before any stop: not recording, the idle snapshot.
        EXPECT_FALSE(m_recorder.isRecording());
        EXPECT_EQ(m_snapshots.snapshots().back(), CameraRecordingSnapshot::idle());
        EXPECT_EQ(m_recorder.currentSnapshot(), CameraRecordingSnapshot::idle());
        const std::size_t reports = m_snapshots.snapshots().size();
        for (int i = 0; i < 5; ++i)
            EXPECT_FALSE(m_recorder.append(frames.frame(taken + 1 + i, 10 + (taken + 1 + i) / 30.0)));
        EXPECT_EQ(m_snapshots.snapshots().size(), reports) << "later frames are dropped silently";

        const CameraRecorderError error = stopError(m_recorder);
        EXPECT_EQ(error.errorCase(), CameraRecorderError::Case::writerFailed);
        EXPECT_EQ(error.systemError(), EFBIG);
        const QStringList lines = recorderLines().mid(linesBefore);
        EXPECT_EQ(lines.filter(QRegularExpression("^error\\|")),
            QStringList { "error|MP4 recording failed: " + error.message() })
            << "one error line, with the reason";
        if (row.keepsFile) {
            EXPECT_EQ(error.keptFile(), url);
            EXPECT_TRUE(error.indexWritten()) << "the fragments' own index";
            ASSERT_TRUE(QFileInfo::exists(url)) << "the file is left where it is";
            const RecorderProbe probe = probeRecording(url, 0, 0);
            EXPECT_TRUE(probe.opened);
            EXPECT_GE(probe.packets, 30) << "a whole fragment";
            EXPECT_LT(probe.packets, taken);
            int errors = -1;
            EXPECT_EQ(std::int64_t(decodedPictureTimes(url, &errors).size()), probe.packets);
            EXPECT_EQ(errors, 0);
            EXPECT_EQ(lines.back(),
                QStringLiteral("warn|MP4 recording kept up to the failure: %1 (00:0%2, %3 frames)")
                    .arg(QFileInfo(url).fileName())
                    .arg(int(probe.packets / 30))
                    .arg(probe.packets));
        } else {
            EXPECT_TRUE(error.keptFile().isEmpty());
            EXPECT_FALSE(QFileInfo::exists(url)) << "a file without a whole frame is not kept";
        }
        EXPECT_EQ(stopError(m_recorder).errorCase(), CameraRecorderError::Case::notRecording)
            << "reported once";
    }
    EXPECT_NO_THROW(m_recorder.startRecording(folder(), kStart));
}

TEST_F(CameraVideoRecorderTest, ShownDurationNeverGoesBackAtStop)
{
    // Four frames (0.1 s of media), then the camera stalls while the wall clock runs on: the live
    // badge and the result share the media clock, so 00:10 can never turn into 00:09.
    SyntheticFrames frames(320, 240);
    m_recorder.startRecording(folder(), kStart);
    double shown = 0;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(appendEventually(m_recorder, frames.frame(i, 50 + i / 30.0)));
        const double now = m_recorder.currentSnapshot().elapsedSeconds;
        EXPECT_GE(now, shown);
        shown = now;
    }
    QElapsedTimer stall;
    stall.start();
    while (stall.elapsed() < 300)
        QThread::msleep(10);
    shown = m_recorder.currentSnapshot().elapsedSeconds;

    const CameraRecordingResult result = m_recorder.stopRecording().result();
    EXPECT_GE(result.durationSeconds, shown);
    for (const CameraRecordingSnapshot &report : m_snapshots.snapshots())
        EXPECT_LE(report.elapsedSeconds, result.durationSeconds);
    EXPECT_NEAR(result.durationSeconds, 4 / 30.0, 1e-9);
}
