// The registry's fixed tables, and installed, running and launch as the workspace reports them.
#include "ZunoSuiteApp.h"
#include "FakeSuiteWorkspace.h"
#include "ZunoDesktopSuiteWorkspace.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoTestHome.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace {

using App = ZunoSuiteApp;

void touch(const QString &path)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

ZunoRunningApplication onBus(const QString &name)
{
    return { name, std::nullopt, 0 };
}

ZunoRunningApplication process(const QString &name, qint64 pid = 4242)
{
    return { std::nullopt, name, pid };
}

} // namespace

TEST(ZunoSuiteApp, FiftyRowsWithKillAndRAMFirst)
{
    const auto &all = ZunoSuiteApps::allCases();
    ASSERT_EQ(all.size(), 50u);
    EXPECT_EQ(all[0], App::zunoKill);
    EXPECT_EQ(all[1], App::zunoRAM);
    QSet<QString> raws, bundles;
    for (const App app : all) {
        const QString raw = rawValue(app);
        SCOPED_TRACE(raw.toStdString());
        EXPECT_TRUE(raw.startsWith(QLatin1String("Zuno")));
        EXPECT_EQ(ZunoSuiteApps::fromRawValue(raw), app);
        EXPECT_EQ(id(app), raw);
        EXPECT_EQ(bundleIdentifier(app), QStringLiteral("com.quarnwell.") + raw.toLower());
        raws.insert(raw);
        bundles.insert(bundleIdentifier(app));
        // Every icon the registry names is one the symbol table can draw.
        EXPECT_TRUE(ZunoSymbolRegistry::contains(symbolName(app))) << symbolName(app).toStdString();
        EXPECT_FALSE(ZunoSymbolRegistry::svgPath(symbolName(app)).isEmpty());
        const nlohmann::json coded = app;
        EXPECT_EQ(coded, raw.toStdString());
        EXPECT_EQ(coded.get<App>(), app);
    }
    EXPECT_EQ(raws.size(), 50);
    EXPECT_EQ(bundles.size(), 50);
}

TEST(ZunoSuiteApp, RawValuesKeepTheWordsCapitals)
{
    const std::pair<App, const char *> rows[] = {
        { App::zunoKill, "ZunoKill" },
        { App::zunoRAM, "ZunoRAM" },
        { App::zunoDNS, "ZunoDNS" },
        { App::zunoDB, "ZunoDB" },
        { App::zunoVM, "ZunoVM" },
        { App::zunoVPN, "ZunoVPN" },
        { App::zunoAgentBrowser, "ZunoAgentBrowser" },
        { App::zunoCam, "ZunoCam" },
        { App::zunoDownloader, "ZunoDownloader" },
    };
    for (const auto &[app, raw] : rows)
        EXPECT_EQ(rawValue(app), QLatin1String(raw));
    EXPECT_EQ(bundleIdentifier(App::zunoRAM), QLatin1String("com.quarnwell.zunoram"));
    EXPECT_EQ(symbolName(App::zunoRAM), QLatin1String("memorychip.fill"));
    EXPECT_EQ(symbolName(App::zunoCam), QLatin1String("camera.aperture"));
}

TEST(ZunoSuiteApp, ToolNamesInSearchOrder)
{
    EXPECT_EQ(cliBinaryNames(App::zunoVM), QStringList({ "zunovm", "zunovm-cli" }));
    EXPECT_EQ(cliBinaryNames(App::zunoDownloader),
        QStringList({ "zunodl", "zunodownloader-cli", "zunodownloader" }));
    EXPECT_EQ(cliBinaryNames(App::zunoRAM), QStringList({ "zunoram-cli", "zunoram" }));
    EXPECT_EQ(
        cliBinaryNames(App::zunoAgentBrowser), QStringList({ "zunoagentbrowser-cli", "zunoagentbrowser" }));
}

TEST(ZunoSuiteApp, UnknownOrWrongCaseRawValuesAreRefused)
{
    for (const char *raw :
        { "", "zunoram", "ZUNORAM", "ZunoRam", "zunoRAM", "ZunoRAM ", "ZunoBrowser", "Zuno" }) {
        SCOPED_TRACE(raw);
        EXPECT_FALSE(ZunoSuiteApps::fromRawValue(QString::fromLatin1(raw)));
        EXPECT_THROW(nlohmann::json(raw).get<App>(), nlohmann::json::exception);
    }
    EXPECT_THROW(nlohmann::json(7).get<App>(), nlohmann::json::exception);
}

