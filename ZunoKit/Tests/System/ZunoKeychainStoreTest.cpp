#include "ZunoKeychainStore.h"

#include "ZunoKeychainError.h"
#include "ZunoProcessRunner.h"
#include "ZunoSecretService.h"

#include <QCoreApplication>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include <csignal>

// These tests talk to a real Secret Service: the one the test session starts (gnome-keyring, with an
// unlocked in-memory default collection). Without it they skip, saying why.

namespace {

const QString kBusName = QStringLiteral("org.freedesktop.secrets");
const QString kServicePath = QStringLiteral("/org/freedesktop/secrets");
const QString kServiceInterface = QStringLiteral("org.freedesktop.Secret.Service");

using Attributes = QMap<QString, QString>;

// The Secret Service's secret struct (oayays).
struct DBusSecret {
    QDBusObjectPath session;
    QByteArray parameters;
    QByteArray value;
    QString contentType;
};

QDBusArgument &operator<<(QDBusArgument &argument, const DBusSecret &secret)
{
    argument.beginStructure();
    argument << secret.session << secret.parameters << secret.value << secret.contentType;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusSecret &secret)
{
    argument.beginStructure();
    argument >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(DBusSecret)

namespace {

bool secretServiceRunning()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(kBusName).value();
}

QDBusInterface secretInterface(const QString &path, const QString &interface)
{
    return QDBusInterface(kBusName, path, interface, QDBusConnection::sessionBus());
}

// The items of a pair in every collection, unlocked and locked, as the service lists them.
std::pair<int, int> countItems(const QString &service, const QString &account)
{
    QDBusInterface secrets = secretInterface(kServicePath, kServiceInterface);
    const Attributes attributes { { QStringLiteral("service"), service },
        { QStringLiteral("account"), account },
        { QStringLiteral("xdg:schema"), QString::fromLatin1(ZunoSecretService::kSchemaName) } };
    const QDBusMessage reply = secrets.call(QStringLiteral("SearchItems"), QVariant::fromValue(attributes));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
        ADD_FAILURE() << "SearchItems failed: " << reply.errorMessage().toStdString();
        return { -1, -1 };
    }
    const auto paths = [](const QVariant &value) {
        return qdbus_cast<QList<QDBusObjectPath>>(value.value<QDBusArgument>()).size();
    };
    return { int(paths(reply.arguments().at(0))), int(paths(reply.arguments().at(1))) };
}

class ZunoKeychainStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qDBusRegisterMetaType<Attributes>();
        qDBusRegisterMetaType<DBusSecret>();
        if (!secretServiceRunning())
            GTEST_SKIP() << "no Secret Service on the session bus (gnome-keyring did not start in the test "
                            "session): the keychain is not tested";
        m_service
            = QStringLiteral("com.quarnwell.test.") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    }
    void TearDown() override
    {
        if (!m_service.isEmpty()) {
            for (const QString &account : { m_account, m_otherAccount })
                ZunoKeychainStore::remove(m_service, account);
        }
    }

    // A collection of the test's own beside the default one, made through gnome-keyring's
    // non-interactive interface, so the shared default collection stays as it is for the other tests.
    // Empty, with the reason in `whyNot`, when the service cannot make one without a prompt.
    QString makeCollection(QString &whyNot)
    {
        QDBusInterface secrets = secretInterface(kServicePath, kServiceInterface);
        const QDBusMessage opened = secrets.call(QStringLiteral("OpenSession"), QStringLiteral("plain"),
            QVariant::fromValue(QDBusVariant(QString())));
        if (opened.type() != QDBusMessage::ReplyMessage) {
            whyNot = opened.errorMessage();
            return {};
        }
        m_session = opened.arguments().at(1).value<QDBusObjectPath>();
        QDBusInterface internal = secretInterface(
            kServicePath, QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"));
        const QVariantMap properties { { QStringLiteral("org.freedesktop.Secret.Collection.Label"),
            QStringLiteral("ZunoKit test %1").arg(m_service) } };
        const DBusSecret master { m_session, {}, "zuno-test-master", QStringLiteral("text/plain") };
        const QDBusMessage created = internal.call(
            QStringLiteral("CreateWithMasterPassword"), properties, QVariant::fromValue(master));
        if (created.type() != QDBusMessage::ReplyMessage) {
            whyNot = created.errorMessage();
            return {};
        }
        return created.arguments().at(0).value<QDBusObjectPath>().path();
    }

    // Puts an item of the pair with `secret` straight into `collection`, as an earlier default keyring
    // would hold it, and locks the collection if asked. Failures are the test's.
    void addItem(const QString &collection, const QByteArray &secret, bool locked)
    {
        const Attributes attributes { { QStringLiteral("service"), m_service },
            { QStringLiteral("account"), m_account },
            { QStringLiteral("xdg:schema"), QString::fromLatin1(ZunoSecretService::kSchemaName) } };
        const QVariantMap properties { { QStringLiteral("org.freedesktop.Secret.Item.Label"), m_service },
            { QStringLiteral("org.freedesktop.Secret.Item.Attributes"), QVariant::fromValue(attributes) } };
        const QDBusMessage item
            = secretInterface(collection, QStringLiteral("org.freedesktop.Secret.Collection"))
                  .call(QStringLiteral("CreateItem"), properties,
                      QVariant::fromValue(DBusSecret { m_session, {}, secret, QStringLiteral("text/plain") }),
                      true);
        EXPECT_EQ(item.type(), QDBusMessage::ReplyMessage) << item.errorMessage().toStdString();
        if (!locked)
            return;
        const QDBusMessage lock
            = secretInterface(kServicePath, kServiceInterface)
                  .call(QStringLiteral("Lock"),
                      QVariant::fromValue(QList<QDBusObjectPath> { QDBusObjectPath(collection) }));
        EXPECT_EQ(lock.type(), QDBusMessage::ReplyMessage) << lock.errorMessage().toStdString();
    }

    // Deletes a collection made by the test, locked or not, with everything in it.
    struct DeleteCollection {
        QString path;
        ~DeleteCollection()
        {
            secretInterface(path, QStringLiteral("org.freedesktop.Secret.Collection"))
                .call(QStringLiteral("Delete"));
        }
    };

    QString m_service;
    QDBusObjectPath m_session;
    const QString m_account = QStringLiteral("user@example.com");
    const QString m_otherAccount = QStringLiteral("other@example.com");
};

} // namespace

