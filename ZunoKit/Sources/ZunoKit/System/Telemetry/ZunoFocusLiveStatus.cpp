#include "ZunoFocusLiveStatus.h"

#include "ZunoLiveStatusSupport.h"

#include <algorithm>
#include <cmath>

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

ZunoFocusLiveStatus::ZunoFocusLiveStatus(QDateTime timestamp, qint32 senderPID, bool isRunning, bool isBreak,
    QString sessionModeRaw, qint64 remainingSeconds, qint64 totalSeconds, QString currentIntention,
    std::optional<QString> activeTaskID, std::optional<QString> activeTaskTitle,
    std::optional<QString> activeProjectName, bool isShieldActive, qint64 lockedAppsCount,
    qint64 blockedDomainsCount, bool isStrictMode, bool isAmbientPlaying, qint64 focusScorePercent,
    qint64 completedSessionsToday, qint64 currentStreakDays, double todayProductiveSeconds,
    bool isDockedInsideZunoTask)
    : timestamp(std::move(timestamp))
    , senderPID(senderPID)
    , isRunning(isRunning)
    , isBreak(isBreak)
    , sessionModeRaw(std::move(sessionModeRaw))
    , remainingSeconds(std::max<qint64>(remainingSeconds, 0))
    , totalSeconds(std::max<qint64>(totalSeconds, 1))
    , currentIntention(std::move(currentIntention))
    , activeTaskID(std::move(activeTaskID))
    , activeTaskTitle(std::move(activeTaskTitle))
    , activeProjectName(std::move(activeProjectName))
    , isShieldActive(isShieldActive)
    , lockedAppsCount(std::max<qint64>(lockedAppsCount, 0))
    , blockedDomainsCount(std::max<qint64>(blockedDomainsCount, 0))
    , isStrictMode(isStrictMode)
    , isAmbientPlaying(isAmbientPlaying)
    , focusScorePercent(std::clamp<qint64>(focusScorePercent, 0, 100))
    , completedSessionsToday(std::max<qint64>(completedSessionsToday, 0))
    , currentStreakDays(std::max<qint64>(currentStreakDays, 0))
    , todayProductiveSeconds(std::isnan(todayProductiveSeconds) ? 0.0 : atLeast(todayProductiveSeconds, 0.0))
    , isDockedInsideZunoTask(isDockedInsideZunoTask)
{
}

double ZunoFocusLiveStatus::progress() const
{
    const double total = static_cast<double>(std::max<qint64>(1, totalSeconds));
    return unitInterval(1.0 - static_cast<double>(remainingSeconds) / total);
}

bool ZunoFocusLiveStatus::isFresh(const QDateTime &now, double maxAgeSeconds) const
{
    return ZunoLiveStatusSupport::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

Json ZunoFocusLiveStatus::toJson() const
{
    Json json = Json::object();
    json["timestamp"] = dateJson(timestamp);
    write(json, "senderPID", senderPID);
    write(json, "isRunning", isRunning);
    write(json, "isBreak", isBreak);
    write(json, "sessionModeRaw", sessionModeRaw);
    write(json, "remainingSeconds", remainingSeconds);
    write(json, "totalSeconds", totalSeconds);
    write(json, "currentIntention", currentIntention);
    writeOptional(json, "activeTaskID", activeTaskID);
    writeOptional(json, "activeTaskTitle", activeTaskTitle);
    writeOptional(json, "activeProjectName", activeProjectName);
    write(json, "isShieldActive", isShieldActive);
    write(json, "lockedAppsCount", lockedAppsCount);
    write(json, "blockedDomainsCount", blockedDomainsCount);
    write(json, "isStrictMode", isStrictMode);
    write(json, "isAmbientPlaying", isAmbientPlaying);
    write(json, "focusScorePercent", focusScorePercent);
    write(json, "completedSessionsToday", completedSessionsToday);
    write(json, "currentStreakDays", currentStreakDays);
    write(json, "todayProductiveSeconds", todayProductiveSeconds);
    write(json, "isDockedInsideZunoTask", isDockedInsideZunoTask);
    return json;
}

ZunoFocusLiveStatus ZunoFocusLiveStatus::fromJson(const Json &json)
{
    object(json, "ZunoFocusLiveStatus");
    // The constructor applies the clamps to what was stored.
    return ZunoFocusLiveStatus(date(json, "timestamp"), int32(json, "senderPID"),
        orDefault(json, "isRunning", false), orDefault(json, "isBreak", false),
        orDefault(json, "sessionModeRaw", QStringLiteral("pomodoro25")),
        orDefault<qint64>(json, "remainingSeconds", 1500), orDefault<qint64>(json, "totalSeconds", 1500),
        orDefault(json, "currentIntention", QString()), readOptional<QString>(json, "activeTaskID"),
        readOptional<QString>(json, "activeTaskTitle"), readOptional<QString>(json, "activeProjectName"),
        orDefault(json, "isShieldActive", false), orDefault<qint64>(json, "lockedAppsCount", 0),
        orDefault<qint64>(json, "blockedDomainsCount", 0), orDefault(json, "isStrictMode", false),
        orDefault(json, "isAmbientPlaying", false), orDefault<qint64>(json, "focusScorePercent", 0),
        orDefault<qint64>(json, "completedSessionsToday", 0), orDefault<qint64>(json, "currentStreakDays", 0),
        orDefault(json, "todayProductiveSeconds", 0.0), orDefault(json, "isDockedInsideZunoTask", false));
}