TEST(ZunoSuiteApp, InstalledIsTheFirstXdgApplicationsFolderHoldingTheEntry)
{
    ZunoTestHome home;
    ScopedSuiteWorkspace desktop(std::make_shared<ZunoDesktopSuiteWorkspace>(QDBusConnection(QString())));
    const QString user = home.filePath(".local/share/applications/com.quarnwell.zunoram.desktop");
    const QString system = home.filePath("system-b/applications/com.quarnwell.zunoram.desktop");
    ZunoScopedEnvironment dirs("XDG_DATA_DIRS",
        QFile::encodeName(home.filePath("system-a") + ":relative/share:" + home.filePath("system-b")));
    touch(system);
    EXPECT_EQ(installedURL(App::zunoRAM), system);
    touch(user);
    EXPECT_EQ(installedURL(App::zunoRAM), user);
    EXPECT_TRUE(isInstalled(App::zunoRAM));

    // Anywhere else, or under another name, it is not installed.
    touch(home.filePath("Applications/ZunoKill.app/Contents/Info.plist"));
    touch(home.filePath("com.quarnwell.zunokill.desktop"));
    touch(home.filePath("relative/share/applications/com.quarnwell.zunokill.desktop"));
    touch(home.filePath(".local/share/applications/ZunoKill.desktop"));
    EXPECT_FALSE(installedURL(App::zunoKill));
    EXPECT_FALSE(isInstalled(App::zunoKill));
}

TEST(ZunoSuiteApp, UnsetOrEmptyDataDirsMeanTheSystemDefaults)
{
    ZunoTestHome home;
    ZunoDesktopSuiteWorkspace desktop { QDBusConnection(QString()) };
    const QStringList expected = { home.filePath(".local/share/applications"),
        "/usr/local/share/applications", "/usr/share/applications" };
    ZunoScopedEnvironment dirs;
    dirs.set("XDG_DATA_DIRS", QByteArray());
    EXPECT_EQ(desktop.applicationFolders(), expected);
    dirs.set("XDG_DATA_DIRS", "");
    EXPECT_EQ(desktop.applicationFolders(), expected);
    dirs.set("XDG_DATA_DIRS", "/opt/a/:/opt/b");
    EXPECT_EQ(desktop.applicationFolders(),
        QStringList(
            { home.filePath(".local/share/applications"), "/opt/a/applications", "/opt/b/applications" }));
}

TEST(ZunoSuiteApp, RunningIsTheFirstMatchingBusNameOrProcess)
{
    struct Case {
        const char *name;
        std::vector<ZunoRunningApplication> running;
        bool expected;
    };
    const Case cases[] = {
        { "nothing runs", {}, false },
        { "bus name as owned", { onBus("com.quarnwell.ZunoRAM") }, true },
        { "bus name in other capitals", { onBus("COM.Quarnwell.zunoram") }, true },
        { "other bus names", { onBus("org.freedesktop.Notifications"), onBus("com.quarnwell.ZunoRAMX") },
            false },
        { "process with the raw value", { process("ZunoRAM") }, true },
        { "process in other capitals", { process("zunoRam") }, true },
        { "process exactly a tool name", { process("zunoram") }, false },
        { "the -cli tool", { process("zunoram-cli") }, false },
        { "tool, then the application", { process("zunoram", 10), process("ZUNORAM", 11) }, true },
        { "a similar name", { process("ZunoRAM2"), process("ram") }, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto workspace = std::make_shared<FakeSuiteWorkspace>();
        workspace->running = c.running;
        ScopedSuiteWorkspace scoped(workspace);
        EXPECT_EQ(isRunning(App::zunoRAM), c.expected);
    }
}

TEST(ZunoSuiteApp, LaunchActivatesOrOpensOrAnswersFalse)
{
    ZunoTestHome home;
    const QString folder = home.filePath("applications");
    const QString entry = folder + "/com.quarnwell.zunoram.desktop";
    struct Case {
        const char *name;
        std::vector<ZunoRunningApplication> running;
        bool installed;
        bool openSucceeds;
        bool expected;
        QStringList activated;
        std::vector<std::pair<QString, bool>> opened;
    };
    const Case cases[] = {
        { "running on the bus", { onBus("com.quarnwell.zunoRAM") }, true, true, true,
            { "com.quarnwell.zunoRAM" }, {} },
        { "running, not installed", { onBus("com.quarnwell.ZunoRAM") }, false, true, true,
            { "com.quarnwell.ZunoRAM" }, {} },
        // Found only as a process: nothing can bring it forward, it is not started twice, and the
        // caller hears that no window came.
        { "running as a process", { process("ZunoRAM") }, true, true, false, {}, {} },
        { "installed only", {}, true, true, true, {}, { { entry, true } } },
        { "installed, start refused", {}, true, false, false, {}, { { entry, true } } },
        { "neither", { process("zunoram") }, false, true, false, {}, {} },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(entry);
        if (c.installed)
            touch(entry);
        auto workspace = std::make_shared<FakeSuiteWorkspace>();
        workspace->running = c.running;
        workspace->folders = { home.filePath("empty"), folder };
        workspace->openSucceeds = c.openSucceeds;
        ScopedSuiteWorkspace scoped(workspace);
        EXPECT_EQ(launch(App::zunoRAM), c.expected);
        EXPECT_EQ(workspace->activated, c.activated);
        EXPECT_EQ(workspace->opened, c.opened);
    }
}
