// Key grabs on a real X display (the test session's Xvfb): the id sequence against a combination
// that another client holds, ungrabbing, and synthetic presses through XTest.
#include "HotkeyBusCall.h"
#include "ZunoGlobalHotkeyManager.h"
#include "ZunoHotkeyBus.h"
#include "ZunoMessageCapture.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestTimeouts.h"
#include "ZunoX11Typist.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Qt's xcb platform where a display exists, else offscreen, where the tests skip. Chosen before the
// shared test main reads the variable and creates the application.
const bool kPlatformChosen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    return true;
}();

constexpr uint32_t kCmdOption = ZunoHotkeyDescriptor::cmdOptionFlag;
constexpr uint32_t kKeyT = 0x11, kKeyL = 0x25, kKeyM = 0x2E, kKeyQ = 0x0C, kKeyF1 = 0x7A, kKeyF2 = 0x78;

constexpr xcb_keysym_t kSuperL = ZunoX11Typist::kSuperL, kAltL = ZunoX11Typist::kAltL,
                       kCapsLock = ZunoX11Typist::kCapsLock;

// An X11 session, whatever desktop the tests were started from.
class ZunoGlobalHotkeyX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.set("XDG_SESSION_TYPE", "x11");
        session.set("WAYLAND_DISPLAY", QByteArray());
        manager = std::make_unique<ZunoGlobalHotkeyManager>();
        if (!manager->canGrabKeys())
            GTEST_SKIP() << "no X11 display";
        ASSERT_TRUE(other.isReady());
    }

    ZunoScopedEnvironment session;
    ZunoX11TestClient otherClient; // a second X client: grabs of its own, typing through XTest
    ZunoX11Typist other { otherClient };
    std::unique_ptr<ZunoGlobalHotkeyManager> manager;
};

} // namespace

TEST_F(ZunoGlobalHotkeyX11, IdsCountUpAndARefusalSpendsOne)
{
    ASSERT_TRUE(other.grabHotkey('q'));
    EXPECT_EQ(manager->registerHotkey({ kKeyF1, kCmdOption }, [] {}), 1u);
    // Another client holds Super+Alt+Q: refused, id 2 spent.
    EXPECT_EQ(manager->registerHotkey({ kKeyQ, kCmdOption }, [] {}), std::nullopt);
    EXPECT_EQ(manager->registerHotkey({ kKeyF2, kCmdOption }, [] {}), 3u);
    // The same combination twice is refused as well, the first grab kept.
    EXPECT_EQ(manager->registerHotkey({ kKeyF2, kCmdOption }, [] {}), std::nullopt);
    EXPECT_FALSE(other.grabHotkey(0xffbf)); // F2 still ours

    // Refused combinations are not published on the bus either: no caller holds their ids.
    EXPECT_EQ(ZunoHotkeyBus::shared()->Shortcuts(), (QStringList { "Super+Alt+F1", "Super+Alt+F2" }));
    EXPECT_FALSE(ZunoHotkeyBus::shared()->Activate(QStringLiteral("Super+Alt+Q")));

    other.ungrabHotkey('q');
    manager->unregisterAll();
    EXPECT_EQ(manager->registerHotkey({ kKeyQ, kCmdOption }, [] {}), 5u);
}

TEST_F(ZunoGlobalHotkeyX11, UnregisteringReleasesTheGrab)
{
    const auto f1 = manager->registerHotkey({ kKeyF1, kCmdOption }, [] {});
    const auto f2 = manager->registerHotkey({ kKeyF2, kCmdOption }, [] {});
    ASSERT_TRUE(f1 && f2);
    EXPECT_FALSE(other.grabHotkey(0xffbe));

    manager->unregister(99); // never handed out
    EXPECT_FALSE(other.grabHotkey(0xffbe));
    manager->unregister(*f1);
    manager->unregister(*f1); // already removed
    EXPECT_TRUE(other.grabHotkey(0xffbe));
    other.ungrabHotkey(0xffbe);
    EXPECT_FALSE(other.grabHotkey(0xffbf));

    // The destructor ungrabs what is left.
    manager.reset();
    EXPECT_TRUE(other.grabHotkey(0xffbf));
    other.ungrabHotkey(0xffbf);
}

