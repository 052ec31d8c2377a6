// The tray item as a desktop's StatusNotifier host sees it (a stand-in watcher on the private bus), and
// the studio without a tray.
#include "CamStatusItem.h"
#include "CamStudioQuitGuard.h"
#include "MenuBarCamPopoverView.h"
#include "StudioTestFixture.h"
#include "ZunoCamApp.h"
#include "ZunoCamStudioWindow.h"
#include "ZunoWaitUntil.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusVariant>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

const bool kPlatformChosen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    return true;
}();

// The labels of a com.canonical.dbusmenu layout, depth first, each with its shortcut's keys after a
// space ("Quit", "Open [Super+Alt+O]"), a disabled item in parentheses; "-" for a separator.
void collectLabels(const QDBusArgument &argument, QStringList &labels)
{
    int id = 0;
    QVariantMap properties;
    QVariantList children;
    argument.beginStructure();
    argument >> id >> properties >> children;
    argument.endStructure();
    if (id != 0) {
        if (properties.value(QStringLiteral("type")).toString() == QStringLiteral("separator"))
            labels.append(QStringLiteral("-"));
        else {
            QString label = properties.value(QStringLiteral("label")).toString();
            if (properties.contains(QStringLiteral("shortcut"))) {
                QList<QStringList> combinations;
                properties.value(QStringLiteral("shortcut")).value<QDBusArgument>() >> combinations;
                for (const QStringList &keys : combinations)
                    label += QStringLiteral(" [%1]").arg(keys.join(QLatin1Char('+')));
            }
            if (!properties.value(QStringLiteral("enabled"), true).toBool())
                label = QStringLiteral("(%1)").arg(label);
            labels.append(label);
        }
    }
    for (const QVariant &child : children)
        collectLabels(child.value<QDBusArgument>(), labels);
}

// Signals the bus relays to this process.
class SignalCounter : public QObject {
    Q_OBJECT
public:
    int count = 0;
public slots:
    void onSignal() { ++count; }
};

// A call from a second connection, answered while this thread's loop runs (the item lives here).
QDBusMessage callAndWait(QDBusConnection &probe, const QDBusMessage &call, int wait)
{
    QDBusPendingCallWatcher watcher(probe.asyncCall(call, wait));
    if (!watcher.isFinished())
        QSignalSpy(&watcher, &QDBusPendingCallWatcher::finished).wait(wait);
    return watcher.reply();
}

QVariant property(
    QDBusConnection &probe, const QString &service, const QString &path, const QString &name, int wait)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << QStringLiteral("org.kde.StatusNotifierItem") << name;
    const QDBusMessage reply = callAndWait(probe, call, wait);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
}

} // namespace

class CamStatusItemTrayTest : public StudioTest {
protected:
    void TearDown() override
    {
        app.reset();
        if (watcher.state() != QProcess::NotRunning) {
            watcher.kill();
            watcher.waitForFinished(kWait);
        }
        StudioTest::TearDown();
    }

    // Starts the stand-in watcher; false when it could not serve.
    bool startWatcher()
    {
        watcher.start(QStringLiteral(FAKE_WATCHER), {});
        if (!watcher.waitForStarted(kWait))
            return false;
        while (!watcher.canReadLine()) {
            if (!watcher.waitForReadyRead(kWait))
                return false;
        }
        return watcher.readLine().trimmed() == "ready";
    }

    // The service name the item registered with the watcher.
    QString waitForRegistration()
    {
        while (!watcher.canReadLine()) {
            if (!watcher.waitForReadyRead(kWait))
                return {};
        }
        const QByteArray line = watcher.readLine().trimmed();
        return line.startsWith("registered ") ? QString::fromUtf8(line.mid(11)) : QString();
    }

    QProcess watcher;
    std::unique_ptr<ZunoCamApp> app;
};

TEST_F(CamStatusItemTrayTest, ItemRegistersFollowsRecordingOpensThePopoverAndListsItsMenu)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "no X11 display";
    ASSERT_TRUE(startWatcher());
    start();
    vm->setLanguage(ZunoLanguage::tr);
    app = std::make_unique<ZunoCamApp>(*vm);
    ASSERT_NE(app->statusItem(), nullptr) << "a host is there: the studio makes its tray item";
    const QString service = waitForRegistration();
    ASSERT_FALSE(service.isEmpty());
    const QString path = QStringLiteral("/StatusNotifierItem");
    QDBusConnection bus = QDBusConnection::sessionBus();

    QDBusConnection probe
        = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("tray-probe"));
    ASSERT_TRUE(probe.isConnected());
    EXPECT_EQ(
        property(probe, service, path, QStringLiteral("Status"), kWait).toString(), QStringLiteral("Active"));

    // Recording starts: the host is told of a new icon.
    SignalCounter icons;
    ASSERT_TRUE(bus.connect(service, path, QStringLiteral("org.kde.StatusNotifierItem"),
        QStringLiteral("NewIcon"), &icons, SLOT(onSignal())));
    vm->startVideoRecording();
    EXPECT_EQ(app->statusItem()->appearance().dot, CamStatusAppearance::kRecordingDot);
    ASSERT_TRUE(waitUntil([&] { return icons.count >= 1; }, kWait, "the host to hear of a new icon"));

    // A click in the host.
    QDBusMessage activate = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Activate"));
    activate << 10 << 10;
    callAndWait(probe, activate, kWait);
    ASSERT_TRUE(
        waitUntil([&] { return app->statusItem()->popover()->isVisible(); }, kWait, "the popover to show"));
    app->statusItem()->popover()->hide();

    // The menu as the host reads it, in the studio's language, the keys in the desktop's words.
    const QString menuPath
        = property(probe, service, path, QStringLiteral("Menu"), kWait).value<QDBusObjectPath>().path();
    ASSERT_FALSE(menuPath.isEmpty());
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, menuPath, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetLayout"));
    call << 0 << -1 << QStringList();
    const QDBusMessage reply = callAndWait(probe, call, kWait);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(reply.errorMessage());
    QStringList labels;
    collectLabels(reply.arguments().at(1).value<QDBusArgument>(), labels);
    // An exported menu has no section titles: a disabled item names the menu above its line.
    EXPECT_EQ(labels,
        (QStringList { "(ZunoCam)", "-", "Çentik Altı Teleprompter Aç/Kapat [Super+Alt+T]",
            "Sunum Lazer / Çizim Katmanı Aç/Kapat [Super+Alt+L]",
            "Canlı Kamera Önizlemesini Aç/Kapat [Super+Alt+C]", "Toplantı Öncesi Çentik Aynası (Super+Alt+M)",
            "-", "Stüdyoyu Aç", "Çıkış" }));
    vm->stopVideoRecording();
    QDBusConnection::disconnectFromBus(QStringLiteral("tray-probe"));
}

TEST_F(CamStatusItemTrayTest, WithoutAWatcherThereIsNoItemAndClosingTheWindowQuits)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "no X11 display";
    start();
    app = std::make_unique<ZunoCamApp>(*vm);
    EXPECT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    EXPECT_EQ(app->statusItem(), nullptr);
    app->window()->show();
    CamStudioQuitGuard guard(*vm, nullptr);
    EXPECT_EQ(runQuitLoop([&] { app->window()->close(); }), 0);
}

#include "CamStatusItemTrayTest.moc"
