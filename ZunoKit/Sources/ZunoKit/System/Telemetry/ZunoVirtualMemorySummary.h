#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One snapshot of memory as the suite sees it: physical memory, swap, the kernel's pressure word and
// the RAM application's expansions (disk pools, mounted pool images, RAM disks, frozen applications),
// with the totals, percentages and short texts the memory views show. Built by
// `ZunoSuiteTelemetryBus::readVirtualMemorySummary`. A value; sums saturate at the 64-bit limits.
struct ZunoVirtualMemorySummary {
    ZunoVirtualMemorySummary(qint64 physicalTotalBytes, qint64 physicalUsedBytes, qint64 compressedBytes,
        qint64 swapTotalBytes, qint64 swapUsedBytes, qint64 swapFileCount, bool swapEncrypted,
        QString pressureLevel, bool isZunoRAMRunning, qint64 activeDiskPoolCount, qint64 diskPoolVirtualBytes,
        qint64 diskPoolActualDiskBytes, QStringList diskPoolNames, qint64 mountedSparseDiskCount,
        qint64 sparseDiskVirtualBytes, qint64 sparseDiskActualBytes, QStringList sparseDiskNames,
        qint64 mountedRAMDiskCount, qint64 ramDiskTotalBytes, QStringList ramDiskNames, qint64 frozenAppCount,
        QList<qint32> frozenPIDs, qint64 reclaimedFromFrozenBytes);

    qint64 physicalTotalBytes;
    qint64 physicalUsedBytes;
    qint64 compressedBytes;
    qint64 swapTotalBytes;
    qint64 swapUsedBytes;
    qint64 swapFileCount;
    bool swapEncrypted;
    QString pressureLevel;
    bool isZunoRAMRunning;
    qint64 activeDiskPoolCount;
    qint64 diskPoolVirtualBytes;
    qint64 diskPoolActualDiskBytes;
    QStringList diskPoolNames;
    qint64 mountedSparseDiskCount;
    qint64 sparseDiskVirtualBytes;
    qint64 sparseDiskActualBytes;
    QStringList sparseDiskNames;
    qint64 mountedRAMDiskCount;
    qint64 ramDiskTotalBytes;
    QStringList ramDiskNames;
    qint64 frozenAppCount;
    QList<qint32> frozenPIDs;
    qint64 reclaimedFromFrozenBytes;

    bool operator==(const ZunoVirtualMemorySummary &) const = default;

    // A disk pool, a mounted pool image or a RAM disk is active.
    bool isZunoRAMVirtualExpansionActive() const;
    // An expansion is active or swap is in use.
    bool isAnyVirtualMemoryActive() const;
    bool isSwapActive() const;
    // Percentages within 0...100; 0 when there is nothing to divide by.
    double physicalUsedPercent() const;
    double swapUsedPercent() const;
    // Pools, images and RAM disks.
    qint64 totalZunoRAMVirtualCapacityBytes() const;
    // The expansions plus the larger of swap total and swap used.
    qint64 totalVirtualAllocatedBytes() const;
    // Swap used, the pools' and images' used space, and the RAM disks whole.
    qint64 totalVirtualUsedBytes() const;
    double virtualUsedPercent() const;
    qint64 totalEffectiveMemoryCapacityBytes() const;
    qint64 totalEffectiveUsedBytes() const;
    // "Pool 10.00 GB + Swap 1.00 GB": the active expansions and swap; empty when there are none.
    QString compactBadgeText() const;
    // "0 B", or the used and allocated virtual space: "1.00 GB / 2.15 GB".
    QString virtualSpaceUsageText() const;
    // A few characters for a tight badge: "150G", "12.3G", "340M"; the allocated size when none is used.
    QString compactVirtualUsedToken() const;
};
