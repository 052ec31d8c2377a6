#include "ZunoPrivateBus.h"

#include <QStandardPaths>

ZunoPrivateBus::ZunoPrivateBus()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        return;
    m_process.start(daemon,
        { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
    if (!m_process.waitForStarted(5000))
        return;
    while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) { }
    address = QString::fromUtf8(m_process.readLine()).trimmed();
}

ZunoPrivateBus::~ZunoPrivateBus()
{
    for (const QString &name : std::as_const(m_connections))
        QDBusConnection::disconnectFromBus(name);
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
}

QDBusConnection ZunoPrivateBus::connect(const QString &name)
{
    if (!m_connections.contains(name))
        m_connections.append(name);
    return QDBusConnection::connectToBus(address, name);
}