TEST_F(ZunoGlobalHotkeyX11, SyntheticPressRunsTheActionOnceOnTheMainThread)
{
    int teleprompter = 0, laser = 0, mirror = 0;
    bool onMainThread = false;
    ASSERT_EQ(manager->registerHotkey({ kKeyT, kCmdOption },
                  [&] {
                      ++teleprompter;
                      onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
                  }),
        1u);
    ASSERT_EQ(manager->registerHotkey({ kKeyL, kCmdOption }, [&] { ++laser; }), 2u);
    ASSERT_EQ(manager->registerHotkey({ kKeyM, kCmdOption }, [&] { ++mirror; }), 3u);

    other.type({ kSuperL, kAltL, 't' });
    ASSERT_TRUE(QTest::qWaitFor([&] { return teleprompter > 0; }, kWindowWait));
    EXPECT_TRUE(onMainThread);

    // Events arrive in order: once L has acted, a second T action would have run too.
    other.type({ kSuperL, kAltL, 'l' });
    ASSERT_TRUE(QTest::qWaitFor([&] { return laser > 0; }, kWindowWait));
    EXPECT_EQ(teleprompter, 1);
    EXPECT_EQ(laser, 1);
    EXPECT_EQ(mirror, 0);

    // With Caps Lock on, the combination still reaches its action.
    other.type({ kCapsLock });
    other.type({ kSuperL, kAltL, 'm' });
    other.type({ kCapsLock });
    ASSERT_TRUE(QTest::qWaitFor([&] { return mirror > 0; }, kWindowWait));
    EXPECT_EQ(mirror, 1);

    // Unregistered: the press is no longer ours and nothing runs.
    manager->unregister(1);
    other.type({ kSuperL, kAltL, 't' });
    other.type({ kSuperL, kAltL, 'l' });
    ASSERT_TRUE(QTest::qWaitFor([&] { return laser > 1; }, kWindowWait));
    EXPECT_EQ(teleprompter, 1);
}

// Under Wayland the studio may run on XWayland, where a grab would succeed yet fire only while one of
// its windows has focus: nothing is grabbed, the bus action is the registration, and one info line
// tells how to bind it.
TEST(ZunoGlobalHotkeyWayland, GrabsNothingAndAnswersOnTheBus)
{
    const std::pair<const char *, const char *> sessions[] = {
        { "XDG_SESSION_TYPE", "wayland" },
        { "WAYLAND_DISPLAY", "wayland-0" },
    };
    for (const auto &[variable, value] : sessions) {
        SCOPED_TRACE(variable);
        ZunoScopedEnvironment session;
        session.set("XDG_SESSION_TYPE", "x11");
        session.set("WAYLAND_DISPLAY", QByteArray());
        session.set(variable, value);
        ZunoX11TestClient otherClient; // a second X client: grabs of its own, typing through XTest
        ZunoX11Typist other { otherClient };
        if (!other.isReady() || QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "no X11 display";
        auto *bus = ZunoHotkeyBus::shared();
        if (!bus || !bus->isExported())
            GTEST_SKIP() << "no D-Bus session bus";

        ZunoMessageCapture capture;
        int teleprompter = 0, laser = 0;
        ZunoGlobalHotkeyManager manager;
        EXPECT_FALSE(manager.canGrabKeys());
        EXPECT_EQ(manager.registerHotkey({ kKeyT, kCmdOption }, [&] { ++teleprompter; }), 1u);
        EXPECT_EQ(manager.registerHotkey({ kKeyL, kCmdOption }, [&] { ++laser; }), 2u);

        // Nothing is grabbed: another client may take the combinations.
        EXPECT_TRUE(other.grabHotkey('t'));
        other.ungrabHotkey('t');
        EXPECT_TRUE(other.grabHotkey('l'));
        other.ungrabHotkey('l');

        const QDBusMessage reply
            = callHotkeyBus(QStringLiteral("Activate"), { QStringLiteral("Super+Alt+T") });
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        EXPECT_TRUE(reply.arguments().value(0).toBool());
        ASSERT_TRUE(QTest::qWaitFor([&] { return teleprompter > 0; }, kWindowWait));
        EXPECT_EQ(laser, 0);

        const QStringList info = capture.messages(QtInfoMsg);
        ASSERT_EQ(info.size(), 1) << info.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(info[0].contains(QStringLiteral("gdbus call --session --dest com.quarnwell.ZunoCam "
                                                    "--object-path /com/quarnwell/Hotkeys --method "
                                                    "com.quarnwell.Hotkeys.Activate Super+Alt+T")))
            << info[0].toStdString();
    }
}