TEST_F(ZunoKeychainStoreTest, SaveLoadExistsAndRemove)
{
    ZunoKeychainStore::save(QStringLiteral("sk-first"), m_service, m_account);
    EXPECT_TRUE(ZunoKeychainStore::exists(m_service, m_account));
    EXPECT_EQ(ZunoKeychainStore::load(m_service, m_account), std::optional(QStringLiteral("sk-first")));

    // Saving again replaces: one item, holding the second secret (any UTF-8 survives).
    const QString second = QStringLiteral("ikinci şifre ğüş 🔑");
    ZunoKeychainStore::save(second, m_service, m_account);
    EXPECT_EQ(ZunoKeychainStore::load(m_service, m_account), std::optional(second));
    EXPECT_EQ(countItems(m_service, m_account), std::make_pair(1, 0));

    // Pairs are apart: another account of the same service has nothing.
    EXPECT_FALSE(ZunoKeychainStore::exists(m_service, m_otherAccount));
    EXPECT_EQ(ZunoKeychainStore::load(m_service, m_otherAccount), std::nullopt);
    ZunoKeychainStore::save(QString(), m_service, m_otherAccount); // an empty secret is a secret
    EXPECT_EQ(ZunoKeychainStore::load(m_service, m_otherAccount), std::optional(QString()));

    ZunoKeychainStore::remove(m_service, m_account);
    EXPECT_FALSE(ZunoKeychainStore::exists(m_service, m_account));
    EXPECT_EQ(ZunoKeychainStore::load(m_service, m_account), std::nullopt);
    EXPECT_EQ(countItems(m_service, m_account), std::make_pair(0, 0));
    EXPECT_TRUE(ZunoKeychainStore::exists(m_service, m_otherAccount));
}

TEST_F(ZunoKeychainStoreTest, NeverSavedPairIsNothingAndRemovingItIsSilent)
{
    EXPECT_EQ(ZunoKeychainStore::load(m_service, m_account), std::nullopt);
    EXPECT_FALSE(ZunoKeychainStore::exists(m_service, m_account));
    EXPECT_NO_THROW(ZunoKeychainStore::remove(m_service, m_account));
}

TEST_F(ZunoKeychainStoreTest, SecretThatIsNotUtf8LoadsAsNothingButExists)
{
    ASSERT_EQ(
        ZunoSecretService::store(m_service, m_account, QByteArray("\xff\xfe"), m_service), std::nullopt);
    EXPECT_EQ(ZunoKeychainStore::load(m_service, m_account), std::nullopt);
    EXPECT_TRUE(ZunoKeychainStore::exists(m_service, m_account));
}

