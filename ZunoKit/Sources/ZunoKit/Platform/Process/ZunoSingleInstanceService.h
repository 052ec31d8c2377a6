#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

// One running studio per user session, on the D-Bus session bus. The first process to start owns
// the service name and exports an org.freedesktop.Application object; a later start finds the name
// taken, asks its owner to activate (what a Dock click is elsewhere) and should then exit. Objects
// other parts export on the same connection (the hot keys' /com/quarnwell/Hotkeys) are reachable
// under the name once the first process owns it. Main thread only.
class ZunoSingleInstanceService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    static constexpr char kServiceName[] = "com.quarnwell.ZunoCam";
    static constexpr char kObjectPath[] = "/com/quarnwell/ZunoCam";
    static constexpr char kInterface[] = "org.freedesktop.Application";
    static constexpr int kCallTimeoutMs = 5000;

    enum class Role {
        // This process owns the name and answers activation requests.
        primary,
        // Another process owns the name and accepted the activation request: this one should exit.
        secondary,
        // Another process owns the name but did not answer: this one should not start a second studio.
        unanswered,
        // No session bus (or the name could not be asked for): run on, alone.
        standalone,
    };

    ZunoSingleInstanceService(const QString &serviceName = QString::fromLatin1(kServiceName),
        const QString &objectPath = QString::fromLatin1(kObjectPath),
        const QDBusConnection &connection = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~ZunoSingleInstanceService() override;

    // Claims the name, or hands the start over to its owner. Call once.
    Role start();
    Role role() const { return m_role; }
    // The error text of a failed hand-over or claim; empty otherwise.
    QString errorMessage() const { return m_errorMessage; }

public slots:
    // Called by a later start (and by desktop launchers): emits `activationRequested`.
    Q_SCRIPTABLE void Activate(const QVariantMap &platformData);

signals:
    void activationRequested();

private:
    bool askOwnerToActivate();

    QString m_serviceName;
    QString m_objectPath;
    QDBusConnection m_connection;
    Role m_role = Role::standalone;
    bool m_exported = false;
    QString m_errorMessage;
};
