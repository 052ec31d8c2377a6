// The laser overlay and the mirror on fake panels, the global hot keys through the session bus,
// toasts and launch at login.
#include "StudioTestFixture.h"

#include "FakeStudioHotkeys.h"
#include "FakeStudioPanels.h"
#include "ZunoHotkeyBus.h"

TEST_F(StudioTest, LaserOverlayCountsAsVisibleOnlyWhenItShows)
{
    start();
    vm->toggleLaserOverlay();
    FakeLaserOverlay *overlay = *fakes.laserOverlay;
    ASSERT_TRUE(overlay);
    ASSERT_TRUE(vm->isLaserOverlayVisible());
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("Presentation overlay active — press ESC to exit."));
    EXPECT_FALSE(vm->toastIsError());
    EXPECT_EQ(messages(QStringLiteral("presenter")).last(),
        QStringLiteral("Presentation laser overlay activated (mode=fadingLaser)."));

    // Escape clears the flag, so the next toggle shows the overlay again.
    overlay->dismissWithEscape();
    EXPECT_FALSE(vm->isLaserOverlayVisible());
    EXPECT_EQ(messages(QStringLiteral("presenter")).last(),
        QStringLiteral("Presentation laser overlay dismissed via ESC."));
    vm->toggleLaserOverlay();
    EXPECT_TRUE(vm->isLaserOverlayVisible());
    EXPECT_EQ(*fakes.laserOverlay, overlay) << "one overlay, kept";
    vm->toggleLaserOverlay();
    EXPECT_FALSE(overlay->visible);
    EXPECT_EQ(messages(QStringLiteral("presenter")).last(),
        QStringLiteral("Presentation laser overlay dismissed."));

    overlay->failure = CamTextPair { QStringLiteral("no screen"), QStringLiteral("ekran yok") };
    vm->setLanguage(ZunoLanguage::tr);
    vm->toggleLaserOverlay();
    EXPECT_FALSE(vm->isLaserOverlayVisible());
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("Sunum katmanı açılamadı: ekran yok"));
    EXPECT_TRUE(vm->toastIsError());
    EXPECT_EQ(messages(QStringLiteral("presenter"), ZunoLogLevel::warn).last(),
        QStringLiteral("Presentation laser overlay could not be shown: no screen"));
}

TEST_F(StudioTest, OverlayModeChangeReachesTheOpenCanvasAndIsSaved)
{
    start();
    vm->setOverlayMode(PresentationOverlayMode::freehandPen);
    vm->toggleLaserOverlay();
    FakeLaserOverlay *overlay = *fakes.laserOverlay;
    EXPECT_EQ(overlay->canvasMode, PresentationOverlayMode::freehandPen);
    vm->setOverlayMode(PresentationOverlayMode::arrowTool);
    EXPECT_EQ(overlay->canvasMode, PresentationOverlayMode::arrowTool);
    EXPECT_EQ(messages(QStringLiteral("presenter")).last(),
        QStringLiteral("Presentation overlay mode changed to arrowTool."));
    flush();
    EXPECT_EQ(CamScriptStore(documentFolder()).load().overlayMode, PresentationOverlayMode::arrowTool);
}

TEST_F(StudioTest, MirrorStartsAStoppedCameraAndItsCloseButtonLeavesTheCameraRunning)
{
    start();
    vm->toggleFloatingMirror();
    EXPECT_TRUE(vm->isFloatingMirrorVisible());
    EXPECT_TRUE(vm->isCameraRunning());
    EXPECT_EQ(fakes.log->count(QStringLiteral("mirror.show")), 1);
    vm->hideFloatingMirror();
    EXPECT_FALSE(vm->isFloatingMirrorVisible());
    EXPECT_TRUE(vm->isCameraRunning());
    vm->toggleFloatingMirror();
    vm->toggleFloatingMirror();
    EXPECT_FALSE(vm->isFloatingMirrorVisible());
    EXPECT_EQ(fakes.log->count(QStringLiteral("mirror.orderOut")), 2);
    EXPECT_EQ(fakes.log->count(QStringLiteral("camera.start")), 1);

    // Shown even when the camera cannot start.
    vm->toggleCameraPreview();
    fakes.camera->setStartSucceeds(false);
    vm->toggleFloatingMirror();
    EXPECT_TRUE(vm->isFloatingMirrorVisible());
    EXPECT_FALSE(vm->isCameraRunning());
}

TEST_F(StudioTest, HotkeysToggleTeleprompterLaserAndMirrorThroughTheSessionBus)
{
    start();
    ZunoHotkeyBus *bus = ZunoHotkeyBus::shared();
    ASSERT_TRUE(bus);
    if (!bus->isExported())
        GTEST_SKIP() << "no session bus: run in scripts/test-session.sh";
    const auto press = [&](const char *shortcut, const std::function<bool()> &done) {
        ASSERT_TRUE(bus->Activate(QString::fromLatin1(shortcut)));
        ASSERT_TRUE(QTest::qWaitFor(done, kWait)) << shortcut;
    };
    press("Super+Alt+T", [&] { return vm->isTeleprompterVisible(); });
    press("Super+Alt+T", [&] { return !vm->isTeleprompterVisible(); });
    press("Super+Alt+L", [&] { return vm->isLaserOverlayVisible(); });
    press("Super+Alt+L", [&] { return !vm->isLaserOverlayVisible(); });
    press("Super+Alt+M", [&] { return vm->isFloatingMirrorVisible(); });
    EXPECT_TRUE(messages(QStringLiteral("lifecycle"), ZunoLogLevel::warn).isEmpty());
}

TEST_F(StudioTest, RefusedHotkeyLeavesOneWarnLine)
{
    makeFakes();
    fakes.hotkeys->refused.insert(QStringLiteral("Super+Alt+L"));
    start();
    const QStringList warnings = messages(QStringLiteral("lifecycle"), ZunoLogLevel::warn);
    if (!ZunoHotkeyBus::shared()->isExported())
        GTEST_SKIP() << "no session bus: run in scripts/test-session.sh";
    EXPECT_EQ(warnings,
        QStringList { QStringLiteral(
            "Global hot key Super+Alt+L could not be registered; another application may hold it.") });
}

TEST_F(StudioTest, NewerToastReplacesTheOlderAndGetsItsOwnTime)
{
    start();
    vm->showToast(QStringLiteral("first"), true);
    clock().advance(2.0);
    vm->showToast(QStringLiteral("second"), false);
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("second"));
    EXPECT_FALSE(vm->toastIsError());
    clock().advance(2.7);
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("second")) << "the first one's clearing was cancelled";
    clock().advance(0.1);
    EXPECT_FALSE(vm->toastMessage().has_value());
    vm->showToast(QStringLiteral("error"), true);
    clock().advance(3);
    EXPECT_FALSE(vm->toastMessage().has_value());
    EXPECT_TRUE(vm->toastIsError()) << "the flag keeps its last value";
}

TEST_F(StudioTest, LaunchAtLoginShowsTheStateReadBack)
{
    start();
    vm->toggleLaunchAtLogin(true);
    EXPECT_TRUE(vm->launchAtLogin());
    EXPECT_FALSE(vm->toastMessage().has_value());

    fakes.system->setLaunchAtLoginWritable(false);
    vm->toggleLaunchAtLogin(false);
    EXPECT_TRUE(vm->launchAtLogin()) << "the real state, not the wish";
    EXPECT_EQ(vm->toastMessage(),
        QStringLiteral("Launch at Login could not be changed: the autostart entry could not be written."));
    EXPECT_TRUE(vm->toastIsError());
}
