#pragma once

#include "ZunoSuiteCommandExecutionStyle.h"

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <optional>

// What one suite application may ask of another. A case name is the performing sibling's word in
// lower case followed by the action; the raw value is the case name itself.
enum class ZunoSuiteCommandKind {
    ramSmartOffload,
    ramBalancedOffload,
    ramThawAll,
    ramFreezePID,
    ramOpenDiskLab,
    ramOpenAppFreezer,
    ramToggleHUD,
    killAllFrozen,
    killOpenCrosshair,
    killToggleQuickHUD,
    killProcessTree,
    killInspectPID,
    killOpenAnalytics24h,
    killOpenStartup,
    killOpenPorts,
    pulseToggleHUD,
    pulseOpenMemoryDisk,
    pulseOpenThermalsPower,
    pulseStartThermalBenchmark,
    voltToggleTopUp,
    voiceToggleDictation,
    torNewIdentity,
    torToggleConnection,
    proxyToggleCapture,
    notchToggleExpanded,
    manImportRequest,
    playOpenMediaURL,
    beamOpenSFTPHost,
    dnsToggleShield,
    dnsSwitchProfile,
    flowRunWorkflow,
    findQuickSearch,
    readSaveURL,
    waveOpenAudioFile,
    canvasNewBoard,
    designToggleRuler,
    musicTogglePlayPause,
    musicNextTrack,
    musicPreviousTrack,
    musicSetVolume,
    linkConnectDevice,
    mixerToggleAppMute,
    mixerMuteAllActive,
    mixerUnmuteAll,
    mindAskPrompt,
    mindIndexFolder,
    mindToggleQuickBar,
    mailCompose,
    mailSyncNow,
    mailOpenUnread,
    dbOpenConnection,
    dbRunQuery,
    dbOpenSQLiteFile,
    serveStartAll,
    serveStopAll,
    serveOpenSite,
    serveParkFolder,
    serveToggleTLS,
    passLockVault,
    passUnlockVault,
    passQuickSearch,
    passCopyTOTP,
    passInjectEnv,
    containerRefresh,
    containerStartAll,
    containerStopAll,
    containerOpenLogs,
    containerPruneDangling,
    gitOpenRepo,
    gitRefresh,
    gitOpenWorktrees,
    gitGenerateAICommit,
    diskRefreshDrives,
    diskEjectAllExternal,
    diskInspectLocks,
    diskOpenFlasher,
    diskOpenBenchmark,
    sheetOpenFile,
    sheetRunSQL,
    sheetOpenDemo,
    wallToggleLockdown,
    wallSetMode,
    wallSwitchProfile,
    wallBlockProcess,
    wallOpenAudit,
    wallSimulateAlert,
    vmRefresh,
    vmStartMachine,
    vmStopMachine,
    vmCreateSnapshot,
    vmLaunchBurner,
    photoOpenImage,
    photoQuickUpscale,
    photoRemoveBackground,
    photoOpenBatch,
    phoneScanDevices,
    phoneStartBackup,
    phoneExportMessages,
    phoneOpenFiles,
    rescueScanSnapshots,
    rescueStartCarve,
    rescueOpenRepair,
    rescueOpenDiskImage,
    vpnConnect,
    vpnDisconnect,
    vpnToggle,
    vpnSwitchTopology,
    vpnNewTorIdentity,
    vpnToggleKillSwitch,
    vpnImportURI,
    finderOpenPath,
    finderRevealPath,
    finderOpenDualPane,
    finderOpenDiff,
    finderOpenBatchRename,
    finderToggleShelf,
    backupRunAll,
    backupRunPlan,
    backupOpenTimeTravel,
    backupOpenVerify,
    backupBindVolume,
    focusStartTaskSession,
    focusOpenMiniHUD,
    focusTogglePause,
    focusStopSession,
    focusAddFiveMinutes,
    focusCompleteSession,
    focusToggleHUD,
    focusToggleShield,
    focusToggleAmbient,
    focusUndockFromTask,
    focusSyncProjectRules,
    taskOpenQuickCapture,
    taskOpenMiniCompanion,
    taskDockFocusHUD,
    taskSelectTask,
    taskCompleteTask,
    taskRefreshFromFocus,
    taskOpenToday
};

namespace ZunoSuiteCommandKinds {

inline constexpr int kCount = 139;

// Every case in declaration order.
const std::array<ZunoSuiteCommandKind, kCount> &allCases();

// Exact, case-sensitive raw value; anything else is none.
std::optional<ZunoSuiteCommandKind> fromRawValue(const QString &raw);

} // namespace ZunoSuiteCommandKinds

QString rawValue(ZunoSuiteCommandKind kind);
// Fixed per kind: 14 overlay or mini windows, 50 open a window, the other 75 run in the background.
ZunoSuiteCommandExecutionStyle executionStyle(ZunoSuiteCommandKind kind);
bool isHeadlessFeature(ZunoSuiteCommandKind kind);

// Coded as the raw value; decoding anything else throws.
void to_json(nlohmann::json &j, ZunoSuiteCommandKind kind);
void from_json(const nlohmann::json &j, ZunoSuiteCommandKind &kind);
