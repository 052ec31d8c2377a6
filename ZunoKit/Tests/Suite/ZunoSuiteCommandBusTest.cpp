// The command bus end to end on a private session bus: listeners, every route of execute and send,
// other processes as senders, enqueuers and consumers, and shutdown during a tool run.
#include "ZunoSuiteCommandBus.h"
#include "FakeSuiteWorkspace.h"
#include "SuiteTestFiles.h"
#include "ZunoDistributedNotificationCenter.h"
#include "ZunoPrivateBus.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoSuiteCLIBridge.h"
#include "ZunoSuiteCommandFolder.h"
#include "ZunoTestHome.h"
#include "ZunoText.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include <csignal>

namespace {

using A = ZunoSuiteApp;
using K = ZunoSuiteCommandKind;
using T = ZunoSuiteCommandTransport;
using Envelopes = std::vector<ZunoSuiteCommandEnvelope>;

constexpr int kWait = 20000;

// Two applications on one private session bus and one suite folder: `bus` sends, `peer` hears.
class ZunoSuiteCommandBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (privateBus.address.isEmpty())
            GTEST_SKIP() << "cannot start a private D-Bus session bus";
        environment.set("XDG_DATA_DIRS", QFile::encodeName(home.filePath("share")));
        workspace->folders = { home.filePath("share/applications") };
        center = std::make_unique<ZunoDistributedNotificationCenter>(privateBus.connect("sender"));
        peerCenter = std::make_unique<ZunoDistributedNotificationCenter>(privateBus.connect("peer"));
        bus = std::make_unique<ZunoSuiteCommandBus>(home.filePath("suite"), workspace, center.get());
        peer = std::make_unique<ZunoSuiteCommandBus>(home.filePath("suite"), workspace, peerCenter.get());
        peerCenter->addObserver(ZunoSuiteCommandBus::notificationName(A::zunoRAM),
            [this](const QString &, const QString &) { ++ramNotifications; });
    }
    void TearDown() override
    {
        bus.reset();
        peer.reset();
        center.reset();
        peerCenter.reset();
    }

    void setRunning(A app)
    {
        workspace->running = { { QStringLiteral("com.quarnwell.") + rawValue(app), std::nullopt, 0 } };
    }
    QString install(A app)
    {
        const QString entry = home.filePath("share/applications/" + bundleIdentifier(app) + ".desktop");
        writeFile(entry, "[Desktop Entry]\n", false);
        return entry;
    }
    // The commands folder made impossible: a regular file stands where it should be.
    void blockCommandsFolder() { writeFile(bus->commandsDirectory(), "", false); }
    int commandFiles() const { return int(QDir(bus->commandsDirectory()).entryList(QDir::Files).size()); }

    // The command notifications of ZunoRAM that reached the peer since the last call: a marker posted
    // after them arrives after them, so "none" is known without waiting for nothing.
    int notificationsSince()
    {
        const QString marker = QStringLiteral("com.quarnwell.test.marker");
        bool markerSeen = false;
        const auto markers
            = peerCenter->addObserver(marker, [&](const QString &, const QString &) { markerSeen = true; });
        center->post(marker);
        EXPECT_TRUE(QTest::qWaitFor([&] { return markerSeen; }, kWait));
        peerCenter->removeObserver(markers);
        return std::exchange(ramNotifications, 0);
    }

    ZunoTestHome home;
    ZunoScopedEnvironment environment;
    ZunoPrivateBus privateBus;
    std::shared_ptr<FakeSuiteWorkspace> workspace = std::make_shared<FakeSuiteWorkspace>();
    std::unique_ptr<ZunoDistributedNotificationCenter> center;
    std::unique_ptr<ZunoDistributedNotificationCenter> peerCenter;
    std::unique_ptr<ZunoSuiteCommandBus> bus;
    std::unique_ptr<ZunoSuiteCommandBus> peer;
    int ramNotifications = 0;
};

