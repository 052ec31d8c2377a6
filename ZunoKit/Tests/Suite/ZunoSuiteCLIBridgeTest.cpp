// Finding a sibling's tool, running it under a time limit, and the summary line of what it said.
#include "ZunoSuiteCLIBridge.h"
#include "FakeSuiteWorkspace.h"
#include "SuiteTestFiles.h"
#include "ZunoDesktopSuiteWorkspace.h"
#include "ZunoDistributedNotificationCenter.h"
#include "ZunoPrivateBus.h"
#include "ZunoProcessCancellation.h"
#include "ZunoProcessError.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"
#include "ZunoText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cmath>
#include <csignal>
#include <thread>

#include <gtest/gtest.h>

namespace {

using A = ZunoSuiteApp;

ZunoSuiteCommandEnvelope envelope(ZunoSuiteCommandKind kind, A target)
{
    ZunoSuiteCommandEnvelope e;
    e.id = QUuid::createUuid();
    e.timestamp = QDateTime::currentDateTimeUtc();
    e.sourceApp = A::zunoCam;
    e.targetApp = target;
    e.kind = kind;
    return e;
}

// A temporary home without the desktop's bus, so that only the test's files are installed or found.
class ZunoSuiteCLIBridgeTest : public ::testing::Test {
protected:
    ZunoTestHome home;
    ScopedSuiteWorkspace desktop { std::make_shared<ZunoDesktopSuiteWorkspace>(QDBusConnection(QString())) };
    ZunoScopedEnvironment environment;
    QString extra = home.filePath("extra");

    void SetUp() override
    {
        environment.set("XDG_DATA_DIRS", QFile::encodeName(home.filePath("prefix/share")));
        environment.set("PATH", QFile::encodeName(home.filePath("path")) + ":/usr/bin:/bin");
    }
};

} // namespace

TEST_F(ZunoSuiteCLIBridgeTest, ToolSearchOrder)
{
    writeFile(
        home.filePath("prefix/share/applications/com.quarnwell.zunoram.desktop"), "[Desktop Entry]\n", false);
    // From last to first in search order; each step removes the winner and the next one wins.
    const QStringList order = {
        extra + "/zunoram-cli",
        extra + "/zunoram",
        home.filePath("prefix/bin/zunoram-cli"),
        home.filePath("prefix/libexec/zunoram/zunoram"),
        home.filePath("prefix/share/zunoram/bin/zunoram-cli"),
        home.filePath(".local/bin/zunoram"),
        home.filePath("path/zunoram-cli"),
    };
    for (const QString &path : order)
        writeTool(path, "exit 0");
    // Neither a folder nor a file without the execute bit counts as the tool.
    ASSERT_TRUE(QDir().mkpath(home.filePath("first/zunoram-cli")));
    writeFile(home.filePath("first/zunoram"), "#!/bin/sh\n", false);
    const QStringList extras = { home.filePath("first"), extra };
    for (const QString &expected : order) {
        EXPECT_EQ(cliExecutableURL(A::zunoRAM, extras), expected);
        ASSERT_TRUE(QFile::remove(expected));
    }
    EXPECT_FALSE(cliExecutableURL(A::zunoRAM, extras));
    EXPECT_FALSE(isCLIAvailable(A::zunoRAM));
    writeTool(home.filePath(".local/bin/zunoram-cli"), "exit 0");
    EXPECT_TRUE(isCLIAvailable(A::zunoRAM));
}

TEST_F(ZunoSuiteCLIBridgeTest, AnEntryOutsideAShareFolderGivesNoInstallationFolders)
{
    environment.set("XDG_DATA_DIRS", QFile::encodeName(home.filePath("data")));
    writeFile(home.filePath("data/applications/com.quarnwell.zunovm.desktop"), "[Desktop Entry]\n", false);
    writeTool(home.filePath("bin/zunovm"), "exit 0");
    ASSERT_TRUE(isInstalled(A::zunoVM));
    EXPECT_FALSE(cliExecutableURL(A::zunoVM));
}