TEST_F(ZunoKeychainStoreTest, ExistsAnswersForALockedItemWithoutPrompting)
{
    QString whyNot;
    const QString collection = makeCollection(whyNot);
    if (collection.isEmpty())
        GTEST_SKIP() << "the Secret Service cannot make a collection without a prompt ("
                     << whyNot.toStdString() << "): the locked case is not tested";
    const DeleteCollection cleanup { collection };
    addItem(collection, "locked-secret", true);
    ASSERT_EQ(countItems(m_service, m_account), std::make_pair(0, 1)) << "the item is there, locked";

    // Answered from the search alone: no unlock is asked for, so no prompt can appear (a prompt would
    // wait here for a user who never comes).
    EXPECT_TRUE(ZunoKeychainStore::exists(m_service, m_account));
    EXPECT_FALSE(ZunoKeychainStore::exists(m_service, m_otherAccount));
}

TEST_F(ZunoKeychainStoreTest, SaveOutranksCopiesInOtherCollections)
{
    // An older copy of the pair in a collection that is not (or no longer) the default one. Saving writes
    // to the default collection while loading searches all of them: the saved secret must be what loads.
    struct Case {
        const char *name;
        bool locked;
        std::pair<int, int> itemsAfter; // unlocked, locked
    };
    const Case cases[] = {
        { "an unlocked older copy is removed", false, { 1, 0 } },
        { "a locked older copy stays, never read and never unlocked", true, { 1, 1 } },
    };
    for (const Case &c : cases) {
        QString whyNot;
        const QString collection = makeCollection(whyNot);
        if (collection.isEmpty())
            GTEST_SKIP() << "the Secret Service cannot make a collection without a prompt ("
                         << whyNot.toStdString() << ")";
        const DeleteCollection cleanup { collection };
        addItem(collection, "sk-old-key", c.locked);

        ZunoKeychainStore::save(QStringLiteral("sk-new-key"), m_service, m_account);
        EXPECT_EQ(ZunoKeychainStore::load(m_service, m_account), std::optional(QStringLiteral("sk-new-key")))
            << c.name;
        EXPECT_EQ(countItems(m_service, m_account), c.itemsAfter) << c.name;
        ZunoKeychainStore::save(QStringLiteral("sk-newer-key"), m_service, m_account);
        EXPECT_EQ(
            ZunoKeychainStore::load(m_service, m_account), std::optional(QStringLiteral("sk-newer-key")))
            << c.name;
        EXPECT_EQ(countItems(m_service, m_account), c.itemsAfter) << c.name;
    }
}

