#pragma once

#include "ZunoHotkeyBus.h"
#include "ZunoWaitUntil.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

#include <gtest/gtest.h>

// Calls a method of this process's hot-key object through the bus daemon, from a second connection,
// as a desktop shortcut's command does. The main loop keeps running while the call is under way, so
// the object (served on the main thread) can answer. A call that gets no answer (its limit is 5 s), or
// an error for one, fails the test: a missing reply must not read as a "false" one.
inline QDBusMessage callHotkeyBus(const QString &method, const QVariantList &arguments)
{
    QDBusConnection caller = QDBusConnection::connectToBus(
        QDBusConnection::SessionBus, QStringLiteral("zuno-hotkey-test-caller"));
    QDBusMessage message = QDBusMessage::createMethodCall(QDBusConnection::sessionBus().baseService(),
        QString::fromLatin1(ZunoHotkeyBus::kObjectPath), QStringLiteral("com.quarnwell.Hotkeys"), method);
    message.setArguments(arguments);
    QDBusPendingCallWatcher watcher(caller.asyncCall(message, 5000));
    const auto answered = waitUntil([&] { return watcher.isFinished(); }, 6000,
        "a reply to " + method.toStdString());
    if (!answered) {
        ADD_FAILURE() << answered.message();
        return {};
    }
    const QDBusMessage reply = watcher.reply();
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
}
