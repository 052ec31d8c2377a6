// One press of a command's keys toggles exactly once, while the studio's global hot keys of the same
// combinations are grabbed (the grab takes the press) and for the window-only Super+Alt+C.
#include "StudioTestFixture.h"
#include "ZunoCamApp.h"
#include "ZunoCamStudioWindow.h"
#include "ZunoGlobalHotkeyManager.h"
#include "ZunoScopedEnvironment.h"
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
    QTRY_COMPARE_WITH_TIMEOUT(shown, 1, kWait);
    QTest::qWait(300);
    EXPECT_EQ(hidden, 0);
    EXPECT_TRUE(vm->isTeleprompterVisible());
    press('t');
    QTRY_COMPARE_WITH_TIMEOUT(hidden, 1, kWait);
    EXPECT_EQ(shown, 1);
}

TEST_F(CamStudioKeyCommandX11, SuperAltCTogglesTheCameraPreviewOnce)
{
    int changes = 0;
    QObject::connect(vm.get(), &CamStudioViewModel::cameraRunningChanged, vm.get(), [&] { ++changes; });
    const bool running = vm->isCameraRunning();
    press('c');
    QTRY_COMPARE_WITH_TIMEOUT(changes, 1, kWait);
    QTest::qWait(300);
    EXPECT_EQ(changes, 1);
    EXPECT_NE(vm->isCameraRunning(), running);
}
