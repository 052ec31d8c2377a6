#pragma once

#include "ZunoScreenRect.h"

#include <QDateTime>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// The task planner's status ("zunotask-live.json"). Lenient: only `timestamp` and `senderPID` are
// required; a missing or null key takes its default, and the decoder clamps as the constructor does.
// A key of the wrong JSON type (or a frame missing a key) still fails.
struct ZunoTaskLiveStatus {
    // The counts and planned minutes at least 0, `dailyCapacityMinutes` at least 30,
    // `nextBestTaskMinutes` at least 5.
    ZunoTaskLiveStatus(QDateTime timestamp, qint32 senderPID, qint64 openTodayCount,
        qint64 completedTodayCount, qint64 overdueCount, qint64 inProgressCount, qint64 plannedMinutesToday,
        qint64 dailyCapacityMinutes, std::optional<QString> nextBestTaskID,
        std::optional<QString> nextBestTaskTitle, qint64 nextBestTaskMinutes,
        std::optional<ZunoScreenRect> miniPanelFrame, std::optional<ZunoScreenRect> studioWindowFrame,
        bool isFocusDockedInside);

    QDateTime timestamp;
    qint32 senderPID;
    qint64 openTodayCount;
    qint64 completedTodayCount;
    qint64 overdueCount;
    qint64 inProgressCount;
    qint64 plannedMinutesToday;
    qint64 dailyCapacityMinutes;
    std::optional<QString> nextBestTaskID;
    std::optional<QString> nextBestTaskTitle;
    qint64 nextBestTaskMinutes;
    std::optional<ZunoScreenRect> miniPanelFrame;
    std::optional<ZunoScreenRect> studioWindowFrame;
    bool isFocusDockedInside;

    bool operator==(const ZunoTaskLiveStatus &) const = default;

    bool isFresh(const QDateTime &now, double maxAgeSeconds) const;

    nlohmann::json toJson() const;
    static ZunoTaskLiveStatus fromJson(const nlohmann::json &json);
};