ZunoSuiteCommandResult resultOf(QFuture<ZunoSuiteCommandResult> future)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, kWait));
    return future.result();
}

ZunoSuiteCommandResult expected(bool succeeded, int exitCode, const QString &stderrText, T transport,
    const QString &en, const QString &tr)
{
    return { succeeded, exitCode, QString(), stderrText, transport, zunoText(en, tr) };
}

} // namespace

TEST_F(ZunoSuiteCommandBusTest, ListenerGetsEarlierAndNotifiedCommandsUntilRemoved)
{
    // Written before anyone listened: the first look after the start finds it.
    setRunning(A::zunoRAM);
    ASSERT_TRUE(bus->send(K::ramToggleHUD, A::zunoCam, A::zunoRAM, std::nullopt, std::nullopt, "early"));
    Envelopes got, removedGot;
    const auto removed = peer->startListening(A::zunoRAM, [&](const auto &e) { removedGot.push_back(e); });
    peer->removeObserver(removed);
    peer->startListening(A::zunoRAM, [&](const auto &e) { got.push_back(e); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() == 1; }, kWait));
    EXPECT_EQ(got[0].payload, "early");

    // Now woken by the notification; several at once come out in the order they were sent.
    for (const char *payload : { "one", "two", "three" })
        ASSERT_TRUE(bus->send(
            K::ramOpenDiskLab, A::zunoCam, A::zunoRAM, std::nullopt, std::nullopt, payload, true, false));
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() == 4; }, kWait));
    EXPECT_EQ(got[1].payload, "one");
    EXPECT_EQ(got[2].payload, "two");
    EXPECT_EQ(got[3].payload, "three");
    EXPECT_EQ(got[3].kind, K::ramOpenDiskLab);
    EXPECT_TRUE(removedGot.empty());
}

TEST_F(ZunoSuiteCommandBusTest, AListenerDropsCommandsOlderThanTwentyFiveSeconds)
{
    const QString folder = home.filePath("suite/Commands");
    ASSERT_TRUE(QDir().mkpath(folder));
    qint64 writeNs = QDateTime::currentMSecsSinceEpoch() * 1000000;
    for (const auto &[payload, ageSeconds] : { std::pair { "stale", 26 }, std::pair { "fresh", 23 } }) {
        ZunoSuiteCommandEnvelope envelope;
        envelope.id = QUuid::createUuid();
        envelope.timestamp = QDateTime::currentDateTimeUtc().addSecs(-ageSeconds);
        envelope.sourceApp = A::zunoCam;
        envelope.targetApp = A::zunoRAM;
        envelope.kind = K::ramToggleHUD;
        envelope.payload = QString::fromLatin1(payload);
        writeFile(folder + "/" + ZunoSuiteCommandFolder::commandFileName(A::zunoRAM, ++writeNs, envelope.id),
            envelope.encoded(), false);
    }
    Envelopes got;
    peer->startListening(A::zunoRAM, [&](const auto &e) { got.push_back(e); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !got.empty(); }, kWait));
    QTest::qWait(50);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].payload, "fresh");
}

