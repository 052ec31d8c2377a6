#include "ZunoSuiteCommandKind.h"

#include <QHash>

#include <nlohmann/json.hpp>

namespace {

using K = ZunoSuiteCommandKind;

// In declaration order.
constexpr const char *kRawValues[ZunoSuiteCommandKinds::kCount] = {
    "ramSmartOffload",
    "ramBalancedOffload",
    "ramThawAll",
    "ramFreezePID",
    "ramOpenDiskLab",
    "ramOpenAppFreezer",
    "ramToggleHUD",
    "killAllFrozen",
    "killOpenCrosshair",
    "killToggleQuickHUD",
    "killProcessTree",
    "killInspectPID",
    "killOpenAnalytics24h",
    "killOpenStartup",
    "killOpenPorts",
    "pulseToggleHUD",
    "pulseOpenMemoryDisk",
    "pulseOpenThermalsPower",
    "pulseStartThermalBenchmark",
    "voltToggleTopUp",
    "voiceToggleDictation",
    "torNewIdentity",
    "torToggleConnection",
    "proxyToggleCapture",
    "notchToggleExpanded",
    "manImportRequest",
    "playOpenMediaURL",
    "beamOpenSFTPHost",
    "dnsToggleShield",
    "dnsSwitchProfile",
    "flowRunWorkflow",
    "findQuickSearch",
    "readSaveURL",
    "waveOpenAudioFile",
    "canvasNewBoard",
    "designToggleRuler",
    "musicTogglePlayPause",
    "musicNextTrack",
    "musicPreviousTrack",
    "musicSetVolume",
    "linkConnectDevice",
    "mixerToggleAppMute",
    "mixerMuteAllActive",
    "mixerUnmuteAll",
    "mindAskPrompt",
    "mindIndexFolder",
    "mindToggleQuickBar",
    "mailCompose",
    "mailSyncNow",
    "mailOpenUnread",
    "dbOpenConnection",
    "dbRunQuery",
    "dbOpenSQLiteFile",
    "serveStartAll",
    "serveStopAll",
    "serveOpenSite",
    "serveParkFolder",
    "serveToggleTLS",
    "passLockVault",
    "passUnlockVault",
    "passQuickSearch",
    "passCopyTOTP",
    "passInjectEnv",
    "containerRefresh",
    "containerStartAll",
    "containerStopAll",
    "containerOpenLogs",
    "containerPruneDangling",
    "gitOpenRepo",
    "gitRefresh",
    "gitOpenWorktrees",
    "gitGenerateAICommit",
    "diskRefreshDrives",
    "diskEjectAllExternal",
    "diskInspectLocks",
    "diskOpenFlasher",
    "diskOpenBenchmark",
    "sheetOpenFile",
    "sheetRunSQL",
    "sheetOpenDemo",
    "wallToggleLockdown",
    "wallSetMode",
    "wallSwitchProfile",
    "wallBlockProcess",
    "wallOpenAudit",
    "wallSimulateAlert",
    "vmRefresh",
    "vmStartMachine",
    "vmStopMachine",
    "vmCreateSnapshot",
    "vmLaunchBurner",
    "photoOpenImage",
    "photoQuickUpscale",
    "photoRemoveBackground",
    "photoOpenBatch",
    "phoneScanDevices",
    "phoneStartBackup",
    "phoneExportMessages",
    "phoneOpenFiles",
    "rescueScanSnapshots",
    "rescueStartCarve",
    "rescueOpenRepair",
    "rescueOpenDiskImage",
    "vpnConnect",
    "vpnDisconnect",
    "vpnToggle",
    "vpnSwitchTopology",
    "vpnNewTorIdentity",
    "vpnToggleKillSwitch",
    "vpnImportURI",
    "finderOpenPath",
    "finderRevealPath",
    "finderOpenDualPane",
    "finderOpenDiff",
    "finderOpenBatchRename",
    "finderToggleShelf",
    "backupRunAll",
    "backupRunPlan",
    "backupOpenTimeTravel",
    "backupOpenVerify",
    "backupBindVolume",
    "focusStartTaskSession",
    "focusOpenMiniHUD",
    "focusTogglePause",
    "focusStopSession",
    "focusAddFiveMinutes",
    "focusCompleteSession",
    "focusToggleHUD",
    "focusToggleShield",
    "focusToggleAmbient",
    "focusUndockFromTask",
    "focusSyncProjectRules",
    "taskOpenQuickCapture",
    "taskOpenMiniCompanion",
    "taskDockFocusHUD",
    "taskSelectTask",
    "taskCompleteTask",
    "taskRefreshFromFocus",
    "taskOpenToday",
};

constexpr K kOverlayOrMiniUI[] = {
    K::ramToggleHUD,
    K::killOpenCrosshair,
    K::killToggleQuickHUD,
    K::pulseToggleHUD,
    K::voiceToggleDictation,
    K::notchToggleExpanded,
    K::designToggleRuler,
    K::mindToggleQuickBar,
    K::finderToggleShelf,
    K::focusStartTaskSession,
    K::focusOpenMiniHUD,
    K::focusToggleHUD,
    K::taskOpenMiniCompanion,
    K::taskDockFocusHUD,
};

constexpr K kOpenUI[] = {
    K::ramOpenDiskLab,
    K::ramOpenAppFreezer,
    K::killInspectPID,
    K::killOpenAnalytics24h,
    K::killOpenStartup,
    K::killOpenPorts,
    K::pulseOpenMemoryDisk,
    K::pulseOpenThermalsPower,
    K::pulseStartThermalBenchmark,
    K::manImportRequest,
    K::playOpenMediaURL,
    K::beamOpenSFTPHost,
    K::waveOpenAudioFile,
    K::canvasNewBoard,
    K::linkConnectDevice,
    K::mailCompose,
    K::mailOpenUnread,
    K::dbOpenConnection,
    K::dbOpenSQLiteFile,
    K::serveOpenSite,
    K::passUnlockVault,
    K::passQuickSearch,
    K::containerOpenLogs,
    K::gitOpenRepo,
    K::gitOpenWorktrees,
    K::diskInspectLocks,
    K::diskOpenFlasher,
    K::diskOpenBenchmark,
    K::sheetOpenFile,
    K::sheetOpenDemo,
    K::wallOpenAudit,
    K::wallSimulateAlert,
    K::vmLaunchBurner,
    K::photoOpenImage,
    K::photoOpenBatch,
    K::phoneOpenFiles,
    K::rescueStartCarve,
    K::rescueOpenRepair,
    K::rescueOpenDiskImage,
    K::finderOpenPath,
    K::finderRevealPath,
    K::finderOpenDualPane,
    K::finderOpenDiff,
    K::finderOpenBatchRename,
    K::backupOpenTimeTravel,
    K::backupOpenVerify,
    K::backupBindVolume,
    K::taskOpenQuickCapture,
    K::taskSelectTask,
    K::taskOpenToday,
};

const QHash<QString, ZunoSuiteCommandKind> &rawValueTable()
{
    static const QHash<QString, ZunoSuiteCommandKind> table = [] {
        QHash<QString, ZunoSuiteCommandKind> t;
        for (int i = 0; i < ZunoSuiteCommandKinds::kCount; ++i)
            t.insert(QString::fromLatin1(kRawValues[i]), static_cast<ZunoSuiteCommandKind>(i));
        return t;
    }();
    return table;
}

const std::array<ZunoSuiteCommandExecutionStyle, ZunoSuiteCommandKinds::kCount> &styleTable()
{
    static const auto table = [] {
        std::array<ZunoSuiteCommandExecutionStyle, ZunoSuiteCommandKinds::kCount> t;
        t.fill(ZunoSuiteCommandExecutionStyle::headlessFeature);
        for (const K kind : kOverlayOrMiniUI)
            t[static_cast<int>(kind)] = ZunoSuiteCommandExecutionStyle::overlayOrMiniUI;
        for (const K kind : kOpenUI)
            t[static_cast<int>(kind)] = ZunoSuiteCommandExecutionStyle::openUI;
        return t;
    }();
    return table;
}

} // namespace

