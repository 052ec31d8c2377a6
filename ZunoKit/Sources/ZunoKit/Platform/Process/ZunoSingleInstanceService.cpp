#include "ZunoSingleInstanceService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace {

// The owner may quit between our failed claim and our call: claim again, a few times at most.
constexpr int kClaimAttempts = 3;

} // namespace

ZunoSingleInstanceService::ZunoSingleInstanceService(
    const QString &serviceName, const QString &objectPath, const QDBusConnection &connection, QObject *parent)
    : QObject(parent)
    , m_serviceName(serviceName)
    , m_objectPath(objectPath)
    , m_connection(connection)
{
}

ZunoSingleInstanceService::~ZunoSingleInstanceService()
{
    if (m_role == Role::primary && m_connection.isConnected()) {
        m_connection.unregisterService(m_serviceName);
    }
    if (m_exported)
        m_connection.unregisterObject(m_objectPath);
}

ZunoSingleInstanceService::Role ZunoSingleInstanceService::start()
{
    m_errorMessage.clear();
    QDBusConnectionInterface *bus = m_connection.isConnected() ? m_connection.interface() : nullptr;
    if (!bus) {
        m_errorMessage = QStringLiteral("no D-Bus session bus");
        return m_role = Role::standalone;
    }
    // Exported before the name is taken, so that the name never points at a missing object.
    m_exported = m_connection.registerObject(m_objectPath, this, QDBusConnection::ExportScriptableSlots);
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply
            = bus->registerService(m_serviceName, QDBusConnectionInterface::DontQueueService,
                QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid()) {
            m_errorMessage = reply.error().message();
            return m_role = Role::standalone;
        }
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            if (!m_exported) {
                m_errorMessage = QStringLiteral("cannot export %1").arg(m_objectPath);
            }
            return m_role = Role::primary;
        }
        if (askOwnerToActivate())
            break;
        const QDBusReply<bool> owned = bus->isServiceRegistered(m_serviceName);
        if (owned.isValid() && owned.value())
            break;
    }
    if (m_exported) {
        m_connection.unregisterObject(m_objectPath);
        m_exported = false;
    }
    return m_role = (m_errorMessage.isEmpty() ? Role::secondary : Role::unanswered);
}

bool ZunoSingleInstanceService::askOwnerToActivate()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        m_serviceName, m_objectPath, QString::fromLatin1(kInterface), QStringLiteral("Activate"));
    call << QVariantMap {};
    // Events keep flowing while waiting, so that an owner in this same process could answer.
    const QDBusMessage reply = m_connection.call(call, QDBus::BlockWithGui, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        m_errorMessage.clear();
        return true;
    }
    m_errorMessage = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return false;
}

void ZunoSingleInstanceService::Activate(const QVariantMap &)
{
    emit activationRequested();
}
