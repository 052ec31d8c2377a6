// Recording control on a fake recorder: the state table, the clock, status snapshots and the
// recordings folder.
#include "StudioTestFixture.h"

#include "FakeStudioRecorder.h"
#include "ZunoDesktopServices.h"

#include <variant>

namespace {

class RecordingDesktop : public ZunoDesktopServices {
public:
    void revealFile(const QString &path) override { calls.append(QStringLiteral("reveal ") + path); }
    void openUrl(const QUrl &url) override { calls.append(QStringLiteral("open ") + url.toLocalFile()); }
    QStringList calls;
};

} // namespace

class StudioRecordingTest : public StudioTest {
protected:
    void SetUp() override
    {
        StudioTest::SetUp();
        desktop = std::make_shared<RecordingDesktop>();
        previous = ZunoDesktopServices::replaceShared(desktop);
    }
    void TearDown() override
    {
        StudioTest::TearDown();
        ZunoDesktopServices::replaceShared(previous);
    }

    void startRecording()
    {
        vm->startVideoRecording();
        ASSERT_TRUE(vm->isRecordingVideo());
    }

    void finish()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !vm->isRecordingVideo(); }, kWait));
    }

    std::shared_ptr<RecordingDesktop> desktop;
    std::shared_ptr<ZunoDesktopServices> previous;
};

TEST_F(StudioRecordingTest, StartWithTheCameraOffStartsTheCameraThenRecords)
{
    start();
    startRecording();
    EXPECT_TRUE(vm->isCameraRunning());
    EXPECT_FALSE(vm->isFinalizingVideo());
    EXPECT_EQ(vm->recordingDurationSeconds(), 0);
    EXPECT_EQ(vm->recordedFrameCount(), 0);
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("Recording MP4 started."));
    const QStringList calls = fakes.log->calls();
    EXPECT_LT(calls.indexOf(QStringLiteral("camera.start")), calls.indexOf(QStringLiteral("recorder.start")));

    // The clock reads the recorder every 0.25 s.
    fakes.recorder->setSnapshot({ true, 1.5, 45, std::nullopt });
    clock().advance(0.25);
    EXPECT_EQ(vm->recordingDurationSeconds(), 1.5);
    EXPECT_EQ(vm->recordedFrameCount(), 45);
}

TEST_F(StudioRecordingTest, StartThatCannotBeginStaysIdle)
{
    struct Case {
        const char *name;
        std::function<void(CamStudioFakeServices &)> arrange;
        QString failure; // empty: nothing shown
    };
    const Case cases[] {
        { "camera does not start", [](CamStudioFakeServices &f) { f.camera->setStartSucceeds(false); }, {} },
        { "camera access being asked",
            [](CamStudioFakeServices &f) {
                f.cameraDevices->setAuthorizationStatus(CameraAuthorizationStatus::notDetermined);
            },
            {} },
        { "recorder error",
            [](CamStudioFakeServices &f) {
                f.recorder->failNextStart(CameraRecorderError::alreadyRecording());
            },
            CameraRecorderError::alreadyRecording().localizedDescription() },
        { "folder error", [](CamStudioFakeServices &f) { f.recorder->failNextStartWithFolderError(); },
            QStringLiteral("*") },
    };
    for (const Case &c : cases) {
        fakes = {};
        makeFakes();
        c.arrange(fakes);
        start();
        vm->startVideoRecording();
        EXPECT_FALSE(vm->isRecordingVideo()) << c.name;
        EXPECT_EQ(clock().activeTimerCount(), vm->toastMessage() ? 1u : 0u)
            << c.name << ": no recording clock";
        const QStringList errors = messages(QStringLiteral("recorder"), ZunoLogLevel::error);
        if (c.failure.isEmpty()) {
            EXPECT_TRUE(errors.isEmpty()) << c.name;
            EXPECT_EQ(fakes.log->count(QStringLiteral("recorder.start")), 0) << c.name;
        } else {
            ASSERT_EQ(errors.size(), 1) << c.name;
            const QString shown = vm->toastMessage().value_or(QString());
            EXPECT_FALSE(shown.isEmpty());
            if (c.failure != QLatin1String("*")) {
                EXPECT_EQ(shown, c.failure) << c.name;
            }
            EXPECT_EQ(errors.first(), QStringLiteral("Failed to start MP4 recording: ") + shown) << c.name;
            EXPECT_TRUE(vm->toastIsError());
        }
        vm.reset();
    }
}

