#include "ZunoVirtualMemorySummary.h"

#include "ZunoByteFormatter.h"
#include "ZunoLiveStatusSupport.h"

#include <algorithm>
#include <charconv>

using ZunoLiveStatusSupport::saturatingSum;

namespace {

double percent(qint64 part, qint64 whole)
{
    if (whole <= 0)
        return 0.0;
    return std::clamp(double(part) / double(whole) * 100.0, 0.0, 100.0);
}

// printf's "%.Nf" in the C locale whatever the process locale: to_chars never localises.
QString fixed(double value, int decimals)
{
    char buffer[64];
    const auto result
        = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buffer, result.ec == std::errc() ? result.ptr - buffer : 0);
}

} // namespace

ZunoVirtualMemorySummary::ZunoVirtualMemorySummary(qint64 physicalTotalBytes, qint64 physicalUsedBytes,
    qint64 compressedBytes, qint64 swapTotalBytes, qint64 swapUsedBytes, qint64 swapFileCount,
    bool swapEncrypted, QString pressureLevel, bool isZunoRAMRunning, qint64 activeDiskPoolCount,
    qint64 diskPoolVirtualBytes, qint64 diskPoolActualDiskBytes, QStringList diskPoolNames,
    qint64 mountedSparseDiskCount, qint64 sparseDiskVirtualBytes, qint64 sparseDiskActualBytes,
    QStringList sparseDiskNames, qint64 mountedRAMDiskCount, qint64 ramDiskTotalBytes,
    QStringList ramDiskNames, qint64 frozenAppCount, QList<qint32> frozenPIDs,
    qint64 reclaimedFromFrozenBytes)
    : physicalTotalBytes(physicalTotalBytes)
    , physicalUsedBytes(physicalUsedBytes)
    , compressedBytes(compressedBytes)
    , swapTotalBytes(swapTotalBytes)
    , swapUsedBytes(swapUsedBytes)
    , swapFileCount(swapFileCount)
    , swapEncrypted(swapEncrypted)
    , pressureLevel(std::move(pressureLevel))
    , isZunoRAMRunning(isZunoRAMRunning)
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
{
}

bool ZunoVirtualMemorySummary::isZunoRAMVirtualExpansionActive() const
{
    return activeDiskPoolCount > 0 || mountedSparseDiskCount > 0 || mountedRAMDiskCount > 0;
}

bool ZunoVirtualMemorySummary::isAnyVirtualMemoryActive() const
{
    return isZunoRAMVirtualExpansionActive() || swapUsedBytes > 0;
}

bool ZunoVirtualMemorySummary::isSwapActive() const
{
    return swapUsedBytes > 0 || swapTotalBytes > 0;
}

double ZunoVirtualMemorySummary::physicalUsedPercent() const
{
    return percent(physicalUsedBytes, physicalTotalBytes);
}

double ZunoVirtualMemorySummary::swapUsedPercent() const
{
    return percent(swapUsedBytes, swapTotalBytes);
}

qint64 ZunoVirtualMemorySummary::totalZunoRAMVirtualCapacityBytes() const
{
    return saturatingSum(saturatingSum(diskPoolVirtualBytes, sparseDiskVirtualBytes), ramDiskTotalBytes);
}

qint64 ZunoVirtualMemorySummary::totalVirtualAllocatedBytes() const
{
    return saturatingSum(totalZunoRAMVirtualCapacityBytes(), std::max(swapTotalBytes, swapUsedBytes));
}

qint64 ZunoVirtualMemorySummary::totalVirtualUsedBytes() const
{
    return saturatingSum(saturatingSum(swapUsedBytes, diskPoolActualDiskBytes),
        saturatingSum(sparseDiskActualBytes, ramDiskTotalBytes));
}

double ZunoVirtualMemorySummary::virtualUsedPercent() const
{
    return percent(totalVirtualUsedBytes(), totalVirtualAllocatedBytes());
}

qint64 ZunoVirtualMemorySummary::totalEffectiveMemoryCapacityBytes() const
{
    return saturatingSum(physicalTotalBytes, totalVirtualAllocatedBytes());
}

qint64 ZunoVirtualMemorySummary::totalEffectiveUsedBytes() const
{
    return saturatingSum(totalVirtualUsedBytes(), physicalUsedBytes);
}

QString ZunoVirtualMemorySummary::compactBadgeText() const
{
    QStringList parts;
    if (activeDiskPoolCount >= 1)
        parts << QStringLiteral("Pool ") + ZunoByteFormatter::format(diskPoolVirtualBytes);
    if (mountedSparseDiskCount >= 1)
        parts << QStringLiteral("vDisk ") + ZunoByteFormatter::format(sparseDiskVirtualBytes);
    if (mountedRAMDiskCount >= 1)
        parts << QStringLiteral("RAMDisk ") + ZunoByteFormatter::format(ramDiskTotalBytes);
    if (swapUsedBytes >= 1)
        parts << QStringLiteral("Swap ") + ZunoByteFormatter::format(swapUsedBytes);
    else if (swapTotalBytes >= 1 && parts.isEmpty())
        parts << QStringLiteral("Swap 0 B / ") + ZunoByteFormatter::format(swapTotalBytes);
    return parts.join(QStringLiteral(" + "));
}

QString ZunoVirtualMemorySummary::virtualSpaceUsageText() const
{
    const qint64 allocated = totalVirtualAllocatedBytes();
    if (allocated < 1)
        return QStringLiteral("0 B");
    return ZunoByteFormatter::format(totalVirtualUsedBytes()) + QStringLiteral(" / ")
        + ZunoByteFormatter::format(allocated);
}

QString ZunoVirtualMemorySummary::compactVirtualUsedToken() const
{
    const qint64 used = totalVirtualUsedBytes();
    if (used > 0) {
        const double gigabytes = double(used) / 1e9;
        if (gigabytes >= 100)
            return fixed(gigabytes, 0) + QLatin1Char('G');
        if (gigabytes >= 1)
            return fixed(gigabytes, 1) + QLatin1Char('G');
        return fixed(double(used) / 1e6, 0) + QLatin1Char('M');
    }
    const qint64 allocated = totalVirtualAllocatedBytes();
    if (allocated < 1)
        return QStringLiteral("0G");
    const double gigabytes = double(allocated) / 1e9;
    return fixed(gigabytes, gigabytes < 10 ? 1 : 0) + QLatin1Char('G');
}
