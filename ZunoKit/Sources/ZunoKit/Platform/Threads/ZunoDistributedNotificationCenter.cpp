#include "ZunoDistributedNotificationCenter.h"

#include "ZunoApplicationSingleton.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QPointer>

namespace {

const QString kPath = QString::fromLatin1(ZunoDistributedNotificationCenter::kObjectPath);
const QString kInterfaceName = QString::fromLatin1(ZunoDistributedNotificationCenter::kInterface);
const QString kMemberName = QString::fromLatin1(ZunoDistributedNotificationCenter::kMember);

} // namespace

// One receiver per observer: QtDBus refuses a second identical connection of one receiver and slot,
// and two observers of one name must both fire.
class ZunoDistributedNotificationCenter::Observer : public QObject {
    Q_OBJECT

public:
    Observer(Handler handler, QObject *parent)
        : QObject(parent)
        , m_handler(std::move(handler))
    {
    }

    QString name;
    bool connected = false;

    // A signal already queued for this receiver may still arrive after its removal: it is dropped.
    void stop() { m_handler = nullptr; }

public slots:
    void deliver(const QString &postedName, const QString &object)
    {
        // A handler may remove its own observer; the copy keeps the function alive meanwhile.
        const Handler handler = m_handler;
        if (handler)
            handler(postedName, object);
    }

private:
    Handler m_handler;
};

ZunoDistributedNotificationCenter::ZunoDistributedNotificationCenter(
    const QDBusConnection &connection, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
{
}

ZunoDistributedNotificationCenter::~ZunoDistributedNotificationCenter()
{
    for (const Token token : m_observers.keys())
        removeObserver(token);
}

ZunoDistributedNotificationCenter *ZunoDistributedNotificationCenter::shared()
{
    return zunoApplicationSingleton<ZunoDistributedNotificationCenter>(
        [] { return new ZunoDistributedNotificationCenter(QDBusConnection::sessionBus()); });
}

bool ZunoDistributedNotificationCenter::post(const QString &name, const QString &object)
{
    if (!m_connection.isConnected())
        return false;
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterfaceName, kMemberName);
    signal << name << object;
    if (!m_connection.send(signal)) {
        qWarning("ZunoDistributedNotificationCenter: cannot post %s", qPrintable(name));
        return false;
    }
    return true;
}

ZunoDistributedNotificationCenter::Token ZunoDistributedNotificationCenter::addObserver(
    const QString &name, Handler handler)
{
    const Token token = m_nextToken++;
    auto *observer = new Observer(std::move(handler), this);
    observer->name = name;
    if (m_connection.isConnected()) {
        observer->connected = m_connection.connect(QString(), kPath, kInterfaceName, kMemberName,
            QStringList { name }, QStringLiteral("ss"), observer, SLOT(deliver(QString, QString)));
        if (!observer->connected) {
            qWarning("ZunoDistributedNotificationCenter: cannot observe %s", qPrintable(name));
        } else {
            // The match rule goes to the bus without a reply; one round trip on the same connection
            // makes sure the bus has it, so that a post made after this returns is delivered.
            m_connection.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus.Peer"),
                QStringLiteral("Ping")));
        }
    }
    m_observers.insert(token, observer);
    return token;
}

void ZunoDistributedNotificationCenter::removeObserver(Token token)
{
    Observer *observer = m_observers.take(token);
    if (!observer)
        return;
    if (observer->connected) {
        m_connection.disconnect(QString(), kPath, kInterfaceName, kMemberName, QStringList { observer->name },
            QStringLiteral("ss"), observer, SLOT(deliver(QString, QString)));
    }
    observer->stop();
    // Later, since the observer's own handler may be the caller.
    observer->deleteLater();
}

#include "ZunoDistributedNotificationCenter.moc"
