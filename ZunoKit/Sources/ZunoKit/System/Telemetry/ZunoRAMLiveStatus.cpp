#include "ZunoRAMLiveStatus.h"

#include "ZunoLiveStatusSupport.h"

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

ZunoRAMLiveStatus::ZunoRAMLiveStatus(QDateTime timestamp, qint32 senderPID, qint64 physicalTotalBytes,
    qint64 physicalUsedBytes, qint64 compressedBytes, double usedPercent, qint64 swapTotalBytes,
    qint64 swapUsedBytes, qint64 swapFileCount, bool swapEncrypted, QString pressureLevel, qint64 healthScore,
    qint64 activeDiskPoolCount, qint64 diskPoolVirtualBytes, qint64 diskPoolActualDiskBytes,
    QStringList diskPoolNames, qint64 mountedSparseDiskCount, qint64 sparseDiskVirtualBytes,
    qint64 sparseDiskActualBytes, QStringList sparseDiskNames, qint64 mountedRAMDiskCount,
    qint64 ramDiskTotalBytes, QStringList ramDiskNames, qint64 frozenAppCount, QList<qint32> frozenPIDs,
    qint64 reclaimedFromFrozenBytes, std::optional<ZunoRAMOffloadLiveProgress> offloadProgress)
    : timestamp(std::move(timestamp))
    , senderPID(senderPID)
    , physicalTotalBytes(physicalTotalBytes)
    , physicalUsedBytes(physicalUsedBytes)
    , compressedBytes(compressedBytes)
    , usedPercent(usedPercent)
    , swapTotalBytes(swapTotalBytes)
    , swapUsedBytes(swapUsedBytes)
    , swapFileCount(swapFileCount)
    , swapEncrypted(swapEncrypted)
    , pressureLevel(std::move(pressureLevel))
    , healthScore(healthScore)
    , activeDiskPoolCount(activeDiskPoolCount)
    , diskPoolVirtualBytes(diskPoolVirtualBytes)
    , diskPoolActualDiskBytes(diskPoolActualDiskBytes)
    , diskPoolNames(std::move(diskPoolNames))
    , mountedSparseDiskCount(mountedSparseDiskCount)
    , sparseDiskVirtualBytes(sparseDiskVirtualBytes)
    , sparseDiskActualBytes(sparseDiskActualBytes)
    , sparseDiskNames(std::move(sparseDiskNames))
    , mountedRAMDiskCount(mountedRAMDiskCount)
    , ramDiskTotalBytes(ramDiskTotalBytes)
    , ramDiskNames(std::move(ramDiskNames))
    , frozenAppCount(frozenAppCount)
    , frozenPIDs(std::move(frozenPIDs))
    , reclaimedFromFrozenBytes(reclaimedFromFrozenBytes)
    , offloadProgress(std::move(offloadProgress))
{
}

bool ZunoRAMLiveStatus::hasVirtualDiskExpansion() const
{
    return activeDiskPoolCount > 0 || mountedSparseDiskCount > 0 || mountedRAMDiskCount > 0;
}

qint64 ZunoRAMLiveStatus::totalVirtualPoolCapacityBytes() const
{
    return saturatingSum(diskPoolVirtualBytes, sparseDiskVirtualBytes);
}

qint64 ZunoRAMLiveStatus::totalVirtualDiskActualBytes() const
{
    return saturatingSum(diskPoolActualDiskBytes, sparseDiskActualBytes);
}

bool ZunoRAMLiveStatus::isFresh(const QDateTime &now, double maxAgeSeconds) const
{
    return ZunoLiveStatusSupport::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

Json ZunoRAMLiveStatus::toJson() const
{
    Json json = Json::object();
    json["timestamp"] = dateJson(timestamp);
    write(json, "senderPID", senderPID);
    write(json, "physicalTotalBytes", physicalTotalBytes);
    write(json, "physicalUsedBytes", physicalUsedBytes);
    write(json, "compressedBytes", compressedBytes);
    write(json, "usedPercent", usedPercent);
    write(json, "swapTotalBytes", swapTotalBytes);
    write(json, "swapUsedBytes", swapUsedBytes);
    write(json, "swapFileCount", swapFileCount);
    write(json, "swapEncrypted", swapEncrypted);
    write(json, "pressureLevel", pressureLevel);
    write(json, "healthScore", healthScore);
    write(json, "activeDiskPoolCount", activeDiskPoolCount);
    write(json, "diskPoolVirtualBytes", diskPoolVirtualBytes);
    write(json, "diskPoolActualDiskBytes", diskPoolActualDiskBytes);
    write(json, "diskPoolNames", diskPoolNames);
    write(json, "mountedSparseDiskCount", mountedSparseDiskCount);
    write(json, "sparseDiskVirtualBytes", sparseDiskVirtualBytes);
    write(json, "sparseDiskActualBytes", sparseDiskActualBytes);
    write(json, "sparseDiskNames", sparseDiskNames);
    write(json, "mountedRAMDiskCount", mountedRAMDiskCount);
    write(json, "ramDiskTotalBytes", ramDiskTotalBytes);
    write(json, "ramDiskNames", ramDiskNames);
    write(json, "frozenAppCount", frozenAppCount);
    json["frozenPIDs"] = int32ListJson(frozenPIDs);
    write(json, "reclaimedFromFrozenBytes", reclaimedFromFrozenBytes);
    if (offloadProgress)
        json["offloadProgress"] = offloadProgress->toJson();
    return json;
}

ZunoRAMLiveStatus ZunoRAMLiveStatus::fromJson(const Json &json)
{
    object(json, "ZunoRAMLiveStatus");
    std::optional<ZunoRAMOffloadLiveProgress> offload;
    if (const Json *value = optional(json, "offloadProgress"))
        offload = ZunoRAMOffloadLiveProgress::fromJson(*value);
    return ZunoRAMLiveStatus(date(json, "timestamp"), int32(json, "senderPID"),
        read<qint64>(json, "physicalTotalBytes"), read<qint64>(json, "physicalUsedBytes"),
        read<qint64>(json, "compressedBytes"), read<double>(json, "usedPercent"),
        read<qint64>(json, "swapTotalBytes"), read<qint64>(json, "swapUsedBytes"),
        read<qint64>(json, "swapFileCount"), read<bool>(json, "swapEncrypted"),
        read<QString>(json, "pressureLevel"), read<qint64>(json, "healthScore"),
        read<qint64>(json, "activeDiskPoolCount"), read<qint64>(json, "diskPoolVirtualBytes"),
        read<qint64>(json, "diskPoolActualDiskBytes"), read<QStringList>(json, "diskPoolNames"),
        read<qint64>(json, "mountedSparseDiskCount"), read<qint64>(json, "sparseDiskVirtualBytes"),
        read<qint64>(json, "sparseDiskActualBytes"), read<QStringList>(json, "sparseDiskNames"),
        read<qint64>(json, "mountedRAMDiskCount"), read<qint64>(json, "ramDiskTotalBytes"),
        read<QStringList>(json, "ramDiskNames"), read<qint64>(json, "frozenAppCount"),
        int32List(json, "frozenPIDs"), read<qint64>(json, "reclaimedFromFrozenBytes"), std::move(offload));
}
