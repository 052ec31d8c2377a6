// The Linux desktop as the suite sees it, for real: processes in /proc, names and activation on a
// private session bus, and starting a desktop entry.
#include "ZunoDesktopSuiteWorkspace.h"
#include "FakeSuiteWorkspace.h"
#include "ZunoPrivateBus.h"
#include "ZunoSingleInstanceService.h"
#include "ZunoSuiteApp.h"
#include "ZunoTestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kWait = 20000;

// A copy of the system's sleep under another name, so that the process lists under that name.
class RenamedSleep {
public:
    RenamedSleep(const QString &folder, const QString &name)
        : path(folder + QLatin1Char('/') + name)
    {
        QDir().mkpath(folder);
        QFile::remove(path);
        if (!QFile::copy(QStringLiteral("/usr/bin/sleep"), path))
            return;
        m_process.start(path, { QStringLiteral("60") });
        m_process.waitForStarted(kWait);
    }
    ~RenamedSleep()
    {
        m_process.kill();
        m_process.waitForFinished(kWait);
    }
    bool started() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }

    QString path;

private:
    QProcess m_process;
};

std::optional<ZunoRunningApplication> listed(ZunoSuiteWorkspace &workspace, qint64 pid)
{
    for (const ZunoRunningApplication &running : workspace.runningApplications()) {
        if (running.pid == pid)
            return running;
    }
    return std::nullopt;
}

} // namespace

TEST(ZunoDesktopSuiteWorkspace, AProcessNamedAsTheApplicationRunsButItsToolDoesNot)
{
    ZunoTestHome home;
    // No bus: only /proc speaks.
    auto desktop = std::make_shared<ZunoDesktopSuiteWorkspace>(QDBusConnection(QString()));
    ScopedSuiteWorkspace scoped(desktop);
    {
        RenamedSleep tool(home.filePath("bin"), QStringLiteral("zunopulse"));
        ASSERT_TRUE(tool.started());
        const auto entry = listed(*desktop, tool.pid());
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->executableName, QStringLiteral("zunopulse"));
        EXPECT_FALSE(entry->busName);
        EXPECT_FALSE(isRunning(ZunoSuiteApp::zunoPulse));
    }
    RenamedSleep application(home.filePath("bin"), QStringLiteral("ZunoPulse"));
    ASSERT_TRUE(application.started());
    EXPECT_TRUE(isRunning(ZunoSuiteApp::zunoPulse));
    // Running as a process only, with nothing to bring forward: launch says it could not.
    EXPECT_FALSE(launch(ZunoSuiteApp::zunoPulse));
}

TEST(ZunoDesktopSuiteWorkspace, ProcessesAreListedInPidOrderWithoutZombies)
{
    auto desktop = ZunoDesktopSuiteWorkspace(QDBusConnection(QString()));
    QProcess zombieParent;
    // A shell whose child exits unreaped while the shell sleeps on. The child waits for a byte on our
    // pipe until the shell has become sleep: a child that ended before that would be reaped by it.
    zombieParent.start(QStringLiteral("/bin/sh"),
        { QStringLiteral("-c"),
            QStringLiteral("exec 3<&0; head -c 1 <&3 >/dev/null & echo $!; exec /usr/bin/sleep 60") });
    ASSERT_TRUE(zombieParent.waitForStarted(kWait));
    ASSERT_TRUE(zombieParent.waitForReadyRead(kWait));
    const qint64 zombie = zombieParent.readLine().trimmed().toLongLong();
    ASSERT_GT(zombie, 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(zombieParent.processId()));
            return comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "sleep";
        },
        kWait));
    ASSERT_EQ(zombieParent.write("x"), 1);
    ASSERT_TRUE(zombieParent.waitForBytesWritten(kWait));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(zombie));
            return stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z ");
        },
        kWait));
    const auto running = desktop.runningApplications();
    qint64 previous = 0;
    bool sawSelf = false;
    for (const ZunoRunningApplication &app : running) {
        ASSERT_TRUE(app.executableName);
        EXPECT_GT(app.pid, previous);
        previous = app.pid;
        EXPECT_NE(app.pid, zombie);
        sawSelf = sawSelf || app.pid == QCoreApplication::applicationPid();
    }
    EXPECT_TRUE(sawSelf);
    zombieParent.kill();
    zombieParent.waitForFinished(kWait);
}

