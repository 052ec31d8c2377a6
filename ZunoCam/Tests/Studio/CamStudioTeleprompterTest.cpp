// Teleprompter playback on virtual time: countdown, scroll loop, voice gate, pace and voice monitoring.
#include "StudioTestFixture.h"

#include <QSignalSpy>

#include <cmath>
#include <limits>

namespace {

constexpr double kTick = 1.0 / 60.0;
// 60 ticks at 135 wpm, 24 pt and 560 wide.
constexpr double kDefaultSecond = 10.86939;

} // namespace

class StudioPrompterTest : public StudioTest {
protected:
    void startWith(const std::function<void(TeleprompterSettings &)> &change)
    {
        CamPersistedPayload document;
        change(document.teleprompter);
        writeDocument(document);
        start();
    }

    bool waitForMicrophone(bool running)
    {
        return QTest::qWaitFor([&] { return fakes.microphone->isRunning() == running; }, kWait);
    }
};

TEST_F(StudioPrompterTest, CountdownOfZeroOrLessScrollsAtOnce)
{
    for (const qint64 countdown : { qint64(0), qint64(-5), std::numeric_limits<qint64>::min() }) {
        fakes = {};
        startWith([&](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = countdown; });
        vm->showTeleprompterOverlay();
        EXPECT_TRUE(vm->isTeleprompterVisible());
        EXPECT_TRUE(vm->isPrompterScrolling()) << countdown;
        EXPECT_EQ(vm->prompterCountdownRemaining(), 0);
        clock().advance(kTick);
        EXPECT_GT(vm->prompterScrollOffset(), 0) << countdown;
        vm.reset();
    }
}

TEST_F(StudioPrompterTest, CountdownOfThreeStepsEachSecondThenScrolls)
{
    startWith([](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = 3; });
    vm->showTeleprompterOverlay();
    ASSERT_TRUE(*fakes.notchPanel);
    EXPECT_EQ(fakes.log->count(QStringLiteral("notch.show")), 1);
    for (const qint64 expected : { 3, 2, 1 }) {
        EXPECT_EQ(vm->prompterCountdownRemaining(), expected);
        EXPECT_FALSE(vm->isPrompterScrolling());
        clock().advance(0.999);
        EXPECT_EQ(vm->prompterCountdownRemaining(), expected);
        EXPECT_EQ(vm->prompterScrollOffset(), 0);
        clock().advance(0.001);
    }
    EXPECT_EQ(vm->prompterCountdownRemaining(), 0);
    EXPECT_TRUE(vm->isPrompterScrolling());
    clock().advance(1.0);
    EXPECT_NEAR(vm->prompterScrollOffset(), kDefaultSecond, 1e-4);
}

TEST_F(StudioPrompterTest, CountdownKeepsItsSixtyFourBitValue)
{
    const qint64 huge = qint64(1) << 40;
    startWith([&](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = huge; });
    vm->showTeleprompterOverlay();
    EXPECT_EQ(vm->prompterCountdownRemaining(), huge);
    clock().advance(2);
    EXPECT_EQ(vm->prompterCountdownRemaining(), huge - 2);
    EXPECT_FALSE(vm->isPrompterScrolling());
}

TEST_F(StudioPrompterTest, HidingDuringTheCountdownCancelsItForGood)
{
    startWith([](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = 3; });
    vm->showTeleprompterOverlay();
    clock().advance(1.5);
    vm->hideTeleprompterOverlay();
    EXPECT_EQ(vm->prompterCountdownRemaining(), 0);
    EXPECT_FALSE(vm->isTeleprompterVisible());
    EXPECT_EQ(clock().activeTimerCount(), 0u);
    clock().advance(10);
    EXPECT_FALSE(vm->isPrompterScrolling());
    EXPECT_EQ(vm->prompterScrollOffset(), 0);
    EXPECT_EQ(fakes.log->count(QStringLiteral("notch.orderOut")), 1);
    EXPECT_EQ(messages(QStringLiteral("teleprompter")).last(), QStringLiteral("Notch teleprompter closed."));
}

