#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

// A private D-Bus session bus (a dbus-daemon of the test's own) for its lifetime, so that names and
// signals of one test never meet another test's. `address` is empty when no daemon could be started:
// the test then skips.
class ZunoPrivateBus {
public:
    ZunoPrivateBus();
    ~ZunoPrivateBus();
    ZunoPrivateBus(const ZunoPrivateBus &) = delete;
    ZunoPrivateBus &operator=(const ZunoPrivateBus &) = delete;

    // A new connection to the bus; each `name` is a separate connection, closed with the bus.
    QDBusConnection connect(const QString &name = QStringLiteral("zuno-private-bus"));

    QString address;

private:
    QProcess m_process;
    QStringList m_connections;
};
