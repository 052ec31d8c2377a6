// Starting a sibling from its desktop entry for real: a start counts only once the program came up (took
// its command, or still runs after the grace), so a command for a sibling whose program cannot be
// executed, or ends at once, is reported undelivered in words and leaves no file.
#include "SuiteTestFiles.h"
#include "ZunoDesktopEntryCommand.h"
#include "ZunoDesktopSuiteWorkspace.h"
#include "ZunoDistributedNotificationCenter.h"
#include "ZunoPrivateBus.h"
#include "ZunoSuiteCommandBus.h"
#include "ZunoTestHome.h"
#include "ZunoText.h"
#include "ZunoWaitUntil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr int kWait = 20000;

} // namespace

TEST(ZunoDesktopEntryCommand, ExpandsTheFieldCodesOfAStartWithoutFiles)
{
    struct Case {
        const char *name;
        QString exec;
        std::optional<ZunoDesktopEntryCommand> expected;
    };
    const QString entry = QStringLiteral("/apps/mail.desktop");
    const std::vector<Case> cases {
        { "file and URL codes go", "zunomail %U --new %f",
            ZunoDesktopEntryCommand { "zunomail", { "--new" } } },
        { "quoted program, name, entry and icon", "\"/opt/zuno mail/run\" --class=%c %k %i",
            ZunoDesktopEntryCommand {
                "/opt/zuno mail/run", { "--class=Zuno Mail", entry, "--icon", "mail" } } },
        { "a literal percent stays, deprecated codes go", "run --level=100%% %d %m",
            ZunoDesktopEntryCommand { "run", { "--level=100%" } } },
        { "unbalanced quote", "run \"--open", std::nullopt },
        { "no program", "%F", std::nullopt },
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(ZunoDesktopEntryCommand::parse(
                      test.exec, QStringLiteral("Zuno Mail"), QStringLiteral("mail"), entry),
            test.expected);
    }
}

