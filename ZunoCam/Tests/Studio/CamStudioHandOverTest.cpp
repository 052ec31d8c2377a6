// Frames and microphone levels cross to the main thread through one-slot hand-overs.
#include "StudioTestFixture.h"

#include <QSignalSpy>

#include <thread>

namespace {

QImage numberedFrame(int number)
{
    QImage frame(8, 4, QImage::Format_ARGB32);
    frame.fill(QColor::fromRgb(number % 256, number / 256, 7));
    return frame;
}

int frameNumber(const QImage &frame)
{
    const QColor colour = frame.pixelColor(0, 0);
    return colour.red() + colour.green() * 256;
}

} // namespace

TEST_F(StudioTest, FramesWhileTheMainThreadIsBusyGiveOneWakeUpWithTheNewest)
{
    start();
    QSignalSpy frames(vm.get(), &CamStudioViewModel::frameChanged);
    // The main thread does not run events while the video queue delivers.
    std::thread video([&] {
        for (int number = 1; number <= 500; ++number)
            fakes.camera->pushFrame(numberedFrame(number));
    });
    video.join();
    EXPECT_EQ(frames.count(), 0);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(frames.count(), 1);
    EXPECT_EQ(frameNumber(vm->latestCameraFrame()), 500);

    fakes.camera->pushFrame(numberedFrame(501));
    ASSERT_TRUE(frames.wait(kWait));
    EXPECT_EQ(frameNumber(vm->latestCameraFrame()), 501);
}

TEST_F(StudioTest, LevelsWhileTheMainThreadIsBusyGiveOneWakeUpWithTheNewest)
{
    CamPersistedPayload document;
    document.teleprompter.voicePacingEnabled = true;
    writeDocument(document);
    start();
    vm->showTeleprompterOverlay();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fakes.microphone->isRunning(); }, kWait));

    QSignalSpy levels(vm.get(), &CamStudioViewModel::voiceLevelChanged);
    std::thread audio([&] {
        for (int step = 1; step <= 500; ++step)
            fakes.microphone->emitLevel(step / 1000.0);
    });
    audio.join();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(levels.count(), 1);
    EXPECT_NEAR(vm->liveVoiceRMS(), 0.5, 1e-6);
}

TEST_F(StudioTest, FrameInFlightWhenTheViewModelGoesIsDropped)
{
    start();
    fakes.camera->pushFrame(numberedFrame(1));
    vm.reset();
    QCoreApplication::processEvents();
    SUCCEED();
}

TEST_F(StudioTest, StoppedCameraKeepsTheLastFrame)
{
    start();
    fakes.camera->pushFrame(numberedFrame(42));
    QCoreApplication::processEvents();
    fakes.camera->stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(frameNumber(vm->latestCameraFrame()), 42);
}
