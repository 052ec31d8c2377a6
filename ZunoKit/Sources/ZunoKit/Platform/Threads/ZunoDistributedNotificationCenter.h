#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QDBusMessage;

// Notifications between the processes of one user session: one D-Bus signal per post, broadcast on
// the session bus (path /com/quarnwell/Suite, interface com.quarnwell.Suite, member Notification,
// arguments name and object text). An observer's match rule carries its name, so a process wakes
// only for the names it observes; the posting process receives its own posts too. Without a bus,
// posts go nowhere and observers never fire. `ZunoNotificationCenter` stays the in-process one.
// Main thread.
class ZunoDistributedNotificationCenter : public QObject {
    Q_OBJECT

public:
    static constexpr char kObjectPath[] = "/com/quarnwell/Suite";
    static constexpr char kInterface[] = "com.quarnwell.Suite";
    static constexpr char kMember[] = "Notification";

    // `object` is empty when the post carried none.
    using Handler = std::function<void(const QString &name, const QString &object)>;
    using Token = quint64;

    explicit ZunoDistributedNotificationCenter(const QDBusConnection &connection, QObject *parent = nullptr);
    ~ZunoDistributedNotificationCenter() override;

    // The process's centre on the session bus, made on first use as a child of the application
    // object (so it lives no longer than it); null without an application object.
    static ZunoDistributedNotificationCenter *shared();

    // Broadcasts `name` with an optional object text (empty: none). False when there is no bus or the
    // signal could not be sent.
    bool post(const QString &name, const QString &object = {});

    // Calls `handler` on the main thread for every post of `name`, until `removeObserver(token)`.
    // Returns once the bus knows the observer (one round trip), so later posts reach it.
    Token addObserver(const QString &name, Handler handler);
    void removeObserver(Token token);

private:
    class Observer;

    QDBusConnection m_connection;
    QHash<Token, Observer *> m_observers;
    Token m_nextToken = 1;
};
