#pragma once

#include <QString>
#include <QStringList>

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <optional>

class ZunoSuiteWorkspace;

// The fixed registry of the suite's applications that the command and telemetry buses address.
// It keeps no state: installed and running are looked up through `ZunoSuiteWorkspace::shared()` at
// the moment of the call. A separate list from `ZunoAppIdentity` (the emblems' list).
enum class ZunoSuiteApp {
    zunoKill,
    zunoRAM,
    zunoPulse,
    zunoVolt,
    zunoVoice,
    zunoTor,
    zunoProxy,
    zunoNotch,
    zunoMan,
    zunoPlay,
    zunoBeam,
    zunoDNS,
    zunoFlow,
    zunoFind,
    zunoRead,
    zunoWave,
    zunoCanvas,
    zunoDesign,
    zunoMusic,
    zunoLink,
    zunoMixer,
    zunoMind,
    zunoMail,
    zunoDB,
    zunoServe,
    zunoPass,
    zunoContainer,
    zunoGit,
    zunoDisk,
    zunoSheet,
    zunoWall,
    zunoVM,
    zunoPhoto,
    zunoPhone,
    zunoRescue,
    zunoVPN,
    zunoFinder,
    zunoBackup,
    zunoFocus,
    zunoTask,
    zunoCam,
    zunoDownloader,
    zunoStudio,
    zunoAgentBrowser,
    zunoNote,
    zunoCalendar,
    zunoClip,
    zunoTranslate,
    zunoClean,
    zunoShell
};

namespace ZunoSuiteApps {

inline constexpr int kCount = 50;

// Every case in declaration order.
const std::array<ZunoSuiteApp, kCount> &allCases();

// Exact, case-sensitive raw value ("ZunoRAM"); anything else is none.
std::optional<ZunoSuiteApp> fromRawValue(const QString &raw);

} // namespace ZunoSuiteApps

// "Zuno" and the word with its own capitals: "ZunoKill", "ZunoRAM", "ZunoAgentBrowser".
QString rawValue(ZunoSuiteApp app);
inline QString id(ZunoSuiteApp app)
{
    return rawValue(app);
}
// "com.quarnwell." and the raw value lower-cased.
QString bundleIdentifier(ZunoSuiteApp app);
// A name of `ZunoSymbolRegistry`.
QString symbolName(ZunoSuiteApp app);
// The file names of the application's command-line tool, in search order.
QStringList cliBinaryNames(ZunoSuiteApp app);

// The installed desktop entry "<bundleIdentifier>.desktop": the first of the workspace's application
// folders that holds one (a plain existence test). None when no folder does.
std::optional<QString> installedURL(ZunoSuiteApp app);
bool isInstalled(ZunoSuiteApp app);

// Whether the workspace lists the application as running: the first entry that matches decides. A
// bus name matches when it equals the bundle identifier ignoring case; a process matches when its
// executable name equals the raw value ignoring case, unless the name is exactly one of the
// application's tool names (that process is its command-line tool, not the application).
bool isRunning(ZunoSuiteApp app);

// Whether the workspace lists the application's bus name (its bundle identifier, ignoring case): it came
// far enough to be reached over the bus, which a process of its name alone does not say.
bool isOnSessionBus(ZunoSuiteApp app, ZunoSuiteWorkspace &workspace);

// Brings a running application forward and answers true (only one found on the bus can be asked to:
// one found only as a process answers false); otherwise starts its installed desktop entry, true once
// that was requested; false when it is neither running nor installed. Main thread.
bool launch(ZunoSuiteApp app);

// The same three, asking a given workspace instead of the shared one.
std::optional<QString> installedURL(ZunoSuiteApp app, ZunoSuiteWorkspace &workspace);
bool isRunning(ZunoSuiteApp app, ZunoSuiteWorkspace &workspace);
bool launch(ZunoSuiteApp app, ZunoSuiteWorkspace &workspace);

// Coded as the raw value; decoding anything else throws.
void to_json(nlohmann::json &j, ZunoSuiteApp app);
void from_json(const nlohmann::json &j, ZunoSuiteApp &app);
