#pragma once

#include <QDateTime>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// The focus timer's status ("zunofocus-live.json"). Lenient: only `timestamp` and `senderPID` are
// required; a missing or null key takes its default, and the decoder clamps as the constructor does.
// A key of the wrong JSON type still fails.
struct ZunoFocusLiveStatus {
    // The counts at least 0, `totalSeconds` at least 1, `focusScorePercent` within 0...100,
    // `todayProductiveSeconds` at least 0 (a NaN becomes 0).
    ZunoFocusLiveStatus(QDateTime timestamp, qint32 senderPID, bool isRunning, bool isBreak,
        QString sessionModeRaw, qint64 remainingSeconds, qint64 totalSeconds, QString currentIntention,
        std::optional<QString> activeTaskID, std::optional<QString> activeTaskTitle,
        std::optional<QString> activeProjectName, bool isShieldActive, qint64 lockedAppsCount,
        qint64 blockedDomainsCount, bool isStrictMode, bool isAmbientPlaying, qint64 focusScorePercent,
        qint64 completedSessionsToday, qint64 currentStreakDays, double todayProductiveSeconds,
        bool isDockedInsideZunoTask);

    QDateTime timestamp;
    qint32 senderPID;
    bool isRunning;
    bool isBreak;
    QString sessionModeRaw;
    qint64 remainingSeconds;
    qint64 totalSeconds;
    QString currentIntention;
    std::optional<QString> activeTaskID;
    std::optional<QString> activeTaskTitle;
    std::optional<QString> activeProjectName;
    bool isShieldActive;
    qint64 lockedAppsCount;
    qint64 blockedDomainsCount;
    bool isStrictMode;
    bool isAmbientPlaying;
    qint64 focusScorePercent;
    qint64 completedSessionsToday;
    qint64 currentStreakDays;
    double todayProductiveSeconds;
    bool isDockedInsideZunoTask;

    bool operator==(const ZunoFocusLiveStatus &) const = default;

    // 1 − remaining / max(1, total), within 0...1.
    double progress() const;

    bool isFresh(const QDateTime &now, double maxAgeSeconds) const;

    nlohmann::json toJson() const;
    static ZunoFocusLiveStatus fromJson(const nlohmann::json &json);
};