namespace ZunoSuiteCommandKinds {

const std::array<ZunoSuiteCommandKind, kCount> &allCases()
{
    static const auto cases = [] {
        std::array<ZunoSuiteCommandKind, kCount> all {};
        for (int i = 0; i < kCount; ++i)
            all[i] = static_cast<ZunoSuiteCommandKind>(i);
        return all;
    }();
    return cases;
}

std::optional<ZunoSuiteCommandKind> fromRawValue(const QString &raw)
{
    const auto &table = rawValueTable();
    const auto it = table.constFind(raw);
    if (it == table.cend())
        return std::nullopt;
    return *it;
}

} // namespace ZunoSuiteCommandKinds

QString rawValue(ZunoSuiteCommandKind kind)
{
    return QString::fromLatin1(kRawValues[static_cast<int>(kind)]);
}

ZunoSuiteCommandExecutionStyle executionStyle(ZunoSuiteCommandKind kind)
{
    return styleTable()[static_cast<int>(kind)];
}

bool isHeadlessFeature(ZunoSuiteCommandKind kind)
{
    return executionStyle(kind) == ZunoSuiteCommandExecutionStyle::headlessFeature;
}

void to_json(nlohmann::json &j, ZunoSuiteCommandKind kind)
{
    j = rawValue(kind).toStdString();
}

void from_json(const nlohmann::json &j, ZunoSuiteCommandKind &kind)
{
    const auto found = ZunoSuiteCommandKinds::fromRawValue(QString::fromStdString(j.get<std::string>()));
    if (!found)
        throw nlohmann::json::other_error::create(501, "unknown ZunoSuiteCommandKind raw value", &j);
    kind = *found;
}