TEST(ZunoSuiteCLIBridgeSummary, OneLineFromTheToolsOutput)
{
    struct Case {
        const char *name;
        QString out;
        QString err;
        int exitCode;
        QString expected;
    };
    const Case cases[] = {
        { "summary member", R"({"summary":"Thawed 3 apps","message":"m"})", "", 0, "Thawed 3 apps" },
        { "message when summary is empty", R"({"summary":"","message":"Queued"})", "", 0, "Queued" },
        { "error when the others are not strings", R"({"summary":5,"message":null,"error":"Denied"})", "x", 1,
            "Denied" },
        { "member as it stands", R"({"summary":" padded "})", "", 0, " padded " },
        { "object without a usable member", R"({"summary":"","error":[]})", "", 0,
            R"({"summary":"","error":[]})" },
        { "array on success", "[1,2,3]", "", 0, "zunoram-cli: 3 item(s)" },
        { "array on failure", "[{}, {}, {}]", "boom", 5, "zunoram-cli: 3 item(s)" },
        { "a lone JSON string is text", R"("done")", "", 0, R"("done")" },
        { "usage line on exit 2", "\n  \t\nusage: zunoram-cli <command>\nmore", "", 2,
            "usage: zunoram-cli <command>" },
        { "standard error on failure", "partial", "error: denied\nsecond", 1, "error: denied" },
        { "standard output on success", "ok", "warning", 0, "ok" },
        { "CR LF lines", " \t \r\n second line \r\n", "", 0, "second line" },
        { "U+2028 lines", QString::fromUtf16(u"\u2028first\u2028second"), "", 0, "first" },
        { "VT, FF and NEL", QString::fromUtf16(u" \u000B\u000C\u0085  x  "), "", 0, "x" },
        { "nothing on exit 0", " \n\t", "", 0, "zunoram-cli completed." },
        { "nothing on exit 5", "", "", 5, "zunoram-cli exited with code 5." },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ZunoSuiteCLIBridge::extractSummary(c.out, c.err, "zunoram-cli", c.exitCode), c.expected)
            << c.name;
    }
}

TEST_F(ZunoSuiteCLIBridgeTest, RunsATool)
{
    writeTool(extra + "/zunoram-cli",
        "case \"$1\" in\n"
        "thaw) printf '{\"summary\":\"%s\"}\\n' \"$*\" ;;\n"
        "fail) echo partial; echo ' disk full ' >&2; exit 3 ;;\n"
        "esac");
    const auto ok = ZunoSuiteCLIBridge::runRawCLI(A::zunoRAM, { "thaw", "--all" }, { extra }, 10);
    EXPECT_EQ(ok,
        (ZunoSuiteCommandResult { true, 0, R"({"summary":"thaw --all"})", "",
            ZunoSuiteCommandTransport::cli("zunoram-cli"), "thaw --all" }));
    const auto failed = ZunoSuiteCLIBridge::runRawCLI(A::zunoRAM, { "fail" }, { extra }, 10);
    EXPECT_EQ(failed,
        (ZunoSuiteCommandResult {
            false, 3, "partial", "disk full", ZunoSuiteCommandTransport::cli("zunoram-cli"), "disk full" }));

    // The envelope's invocation picks the tool by kind, whatever the target.
    const auto viaEnvelope
        = ZunoSuiteCLIBridge::runCLI(envelope(ZunoSuiteCommandKind::ramThawAll, A::zunoCam), { extra }, 10);
    ASSERT_TRUE(viaEnvelope);
    EXPECT_EQ(viaEnvelope->summary, "thaw --all --json");
    // No invocation, or no tool: none, so that the bus can try its other route.
    EXPECT_FALSE(
        ZunoSuiteCLIBridge::runCLI(envelope(ZunoSuiteCommandKind::vpnConnect, A::zunoVPN), { extra }, 10));
    EXPECT_FALSE(ZunoSuiteCLIBridge::runCLI(
        envelope(ZunoSuiteCommandKind::killAllFrozen, A::zunoKill), { extra }, 10));
}

TEST_F(ZunoSuiteCLIBridgeTest, ToolThatIsMissingOrCannotStart)
{
    const auto missing = ZunoSuiteCLIBridge::runRawCLI(A::zunoPulse, { "x" }, { extra }, 10);
    EXPECT_EQ(missing,
        (ZunoSuiteCommandResult { false, 127, "", "ZunoPulse CLI binary not found.",
            ZunoSuiteCommandTransport::unavailable(),
            zunoText("ZunoPulse CLI is not installed.", "ZunoPulse CLI aracı kurulu değil.") }));

    // Executable by its mode, but not a program the system can start.
    writeFile(extra + "/zunopulse", "not a program\n", true);
    const auto broken = ZunoSuiteCLIBridge::runRawCLI(A::zunoPulse, {}, { extra }, 10);
    EXPECT_FALSE(broken.succeeded);
    EXPECT_EQ(broken.exitCode, -1);
    EXPECT_TRUE(broken.stdout.isEmpty());
    EXPECT_FALSE(broken.stderr.isEmpty());
    EXPECT_EQ(broken.summary, broken.stderr);
    EXPECT_EQ(broken.transport, ZunoSuiteCommandTransport::cli("zunopulse"));
}