TEST_F(ZunoSuiteCommandBusTest, AStartedTargetIsReachedOnlyOnceItComesUp)
{
    install(A::zunoRAM);
    const QString commands = bus->commandsDirectory();
    const QString pidFile = home.filePath("stays-up.pid");
    const auto shell = [](const QString &script) {
        return ZunoDetachedProcess::Options { "/bin/sh", { "-c", script }, QProcess::systemEnvironment(),
            {} };
    };
    const auto couldNotStart = [](const QString &why) {
        return expected(false, 1, "ZunoRAM could not be started: " + why, T::guiLaunch(),
            "ZunoRAM could not be started: " + why + ".", "ZunoRAM başlatılamadı: " + why + ".");
    };
    const auto reached = expected(true, 0, "", T::guiLaunch(), "Dispatched ramOpenDiskLab to ZunoRAM.",
        "ZunoRAM uygulamasına iletildi.");
    struct Case {
        const char *name;
        bool openSucceeds;
        std::optional<ZunoDetachedProcess::Options> program;
        bool comesOntoTheBus;
        ZunoSuiteCommandResult result;
        // Whether `send` answers that it handed the command on: only a refused start is known at once.
        bool sent;
        // Left pending after each of execute and send.
        int files;
    };
    const Case cases[] = {
        // Started by hand later, the app must not run what the user was told did not happen.
        { "start refused", false, std::nullopt, false, couldNotStart("the start was refused"), false, 0 },
        { "ends at once", true, shell("exit 3"), false, couldNotStart("/bin/sh exited with status 3"), true,
            0 },
        { "killed at once", true, shell("kill -KILL $$"), false,
            couldNotStart("/bin/sh was killed by signal 9 (SIGKILL)"), true, 0 },
        // It handed over to the application that is now on the bus, which will take the command.
        { "ends at once, its application on the bus", true, shell("exit 0"), true, reached, true, 1 },
        { "takes its command, then ends", true, shell("rm -f '" + commands + "'/zunoram-cmd-*.json"), false,
            reached, true, 0 },
        // Neither takes its command nor comes onto the bus, but still runs after the grace.
        { "keeps running", true, shell("echo $$ >> '" + pidFile + "'; exec sleep 60"), false, reached, true,
            1 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        workspace->openSucceeds = c.openSucceeds;
        workspace->program = c.program;
        workspace->runningAfterOpen.clear();
        if (c.comesOntoTheBus)
            workspace->runningAfterOpen = { { "com.quarnwell.ZunoRAM", std::nullopt, 0 } };

        QDir(commands).removeRecursively();
        workspace->running.clear();
        EXPECT_EQ(resultOf(bus->execute(K::ramOpenDiskLab, A::zunoCam, A::zunoRAM, std::nullopt, "name",
                      std::nullopt, true, true, {}, 10)),
            c.result);
        EXPECT_EQ(commandFiles(), c.files);

        QDir(commands).removeRecursively();
        workspace->running.clear();
        EXPECT_EQ(bus->send(K::ramOpenDiskLab, A::zunoCam, A::zunoRAM), c.sent);
        bus->waitForBackgroundRuns();
        EXPECT_EQ(commandFiles(), c.files);
    }
    QFile pids(pidFile);
    ASSERT_TRUE(pids.open(QIODevice::ReadOnly));
    const QList<QByteArray> started = pids.readAll().trimmed().split('\n');
    EXPECT_EQ(started.size(), 2);
    // No longer watched, it goes on alone.
    for (const QByteArray &pid : started) {
        EXPECT_TRUE(processRuns(pid.toLongLong())) << pid.constData();
        ::kill(pid.toInt(), SIGKILL);
    }
}

TEST_F(ZunoSuiteCommandBusTest, DataChangedReachesItsObservers)
{
    int calls = 0;
    const auto token = peer->observeDataChanged(A::zunoRAM, [&] { ++calls; });
    center->post(ZunoSuiteCLIBridge::dataChangedNotificationName(A::zunoRAM));
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, kWait));
    peer->removeObserver(token);
    center->post(ZunoSuiteCLIBridge::dataChangedNotificationName(A::zunoRAM));
    notificationsSince();
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
}

