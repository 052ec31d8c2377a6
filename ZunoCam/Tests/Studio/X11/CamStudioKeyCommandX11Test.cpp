// One press of a command's keys toggles exactly once, while the studio's global hot keys of the same
// combinations are grabbed (the grab takes the press) and for the window-only Super+Alt+C.
#include "StudioTestFixture.h"
#include "ZunoCamApp.h"
#include "ZunoCamStudioWindow.h"
#include "ZunoGlobalHotkeyManager.h"
#include "ZunoScopedEnvironment.h"

#include <QGuiApplication>
#include <QSignalSpy>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <vector>

namespace {

// Qt's xcb platform where a display exists, else offscreen, where the tests skip. Chosen before the
// shared test main creates the application.
const bool kPlatformChosen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    return true;
}();

constexpr xcb_keysym_t kSuperL = 0xffeb, kAltL = 0xffe9;

// A second X client that types through XTest, as a person would.
class Typist {
public:
    Typist()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (!xcb_connection_has_error(m_connection))
            m_symbols = xcb_key_symbols_alloc(m_connection);
    }
    ~Typist()
    {
        if (m_symbols)
            xcb_key_symbols_free(m_symbols);
        xcb_disconnect(m_connection);
    }
    bool isConnected() const { return m_symbols != nullptr; }

    // Whether this client could grab Super+Alt+key: not while the studio holds it. Let go at once.
    bool canGrab(xcb_keysym_t keysym)
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        auto cookie = xcb_grab_key_checked(m_connection, 1, root, XCB_MOD_MASK_4 | XCB_MOD_MASK_1,
            keycode(keysym), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t *error = xcb_request_check(m_connection, cookie);
        free(error);
        if (!error)
            xcb_ungrab_key(m_connection, keycode(keysym), root, XCB_MOD_MASK_4 | XCB_MOD_MASK_1);
        return error == nullptr;
    }

    void type(const std::vector<xcb_keysym_t> &keysyms)
    {
        for (xcb_keysym_t keysym : keysyms)
            fake(XCB_KEY_PRESS, keysym);
        for (auto it = keysyms.rbegin(); it != keysyms.rend(); ++it)
            fake(XCB_KEY_RELEASE, *it);
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

private:
    xcb_keycode_t keycode(xcb_keysym_t keysym)
    {
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        free(codes);
        return code;
    }
    void fake(uint8_t type, xcb_keysym_t keysym)
    {
        xcb_test_fake_input(m_connection, type, keycode(keysym), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    xcb_connection_t *m_connection;
    xcb_key_symbols_t *m_symbols = nullptr;
};

class CamStudioKeyCommandX11 : public StudioTest {
protected:
    void SetUp() override
    {
        StudioTest::SetUp();
        session.set("XDG_SESSION_TYPE", "x11");
        session.set("WAYLAND_DISPLAY", QByteArray());
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "no X11 display";
        ASSERT_TRUE(typist.isConnected());
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
    Typist typist;
    std::unique_ptr<ZunoCamApp> app;
};

} // namespace

TEST_F(CamStudioKeyCommandX11, SuperAltTWithTheHotKeyGrabbedTogglesTheTeleprompterOnce)
{
    ASSERT_FALSE(typist.canGrab('t')); // the studio's own hot key holds the combination
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