TEST_F(StudioPrompterTest, ShowingAgainResetsTheOffsetAndRestartsTheCountdown)
{
    startWith([](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = 0; });
    vm->showTeleprompterOverlay();
    FakeNotchPanel *const panel = *fakes.notchPanel;
    clock().advance(1);
    ASSERT_NEAR(vm->prompterScrollOffset(), kDefaultSecond, 1e-4);

    vm->setTeleprompter(settingsWith([](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = 3; }));
    vm->showTeleprompterOverlay();
    EXPECT_EQ(vm->prompterScrollOffset(), 0);
    EXPECT_EQ(vm->prompterCountdownRemaining(), 3);
    EXPECT_FALSE(vm->isPrompterScrolling());
    clock().advance(2.5);
    EXPECT_EQ(vm->prompterScrollOffset(), 0) << "the old loop ticks but does not move while counting down";
    clock().advance(0.5);
    EXPECT_TRUE(vm->isPrompterScrolling());
    EXPECT_EQ(fakes.log->count(QStringLiteral("notch.show")), 2);
    EXPECT_EQ(*fakes.notchPanel, panel) << "one panel, kept for the run";
}

TEST_F(StudioPrompterTest, SixtyTicksMoveOneSecondOfTextAndPauseHoldsIt)
{
    startWith([](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = 0; });
    QSignalSpy state(vm.get(), &CamStudioViewModel::prompterStateChanged);
    QSignalSpy offsets(vm.get(), &CamStudioViewModel::prompterOffsetChanged);
    vm->showTeleprompterOverlay();
    state.clear();
    offsets.clear();
    clock().advance(1.0);
    EXPECT_NEAR(vm->prompterScrollOffset(), kDefaultSecond, 1e-4);
    EXPECT_EQ(offsets.count(), 60);
    EXPECT_EQ(state.count(), 1) << "only the gate flag changed once, not on every tick";

    vm->setPrompterScrolling(false);
    const double paused = vm->prompterScrollOffset();
    clock().advance(1.0);
    EXPECT_EQ(vm->prompterScrollOffset(), paused);
    EXPECT_EQ(clock().activeTimerCount(), 1u) << "the loop keeps running while paused";

    vm->setPrompterScrolling(true);
    vm->startScrollLoop();
    clock().advance(1.0);
    EXPECT_NEAR(vm->prompterScrollOffset(), paused + kDefaultSecond, 1e-4);
    EXPECT_EQ(clock().activeTimerCount(), 1u) << "restarting replaces the loop";
}

TEST_F(StudioPrompterTest, GateIsOpenOnEveryMovingTickWithVoicePacingOff)
{
    startWith([](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = 0; });
    int moving = 0;
    int closed = 0;
    QObject::connect(vm.get(), &CamStudioViewModel::prompterOffsetChanged, vm.get(), [&] {
        ++moving;
        closed += vm->isVoiceGateOpen() ? 0 : 1;
    });
    vm->showTeleprompterOverlay();
    clock().advance(1.0);
    EXPECT_EQ(moving, 60);
    EXPECT_EQ(closed, 0);
    vm->hideTeleprompterOverlay();
    EXPECT_FALSE(vm->isVoiceGateOpen());
}

TEST_F(StudioPrompterTest, VoiceGateHoldsForMoreThanHalfASecondThenStopsUntilSpeechReturns)
{
    startWith([](TeleprompterSettings &s) {
        s.countdownSecondsBeforeStart = 0;
        s.voicePacingEnabled = true;
        s.voiceThresholdRMS = 0.045;
    });
    vm->showTeleprompterOverlay();
    ASSERT_TRUE(waitForMicrophone(true));
    clock().advance(0.5);
    EXPECT_EQ(vm->prompterScrollOffset(), 0) << "silent from the start: the text waits";
    EXPECT_FALSE(vm->isVoiceGateOpen());

    const auto setLevel = [&](double level) {
        ASSERT_TRUE(fakes.microphone->emitLevel(level));
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::abs(vm->liveVoiceRMS() - level) < 1e-6; }, kWait));
    };
    setLevel(0.2);
    clock().advance(0.5);
    EXPECT_TRUE(vm->isVoiceGateOpen());
    EXPECT_NEAR(vm->prompterScrollOffset(), kDefaultSecond / 2, 1e-3);

    setLevel(0.01);
    int movingTicks = 0;
    for (int tick = 0; tick < 120; ++tick) {
        const double before = vm->prompterScrollOffset();
        clock().advance(kTick);
        movingTicks += vm->prompterScrollOffset() > before ? 1 : 0;
    }
    // The tick that brings the silence to 0.55 s closes the gate.
    EXPECT_GE(movingTicks, 32) << "0.55 s of silence still move";
    EXPECT_LE(movingTicks, 33);
    EXPECT_FALSE(vm->isVoiceGateOpen());

    clock().advance(1.0);
    const double still = vm->prompterScrollOffset();
    setLevel(0.05);
    clock().advance(kTick);
    EXPECT_GT(vm->prompterScrollOffset(), still) << "speech opens the gate at once";
}

