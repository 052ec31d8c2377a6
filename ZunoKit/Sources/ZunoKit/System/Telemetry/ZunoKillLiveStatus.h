#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// The process-control application's status ("zunokill-live.json"). Strict; no clamps.
struct ZunoKillLiveStatus {
    ZunoKillLiveStatus(QDateTime timestamp, qint32 senderPID, qint64 totalProcessCount,
        qint64 unresponsiveCount, qint64 problematicCount, QStringList unresponsiveAppNames,
        qint64 memoryLeakCount, QList<qint32> autoFrozenPIDs, std::optional<QString> activeFocusProfileName,
        qint64 reclaimedFocusBytes, qint64 listeningPortCount);

    QDateTime timestamp;
    qint32 senderPID;
    qint64 totalProcessCount;
    qint64 unresponsiveCount;
    qint64 problematicCount;
    QStringList unresponsiveAppNames;
    qint64 memoryLeakCount;
    QList<qint32> autoFrozenPIDs;
    std::optional<QString> activeFocusProfileName;
    qint64 reclaimedFocusBytes;
    qint64 listeningPortCount;

    bool operator==(const ZunoKillLiveStatus &) const = default;

    bool isFresh(const QDateTime &now, double maxAgeSeconds) const;

    nlohmann::json toJson() const;
    static ZunoKillLiveStatus fromJson(const nlohmann::json &json);
};
