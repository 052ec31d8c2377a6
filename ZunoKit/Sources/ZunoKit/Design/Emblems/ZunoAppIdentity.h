#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <optional>

// The suite's applications, in a fixed order that the emblem groups follow: productivity (0-30),
// media (31-48; zunoCam is 33, zunoStudio 34) and system and network (49-81; zunoAgentBrowser is 56).
// A raw value is the case name lower-cased, letters and digits only.
enum class ZunoAppIdentity {
    zunoFocus,
    zunoTask,
    zunoFlow,
    zunoFind,
    zunoRead,
    zunoMind,
    zunoSheet,
    zunoNote,
    zunoMail,
    zunoCalendar,
    zunoDocs,
    zunoWrite,
    zunoSlide,
    zunoClip,
    zunoType,
    zunoTranslate,
    zunoPDF,
    zunoScan,
    zunoBoard,
    zunoHabit,
    zunoTime,
    zunoBudget,
    zunoInvoice,
    zunoContact,
    zunoLearn,
    zunoCode,
    zunoShelf,
    zunoDraw,
    zunoMark,
    zunoSnip,
    zunoList,
    zunoPhoto,
    zunoMusic,
    zunoCam,
    zunoStudio,
    zunoMixer,
    zunoDownloader,
    zunoVideo,
    zunoPodcast,
    zunoRadio,
    zunoCast,
    zunoFrame,
    zunoWall,
    zunoGIF,
    zunoVoice,
    zunoSubtitle,
    zunoPlayer,
    zunoReel,
    zunoTune,
    zunoKill,
    zunoRAM,
    zunoVolt,
    zunoTor,
    zunoDNS,
    zunoDB,
    zunoServe,
    zunoAgentBrowser,
    zunoContainer,
    zunoGit,
    zunoDisk,
    zunoVM,
    zunoPhone,
    zunoRescue,
    zunoVPN,
    zunoBackup,
    zunoPulse,
    zunoClean,
    zunoFirewall,
    zunoPort,
    zunoShell,
    zunoSync,
    zunoVault,
    zunoWiFi,
    zunoTemp,
    zunoFan,
    zunoUpdate,
    zunoLog,
    quarnwell,
    dezevevezu,
    atlas,
    beacon,
    harbor
};

namespace ZunoAppIdentities {

inline constexpr int kCount = 82;
inline constexpr ZunoAppIdentity zunoBrowser = ZunoAppIdentity::zunoAgentBrowser;

// Every case in declaration order.
const std::array<ZunoAppIdentity, kCount> &allCases();

// Exact, case-sensitive raw value only.
std::optional<ZunoAppIdentity> fromRawValue(const QString &raw);

// Any name (bundle identifier, display, bundle or process name) to a case, or none.
std::optional<ZunoAppIdentity> resolve(const QString &name);

// The running application, re-read on every call.
std::optional<ZunoAppIdentity> current();

// The case name as declared ("zunoCam"), for routines named after it.
QString caseName(ZunoAppIdentity app);

} // namespace ZunoAppIdentities

QString rawValue(ZunoAppIdentity app);
inline QString id(ZunoAppIdentity app)
{
    return rawValue(app);
}
constexpr int indexOf(ZunoAppIdentity app)
{
    return static_cast<int>(app);
}

// Coded as the raw value; decoding an unknown raw value throws.
void to_json(nlohmann::json &j, ZunoAppIdentity app);
void from_json(const nlohmann::json &j, ZunoAppIdentity &app);