TEST(ZunoKeychainStore, UnreachableKeychainFailsOnlyTheSave)
{
    // The session bus is chosen once per process, so the check runs in a child of this test program
    // whose bus address leads nowhere.
    if (qEnvironmentVariableIsSet("ZUNO_KEYCHAIN_UNREACHABLE_CHILD")) {
        const QString service = QStringLiteral("com.quarnwell.test.unreachable");
        try {
            ZunoKeychainStore::save(QStringLiteral("secret"), service, QStringLiteral("a"));
            ADD_FAILURE() << "saved without a keychain";
        } catch (const ZunoKeychainError &error) {
            EXPECT_FALSE(error.domain().isEmpty());
            EXPECT_FALSE(error.message().isEmpty());
        }
        EXPECT_EQ(ZunoKeychainStore::load(service, QStringLiteral("a")), std::nullopt);
        EXPECT_FALSE(ZunoKeychainStore::exists(service, QStringLiteral("a")));
        EXPECT_NO_THROW(ZunoKeychainStore::remove(service, QStringLiteral("a")));
        return;
    }
    const ZunoProcessResult child = ZunoProcessRunner::run(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=ZunoKeychainStore.UnreachableKeychainFailsOnlyTheSave") },
        std::nullopt,
        std::map<QString, QString> {
            { QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/zuno-bus") },
            { QStringLiteral("ZUNO_KEYCHAIN_UNREACHABLE_CHILD"), QStringLiteral("1") } },
        true);
    EXPECT_EQ(child.exitCode, 0) << child.stdoutString().toStdString() << child.stderrString().toStdString();
    EXPECT_TRUE(child.stdoutString().contains(QStringLiteral("[  PASSED  ] 1 test")))
        << child.stdoutString().toStdString();
}

namespace {

// A bus of the test's own that activates nothing, so no prompter can start: a store that would need
// the user to confirm is refused at once.
const char kQuietBusConfig[]
    = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

bool setDefaultAlias(const QString &collection)
{
    const QDBusMessage reply = secretInterface(kServicePath, kServiceInterface)
                                   .call(QStringLiteral("SetAlias"), QStringLiteral("default"),
                                       QVariant::fromValue(QDBusObjectPath(collection)));
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

TEST(ZunoKeychainStore, RefusedSaveKeepsTheSavedKey)
{
    const QString service = QStringLiteral("com.quarnwell.test.refused");
    const QString account = QStringLiteral("user@example.com");
    if (qEnvironmentVariableIsSet("ZUNO_KEYCHAIN_REFUSING_CHILD")) {
        // A keychain of this child's own: its default collection first takes the old key, then goes
        // away, so storing would need a new one made, which needs a prompt nobody can answer.
        ASSERT_TRUE(setDefaultAlias(QStringLiteral("/org/freedesktop/secrets/collection/session")));
        ZunoKeychainStore::save(QStringLiteral("sk-old-key"), service, account);
        ASSERT_TRUE(setDefaultAlias(QStringLiteral("/")));
        EXPECT_THROW(
            ZunoKeychainStore::save(QStringLiteral("sk-new-key"), service, account), ZunoKeychainError);
        EXPECT_EQ(ZunoKeychainStore::load(service, account), std::optional(QStringLiteral("sk-old-key")));
        return;
    }
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    const QString keyring = QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon"));
    if (daemon.isEmpty() || keyring.isEmpty())
        GTEST_SKIP() << "needs dbus-daemon and gnome-keyring-daemon";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QFile config(home.filePath(QStringLiteral("bus.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(kQuietBusConfig);
    config.close();
    QProcess bus;
    bus.start(daemon,
        { QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
            QStringLiteral("--print-address=1") });
    ASSERT_TRUE(bus.waitForStarted(5000));
    while (!bus.canReadLine() && bus.waitForReadyRead(5000)) { }
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    ASSERT_FALSE(address.isEmpty());

    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral("runtime"))));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const std::map<QString, QString> keyringEnvironment {
        { QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address }, { QStringLiteral("HOME"), home.path() },
        { QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")) },
        { QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")) },
        { QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("runtime")) }
    };
    // In the foreground, so this test owns it and ends it; unlocked with the empty password on stdin.
    QProcess daemonProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, value] : keyringEnvironment)
        environment.insert(name, value);
    daemonProcess.setProcessEnvironment(environment);
    daemonProcess.start(keyring,
        { QStringLiteral("--foreground"), QStringLiteral("--unlock"),
            QStringLiteral("--components=secrets") });
    ASSERT_TRUE(daemonProcess.waitForStarted(5000));
    daemonProcess.closeWriteChannel();
    struct StopKeyring {
        QProcess &process;
        ~StopKeyring()
        {
            process.terminate();
            if (!process.waitForFinished(5000))
                process.kill();
        }
    } stopKeyring { daemonProcess };
    // Asked with dbus-send: a private QtDBus connection closed again here trips libdbus.
    const QString send = QStandardPaths::findExecutable(QStringLiteral("dbus-send"));
    bool owned = false;
    for (int attempt = 0; attempt < 100 && !owned && !send.isEmpty(); ++attempt) {
        const ZunoProcessResult answer = ZunoProcessRunner::run(send,
            { QStringLiteral("--bus=") + address, QStringLiteral("--print-reply=literal"),
                QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus.NameHasOwner"), QStringLiteral("string:") + kBusName },
            std::nullopt, std::nullopt, true);
        owned = answer.stdoutString().contains(QStringLiteral("true"));
        if (!owned)
            QThread::msleep(50);
    }
    if (!owned)
        GTEST_SKIP() << "gnome-keyring did not take its name on the test's bus";

    const ZunoProcessResult child = ZunoProcessRunner::run(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=ZunoKeychainStore.RefusedSaveKeepsTheSavedKey") }, std::nullopt,
        std::map<QString, QString> { { QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address },
            { QStringLiteral("ZUNO_KEYCHAIN_REFUSING_CHILD"), QStringLiteral("1") } },
        true);
    bus.terminate();
    if (!bus.waitForFinished(5000))
        bus.kill();
    EXPECT_EQ(child.exitCode, 0) << child.stdoutString().toStdString() << child.stderrString().toStdString();
    EXPECT_TRUE(child.stdoutString().contains(QStringLiteral("[  PASSED  ] 1 test")))
        << child.stdoutString().toStdString();
}
