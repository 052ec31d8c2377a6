// The manager without an X11 display (the offscreen platform stands for Wayland here): every
// registration is refused, ids are still spent, and the actions answer on the session bus.
#include "ZunoTestTimeouts.h"
#include "ZunoGlobalHotkeyManager.h"
#include "ZunoHotkeyBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

namespace {

const ZunoHotkeyDescriptor kSuperAltT(0x11, ZunoHotkeyDescriptor::cmdOptionFlag);
const ZunoHotkeyDescriptor kSuperAltL(0x25, ZunoHotkeyDescriptor::cmdOptionFlag);

// Calls a method of the hot-key object through the bus daemon, from a second connection.
QDBusMessage callBus(const QString &method, const QVariantList &arguments)
{
    QDBusConnection caller = QDBusConnection::connectToBus(
        QDBusConnection::SessionBus, QStringLiteral("zuno-hotkey-test-caller"));
    QDBusMessage message = QDBusMessage::createMethodCall(QDBusConnection::sessionBus().baseService(),
        QString::fromLatin1(ZunoHotkeyBus::kObjectPath), QStringLiteral("com.quarnwell.Hotkeys"), method);
    message.setArguments(arguments);
    QDBusPendingCallWatcher watcher(caller.asyncCall(message, 5000));
    QSignalSpy finished(&watcher, &QDBusPendingCallWatcher::finished);
    if (!watcher.isFinished())
        finished.wait(5000);
    return watcher.reply();
}

} // namespace

TEST(ZunoGlobalHotkeyManager, WithoutX11EveryRegistrationIsRefused)
{
    ZunoGlobalHotkeyManager manager;
    ASSERT_FALSE(manager.canGrabKeys());
    EXPECT_FALSE(manager.registerHotkey(kSuperAltT, [] {}).has_value());
    EXPECT_FALSE(manager.registerHotkey(kSuperAltL, [] {}).has_value());
    manager.unregister(1);
    manager.unregister(42);
    manager.unregisterAll();
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

        const QDBusMessage list = callBus(QStringLiteral("Shortcuts"), {});
        ASSERT_EQ(list.type(), QDBusMessage::ReplyMessage) << list.errorMessage().toStdString();
        EXPECT_EQ(list.arguments().value(0).toStringList(),
            (QStringList { QStringLiteral("Super+Alt+T"), QStringLiteral("Super+Alt+L") }));

        // Case and spaces do not matter, as a user types the binding by hand.
        const QDBusMessage reply = callBus(QStringLiteral("Activate"), { QStringLiteral("super + alt + t") });
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        EXPECT_TRUE(reply.arguments().value(0).toBool());
        // The action runs on a later turn of the main loop, once; the L binding is untouched.
        ASSERT_TRUE(QTest::qWaitFor([&] { return teleprompter > 0; }, kWindowWait));
        QCoreApplication::processEvents();
        EXPECT_EQ(teleprompter, 1);
        EXPECT_EQ(laser, 0);
        EXPECT_TRUE(onMainThread);

        EXPECT_FALSE(callBus(QStringLiteral("Activate"), { QStringLiteral("Super+Alt+Q") })
                         .arguments()
                         .value(0)
                         .toBool());

        manager.unregisterAll();
        EXPECT_FALSE(callBus(QStringLiteral("Activate"), { QStringLiteral("Super+Alt+L") })
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
