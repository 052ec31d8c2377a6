#include "ZunoKillLiveStatus.h"

#include "ZunoLiveStatusSupport.h"

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

ZunoKillLiveStatus::ZunoKillLiveStatus(QDateTime timestamp, qint32 senderPID, qint64 totalProcessCount,
    qint64 unresponsiveCount, qint64 problematicCount, QStringList unresponsiveAppNames,
    qint64 memoryLeakCount, QList<qint32> autoFrozenPIDs, std::optional<QString> activeFocusProfileName,
    qint64 reclaimedFocusBytes, qint64 listeningPortCount)
    : timestamp(std::move(timestamp))
    , senderPID(senderPID)
    , totalProcessCount(totalProcessCount)
    , unresponsiveCount(unresponsiveCount)
    , problematicCount(problematicCount)
    , unresponsiveAppNames(std::move(unresponsiveAppNames))
    , memoryLeakCount(memoryLeakCount)
    , autoFrozenPIDs(std::move(autoFrozenPIDs))
    , activeFocusProfileName(std::move(activeFocusProfileName))
    , reclaimedFocusBytes(reclaimedFocusBytes)
    , listeningPortCount(listeningPortCount)
{
}

bool ZunoKillLiveStatus::isFresh(const QDateTime &now, double maxAgeSeconds) const
{
    return ZunoLiveStatusSupport::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

Json ZunoKillLiveStatus::toJson() const
{
    Json json = Json::object();
    json["timestamp"] = dateJson(timestamp);
    write(json, "senderPID", senderPID);
    write(json, "totalProcessCount", totalProcessCount);
    write(json, "unresponsiveCount", unresponsiveCount);
    write(json, "problematicCount", problematicCount);
    write(json, "unresponsiveAppNames", unresponsiveAppNames);
    write(json, "memoryLeakCount", memoryLeakCount);
    json["autoFrozenPIDs"] = int32ListJson(autoFrozenPIDs);
    writeOptional(json, "activeFocusProfileName", activeFocusProfileName);
    write(json, "reclaimedFocusBytes", reclaimedFocusBytes);
    write(json, "listeningPortCount", listeningPortCount);
    return json;
}

ZunoKillLiveStatus ZunoKillLiveStatus::fromJson(const Json &json)
{
    object(json, "ZunoKillLiveStatus");
    return ZunoKillLiveStatus(date(json, "timestamp"), int32(json, "senderPID"),
        read<qint64>(json, "totalProcessCount"), read<qint64>(json, "unresponsiveCount"),
        read<qint64>(json, "problematicCount"), read<QStringList>(json, "unresponsiveAppNames"),
        read<qint64>(json, "memoryLeakCount"), int32List(json, "autoFrozenPIDs"),
        readOptional<QString>(json, "activeFocusProfileName"), read<qint64>(json, "reclaimedFocusBytes"),
        read<qint64>(json, "listeningPortCount"));
}