TEST_F(ZunoSuiteCommandBusTest, ExecuteTakesEachRoute)
{
    const QString extra = home.filePath("tools");
    writeTool(extra + "/zunokill-cli", "echo '{\"summary\":\"Killed 2 frozen apps\"}'");
    struct Case {
        const char *name;
        K kind;
        std::optional<std::int32_t> pid;
        bool running;
        bool installed;
        bool launchIfNeeded;
        bool bringToFront;
        bool blocked;
        ZunoSuiteCommandResult result;
        int files;
        int notifications;
        QStringList activated;
        std::optional<bool> openedWithActivates;
    };
    const QString ram = "ZunoRAM";
    const auto dispatchedTo = [&](const char *kind, T transport) {
        return expected(true, 0, "", transport, QString("Dispatched %1 to ZunoRAM.").arg(kind),
            "ZunoRAM uygulamasına iletildi.");
    };
    const auto invalid = expected(false, 2, "Invalid target PID.", T::unavailable(),
        "Invalid target process ID.", "Geçersiz hedef süreç kimliği.");
    const auto notInstalled = expected(false, 1, "ZunoRAM is not installed or unavailable.", T::unavailable(),
        "ZunoRAM is not installed.", "ZunoRAM kurulu değil.");
    const auto failedRunning
        = expected(false, 1, "Failed to enqueue silent IPC command.", T::liveDaemonSilentIPC(),
            "Failed to send command to ZunoRAM.", "ZunoRAM uygulamasına komut gönderilemedi.");
    auto failedLaunching = failedRunning;
    failedLaunching.transport = T::unavailable();
    const auto silent = expected(true, 0, "", T::liveDaemonSilentIPC(),
        "Sent ramSmartOffload silently to running ZunoRAM.", "ZunoRAM arka plan işlemine sessizce iletildi.");
    const auto unavailable = expected(false, 127, "ZunoRAM CLI is unavailable and ZunoRAM is not running.",
        T::unavailable(), "ZunoRAM CLI not found and app is not running in background.",
        "ZunoRAM CLI bulunamadı ve arka planda çalışmıyor.");
    const ZunoSuiteCommandResult tool { true, 0, "{\"summary\":\"Killed 2 frozen apps\"}", "",
        T::cli("zunokill-cli"), "Killed 2 frozen apps" };
    const QStringList front = { "com.quarnwell.ZunoRAM" };
    const Case cases[] = {
        // clang-format off
        { "PID 0", K::ramOpenDiskLab, 0, true, true, true, true, false, invalid, 0, 0, {}, {} },
        { "PID 1", K::ramFreezePID, 1, true, true, true, true, false, invalid, 0, 0, {}, {} },
        { "window kind, running, front", K::ramOpenDiskLab, 4242, true, true, true, true, false, dispatchedTo("ramOpenDiskLab", T::liveDaemonSilentIPC()), 1, 1, front, {} },
        { "overlay kind never comes forward", K::ramToggleHUD, std::nullopt, true, false, true, true, false, dispatchedTo("ramToggleHUD", T::liveDaemonSilentIPC()), 1, 1, {}, {} },
        { "window kind, running, not front", K::ramOpenDiskLab, std::nullopt, true, false, true, false, false, dispatchedTo("ramOpenDiskLab", T::liveDaemonSilentIPC()), 1, 1, {}, {} },
        { "window kind, installed", K::ramOpenDiskLab, std::nullopt, false, true, true, true, false, dispatchedTo("ramOpenDiskLab", T::guiLaunch()), 1, 0, {}, true },
        { "overlay kind, installed", K::ramToggleHUD, std::nullopt, false, true, true, true, false, dispatchedTo("ramToggleHUD", T::guiLaunch()), 1, 0, {}, false },
        { "installed, no launching", K::ramOpenDiskLab, std::nullopt, false, true, false, true, false, notInstalled, 0, 0, {}, {} },
        { "neither running nor installed", K::ramOpenAppFreezer, std::nullopt, false, false, true, true, false, notInstalled, 0, 0, {}, {} },
        { "running, folder blocked", K::ramOpenDiskLab, std::nullopt, true, true, true, true, true, failedRunning, 0, 0, {}, {} },
        { "installed, folder blocked", K::ramOpenDiskLab, std::nullopt, false, true, true, true, true, failedLaunching, 0, 0, {}, {} },
        { "headless with a tool", K::killAllFrozen, std::nullopt, true, true, true, true, false, tool, 0, 0, {}, {} },
        { "headless without a tool, running", K::ramSmartOffload, std::nullopt, true, false, true, true, false, silent, 1, 1, {}, {} },
        { "headless without a tool, not running", K::ramSmartOffload, std::nullopt, false, true, true, true, false, unavailable, 0, 0, {}, {} },
        { "headless, running, folder blocked", K::ramSmartOffload, std::nullopt, true, false, true, true, true, failedRunning, 0, 0, {}, {} },
        // clang-format on
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(home.filePath("suite")).removeRecursively();
        QFile::remove(home.filePath("share/applications/com.quarnwell.zunoram.desktop"));
        workspace->running.clear();
        workspace->activated.clear();
        workspace->opened.clear();
        if (c.running)
            setRunning(A::zunoRAM);
        const QString entry = c.installed ? install(A::zunoRAM) : QString();
        if (c.blocked)
            blockCommandsFolder();
        const auto result = resultOf(bus->execute(c.kind, A::zunoCam, A::zunoRAM, c.pid, "name", std::nullopt,
            c.launchIfNeeded, c.bringToFront, { extra }, 10));
        EXPECT_EQ(result, c.result) << result.summary.toStdString() << " / " << result.stderr.toStdString();
        if (!c.blocked) {
            EXPECT_EQ(commandFiles(), c.files);
        }
        EXPECT_EQ(notificationsSince(), c.notifications);
        EXPECT_EQ(workspace->activated, c.activated);
        if (c.openedWithActivates) {
            ASSERT_EQ(workspace->opened.size(), 1u);
            EXPECT_EQ(workspace->opened[0], std::make_pair(entry, *c.openedWithActivates));
        } else {
            EXPECT_TRUE(workspace->opened.empty());
        }
    }
}

