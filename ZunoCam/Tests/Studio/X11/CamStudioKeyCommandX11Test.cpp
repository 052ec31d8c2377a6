// One press of a command's keys toggles exactly once, while the studio's global hot keys of the same
// combinations are grabbed (the grab takes the press) and for the window-only Super+Alt+C.
#include "StudioTestFixture.h"
#include "ZunoCamApp.h"
#include "ZunoCamStudioWindow.h"
#include "ZunoGlobalHotkeyManager.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoWaitUntil.h"
#include "ZunoX11Typist.h"

#include <QGuiApplication>
#include <QSignalSpy>

#include <vector>

namespace {

// Qt's xcb platform where a display exists, else offscreen, where the tests skip. Chosen before the
// shared test main creates the application.
const bool kPlatformChosen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    return true;
}();

constexpr xcb_keysym_t kSuperL = ZunoX11Typist::kSuperL, kAltL = ZunoX11Typist::kAltL;

class CamStudioKeyCommandX11 : public StudioTest {
protected:
    void SetUp() override
    {
        StudioTest::SetUp();
        session.set("XDG_SESSION_TYPE", "x11");
        session.set("WAYLAND_DISPLAY", QByteArray());
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "no X11 display";
        ASSERT_TRUE(typist.isReady());
        start();
        app = std::make_unique<ZunoCamApp>(*vm, false);
        ZunoCamStudioWindow *window = app->window();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window, kWait));
    }
    void TearDown() override
    {
        app.reset();
        StudioTest::TearDown();
    }

    // Types the keys, then lets every event of the press arrive (a second toggle would come with them).
    void press(xcb_keysym_t letter)
    {
        typist.type({ kSuperL, kAltL, letter });
        QTest::qWait(400);
    }

    ZunoScopedEnvironment session;
    ZunoX11TestClient typingClient; // a second X client that types through XTest, as a person would
    ZunoX11Typist typist { typingClient };
    std::unique_ptr<ZunoCamApp> app;
};

} // namespace

TEST_F(CamStudioKeyCommandX11, SuperAltTWithTheHotKeyGrabbedTogglesTheTeleprompterOnce)
{
    ASSERT_FALSE(typist.grabHotkey('t')); // the studio's own hot key holds the combination
    int shown = 0, hidden = 0;
    bool visible = vm->isTeleprompterVisible();
    QObject::connect(vm.get(), &CamStudioViewModel::prompterStateChanged, vm.get(), [&] {
        if (vm->isTeleprompterVisible() != visible) {
            visible = vm->isTeleprompterVisible();
            ++(visible ? shown : hidden);
        }
    });
    press('t');
    ASSERT_TRUE(waitUntil([&] { return shown == 1; }, kWait, "the teleprompter to show"))
        << "shown " << shown << " times";
    QTest::qWait(300);
    EXPECT_EQ(hidden, 0);
    EXPECT_TRUE(vm->isTeleprompterVisible());
    press('t');
    ASSERT_TRUE(waitUntil([&] { return hidden == 1; }, kWait, "the teleprompter to hide"))
        << "hidden " << hidden << " times";
    EXPECT_EQ(shown, 1);
}

TEST_F(CamStudioKeyCommandX11, SuperAltCTogglesTheCameraPreviewOnce)
{
    // The signal also tells of the camera opening, so one start brings three of them: count the running
    // state's changes and the camera's starts instead.
    int started = 0, stopped = 0;
    bool running = vm->isCameraRunning();
    ASSERT_FALSE(running);
    QObject::connect(vm.get(), &CamStudioViewModel::cameraRunningChanged, vm.get(), [&] {
        if (vm->isCameraRunning() != running) {
            running = vm->isCameraRunning();
            ++(running ? started : stopped);
        }
    });
    press('c');
    ASSERT_TRUE(waitUntil([&] { return started == 1; }, kWait, "the camera to start"));
    EXPECT_EQ(stopped, 0);
    EXPECT_TRUE(fakes.camera->isRunning());
    EXPECT_EQ(fakes.log->count(QStringLiteral("camera.start")), 1);
    press('c');
    ASSERT_TRUE(waitUntil([&] { return stopped == 1; }, kWait, "the camera to stop"));
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(fakes.camera->isRunning());
    EXPECT_EQ(fakes.log->count(QStringLiteral("camera.start")), 1);
}
