// Frames and microphone levels cross to the main thread through one-slot hand-overs.
#include "StudioTestFixture.h"

#include "CamStudioHandOver.h"

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
    QSignalSpy frames(vm.get(), &CamStudioViewModel::frameChanged);
    QImage frame = numberedFrame(1);
    fakes.camera->pushFrame(frame);
    EXPECT_FALSE(frame.isDetached()) << "the hand-over holds the frame until its wake-up runs";
    vm.reset();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(frames.count(), 0);
    EXPECT_TRUE(frame.isDetached()) << "nothing holds the dropped frame any more";
}

// A wake-up already posted delivers nothing once its receiver is gone or the hand-over is detached.
TEST(CamStudioHandOver, PendingWakeUpDeliversOnlyWhileItsReceiverIsThere)
{
    enum class Before { nothing, detach, deleteReceiver };
    const struct {
        const char *name;
        Before before;
        int deliveries;
    } cases[] = {
        { "receiver stays", Before::nothing, 1 },
        { "detached", Before::detach, 0 },
        { "receiver deleted", Before::deleteReceiver, 0 },
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        auto receiver = std::make_unique<QObject>();
        int deliveries = 0;
        auto handOver = CamStudioHandOver<int>::make(receiver.get(), [&](int) { ++deliveries; });
        handOver->put(1);
        handOver->put(2);
        if (row.before == Before::detach)
            handOver->detach();
        if (row.before == Before::deleteReceiver)
            receiver.reset();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(deliveries, row.deliveries);
    }
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
