// The argument vector of every mapped background kind, and the kinds and values that have none.
#include "ZunoSuiteCLIBridge.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

using K = ZunoSuiteCommandKind;
using A = ZunoSuiteApp;

struct Row {
    const char *name;
    K kind;
    std::optional<std::int32_t> pid;
    std::optional<QString> targetName;
    std::optional<QString> payload;
    // None: no invocation.
    std::optional<std::pair<A, QStringList>> expected;
};

std::optional<std::pair<A, QStringList>> runs(A app, QStringList arguments)
{
    return std::make_pair(app, std::move(arguments));
}

const auto none = std::nullopt;

ZunoSuiteCommandEnvelope envelopeOf(const Row &row)
{
    ZunoSuiteCommandEnvelope envelope;
    envelope.id = QUuid::createUuid();
    envelope.timestamp = QDateTime::currentDateTimeUtc();
    // The tool comes from the kind's row, never from the envelope's applications.
    envelope.sourceApp = A::zunoCam;
    envelope.targetApp = A::zunoShell;
    envelope.kind = row.kind;
    envelope.targetPID = row.pid;
    envelope.targetName = row.targetName;
    envelope.payload = row.payload;
    return envelope;
}

const Row kRows[] = {
    // clang-format off
    { "ramSmartOffload", K::ramSmartOffload, none, none, none, runs(A::zunoRAM, { "offload", "--mode", "gentle", "--json" }) },
    { "ramBalancedOffload", K::ramBalancedOffload, none, none, none, runs(A::zunoRAM, { "offload", "--mode", "balanced", "--json" }) },
    { "ramThawAll", K::ramThawAll, none, none, none, runs(A::zunoRAM, { "thaw", "--all", "--json" }) },
    { "ramFreezePID with a name", K::ramFreezePID, 4242, "backupd", none, runs(A::zunoRAM, { "freeze", "4242", "--json", "--name", "backupd" }) },
    { "ramFreezePID without a name", K::ramFreezePID, 2, "  ", none, runs(A::zunoRAM, { "freeze", "2", "--json" }) },
    { "ramFreezePID with PID 1", K::ramFreezePID, 1, "launchd", none, none },
    { "ramFreezePID without PID", K::ramFreezePID, none, "backupd", none, none },
    { "killAllFrozen", K::killAllFrozen, none, none, none, runs(A::zunoKill, { "kill-frozen", "--json" }) },
    { "killProcessTree by PID", K::killProcessTree, 77, "node", "x", runs(A::zunoKill, { "kill-tree", "77", "--json" }) },
    { "killProcessTree PID 0 by name", K::killProcessTree, 0, "node", none, runs(A::zunoKill, { "kill-tree", "node", "--json" }) },
    { "killProcessTree by payload", K::killProcessTree, none, none, "node", runs(A::zunoKill, { "kill-tree", "node", "--json" }) },
    { "killProcessTree nothing", K::killProcessTree, -5, none, none, none },
    { "voltToggleTopUp ON with spaces", K::voltToggleTopUp, none, none, "  ON \n", runs(A::zunoVolt, { "topup", "on", "--json" }) },
    { "torNewIdentity", K::torNewIdentity, none, none, none, runs(A::zunoTor, { "newnym", "--json" }) },
    { "dnsToggleShield Disabled", K::dnsToggleShield, none, none, "Disabled", runs(A::zunoDNS, { "shield", "off", "--json" }) },
    { "dnsToggleShield yes", K::dnsToggleShield, none, none, "yes", runs(A::zunoDNS, { "shield", "toggle", "--json" }) },
    { "dnsToggleShield no payload", K::dnsToggleShield, none, none, none, runs(A::zunoDNS, { "shield", "toggle", "--json" }) },
    { "dnsSwitchProfile", K::dnsSwitchProfile, none, "home", "work", runs(A::zunoDNS, { "profile", "work", "--json" }) },
    { "dnsSwitchProfile neither", K::dnsSwitchProfile, none, " ", "\t", none },
    { "flowRunWorkflow by name", K::flowRunWorkflow, none, "nightly", "p", runs(A::zunoFlow, { "run", "nightly", "--json" }) },
    { "flowRunWorkflow neither", K::flowRunWorkflow, none, none, none, runs(A::zunoFlow, { "run", "--json" }) },
    { "findQuickSearch", K::findQuickSearch, none, "n", "invoice 2025", runs(A::zunoFind, { "search", "invoice 2025", "--limit", "25", "--json" }) },
    { "findQuickSearch neither", K::findQuickSearch, none, none, none, none },
    { "readSaveURL with title", K::readSaveURL, none, "Docs", "https://example.org/a", runs(A::zunoRead, { "save", "https://example.org/a", "--json", "--title", "Docs" }) },
    { "readSaveURL clipboard", K::readSaveURL, none, "Docs", none, runs(A::zunoRead, { "save", "--clipboard", "--json" }) },
    { "mindAskPrompt", K::mindAskPrompt, none, none, "why?", runs(A::zunoMind, { "ask", "why?", "--json" }) },
    { "mindAskPrompt without payload", K::mindAskPrompt, none, "why?", none, none },
    { "mindIndexFolder", K::mindIndexFolder, none, none, "/home/u/notes", runs(A::zunoMind, { "index", "/home/u/notes", "--json" }) },
    { "dbRunQuery by JSON", K::dbRunQuery, none, none, R"({"path": "/tmp/a.db", "sql": "select 1"})", runs(A::zunoDB, { "query", "/tmp/a.db", "select 1", "--json" }) },
    { "dbRunQuery by ::", K::dbRunQuery, none, none, "/tmp/a.db :: select 1", runs(A::zunoDB, { "query", "/tmp/a.db", "select 1", "--json" }) },
    { "dbRunQuery by target name", K::dbRunQuery, none, "/tmp/a.db", "select 1", runs(A::zunoDB, { "query", "/tmp/a.db", "select 1", "--json" }) },
    { "dbRunQuery file and query members", K::dbRunQuery, none, none, R"({"file": " /tmp/b.db ", "query": "select 2"})", runs(A::zunoDB, { "query", "/tmp/b.db", "select 2", "--json" }) },
    { "dbRunQuery path-only JSON with a name", K::dbRunQuery, none, "/tmp/c.db", R"({"path": "/tmp/a.db"})", runs(A::zunoDB, { "query", "/tmp/c.db", R"({"path": "/tmp/a.db"})", "--json" }) },
    { "dbRunQuery path-only JSON alone", K::dbRunQuery, none, none, R"({"path": "/tmp/a.db"})", none },
    { "dbRunQuery empty side of ::", K::dbRunQuery, none, none, " :: select 1", none },
    { "serveParkFolder", K::serveParkFolder, none, none, "/srv/site", runs(A::zunoServe, { "park", "/srv/site" }) },
    { "serveParkFolder without payload", K::serveParkFolder, none, "/srv/site", none, none },
    { "serveToggleTLS", K::serveToggleTLS, none, none, "shop.test", runs(A::zunoServe, { "secure", "shop.test" }) },
    { "serveToggleTLS without payload", K::serveToggleTLS, none, none, none, runs(A::zunoServe, { "secure", "all" }) },
    { "containerRefresh", K::containerRefresh, none, none, none, runs(A::zunoContainer, { "status", "--json" }) },
    { "containerStartAll", K::containerStartAll, none, none, none, runs(A::zunoContainer, { "start-all", "--json" }) },
    { "containerStopAll", K::containerStopAll, none, none, none, runs(A::zunoContainer, { "stop-all", "--json" }) },
    { "containerPruneDangling", K::containerPruneDangling, none, none, none, runs(A::zunoContainer, { "prune", "--json" }) },
    { "gitRefresh", K::gitRefresh, none, "repo", none, runs(A::zunoGit, { "refresh", "repo", "--json" }) },
    { "gitGenerateAICommit neither", K::gitGenerateAICommit, none, none, none, runs(A::zunoGit, { "ai-commit", "--json" }) },
    { "diskRefreshDrives", K::diskRefreshDrives, none, none, none, runs(A::zunoDisk, { "list", "--json" }) },
    { "diskEjectAllExternal", K::diskEjectAllExternal, none, none, none, runs(A::zunoDisk, { "eject-all", "--json" }) },
    { "sheetRunSQL", K::sheetRunSQL, none, none, "a.csv::select *", runs(A::zunoSheet, { "sql", "a.csv", "select *", "--json" }) },
    { "wallToggleLockdown 1", K::wallToggleLockdown, none, none, "1", runs(A::zunoWall, { "lockdown", "on", "--json" }) },
    { "wallSetMode", K::wallSetMode, none, "strict", none, runs(A::zunoWall, { "mode", "strict", "--json" }) },
    { "wallSwitchProfile", K::wallSwitchProfile, none, none, "cafe", runs(A::zunoWall, { "profile", "cafe", "--json" }) },
    { "wallBlockProcess", K::wallBlockProcess, none, "curl", "wget", runs(A::zunoWall, { "block", "curl", "--json" }) },
    { "vmRefresh", K::vmRefresh, none, none, none, runs(A::zunoVM, { "list", "--json" }) },
    { "vmStartMachine", K::vmStartMachine, none, none, "debian", runs(A::zunoVM, { "start", "debian", "--headless" }) },
    { "vmStopMachine", K::vmStopMachine, none, "debian", none, runs(A::zunoVM, { "stop", "debian" }) },
    { "vmCreateSnapshot name and payload", K::vmCreateSnapshot, none, "debian", "before-upgrade", runs(A::zunoVM, { "snapshot", "debian", "before-upgrade" }) },
    { "vmCreateSnapshot payload only", K::vmCreateSnapshot, none, none, "debian", runs(A::zunoVM, { "snapshot", "debian" }) },
    { "vmCreateSnapshot neither", K::vmCreateSnapshot, none, none, none, none },
    { "photoQuickUpscale", K::photoQuickUpscale, none, none, "/p/a.png", runs(A::zunoPhoto, { "upscale", "/p/a.png", "--scale", "2", "--json" }) },
    { "photoRemoveBackground", K::photoRemoveBackground, none, "/p/b.png", none, runs(A::zunoPhoto, { "remove-bg", "/p/b.png", "--json" }) },
    { "phoneScanDevices", K::phoneScanDevices, none, none, none, runs(A::zunoPhone, { "scan", "--json" }) },
    { "phoneStartBackup", K::phoneStartBackup, none, "pixel", none, runs(A::zunoPhone, { "backup", "pixel", "--json" }) },
    { "phoneExportMessages neither", K::phoneExportMessages, none, none, none, runs(A::zunoPhone, { "export-messages", "--json" }) },
    { "rescueScanSnapshots", K::rescueScanSnapshots, none, none, "/home", runs(A::zunoRescue, { "snapshots", "/home", "--json" }) },
    { "rescueScanSnapshots without payload", K::rescueScanSnapshots, none, "/data", none, runs(A::zunoRescue, { "snapshots", "/", "--json" }) },
    { "vpnSwitchTopology", K::vpnSwitchTopology, none, none, "mesh", runs(A::zunoVPN, { "mode", "mesh", "--json" }) },
    { "vpnToggleKillSwitch FALSE", K::vpnToggleKillSwitch, none, none, "FALSE", runs(A::zunoVPN, { "killswitch", "off", "--json" }) },
    { "vpnImportURI", K::vpnImportURI, none, none, "wg://peer", runs(A::zunoVPN, { "import", "wg://peer", "--json" }) },
    { "backupRunAll", K::backupRunAll, none, "plan", "x", runs(A::zunoBackup, { "run", "--all" }) },
    { "backupRunPlan", K::backupRunPlan, none, "nightly", none, runs(A::zunoBackup, { "run", "nightly" }) },
    { "backupRunPlan neither", K::backupRunPlan, none, none, none, runs(A::zunoBackup, { "run", "--all" }) },
    { "focusToggleShield enable", K::focusToggleShield, none, none, "enable", runs(A::zunoFocus, { "shield", "on", "--json" }) },
    { "focusSyncProjectRules", K::focusSyncProjectRules, none, none, none, runs(A::zunoFocus, { "sync-rules", "--json" }) },
    { "taskCompleteTask", K::taskCompleteTask, none, none, "T-12", runs(A::zunoTask, { "done", "T-12" }) },
    { "taskRefreshFromFocus", K::taskRefreshFromFocus, none, none, none, runs(A::zunoTask, { "status", "--json" }) },
    // Values that the tool would read as options, or that a NUL would cut short, refuse the invocation.
    { "option-like payload", K::serveToggleTLS, none, none, "--all", none },
    { "option-like search", K::findQuickSearch, none, none, "--limit", none },
    { "dash payload after trimming", K::mindAskPrompt, none, none, "  -x", none },
    { "option-like name", K::ramFreezePID, 4242, "-v", none, none },
    { "option-like path by ::", K::dbRunQuery, none, none, "-x :: select 1", none },
    { "option-like statement by JSON", K::sheetRunSQL, none, none, R"({"path": "a.csv", "sql": "--drop"})", none },
    { "NUL in payload", K::vmStartMachine, none, none, QString::fromUtf16(u"deb\u0000ian", 7), none },
    { "unused option-like payload", K::flowRunWorkflow, none, "nightly", "--all", runs(A::zunoFlow, { "run", "nightly", "--json" }) },
    { "dash inside a value", K::photoRemoveBackground, none, none, "a-b.png", runs(A::zunoPhoto, { "remove-bg", "a-b.png", "--json" }) },
    // clang-format on
};

} // namespace