TEST_F(ZunoSuiteCLIBridgeTest, TheTimeLimitStopsAToolAndKillsOneThatIgnoresIt)
{
    const QString cancelled = ZunoProcessError::cancelled().localizedDescription();
    writeTool(extra + "/zunotask-cli", "exec /usr/bin/sleep 30");
    writeTool(extra + "/zunofocus-cli", "trap '' TERM\nexec /usr/bin/sleep 30");
    struct Case {
        A app;
        double limit;
        qint64 atLeastMs;
    };
    // A limit below one second waits one second; a tool deaf to the request is killed 2 s later.
    for (const Case &c : { Case { A::zunoTask, 0, 900 }, Case { A::zunoTask, -3, 900 },
             Case { A::zunoTask, std::nan(""), 900 }, Case { A::zunoFocus, 0.2, 2900 } }) {
        SCOPED_TRACE(rawValue(c.app).toStdString() + " " + std::to_string(c.limit));
        QElapsedTimer timer;
        timer.start();
        const auto result = ZunoSuiteCLIBridge::runRawCLI(c.app, {}, { extra }, c.limit);
        EXPECT_GE(timer.elapsed(), c.atLeastMs);
        // Well before the tool's own 30 s.
        EXPECT_LT(timer.elapsed(), 25000);
        EXPECT_FALSE(result.succeeded);
        EXPECT_EQ(result.exitCode, -1);
        EXPECT_EQ(result.stderr, cancelled);
        EXPECT_EQ(result.summary, cancelled);
    }
}

namespace {

// Whether a process lives (a zombie that no one reaps has ended).
bool isLive(long pid)
{
    QFile stat("/proc/" + QString::number(pid) + "/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const QByteArray state = line.mid(line.lastIndexOf(')') + 2, 1);
    return state != "Z" && state != "X";
}

long readPid(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLong() : 0;
}

} // namespace

TEST_F(ZunoSuiteCLIBridgeTest, AStoppedToolEndsWithEverythingItStarted)
{
    // A wrapper that ignores SIGTERM and starts a worker that ignores it too and outlives it.
    const QByteArray worker = QFile::encodeName(home.filePath("worker"));
    writeTool(extra + "/zunotask-cli",
        "/bin/sh -c 'echo $$ > " + worker + ".tmp; mv " + worker + ".tmp " + worker
            + "; trap \"\" TERM; while :; do /usr/bin/sleep 0.1; done' &\n"
            + "trap '' TERM\nwhile :; do /usr/bin/sleep 0.1; done");
    const QString cancelled = ZunoProcessError::cancelled().localizedDescription();
    struct Case {
        const char *name;
        double limit; // above a second: stopped by its caller before the limit
    };
    for (const Case &c : { Case { "stopped", 30 }, Case { "timed out", 0.5 } }) {
        SCOPED_TRACE(c.name);
        QFile::remove(worker);
        const auto cancellation = std::make_shared<ZunoProcessCancellation>();
        std::thread stopper;
        if (c.limit > 1) {
            stopper = std::thread([&] {
                for (int i = 0; i < 400 && !QFile::exists(worker); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(25));
                cancellation->cancel();
            });
        }
        const auto result = ZunoSuiteCLIBridge::runRawCLI(A::zunoTask, {}, { extra }, c.limit, cancellation);
        if (stopper.joinable())
            stopper.join();
        EXPECT_EQ(result.summary, cancelled);
        const long workerPid = readPid(worker);
        ASSERT_GT(workerPid, 1);
        // Reported only once the worker is gone too.
        EXPECT_FALSE(isLive(workerPid));
        if (isLive(workerPid))
            ::kill(workerPid, SIGKILL);
    }
}

TEST(ZunoSuiteCLIBridgeDataChanged, IsPostedUnderTheApplicationsName)
{
    EXPECT_EQ(ZunoSuiteCLIBridge::dataChangedNotificationName(A::zunoDownloader),
        "com.quarnwell.suite.datachanged.zunodownloader");
    ZunoPrivateBus bus;
    if (bus.address.isEmpty())
        GTEST_SKIP() << "cannot start a private D-Bus session bus";
    ZunoDistributedNotificationCenter poster(bus.connect("poster"));
    ZunoDistributedNotificationCenter listener(bus.connect("listener"));
    std::vector<std::pair<QString, QString>> received;
    listener.addObserver("com.quarnwell.suite.datachanged.zunoram",
        [&](const QString &name, const QString &object) { received.emplace_back(name, object); });
    EXPECT_TRUE(ZunoSuiteCLIBridge::postDataChanged(A::zunoRAM, &poster));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, 20000));
    EXPECT_EQ(
        received.front(), std::make_pair(QString("com.quarnwell.suite.datachanged.zunoram"), QString()));
}
