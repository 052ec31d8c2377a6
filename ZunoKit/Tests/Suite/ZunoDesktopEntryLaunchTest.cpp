// Starting a sibling from its desktop entry for real: a start counts only once the program runs, so
// a command for a sibling whose program cannot be executed is reported undelivered and leaves no file.
#include "SuiteTestFiles.h"
#include "ZunoDesktopEntryCommand.h"
#include "ZunoDesktopSuiteWorkspace.h"
#include "ZunoDistributedNotificationCenter.h"
#include "ZunoPrivateBus.h"
#include "ZunoSuiteCommandBus.h"
#include "ZunoTestHome.h"
#include "ZunoText.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

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

TEST(ZunoDesktopEntryLaunch, ACommandCountsAsDispatchedOnlyWhenTheProgramStarted)
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

    // Programs that exist and are executable, so the entry is accepted, but whose exec fails.
    const QString plain = home.filePath("bin/plain-text");
    writeFile(plain, "not a program\n");
    writeFile(home.filePath("bin/missing-interpreter"), "#!/nonexistent/interp\n", true);
    writeFile(home.filePath("bin/unexecutable-interpreter"), "#!" + QFile::encodeName(plain) + "\n", true);
    const QString marker = home.filePath("started");
    writeFile(home.filePath("bin/no-interpreter-line"), "touch '" + QFile::encodeName(marker) + "'\n", true);

    struct Case {
        const char *name;
        QString exec;
        bool starts;
        QByteArray moreKeys = {};
    };
    const std::vector<Case> cases {
        { "interpreter missing", home.filePath("bin/missing-interpreter"), false },
        { "interpreter not executable", home.filePath("bin/unexecutable-interpreter"), false },
        // It ran: whatever it then does is the sibling's own business.
        { "working folder missing", "/bin/sh -c \"touch '" + marker + "'\"", false, "Path=/nonexistent\n" },
        { "started, then exited 1", "/bin/sh -c \"touch '" + marker + "'; exit 1\"", true },
        { "a script without a #! line runs in the shell", home.filePath("bin/no-interpreter-line"), true },
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
        ASSERT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, kWait));
        const ZunoSuiteCommandResult result = future.result();
        if (test.starts) {
            EXPECT_TRUE(result.succeeded);
            EXPECT_EQ(result.transport, ZunoSuiteCommandTransport::guiLaunch());
            EXPECT_EQ(result.summary,
                zunoText("Dispatched mailCompose to ZunoMail.", "ZunoMail uygulamasına iletildi."));
            EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, kWait));
            // Left for the sibling to read when it comes up.
            EXPECT_EQ(commandFiles().size(), 1);
        } else {
            EXPECT_FALSE(result.succeeded);
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_EQ(result.stderr, "ZunoMail is not installed or unavailable.");
            EXPECT_EQ(result.summary, zunoText("ZunoMail is not installed.", "ZunoMail kurulu değil."));
            EXPECT_EQ(commandFiles(), QStringList());
        }
        QFile::remove(marker);
        EXPECT_EQ(bus.send(ZunoSuiteCommandKind::mailCompose, ZunoSuiteApp::zunoCam, ZunoSuiteApp::zunoMail,
                      std::nullopt, std::nullopt, std::nullopt, true, false),
            test.starts);
        EXPECT_EQ(commandFiles().size(), test.starts ? 2 : 0);
        // Done before the next case looks for its own start.
        if (test.starts) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, kWait));
        }
    }
}