TEST(ZunoSuiteCLIInvocation, EveryMappedKindAndItsEdgeCases)
{
    for (const Row &row : kRows) {
        SCOPED_TRACE(row.name);
        const auto invocation = ZunoSuiteCLIBridge::invocation(envelopeOf(row));
        ASSERT_EQ(invocation.has_value(), row.expected.has_value());
        if (!invocation)
            continue;
        EXPECT_EQ(invocation->targetApp, row.expected->first);
        EXPECT_EQ(invocation->arguments, row.expected->second)
            << invocation->arguments.join(' ').toStdString();
    }
}

TEST(ZunoSuiteCLIInvocation, FiftyHeadlessKindsAreMappedAndNoOthers)
{
    QSet<K> mapped;
    for (const Row &row : kRows) {
        if (row.expected)
            mapped.insert(row.kind);
    }
    EXPECT_EQ(mapped.size(), 50);
    int unmapped = 0;
    int unmappedHeadless = 0;
    for (const K kind : ZunoSuiteCommandKinds::allCases()) {
        if (mapped.contains(kind)) {
            EXPECT_TRUE(isHeadlessFeature(kind)) << rawValue(kind).toStdString();
            continue;
        }
        ++unmapped;
        unmappedHeadless += isHeadlessFeature(kind);
        // Every value a row could want is given: the kind itself has no command line.
        const Row row { "unmapped", kind, 4242, "name", "payload", none };
        EXPECT_FALSE(ZunoSuiteCLIBridge::invocation(envelopeOf(row))) << rawValue(kind).toStdString();
    }
    EXPECT_EQ(unmapped, 89);
    EXPECT_EQ(unmappedHeadless, 25);
}