TEST_F(ZunoSuiteCommandBusTest, SendHandsOnOrSaysItCouldNot)
{
    // Send searches tools without extra folders: ~/.local/bin is the test home's.
    const QString marker = home.filePath("ran");
    writeTool(home.filePath(".local/bin/zunoram-cli"), "echo \"$@\" > '" + QFile::encodeName(marker) + "'");
    struct Case {
        const char *name;
        K kind;
        A to;
        std::optional<std::int32_t> pid;
        bool running;
        bool installed;
        bool blocked;
        bool expected;
        int files;
    };
    const Case cases[] = {
        { "PID 1", K::ramOpenDiskLab, A::zunoRAM, 1, true, true, false, false, 0 },
        { "window kind, running", K::ramOpenDiskLab, A::zunoRAM, std::nullopt, true, false, false, true, 1 },
        { "window kind, installed", K::ramOpenDiskLab, A::zunoRAM, std::nullopt, false, true, false, true,
            1 },
        { "window kind, neither", K::ramOpenDiskLab, A::zunoRAM, std::nullopt, false, false, false, false,
            0 },
        { "window kind, folder blocked", K::ramOpenDiskLab, A::zunoRAM, std::nullopt, true, true, true, false,
            0 },
        { "headless, running, no tool", K::vpnConnect, A::zunoVPN, std::nullopt, true, false, false, true,
            1 },
        { "headless, not running, no tool", K::vpnConnect, A::zunoVPN, std::nullopt, false, true, false,
            false, 0 },
        // The tool of the kind's application runs, whatever the target: ZunoRAM's tool for ZunoKill.
        { "tool of the kind, not of the target", K::ramThawAll, A::zunoKill, std::nullopt, false, false,
            false, true, 0 },
        // The target's tool is there, but the kind needs ZunoKill's: nothing to run, and nobody to tell.
        { "tool of the target only", K::killAllFrozen, A::zunoRAM, std::nullopt, false, false, false, false,
            0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(home.filePath("suite")).removeRecursively();
        QFile::remove(marker);
        for (const A app : { A::zunoRAM, A::zunoVPN, A::zunoKill })
            QFile::remove(home.filePath("share/applications/" + bundleIdentifier(app) + ".desktop"));
        workspace->running.clear();
        if (c.running)
            setRunning(c.to);
        if (c.installed)
            install(c.to);
        if (c.blocked)
            blockCommandsFolder();
        EXPECT_EQ(bus->send(c.kind, A::zunoCam, c.to, c.pid), c.expected);
        bus->waitForBackgroundRuns();
        if (!c.blocked) {
            EXPECT_EQ(commandFiles(), c.files);
        }
        if (c.kind == K::ramThawAll) {
            QFile ran(marker);
            ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
            EXPECT_EQ(ran.readAll().trimmed(), "thaw --all --json");
        }
    }
}

TEST_F(ZunoSuiteCommandBusTest, DestroyingTheBusStopsALongToolRun)
{
    const QString extra = home.filePath("tools");
    const QString started = home.filePath("started");
    writeTool(extra + "/zunokill-cli",
        "touch '" + QFile::encodeName(started) + "'\ntrap '' TERM\nexec /usr/bin/sleep 30");
    auto future = bus->execute(K::killAllFrozen, A::zunoCam, A::zunoKill, std::nullopt, std::nullopt,
        std::nullopt, true, true, { extra }, 60);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(started); }, kWait));
    QElapsedTimer timer;
    timer.start();
    bus.reset();
    // Asked to stop, killed 2 s later: far from the tool's 30 s and the 60 s limit.
    EXPECT_LT(timer.elapsed(), 15000);
    EXPECT_TRUE(future.isFinished());
}