TEST_F(StudioRecordingTest, StopWalksThroughFinalizingToIdle)
{
    start();
    fakes.recorder->holdStops(true);
    int finished = 0;
    vm->stopVideoRecording([&] { ++finished; });
    EXPECT_EQ(finished, 1) << "nothing to stop: at once";
    EXPECT_FALSE(vm->toastMessage().has_value());

    startRecording();
    const qsizetype starts = fakes.log->count(QStringLiteral("recorder.start"));
    vm->stopVideoRecording([&] { ++finished; });
    EXPECT_TRUE(vm->isRecordingVideo());
    EXPECT_TRUE(vm->isFinalizingVideo());
    EXPECT_EQ(clock().activeTimerCount(), 1u) << "the clock stopped; the toast's timer is left";
    vm->startVideoRecording();
    EXPECT_EQ(fakes.log->count(QStringLiteral("recorder.start")), starts)
        << "start while finalizing is ignored";
    vm->stopVideoRecording([&] { ++finished; });
    EXPECT_EQ(finished, 2) << "a stop while finalizing completes at once";

    fakes.recorder->setResult({ QStringLiteral("/videos/ZunoCam-20260101-120000.mp4"), 12.5, 375 });
    fakes.recorder->finishHeldStop();
    finish();
    EXPECT_FALSE(vm->isFinalizingVideo());
    EXPECT_EQ(finished, 3);
    EXPECT_EQ(vm->lastRecordedVideoURL(), QStringLiteral("/videos/ZunoCam-20260101-120000.mp4"));
    EXPECT_EQ(vm->lastRecordingResult(),
        CameraRecordingResult({ QStringLiteral("/videos/ZunoCam-20260101-120000.mp4"), 12.5, 375 }));
    EXPECT_EQ(vm->recordingDurationSeconds(), 12.5);
    EXPECT_EQ(vm->recordedFrameCount(), 375);
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("Saved MP4: ZunoCam-20260101-120000.mp4"));
    EXPECT_TRUE(desktop->calls.isEmpty()) << "no reveal with the switch off";
}

TEST_F(StudioRecordingTest, FailedStopShowsTheErrorAndReturnsToIdle)
{
    start();
    fakes.recorder->holdStops(true);
    startRecording();
    int finished = 0;
    vm->stopVideoRecording([&] { ++finished; });
    const CameraRecorderError error = CameraRecorderError::noFramesCaptured();
    fakes.recorder->failHeldStop(error);
    finish();
    EXPECT_FALSE(vm->isFinalizingVideo());
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(vm->toastMessage(), error.localizedDescription());
    EXPECT_TRUE(vm->toastIsError());
    EXPECT_EQ(messages(QStringLiteral("recorder"), ZunoLogLevel::error),
        QStringList { QStringLiteral("Failed to stop MP4 recording: ") + error.localizedDescription() });
    EXPECT_FALSE(vm->lastRecordedVideoURL().has_value());
    EXPECT_FALSE(vm->lastRecordingResult().has_value());
}

TEST_F(StudioRecordingTest, RevealOnlyWithTheSwitchOn)
{
    start();
    CameraAdjustments adjustments = vm->camera();
    adjustments.revealRecordingInFinder = true;
    vm->setCamera(adjustments);
    startRecording();
    vm->stopVideoRecording();
    finish();
    EXPECT_EQ(desktop->calls, QStringList { QStringLiteral("reveal /tmp/ZunoCam-20260101-120000.mp4") });
}

