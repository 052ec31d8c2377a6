// The Linux desktop as the suite sees it, for real: processes in /proc, names and activation on a
// private session bus, and starting a desktop entry through GIO.
#include "ZunoDesktopSuiteWorkspace.h"
#include "FakeSuiteWorkspace.h"
#include "ZunoPrivateBus.h"
#include "ZunoSingleInstanceService.h"
#include "ZunoSuiteApp.h"
#include "ZunoTestHome.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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
    // Running as a process only: launch answers true without starting anything.
    EXPECT_TRUE(launch(ZunoSuiteApp::zunoPulse));
}

TEST(ZunoDesktopSuiteWorkspace, ProcessesAreListedInPidOrderWithoutZombies)
{
    auto desktop = ZunoDesktopSuiteWorkspace(QDBusConnection(QString()));
    QProcess zombieParent;
    // A shell whose child exits unreaped while the shell sleeps on.
    zombieParent.start(QStringLiteral("/bin/sh"),
        { QStringLiteral("-c"), QStringLiteral("/bin/true & echo $!; exec /usr/bin/sleep 60") });
    ASSERT_TRUE(zombieParent.waitForStarted(kWait));
    ASSERT_TRUE(zombieParent.waitForReadyRead(kWait));
    const qint64 zombie = zombieParent.readLine().trimmed().toLongLong();
    ASSERT_GT(zombie, 0);
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
    EXPECT_FALSE(desktop->openDesktopEntry(home.filePath("missing.desktop"), true));
}