// ---- Other processes: this test binary started again in a role, on the parent's private bus.

namespace {

const char *const kRole = "ZUNO_SUITE_CHILD_ROLE";

void printFlushed(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::unique_ptr<QProcess> startChild(
    const QString &role, const QString &base, const QString &busAddress, int count = 0, int writer = 0)
{
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kRole, role);
    environment.insert("ZUNO_SUITE_CHILD_BASE", base);
    environment.insert("ZUNO_SUITE_CHILD_BUS", busAddress);
    environment.insert("ZUNO_SUITE_CHILD_COUNT", QString::number(count));
    environment.insert("ZUNO_SUITE_CHILD_WRITER", QString::number(writer));
    child->setProcessEnvironment(environment);
    child->setProcessChannelMode(QProcess::SeparateChannels);
    child->start(
        QCoreApplication::applicationFilePath(), { "--gtest_filter=ZunoSuiteCommandBusChildRole.Role" });
    return child;
}

// Payloads printed by a child, one per line; its gtest output is left out.
QStringList payloadLines(const QByteArray &output)
{
    QStringList lines;
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith("payload "))
            lines << QString::fromUtf8(line.mid(8));
    }
    return lines;
}

} // namespace

TEST(ZunoSuiteCommandBusChildRole, Role)
{
    const QString role = qEnvironmentVariable(kRole);
    if (role.isEmpty())
        GTEST_SKIP() << "runs only as a child of the multi-process bus tests";
    const QString base = qEnvironmentVariable("ZUNO_SUITE_CHILD_BASE");
    const int count = qEnvironmentVariableIntValue("ZUNO_SUITE_CHILD_COUNT");
    ZunoDistributedNotificationCenter center(
        QDBusConnection::connectToBus(qEnvironmentVariable("ZUNO_SUITE_CHILD_BUS"), "child"));
    ZunoSuiteCommandBus bus(base, std::make_shared<FakeSuiteWorkspace>(), &center);
    if (role == "listen") {
        int received = 0;
        bus.startListening(A::zunoRAM, [&](const ZunoSuiteCommandEnvelope &envelope) {
            printFlushed("payload " + envelope.payload.value_or(QString()).toUtf8());
            ++received;
        });
        printFlushed("ready");
        EXPECT_TRUE(QTest::qWaitFor([&] { return received >= count; }, kWait));
    } else if (role == "enqueue") {
        const QString writer = qEnvironmentVariable("ZUNO_SUITE_CHILD_WRITER");
        for (int n = 0; n < count; ++n) {
            ZunoSuiteCommandEnvelope envelope;
            envelope.id = QUuid::createUuid();
            envelope.timestamp = QDateTime::currentDateTimeUtc();
            envelope.sourceApp = A::zunoCam;
            envelope.targetApp = A::zunoRAM;
            envelope.kind = K::ramToggleHUD;
            envelope.payload = writer + ":" + QString::number(n);
            ASSERT_TRUE(bus.enqueue(envelope));
        }
    } else if (role == "drain") {
        // Until the parent says the writers are done and nothing is left.
        const QString stop = base + "/stop";
        for (;;) {
            const bool stopping = QFile::exists(stop);
            const auto envelope
                = bus.consumePendingCommand(A::zunoRAM, QDateTime::currentDateTimeUtc(), 3600);
            if (envelope)
                printFlushed("payload " + envelope->payload.value_or(QString()).toUtf8());
            else if (stopping)
                break;
        }
    }
    QDBusConnection::disconnectFromBus("child");
}

