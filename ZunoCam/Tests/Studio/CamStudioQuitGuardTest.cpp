// Quitting waits for a recording to be finished, within a bound; termination signals take the same road.
#include "StudioTestFixture.h"

#include "CamStudioQuitGuard.h"
#include "FakeStudioRecorder.h"
#include "ZunoTerminationSignals.h"

#include <QTimer>

#include <csignal>

class StudioQuitTest : public StudioTest {
protected:
    void startRecording()
    {
        start();
        fakes.recorder->holdStops(true);
        vm->startVideoRecording();
        ASSERT_TRUE(vm->isRecordingVideo());
    }
};

TEST_F(StudioQuitTest, QuitWithoutRecordingPassesAtOnce)
{
    start();
    CamStudioQuitGuard guard(*vm, nullptr);
    EXPECT_EQ(runQuitLoop([&] { vm->requestQuit(); }), 0);
    EXPECT_FALSE(guard.isWaiting());
    EXPECT_FALSE(guard.boundExpired());
}

TEST_F(StudioQuitTest, QuitDuringRecordingWaitsForTheFile)
{
    startRecording();
    CamStudioQuitGuard guard(*vm, nullptr);
    QStringList seen;
    QObject::connect(vm.get(), &CamStudioViewModel::toastChanged, vm.get(), [&] {
        if (!vm->toastMessage() || !guard.isWaiting() || !seen.isEmpty())
            return;
        seen.append(*vm->toastMessage());
        // More requests while waiting change nothing; then the file is finished.
        QTimer::singleShot(0, vm.get(), [&] {
            QCoreApplication::quit();
            seen.append(
                vm->isFinalizingVideo() ? QStringLiteral("finalizing") : QStringLiteral("not finalizing"));
            fakes.recorder->finishHeldStop();
        });
    });
    EXPECT_EQ(runQuitLoop([] { QCoreApplication::quit(); }), 0);
    EXPECT_EQ(seen,
        (QStringList {
            QStringLiteral("Finishing the recording before quitting…"), QStringLiteral("finalizing") }));
    EXPECT_FALSE(vm->isRecordingVideo());
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("Saved MP4: ZunoCam-20260101-120000.mp4"));
    EXPECT_FALSE(guard.boundExpired());
}

TEST_F(StudioQuitTest, QuitGivesUpAfterTenSeconds)
{
    startRecording();
    CamStudioQuitGuard guard(*vm, nullptr);
    EXPECT_EQ(runQuitLoop([&] {
        QCoreApplication::quit();
        QTimer::singleShot(0, vm.get(), [&] {
            clock().advance(9.9);
            ASSERT_TRUE(guard.isWaiting());
            clock().advance(0.1);
        });
    }),
        0);
    EXPECT_TRUE(guard.boundExpired());
    EXPECT_EQ(messages(QStringLiteral("recorder"), ZunoLogLevel::error),
        QStringList { QStringLiteral(
            "Quit while the MP4 recording was still being finished; the file may be incomplete.") });
    fakes.recorder->finishHeldStop();
}

TEST_F(StudioQuitTest, TerminationSignalTakesTheSameRoadAndASecondOneEndsTheWait)
{
    startRecording();
    ZunoTerminationSignals signalsHandler;
    ASSERT_TRUE(signalsHandler.isInstalled());
    CamStudioQuitGuard guard(*vm, &signalsHandler);
    QObject::connect(vm.get(), &CamStudioViewModel::toastChanged, vm.get(), [&] {
        if (guard.isWaiting())
            QTimer::singleShot(0, vm.get(), [] { std::raise(SIGTERM); });
    });
    EXPECT_EQ(runQuitLoop([] { std::raise(SIGTERM); }), 0);
    EXPECT_TRUE(guard.boundExpired()) << "the second signal ended the wait";
    EXPECT_TRUE(vm->isFinalizingVideo());
    fakes.recorder->finishHeldStop();
}

TEST_F(StudioQuitTest, TerminationSignalWithARecordingFinishesIt)
{
    startRecording();
    ZunoTerminationSignals signalsHandler;
    CamStudioQuitGuard guard(*vm, &signalsHandler);
    QObject::connect(vm.get(), &CamStudioViewModel::toastChanged, vm.get(), [&] {
        if (guard.isWaiting())
            QTimer::singleShot(0, vm.get(), [&] { fakes.recorder->finishHeldStop(); });
    });
    EXPECT_EQ(runQuitLoop([] { std::raise(SIGINT); }), 0);
    EXPECT_FALSE(guard.boundExpired());
    EXPECT_FALSE(vm->isRecordingVideo());
    EXPECT_TRUE(vm->lastRecordedVideoURL().has_value());
}