TEST_F(StudioPrompterTest, NudgeBoundsThePaceAndSaves)
{
    struct Case {
        double pace;
        double delta;
        double expected;
    };
    const Case cases[] { { 295, 10, 300 }, { 55, -10, 50 }, { 100, 5, 105 }, { 300, 0, 300 },
        { std::nan(""), 10, 50 }, { std::numeric_limits<double>::infinity(), 10, 300 } };
    for (const Case &c : cases) {
        fakes = {};
        start();
        vm->setTeleprompter(settingsWith([&](TeleprompterSettings &s) { s.wordsPerMinute = c.pace; }));
        vm->nudgePrompterWPM(c.delta);
        EXPECT_EQ(vm->teleprompter().wordsPerMinute, c.expected) << c.pace << " + " << c.delta;
        flush();
        EXPECT_EQ(fakes.store->saves(), 1);
        vm.reset();
    }
}

TEST_F(StudioPrompterTest, LaunchLineNamesTheScriptAndTheWholePace)
{
    struct Case {
        double pace;
        QString wpm;
    };
    const Case cases[] { { 142.7, QStringLiteral("142") }, { 135, QStringLiteral("135") },
        { 1e300, QStringLiteral("9223372036854775807") }, { std::nan(""), QStringLiteral("0") } };
    for (const Case &c : cases) {
        fakes = {};
        start();
        vm->setTeleprompter(settingsWith([&](TeleprompterSettings &s) { s.wordsPerMinute = c.pace; }));
        vm->showTeleprompterOverlay();
        EXPECT_EQ(messages(QStringLiteral("teleprompter")).last(),
            QStringLiteral("Notch teleprompter launched (script='%1', wpm=%2)")
                .arg(vm->scripts().front().title, c.wpm));
        vm.reset();
    }
}

TEST_F(StudioPrompterTest, ShowHideAndApplyStartAndStopTheVoiceMonitor)
{
    startWith([](TeleprompterSettings &s) { s.voicePacingEnabled = true; });
    vm->showTeleprompterOverlay();
    ASSERT_TRUE(waitForMicrophone(true));
    vm->hideTeleprompterOverlay();
    ASSERT_TRUE(waitForMicrophone(false));
    vm->showTeleprompterOverlay();
    ASSERT_TRUE(waitForMicrophone(true));

    vm->setTeleprompter(settingsWith([](TeleprompterSettings &s) { s.voicePacingEnabled = false; }));
    vm->applyTeleprompterSettings();
    ASSERT_TRUE(waitForMicrophone(false));
    EXPECT_EQ(fakes.log->count(QStringLiteral("notch.updateLayout")), 1);

    vm->setTeleprompter(settingsWith([](TeleprompterSettings &s) { s.voicePacingEnabled = true; }));
    vm->applyTeleprompterSettings();
    ASSERT_TRUE(waitForMicrophone(true));
    EXPECT_EQ(fakes.microphone->starts(), 3);
    EXPECT_EQ(fakes.microphone->stops(), 2);
}

TEST_F(StudioPrompterTest, HiddenTeleprompterLeavesTheMicrophoneAloneOnApply)
{
    startWith([](TeleprompterSettings &s) { s.voicePacingEnabled = true; });
    vm->applyTeleprompterSettings();
    vm->showTeleprompterOverlay();
    ASSERT_TRUE(waitForMicrophone(true));
    EXPECT_EQ(fakes.system->microphoneProbes(), 1) << "apply while hidden probes nothing";
}