TEST_F(ZunoSuiteCommandBusTest, AnotherProcessListensAndGetsWhatIsSent)
{
    const auto child = startChild("listen", home.filePath("suite"), privateBus.address, 2);
    ASSERT_TRUE(child->waitForStarted(kWait));
    QByteArray output;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            output += child->readAllStandardOutput();
            return output.contains("ready\n");
        },
        kWait));
    setRunning(A::zunoRAM);
    ASSERT_TRUE(bus->send(K::ramOpenDiskLab, A::zunoCam, A::zunoRAM, std::nullopt, std::nullopt, "first"));
    ASSERT_TRUE(bus->send(K::ramToggleHUD, A::zunoCam, A::zunoRAM, std::nullopt, std::nullopt, "second"));
    ASSERT_TRUE(child->waitForFinished(kWait));
    EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
    output += child->readAllStandardOutput();
    EXPECT_EQ(payloadLines(output), QStringList({ "first", "second" }));
}

TEST_F(ZunoSuiteCommandBusTest, ConcurrentWritersAndConsumersLoseAndRepeatNothing)
{
    constexpr int kPerWriter = 300;
    const QString base = home.filePath("suite");
    const auto writerA = startChild("enqueue", base, privateBus.address, kPerWriter, 0);
    const auto writerB = startChild("enqueue", base, privateBus.address, kPerWriter, 1);
    const auto drainer = startChild("drain", base, privateBus.address);
    QStringList ours;
    const auto drainOnce = [&] {
        while (const auto envelope
            = bus->consumePendingCommand(A::zunoRAM, QDateTime::currentDateTimeUtc(), 3600))
            ours << envelope->payload.value_or(QString());
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            drainOnce();
            return writerA->state() == QProcess::NotRunning && writerB->state() == QProcess::NotRunning;
        },
        60000));
    EXPECT_EQ(writerA->exitCode(), 0);
    EXPECT_EQ(writerB->exitCode(), 0);
    drainOnce();
    writeFile(base + "/stop", "", false);
    ASSERT_TRUE(drainer->waitForFinished(60000));
    const QStringList theirs = payloadLines(drainer->readAllStandardOutput());
    // Between the two consumers, every command exactly once.
    QStringList all = ours + theirs;
    EXPECT_EQ(all.size(), 2 * kPerWriter);
    all.removeDuplicates();
    EXPECT_EQ(all.size(), 2 * kPerWriter);
    for (int writer = 0; writer < 2; ++writer) {
        for (int n = 0; n < kPerWriter; ++n)
            EXPECT_TRUE(all.contains(QString("%1:%2").arg(writer).arg(n))) << writer << ":" << n;
    }
}
