#include "ZunoTaskLiveStatus.h"

#include "ZunoLiveStatusSupport.h"

#include <algorithm>

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

namespace {

std::optional<ZunoScreenRect> frame(const Json &json, const char *key)
{
    const Json *value = optional(json, key);
    if (!value)
        return std::nullopt;
    try {
        return ZunoScreenRect::fromJson(*value);
    } catch (const ZunoDecodingError &error) {
        throw ZunoDecodingError(std::string(key) + "." + error.what());
    }
}

} // namespace

ZunoTaskLiveStatus::ZunoTaskLiveStatus(QDateTime timestamp, qint32 senderPID, qint64 openTodayCount,
    qint64 completedTodayCount, qint64 overdueCount, qint64 inProgressCount, qint64 plannedMinutesToday,
    qint64 dailyCapacityMinutes, std::optional<QString> nextBestTaskID,
    std::optional<QString> nextBestTaskTitle, qint64 nextBestTaskMinutes,
    std::optional<ZunoScreenRect> miniPanelFrame, std::optional<ZunoScreenRect> studioWindowFrame,
    bool isFocusDockedInside)
    : timestamp(std::move(timestamp))
    , senderPID(senderPID)
    , openTodayCount(std::max<qint64>(openTodayCount, 0))
    , completedTodayCount(std::max<qint64>(completedTodayCount, 0))
    , overdueCount(std::max<qint64>(overdueCount, 0))
    , inProgressCount(std::max<qint64>(inProgressCount, 0))
    , plannedMinutesToday(std::max<qint64>(plannedMinutesToday, 0))
    , dailyCapacityMinutes(std::max<qint64>(dailyCapacityMinutes, 30))
    , nextBestTaskID(std::move(nextBestTaskID))
    , nextBestTaskTitle(std::move(nextBestTaskTitle))
    , nextBestTaskMinutes(std::max<qint64>(nextBestTaskMinutes, 5))
    , miniPanelFrame(std::move(miniPanelFrame))
    , studioWindowFrame(std::move(studioWindowFrame))
    , isFocusDockedInside(isFocusDockedInside)
{
}

bool ZunoTaskLiveStatus::isFresh(const QDateTime &now, double maxAgeSeconds) const
{
    return ZunoLiveStatusSupport::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

Json ZunoTaskLiveStatus::toJson() const
{
    Json json = Json::object();
    json["timestamp"] = dateJson(timestamp);
    write(json, "senderPID", senderPID);
    write(json, "openTodayCount", openTodayCount);
    write(json, "completedTodayCount", completedTodayCount);
    write(json, "overdueCount", overdueCount);
    write(json, "inProgressCount", inProgressCount);
    write(json, "plannedMinutesToday", plannedMinutesToday);
    write(json, "dailyCapacityMinutes", dailyCapacityMinutes);
    writeOptional(json, "nextBestTaskID", nextBestTaskID);
    writeOptional(json, "nextBestTaskTitle", nextBestTaskTitle);
    write(json, "nextBestTaskMinutes", nextBestTaskMinutes);
    if (miniPanelFrame)
        json["miniPanelFrame"] = miniPanelFrame->toJson();
    if (studioWindowFrame)
        json["studioWindowFrame"] = studioWindowFrame->toJson();
    write(json, "isFocusDockedInside", isFocusDockedInside);
    return json;
}

ZunoTaskLiveStatus ZunoTaskLiveStatus::fromJson(const Json &json)
{
    object(json, "ZunoTaskLiveStatus");
    // The constructor applies the clamps to what was stored.
    return ZunoTaskLiveStatus(date(json, "timestamp"), int32(json, "senderPID"),
        orDefault<qint64>(json, "openTodayCount", 0), orDefault<qint64>(json, "completedTodayCount", 0),
        orDefault<qint64>(json, "overdueCount", 0), orDefault<qint64>(json, "inProgressCount", 0),
        orDefault<qint64>(json, "plannedMinutesToday", 0),
        orDefault<qint64>(json, "dailyCapacityMinutes", 360), readOptional<QString>(json, "nextBestTaskID"),
        readOptional<QString>(json, "nextBestTaskTitle"), orDefault<qint64>(json, "nextBestTaskMinutes", 25),
        frame(json, "miniPanelFrame"), frame(json, "studioWindowFrame"),
        orDefault(json, "isFocusDockedInside", false));
}
