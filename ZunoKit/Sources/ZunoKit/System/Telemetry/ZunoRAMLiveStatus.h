#pragma once

#include "ZunoRAMOffloadLiveProgress.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// The RAM application's memory status ("zunoram-live.json"). Strict: every key but `offloadProgress`
// is required. No clamps.
struct ZunoRAMLiveStatus {
    ZunoRAMLiveStatus(QDateTime timestamp, qint32 senderPID, qint64 physicalTotalBytes,
        qint64 physicalUsedBytes, qint64 compressedBytes, double usedPercent, qint64 swapTotalBytes,
        qint64 swapUsedBytes, qint64 swapFileCount, bool swapEncrypted, QString pressureLevel,
        qint64 healthScore, qint64 activeDiskPoolCount, qint64 diskPoolVirtualBytes,
        qint64 diskPoolActualDiskBytes, QStringList diskPoolNames, qint64 mountedSparseDiskCount,
        qint64 sparseDiskVirtualBytes, qint64 sparseDiskActualBytes, QStringList sparseDiskNames,
        qint64 mountedRAMDiskCount, qint64 ramDiskTotalBytes, QStringList ramDiskNames, qint64 frozenAppCount,
        QList<qint32> frozenPIDs, qint64 reclaimedFromFrozenBytes,
        std::optional<ZunoRAMOffloadLiveProgress> offloadProgress);

    QDateTime timestamp;
    qint32 senderPID;
    qint64 physicalTotalBytes;
    qint64 physicalUsedBytes;
    qint64 compressedBytes;
    double usedPercent;
    qint64 swapTotalBytes;
    qint64 swapUsedBytes;
    qint64 swapFileCount;
    bool swapEncrypted;
    QString pressureLevel;
    qint64 healthScore;
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
    std::optional<ZunoRAMOffloadLiveProgress> offloadProgress;

    bool operator==(const ZunoRAMLiveStatus &) const = default;

    // A disk pool, a sparse disk image or a RAM disk is active.
    bool hasVirtualDiskExpansion() const;
    // The two sums saturate at the 64-bit limits.
    qint64 totalVirtualPoolCapacityBytes() const;
    qint64 totalVirtualDiskActualBytes() const;

    // Within `maxAgeSeconds` of `now` and the publisher still running.
    bool isFresh(const QDateTime &now, double maxAgeSeconds) const;

    // Throws `ZunoEncodingError` for a non-finite number.
    nlohmann::json toJson() const;
    // Throws `ZunoDecodingError` (or a JSON exception) unless `json` is this record.
    static ZunoRAMLiveStatus fromJson(const nlohmann::json &json);
};
