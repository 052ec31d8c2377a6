#include "ZunoSingleInstanceService.h"
#include "ZunoHotkeyBus.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A name of this run's own, so that tests running side by side never meet.
QString uniqueServiceName(const char *suffix)
{
    return QStringLiteral("com.quarnwell.ZunoCamTest.p%1.%2")
        .arg(QCoreApplication::applicationPid())
        .arg(QString::fromLatin1(suffix));
}

// A second client of the session bus, as another process would be.
class SecondClient {
public:
    explicit SecondClient(const char *name)
        : m_name(QString::fromLatin1(name))
        , connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_name))
    {
    }
    ~SecondClient() { QDBusConnection::disconnectFromBus(m_name); }

private:
    QString m_name;

public:
    QDBusConnection connection;
};

} // namespace

TEST(ZunoSingleInstanceService, SecondStartAsksTheFirstToActivateAndBowsOut)
{
    if (!QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "no D-Bus session bus";
    const QString name = uniqueServiceName("activate");
    auto first = std::make_unique<ZunoSingleInstanceService>(name);
    ASSERT_EQ(first->start(), ZunoSingleInstanceService::Role::primary) << qPrintable(first->errorMessage());
    QSignalSpy activations(first.get(), &ZunoSingleInstanceService::activationRequested);

    SecondClient client("zuno-second-start");
    ZunoSingleInstanceService second(
        name, QString::fromLatin1(ZunoSingleInstanceService::kObjectPath), client.connection);
    EXPECT_EQ(second.start(), ZunoSingleInstanceService::Role::secondary)
        << qPrintable(second.errorMessage());
    EXPECT_EQ(activations.count(), 1);
    EXPECT_EQ(QDBusConnection::sessionBus().interface()->serviceOwner(name).value(),
        QDBusConnection::sessionBus().baseService());

    // Once the first has gone, the next start owns the name.
    first.reset();
    ZunoSingleInstanceService third(
        name, QString::fromLatin1(ZunoSingleInstanceService::kObjectPath), client.connection);
    EXPECT_EQ(third.start(), ZunoSingleInstanceService::Role::primary);
}

TEST(ZunoSingleInstanceService, HotkeyObjectIsReachableUnderTheClaimedName)
{
    if (!QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "no D-Bus session bus";
    ZunoHotkeyBus *hotkeys = ZunoHotkeyBus::shared();
    ASSERT_NE(hotkeys, nullptr);
    ASSERT_TRUE(hotkeys->isExported());
    const QString name = uniqueServiceName("hotkeys");
    ZunoSingleInstanceService service(name);
    ASSERT_EQ(service.start(), ZunoSingleInstanceService::Role::primary);

    SecondClient client("zuno-hotkey-caller");
    QDBusMessage call = QDBusMessage::createMethodCall(name, QString::fromLatin1(ZunoHotkeyBus::kObjectPath),
        QStringLiteral("com.quarnwell.Hotkeys"), QStringLiteral("Shortcuts"));
    const QDBusMessage reply = client.connection.call(call, QDBus::BlockWithGui, 5000);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(reply.errorMessage());
}

TEST(ZunoSingleInstanceService, OwnerThatDoesNotAnswerIsReportedNotIgnored)
{
    if (!QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "no D-Bus session bus";
    const QString name = uniqueServiceName("silent");
    // Something owns the name but exports no application object.
    SecondClient owner("zuno-silent-owner");
    ASSERT_TRUE(owner.connection.registerService(name));

    ZunoSingleInstanceService service(name);
    EXPECT_EQ(service.start(), ZunoSingleInstanceService::Role::unanswered);
    EXPECT_FALSE(service.errorMessage().isEmpty());
    owner.connection.unregisterService(name);
}

TEST(ZunoSingleInstanceService, WithoutASessionBusItRunsAlone)
{
    ZunoSingleInstanceService service(uniqueServiceName("nobus"),
        QString::fromLatin1(ZunoSingleInstanceService::kObjectPath),
        QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/zuno-bus"), QStringLiteral("zuno-nobus")));
    EXPECT_EQ(service.start(), ZunoSingleInstanceService::Role::standalone);
    QDBusConnection::disconnectFromBus(QStringLiteral("zuno-nobus"));
}