TEST(ZunoDesktopSuiteWorkspace, ANameOwnedOnTheBusRunsAndLaunchActivatesIt)
{
    ZunoPrivateBus bus;
    if (bus.address.isEmpty())
        GTEST_SKIP() << "cannot start a private D-Bus session bus";
    QDBusConnection ours = bus.connect(QStringLiteral("suite-workspace"));
    QDBusConnection sibling = bus.connect(QStringLiteral("suite-sibling"));
    ASSERT_TRUE(ours.isConnected());
    ZunoSingleInstanceService ram(
        QStringLiteral("com.quarnwell.ZunoRAM"), QStringLiteral("/com/quarnwell/ZunoRAM"), sibling);
    ASSERT_EQ(ram.start(), ZunoSingleInstanceService::Role::primary);
    QSignalSpy activated(&ram, &ZunoSingleInstanceService::activationRequested);

    auto desktop = std::make_shared<ZunoDesktopSuiteWorkspace>(ours);
    ScopedSuiteWorkspace scoped(desktop);
    const auto running = desktop->runningApplications();
    ASSERT_FALSE(running.empty());
    EXPECT_TRUE(running.front().busName);
    EXPECT_TRUE(isRunning(ZunoSuiteApp::zunoRAM));
    EXPECT_FALSE(isRunning(ZunoSuiteApp::zunoKill));

    EXPECT_TRUE(launch(ZunoSuiteApp::zunoRAM));
    EXPECT_TRUE(activated.wait(kWait));
    EXPECT_EQ(ZunoDesktopSuiteWorkspace::objectPathForBusName(QStringLiteral("com.quarnwell.Zuno-RAM")),
        QStringLiteral("/com/quarnwell/Zuno_RAM"));
}

namespace {

// A sibling on the bus that keeps the platform data of every Activate it is sent.
class ActivationRecorder : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    std::vector<QVariantMap> received;

public slots:
    Q_SCRIPTABLE void Activate(const QVariantMap &platformData) { received.push_back(platformData); }
};

} // namespace

TEST(ZunoDesktopSuiteWorkspace, BringingForwardCarriesAStartupTokenOfTheServersTime)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "no X display for a startup token";
    ZunoTestHome home;
    ZunoPrivateBus bus;
    if (bus.address.isEmpty())
        GTEST_SKIP() << "cannot start a private D-Bus session bus";
    QDBusConnection sibling = bus.connect(QStringLiteral("suite-sibling"));
    ActivationRecorder recorder;
    ASSERT_TRUE(sibling.registerObject(
        QStringLiteral("/com/quarnwell/ZunoRAM"), &recorder, QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(sibling.registerService(QStringLiteral("com.quarnwell.ZunoRAM")));
    auto desktop
        = std::make_shared<ZunoDesktopSuiteWorkspace>(bus.connect(QStringLiteral("suite-workspace")));
    ScopedSuiteWorkspace scoped(desktop);

    // A running sibling: Activate with the token as both platform keys.
    ASSERT_TRUE(launch(ZunoSuiteApp::zunoRAM));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.received.empty(); }, kWait));
    const QString token = recorder.received[0].value("desktop-startup-id").toString();
    EXPECT_TRUE(token.contains(QRegularExpression("_TIME[0-9]+$"))) << qPrintable(token);
    EXPECT_EQ(recorder.received[0].value("activation-token").toString(), token);

    // A started one: the token in its environment, only when it is to come forward.
    const QString seen = home.filePath("environment");
    const QString entry = home.filePath("entry.desktop");
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=ZunoTask\nExec=/bin/sh -c \"printenv "
               "DESKTOP_STARTUP_ID XDG_ACTIVATION_TOKEN > '"
        + QFile::encodeName(seen) + "'\"\n");
    file.close();
    for (bool activates : { true, false }) {
        SCOPED_TRACE(activates);
        QFile::remove(seen);
        ASSERT_TRUE(desktop->openDesktopEntry(entry, activates).started);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return QFileInfo(seen).size() > 0 || (!activates && QFile::exists(seen)); }, kWait));
        QTest::qWait(100);
        QFile out(seen);
        ASSERT_TRUE(out.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = out.readAll().trimmed().split('\n');
        if (activates) {
            ASSERT_EQ(lines.size(), 2);
            EXPECT_TRUE(lines[0].contains("_TIME"));
            EXPECT_EQ(lines[0], lines[1]);
        } else {
            EXPECT_EQ(lines, QList<QByteArray>({ QByteArray() }));
        }
    }
}

TEST(ZunoDesktopSuiteWorkspace, LaunchStartsTheInstalledDesktopEntry)
{
    ZunoTestHome home;
    ZunoPrivateBus bus;
    if (bus.address.isEmpty())
        GTEST_SKIP() << "cannot start a private D-Bus session bus";
    auto desktop = std::make_shared<ZunoDesktopSuiteWorkspace>(bus.connect());
    ScopedSuiteWorkspace scoped(desktop);
    const QString marker = home.filePath("launched");
    const QString entry = home.filePath(".local/share/applications/com.quarnwell.zunotask.desktop");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(entry).path()));
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=ZunoTask\nExec=/usr/bin/touch \""
        + QFile::encodeName(marker) + "\"\n");
    file.close();

    EXPECT_TRUE(isInstalled(ZunoSuiteApp::zunoTask));
    EXPECT_FALSE(isRunning(ZunoSuiteApp::zunoTask));
    EXPECT_TRUE(launch(ZunoSuiteApp::zunoTask));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, kWait));

    // Not a desktop entry: nothing is started and the caller hears so.
    EXPECT_FALSE(desktop->openDesktopEntry(home.filePath("missing.desktop"), true).started);
}

#include "ZunoDesktopSuiteWorkspaceTest.moc"