TEST_F(StudioRecordingTest, StatusSnapshotsAndARecorderThatEndsByItself)
{
    start();
    startRecording();
    fakes.recorder->report({ true, 4.0, 120, std::nullopt });
    ASSERT_TRUE(QTest::qWaitFor([&] { return vm->recordedFrameCount() == 120; }, kWait));
    EXPECT_EQ(vm->recordingDurationSeconds(), 4.0);
    // A snapshot that is not recording while the recorder still records: only the frame count.
    fakes.recorder->report({ false, 9.0, 130, std::nullopt });
    ASSERT_TRUE(QTest::qWaitFor([&] { return vm->recordedFrameCount() == 130; }, kWait));
    EXPECT_EQ(vm->recordingDurationSeconds(), 4.0);
    EXPECT_TRUE(vm->isRecordingVideo());

    // The encoder could not be set up: the recording ends now, with the recorder's reason.
    const CameraRecorderError failure = CameraRecorderError::writerSetupFailed(QStringLiteral("no encoder"));
    fakes.recorder->endBySelf(failure);
    finish();
    EXPECT_EQ(vm->toastMessage(), failure.localizedDescription());
    EXPECT_TRUE(vm->toastIsError());
    EXPECT_TRUE(messages(QStringLiteral("recorder"), ZunoLogLevel::error).isEmpty())
        << "the recorder writes the error line of its own failure; the studio adds none";
}

TEST_F(StudioRecordingTest, RecordingsFolderRevealsTheLastFileOrOpensTheFolder)
{
    makeFakes();
    const QString videos = QDir(folder()).filePath(QStringLiteral("Videos/ZunoCam"));
    const QString file = QDir(videos).filePath(QStringLiteral("ZunoCam-1.mp4"));
    fakes.recorder->setOutputDirectory(videos);
    fakes.recorder->setResult({ file, 1, 30 });
    start();
    vm->openRecordingsFolder();
    EXPECT_TRUE(QFileInfo(videos).isDir()) << "the folder is made";
    startRecording();
    vm->stopVideoRecording();
    finish();
    QFile(file).open(QIODevice::WriteOnly);
    vm->openRecordingsFolder();
    ASSERT_TRUE(QFile::remove(file));
    vm->openRecordingsFolder();
    EXPECT_EQ(desktop->calls,
        (QStringList { QStringLiteral("open ") + videos, QStringLiteral("reveal ") + file,
            QStringLiteral("open ") + videos }));
    EXPECT_EQ(messages(QStringLiteral("recorder")).last(),
        QStringLiteral("Opened ZunoCam recordings directory: ZunoCam"));
}

TEST_F(StudioRecordingTest, FolderThatCannotBeMadeIsToldInTheStudioLanguageByName)
{
    struct Row {
        ZunoLanguage language;
        QString toast;
    };
    const QString videos = QDir(folder()).filePath(QStringLiteral("Videos/ZunoCam"));
    const Row rows[] {
        { ZunoLanguage::en,
            QStringLiteral("Could not create the recordings folder %1: the disk is read-only.").arg(videos) },
        { ZunoLanguage::tr,
            QStringLiteral("Kayıt klasörü oluşturulamadı (%1): disk salt okunur.").arg(videos) },
    };
    for (const Row &row : rows) {
        fakes = {};
        makeFakes();
        fakes.recorder->setOutputDirectory(videos);
        fakes.recorder->failNextStartWithFolderError();
        start();
        vm->setLanguage(row.language);
        vm->startVideoRecording();
        EXPECT_FALSE(vm->isRecordingVideo());
        EXPECT_EQ(vm->toastMessage(), row.toast);
        EXPECT_EQ(messages(QStringLiteral("recorder"), ZunoLogLevel::error),
            QStringList {
                QStringLiteral("Failed to start MP4 recording: Could not create the recordings folder "
                               "%1: the disk is read-only.")
                    .arg(videos) })
            << "the log stays in English";
        vm.reset();
    }
}