TEST(ZunoDesktopEntryLaunch, ACommandCountsAsDispatchedOnlyWhenTheProgramCameUp)
{
    ZunoTestHome home;
    ZunoPrivateBus privateBus;
    if (privateBus.address.isEmpty())
        GTEST_SKIP() << "cannot start a private D-Bus session bus";
    auto desktop
        = std::make_shared<ZunoDesktopSuiteWorkspace>(privateBus.connect(QStringLiteral("workspace")));
    ZunoDistributedNotificationCenter center(privateBus.connect(QStringLiteral("sender")));
    ZunoSuiteCommandBus bus(home.filePath("suite"), desktop, &center);
    const QString entry
        = desktop->applicationFolders().front() + QStringLiteral("/com.quarnwell.zunomail.desktop");
    const auto commandFiles = [&] { return QDir(bus.commandsDirectory()).entryList(QDir::Files); };

    const QString plain = home.filePath("bin/plain-text");
    writeFile(plain, "not a program\n");
    writeFile(home.filePath("bin/missing-interpreter"), "#!/nonexistent/interp\n", true);
    writeFile(home.filePath("bin/unexecutable-interpreter"), "#!" + QFile::encodeName(plain) + "\n", true);
    const QString marker = home.filePath("started");
    const QByteArray touch = "touch '" + QFile::encodeName(marker) + "'\n";
    writeFile(home.filePath("bin/exits-1"), "#!/bin/sh\n" + touch + "exit 1\n", true);
    writeFile(home.filePath("bin/killed"), "#!/bin/sh\n" + touch + "kill -KILL $$\n", true);
    const QString pidFile = home.filePath("stays-up.pid");
    writeFile(home.filePath("bin/stays-up"),
        "#!/bin/sh\necho $$ >> '" + QFile::encodeName(pidFile) + "'\n" + touch + "exec sleep 60\n", true);
    // It leaves its mark before it takes its command: once the command is taken the launch counts as
    // reached, and the test looks for the mark at once.
    writeFile(home.filePath("bin/no-interpreter-line"),
        touch + "rm -f '" + QFile::encodeName(bus.commandsDirectory()) + "'/zunomail-cmd-*.json\n", true);

    struct Case {
        const char *name;
        QString exec;
        // Why it could not be started; none: it was reached.
        std::optional<QString> failure;
        // Whether its exec succeeded: only a failed one is known before `send` answers.
        bool execs;
        // Whether the test's own script ran.
        bool runs;
        // Left pending after each of execute and send.
        int files = 0;
        QByteArray moreKeys = {};
    };
    const QString bin = home.filePath("bin/");
    const std::vector<Case> cases {
        { "ends at once", "/bin/false", "/bin/false exited with status 1", true, false },
        { "interpreter missing", bin + "missing-interpreter",
            bin + "missing-interpreter (its interpreter): No such file or directory", false, false },
        { "interpreter not executable", bin + "unexecutable-interpreter",
            bin + "unexecutable-interpreter: Permission denied", false, false },
        { "program not executable", plain, plain + ": Permission denied", false, false },
        { "program missing", bin + "nowhere", bin + "nowhere: No such file or directory", false, false },
        // Its exec never happened: the folder it is to run in is not there.
        { "working folder missing", "/bin/sh -c \"touch '" + marker + "'\"",
            "/nonexistent: No such file or directory", false, false, 0, "Path=/nonexistent\n" },
        // It ran, but ended before it took its command: not reached, and the command goes with it.
        { "started, then exited 1", bin + "exits-1", bin + "exits-1 exited with status 1", true, true },
        { "started, then killed", bin + "killed", bin + "killed was killed by signal 9 (SIGKILL)", true,
            true },
        // Reached: what it does from here on is the sibling's own business.
        { "a script without a #! line runs in the shell and takes its command", bin + "no-interpreter-line",
            std::nullopt, true, true },
        { "stays up without taking its command", bin + "stays-up", std::nullopt, true, true, 1 },
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.name);
        writeFile(entry,
            "[Desktop Entry]\nType=Application\nName=ZunoMail\nExec=" + test.exec.toUtf8() + "\n"
                + test.moreKeys);
        QDir(bus.commandsDirectory()).removeRecursively();
        QFile::remove(marker);

        const QFuture<ZunoSuiteCommandResult> future
            = bus.execute(ZunoSuiteCommandKind::mailCompose, ZunoSuiteApp::zunoCam, ZunoSuiteApp::zunoMail,
                std::nullopt, std::nullopt, std::nullopt, true, false);
        ASSERT_TRUE(waitUntil([&] { return future.isFinished(); }, kWait, "the command's result"));
        const ZunoSuiteCommandResult result = future.result();
        EXPECT_EQ(result.transport, ZunoSuiteCommandTransport::guiLaunch());
        if (test.failure) {
            EXPECT_FALSE(result.succeeded);
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_EQ(result.stderr, "ZunoMail could not be started: " + *test.failure);
            EXPECT_EQ(result.summary,
                zunoText("ZunoMail could not be started: " + *test.failure + ".",
                    "ZunoMail başlatılamadı: " + *test.failure + "."));
        } else {
            EXPECT_TRUE(result.succeeded);
            EXPECT_EQ(result.exitCode, 0);
            EXPECT_EQ(result.summary,
                zunoText("Dispatched mailCompose to ZunoMail.", "ZunoMail uygulamasına iletildi."));
        }
        EXPECT_EQ(QFile::exists(marker), test.runs);
        // A command that was not delivered is taken back, so that no later start runs it unasked.
        EXPECT_EQ(commandFiles().size(), test.files);

        QDir(bus.commandsDirectory()).removeRecursively();
        QFile::remove(marker);
        // Only an exec that failed is known at once; an early end is seen after send has answered.
        EXPECT_EQ(bus.send(ZunoSuiteCommandKind::mailCompose, ZunoSuiteApp::zunoCam, ZunoSuiteApp::zunoMail,
                      std::nullopt, std::nullopt, std::nullopt, true, false),
            test.execs);
        bus.waitForBackgroundRuns();
        EXPECT_EQ(QFile::exists(marker), test.runs);
        EXPECT_EQ(commandFiles().size(), test.files);
    }
    QFile pids(pidFile);
    ASSERT_TRUE(pids.open(QIODevice::ReadOnly));
    const QList<QByteArray> stayingUp = pids.readAll().trimmed().split('\n');
    EXPECT_EQ(stayingUp.size(), 2);
    // No longer watched, it goes on alone.
    for (const QByteArray &pid : stayingUp) {
        EXPECT_TRUE(processRuns(pid.toLongLong())) << pid.constData();
        ::kill(pid.toInt(), SIGKILL);
    }
}
