// The manager without key grabs (the offscreen platform has no X11 display): the actions answer on
// the session bus, and a registration that the bus cannot carry is refused and spends its id.
#include "ZunoGlobalHotkeyManager.h"
#include "HotkeyBusCall.h"
#include "ZunoAppLogger.h"
#include "ZunoHotkeyBus.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestTimeouts.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

namespace {

const ZunoHotkeyDescriptor kSuperAltT(0x11, ZunoHotkeyDescriptor::cmdOptionFlag);
const ZunoHotkeyDescriptor kSuperAltL(0x25, ZunoHotkeyDescriptor::cmdOptionFlag);

} // namespace

TEST(ZunoGlobalHotkeyManager, WithoutGrabsTheBusActionIsTheRegistration)
{
    auto *bus = ZunoHotkeyBus::shared();
    ASSERT_NE(bus, nullptr);
    if (!bus->isExported())
        GTEST_SKIP() << "no D-Bus session bus";
    ZunoGlobalHotkeyManager manager;
    ASSERT_FALSE(manager.canGrabKeys());
    EXPECT_EQ(manager.registerHotkey(kSuperAltT, [] {}), 1u);
    // A modifier without a Linux counterpart has no shortcut text to publish: refused, id 2 spent.
    EXPECT_EQ(
        manager.registerHotkey({ 0x25, 0x10000 | ZunoHotkeyDescriptor::cmdOptionFlag }, [] {}), std::nullopt);
    EXPECT_EQ(bus->Shortcuts(), QStringList { QStringLiteral("Super+Alt+T") });
    EXPECT_EQ(manager.registerHotkey(kSuperAltL, [] {}), 3u);
    manager.unregister(2);
    manager.unregister(42);
    EXPECT_EQ(bus->Shortcuts().size(), 2);
    manager.unregisterAll();
    EXPECT_TRUE(bus->Shortcuts().isEmpty());
}

TEST(ZunoGlobalHotkeyManager, ActionsAnswerOnTheSessionBus)
{
    auto *bus = ZunoHotkeyBus::shared();
    ASSERT_NE(bus, nullptr);
    if (!bus->isExported())
        GTEST_SKIP() << "no D-Bus session bus";

    int teleprompter = 0;
    int laser = 0;
    bool onMainThread = false;
    {
        ZunoGlobalHotkeyManager manager;
        manager.registerHotkey(kSuperAltT, [&] {
            ++teleprompter;
            onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
        manager.registerHotkey(kSuperAltL, [&] { ++laser; });

        const QDBusMessage list = callHotkeyBus(QStringLiteral("Shortcuts"), {});
        ASSERT_EQ(list.type(), QDBusMessage::ReplyMessage) << list.errorMessage().toStdString();
        EXPECT_EQ(list.arguments().value(0).toStringList(),
            (QStringList { QStringLiteral("Super+Alt+T"), QStringLiteral("Super+Alt+L") }));

        // Case and spaces do not matter, as a user types the binding by hand.
        const QDBusMessage reply
            = callHotkeyBus(QStringLiteral("Activate"), { QStringLiteral("super + alt + t") });
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        EXPECT_TRUE(reply.arguments().value(0).toBool());
        // The action runs on a later turn of the main loop, once; the L binding is untouched.
        ASSERT_TRUE(QTest::qWaitFor([&] { return teleprompter > 0; }, kWindowWait));
        QCoreApplication::processEvents();
        EXPECT_EQ(teleprompter, 1);
        EXPECT_EQ(laser, 0);
        EXPECT_TRUE(onMainThread);

        EXPECT_FALSE(callHotkeyBus(QStringLiteral("Activate"), { QStringLiteral("Super+Alt+Q") })
                         .arguments()
                         .value(0)
                         .toBool());

        manager.unregisterAll();
        EXPECT_FALSE(callHotkeyBus(QStringLiteral("Activate"), { QStringLiteral("Super+Alt+L") })
                         .arguments()
                         .value(0)
                         .toBool());
        manager.registerHotkey(kSuperAltL, [&] { ++laser; });
    }
    // The manager is gone: its bindings with it.
    EXPECT_TRUE(bus->Shortcuts().isEmpty());
    EXPECT_FALSE(bus->Activate(QStringLiteral("Super+Alt+L")));
    QCoreApplication::processEvents();
    EXPECT_EQ(laser, 0);
}

TEST(ZunoGlobalHotkeyManager, UnregisteringOneIdRemovesOnlyItsBinding)
{
    auto *bus = ZunoHotkeyBus::shared();
    ASSERT_NE(bus, nullptr);
    ZunoGlobalHotkeyManager first;
    ZunoGlobalHotkeyManager second;
    first.registerHotkey(kSuperAltT, [] {}); // id 1
    first.registerHotkey(kSuperAltL, [] {}); // id 2
    second.registerHotkey(kSuperAltT, [] {}); // id 1 of another manager

    first.unregister(7);
    EXPECT_EQ(bus->Shortcuts().size(), 2);
    first.unregister(1);
    EXPECT_EQ(
        bus->Shortcuts(), (QStringList { QStringLiteral("Super+Alt+L"), QStringLiteral("Super+Alt+T") }));
    second.unregisterAll();
    EXPECT_EQ(bus->Shortcuts(), QStringList { QStringLiteral("Super+Alt+L") });
}

TEST(ZunoGlobalHotkeyManager, QueuedBusPressesDieWithTheManager)
{
    auto *bus = ZunoHotkeyBus::shared();
    ASSERT_NE(bus, nullptr);
    int runs = 0;
    {
        ZunoGlobalHotkeyManager manager;
        manager.registerHotkey(kSuperAltT, [&] { ++runs; });
        EXPECT_TRUE(bus->Activate(QStringLiteral("Super+Alt+T")));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0);
}

// In a Wayland session the hint on binding the keys goes to the application's log too, once, where
// the logs view shows it.
TEST(ZunoGlobalHotkeyManager, WaylandBindingHintGoesToTheLog)
{
    auto *bus = ZunoHotkeyBus::shared();
    ASSERT_NE(bus, nullptr);
    if (!bus->isExported())
        GTEST_SKIP() << "no D-Bus session bus";
    ZunoScopedEnvironment wayland("XDG_SESSION_TYPE", "wayland");
    QTemporaryDir logs;
    const auto logger = std::make_shared<ZunoAppLogger>(QStringLiteral("HotkeyTest"), logs.path());
    ZunoGlobalHotkeyManager manager(logger);
    ASSERT_TRUE(manager.registerHotkey(kSuperAltT, [] {}));
    ASSERT_TRUE(manager.registerHotkey(kSuperAltL, [] {}));
    const QList<ZunoLogEntry> entries = logger->recentEntries(10, ZunoLogLevel::debug);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].category, QStringLiteral("hotkeys"));
    EXPECT_TRUE(entries[0].message.contains(QStringLiteral("gdbus call --session --dest ")));
    EXPECT_TRUE(entries[0].message.endsWith(QStringLiteral("com.quarnwell.Hotkeys.Activate Super+Alt+T")));
}