// A recording that a full disk or a size limit ended: the toast says why and names the file that
// keeps what was recorded, in both languages; the recorder writes the only error line.
TEST_F(StudioRecordingTest, RecordingEndedForWantOfRoomSaysWhyAndNamesTheFile)
{
    using Ending = CameraRecordingResult::Ending;
    const QString written = QStringLiteral("Could not write to the MP4 file: No space left on device");
    const QString file = QStringLiteral("/videos/ZunoCam-20260101-120000.mp4");
    const auto saved = [&](Ending ending) { return CameraRecordingResult { file, 59.5, 1785, ending }; };
    struct Row {
        const char *name;
        std::variant<CameraRecordingResult, CameraRecorderError> end;
        QString english;
        QString turkish;
    };
    const Row rows[] {
        { "stopped, disk nearly full", saved(Ending::diskNearlyFull),
            QStringLiteral("The recording was stopped because the disk is nearly full. Saved MP4: "
                           "ZunoCam-20260101-120000.mp4"),
            QStringLiteral("Disk neredeyse dolu olduğu için kayıt durduruldu. Video kaydedildi: "
                           "ZunoCam-20260101-120000.mp4") },
        { "stopped, size limit", saved(Ending::fileSizeLimit),
            QStringLiteral("The recording was stopped because the file reached its size limit. Saved MP4: "
                           "ZunoCam-20260101-120000.mp4"),
            QStringLiteral("Dosya boyut sınırına ulaştığı için kayıt durduruldu. Video kaydedildi: "
                           "ZunoCam-20260101-120000.mp4") },
        { "failed, kept without its index", CameraRecorderError::writerFailed(written, ENOSPC, file, false),
            QStringLiteral("The recording failed: the disk is full. What was recorded until then is kept in "
                           "ZunoCam-20260101-120000.mp4, but the file may not play."),
            QStringLiteral(
                "Kayıt başarısız oldu: disk dolu. O ana kadar kaydedilenler "
                "ZunoCam-20260101-120000.mp4 dosyasında saklandı, ancak dosya oynatılamayabilir.") },
        { "failed, kept with its index", CameraRecorderError::writerFailed(written, EFBIG, file, true),
            QStringLiteral("The recording failed: the file reached the largest size allowed. What was "
                           "recorded until then is kept in ZunoCam-20260101-120000.mp4."),
            QStringLiteral("Kayıt başarısız oldu: dosya izin verilen en büyük boyuta ulaştı. O ana kadar "
                           "kaydedilenler ZunoCam-20260101-120000.mp4 dosyasında saklandı.") },
        { "failed, nothing recorded", CameraRecorderError::writerFailed(written, ENOSPC),
            QStringLiteral("The recording failed: the disk is full. Nothing was recorded."),
            QStringLiteral("Kayıt başarısız oldu: disk dolu. Hiçbir şey kaydedilmedi.") },
    };
    for (const Row &row : rows) {
        for (const ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr }) {
            SCOPED_TRACE(row.name + std::string(language == ZunoLanguage::en ? "" : ", Turkish"));
            fakes = {};
            makeFakes();
            start();
            vm->setLanguage(language);
            startRecording();
            std::visit([&](const auto &end) { fakes.recorder->endBySelf(end); }, row.end);
            finish();
            EXPECT_EQ(vm->toastMessage(), language == ZunoLanguage::en ? row.english : row.turkish);
            EXPECT_TRUE(vm->toastIsError()) << "a stop nobody asked for stands out";
            EXPECT_EQ(vm->lastRecordedVideoURL().has_value(), row.end.index() == 0);
            // The result says the recorder stopped it early; a failure leaves none.
            const auto *stopped = std::get_if<CameraRecordingResult>(&row.end);
            EXPECT_EQ(vm->lastRecordingResult(), stopped ? std::optional(*stopped) : std::nullopt);
            EXPECT_TRUE(messages(QStringLiteral("recorder"), ZunoLogLevel::error).isEmpty())
                << "the recorder's own line is the only one";
            vm.reset();
        }
    }
}