TEST_F(StudioPrompterTest, MicrophoneStatusDecidesBetweenMonitorAndToast)
{
    struct Case {
        const char *name;
        ZunoMediaAuthorizationStatus status;
        bool requestGrants;
        ZunoLanguage language;
        QString toast; // empty: the monitor starts
    };
    const Case cases[] {
        { "authorized", ZunoMediaAuthorizationStatus::authorized, false, ZunoLanguage::en, {} },
        { "denied", ZunoMediaAuthorizationStatus::denied, false, ZunoLanguage::en,
            QStringLiteral("Allow microphone access for ZunoCam in your desktop's privacy settings to use "
                           "Voice Pacing.") },
        { "denied, Turkish", ZunoMediaAuthorizationStatus::denied, false, ZunoLanguage::tr,
            QStringLiteral(
                "Sesle akış için masaüstünüzün gizlilik ayarlarından ZunoCam’e mikrofon erişimi verin.") },
        { "no sound server", ZunoMediaAuthorizationStatus::restricted, false, ZunoLanguage::en,
            QStringLiteral("Voice Pacing needs a running sound server (PipeWire or PulseAudio).") },
        { "no sound server, Turkish", ZunoMediaAuthorizationStatus::restricted, false, ZunoLanguage::tr,
            QStringLiteral("Sesle akış için çalışan bir ses sunucusu (PipeWire veya PulseAudio) gerekir.") },
        { "asked and refused", ZunoMediaAuthorizationStatus::notDetermined, false, ZunoLanguage::tr,
            QStringLiteral("Microphone permission required for voice pacing.") },
        { "asked and granted", ZunoMediaAuthorizationStatus::notDetermined, true, ZunoLanguage::en, {} },
    };
    for (const Case &c : cases) {
        fakes = {};
        makeFakes();
        fakes.system->setMicrophoneStatus(c.status);
        fakes.system->setMicrophoneRequestGrants(c.requestGrants);
        startWith([](TeleprompterSettings &s) { s.voicePacingEnabled = true; });
        vm->setLanguage(c.language);
        vm->showTeleprompterOverlay();
        if (c.toast.isEmpty()) {
            EXPECT_TRUE(waitForMicrophone(true)) << c.name;
            EXPECT_FALSE(vm->toastMessage().has_value()) << c.name;
        } else {
            EXPECT_TRUE(QTest::qWaitFor([&] { return vm->toastMessage().has_value(); }, kWait)) << c.name;
            EXPECT_EQ(vm->toastMessage().value_or(QString()), c.toast) << c.name;
            EXPECT_TRUE(vm->toastIsError()) << c.name;
            EXPECT_TRUE(vm->isTeleprompterVisible()) << "the teleprompter keeps working";
        }
        vm.reset();
        EXPECT_EQ(fakes.microphone->starts(), c.toast.isEmpty() ? 1 : 0) << c.name;
    }
}

// The monitor runs; a second probe is held while the studio stops wanting the microphone. The stop
// queued behind the probe shows when the probe's answer has been posted; that answer must not start
// the monitor again.
class StudioProbeRaceTest : public StudioPrompterTest {
protected:
    void runRace(const std::function<void()> &stopWanting)
    {
        startWith([](TeleprompterSettings &s) { s.voicePacingEnabled = true; });
        vm->showTeleprompterOverlay();
        ASSERT_TRUE(waitForMicrophone(true));
        fakes.system->holdMicrophoneProbe();
        vm->applyTeleprompterSettings();
        ASSERT_TRUE(QTest::qWaitFor([&] { return fakes.system->microphoneProbes() == 2; }, kWait));
        stopWanting();
        fakes.system->releaseMicrophoneProbe();
        ASSERT_TRUE(waitForMicrophone(false));
        QCoreApplication::processEvents(); // the probe's answer, posted before the stop ran
        vm.reset(); // runs whatever the microphone worker still holds
        EXPECT_EQ(fakes.microphone->starts(), 1);
        EXPECT_FALSE(fakes.microphone->isRunning());
    }
};

TEST_F(StudioProbeRaceTest, ProbeAnsweringAfterHideStartsNothing)
{
    runRace([&] { vm->hideTeleprompterOverlay(); });
}

TEST_F(StudioProbeRaceTest, VoicePacingSwitchedOffWhileProbingStartsNothing)
{
    runRace([&] {
        vm->setTeleprompter(settingsWith([](TeleprompterSettings &s) { s.voicePacingEnabled = false; }));
        vm->applyTeleprompterSettings();
    });
}
