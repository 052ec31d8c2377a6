// The presentation overlay as a real X11 window on the test session's Xvfb: the keyboard grab, Escape
// and the laser hot key typed through XTest, a keyboard another client holds, and the backdrop with
// and without a compositor.
#include "CamStudioFakeServices.h"
#include "CamStudioViewModel.h"
#include "LaserCanvasView.h"
#include "PresentationLaserOverlayController.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestTimeouts.h"
#include "ZunoX11TestClient.h"
#include "ZunoX11Typist.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const bool kPlatformChosen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    return true;
}();

constexpr xcb_keysym_t kEscape = ZunoX11Typist::kEscape, kSuperL = ZunoX11Typist::kSuperL,
                       kAltL = ZunoX11Typist::kAltL;

class LaserX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb") || !client.ok())
            GTEST_SKIP() << "needs an X display";
        ASSERT_TRUE(m_dir.isValid());
        // The studio's hot keys grab on X11 whatever desktop the tests were started from.
        session.set("XDG_SESSION_TYPE", "x11");
        session.set("WAYLAND_DISPLAY", QByteArray());
        fakes = CamStudioFakeServices::make(m_dir.path());
        std::shared_ptr<ZunoAppLogger> logger = fakes.logger;
        fakes.services.panels.makeLaserOverlay
            = [this, logger](CamStudioViewModel &, std::function<void()> onDismiss) {
                  auto controller
                      = std::make_unique<PresentationLaserOverlayController>(std::move(onDismiss), logger);
                  laser = controller.get();
                  return controller;
              };
        vm = std::make_unique<CamStudioViewModel>(std::move(fakes.services));
    }
    void TearDown() override
    {
        keyboard.ungrabKeyboard();
        vm.reset();
    }

    void showOverlay()
    {
        vm->toggleLaserOverlay();
        ASSERT_TRUE(vm->isLaserOverlayVisible());
        ASSERT_TRUE(laser && laser->window());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(laser->window(), kWindowWait));
    }

    ZunoX11TestClient client;
    ZunoX11Typist keyboard { client }; // types and holds the keyboard, as another application would
    ZunoScopedEnvironment session;
    QTemporaryDir m_dir;
    CamStudioFakeServices fakes;
    std::unique_ptr<CamStudioViewModel> vm;
    PresentationLaserOverlayController *laser = nullptr;
};

} // namespace

TEST_F(LaserX11Test, OverlayHoldsTheKeyboardAndEscapeLeaves)
{
    showOverlay();
    EXPECT_EQ(keyboard.grabKeyboard(), XCB_GRAB_STATUS_ALREADY_GRABBED);
    keyboard.type({ kEscape });
    ASSERT_TRUE(zunoWaitFor([&] { return !vm->isLaserOverlayVisible(); }));
    EXPECT_FALSE(laser->window());
    // The keyboard is free again.
    EXPECT_TRUE(zunoWaitFor([&] {
        if (keyboard.grabKeyboard() != XCB_GRAB_STATUS_SUCCESS)
            return false;
        keyboard.ungrabKeyboard();
        return true;
    }));
}

TEST_F(LaserX11Test, LaserHotKeyStillClosesTheOverlay)
{
    showOverlay();
    keyboard.type({ kSuperL, kAltL, 'l' });
    ASSERT_TRUE(zunoWaitFor([&] { return !vm->isLaserOverlayVisible(); }));
    EXPECT_FALSE(laser->window());
    // It reached the studio as its hot key, not the canvas as "l".
    keyboard.type({ kSuperL, kAltL, 'l' });
    EXPECT_TRUE(zunoWaitFor([&] { return vm->isLaserOverlayVisible(); }));
}

TEST_F(LaserX11Test, KeyboardHeldElsewhereMeansNoOverlay)
{
    ASSERT_EQ(keyboard.grabKeyboard(), XCB_GRAB_STATUS_SUCCESS);
    vm->toggleLaserOverlay();
    EXPECT_FALSE(vm->isLaserOverlayVisible());
    EXPECT_FALSE(laser->window());
    ASSERT_TRUE(vm->toastMessage());
    EXPECT_TRUE(vm->toastIsError());
    EXPECT_TRUE(vm->toastMessage()->contains(PresentationLaserOverlayController::kKeyboardHeld.en)
        || vm->toastMessage()->contains(PresentationLaserOverlayController::kKeyboardHeld.tr))
        << qPrintable(*vm->toastMessage());
}

TEST_F(LaserX11Test, BackdropIsTheScreenWithoutACompositorAndNoneWithOne)
{
    // A coloured marker window of another client.
    xcb_connection_t *connection = client.connection();
    const xcb_window_t marker = xcb_generate_id(connection);
    const uint32_t values[] = { 0x00d02080, 1 }; // background pixel, override-redirect
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, marker, client.root(), 120, 140, 60, 50, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT,
        values);
    xcb_map_window(connection, marker);
    client.sync();
    QTest::qWait(50);

    showOverlay();
    const QImage &backdrop = laser->canvas()->backdrop();
    ASSERT_FALSE(backdrop.isNull());
    EXPECT_EQ(backdrop.pixelColor(150, 165), QColor(0xd0, 0x20, 0x80));
    vm->toggleLaserOverlay();

    const xcb_window_t owner = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, owner, client.root(), 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(connection, owner, client.atom("_NET_WM_CM_S0"), XCB_CURRENT_TIME);
    client.sync();
    showOverlay();
    EXPECT_TRUE(laser->canvas()->backdrop().isNull());
    vm->toggleLaserOverlay();
    xcb_destroy_window(connection, owner);
    xcb_destroy_window(connection, marker);
    xcb_flush(connection);
}
