#pragma once

#include <QDateTime>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// The monitor application's system sensors ("zunopulse-live.json"). Strict; the six optional
// readings may be missing or null. No clamps.
struct ZunoPulseLiveStatus {
    ZunoPulseLiveStatus(QDateTime timestamp, qint32 senderPID, double cpuTotalPercent, double gpuTotalPercent,
        double memoryUsedPercent, qint64 swapUsedBytes, std::optional<double> cpuTempCelsius,
        std::optional<double> gpuTempCelsius, std::optional<double> socTempCelsius,
        std::optional<qint64> fanMaxRPM, std::optional<double> systemWatts, qint64 healthScore,
        QString thermalState, std::optional<qint64> nvmeHealthPercent);

    QDateTime timestamp;
    qint32 senderPID;
    double cpuTotalPercent;
    double gpuTotalPercent;
    double memoryUsedPercent;
    qint64 swapUsedBytes;
    std::optional<double> cpuTempCelsius;
    std::optional<double> gpuTempCelsius;
    std::optional<double> socTempCelsius;
    std::optional<qint64> fanMaxRPM;
    std::optional<double> systemWatts;
    qint64 healthScore;
    QString thermalState;
    std::optional<qint64> nvmeHealthPercent;

    bool operator==(const ZunoPulseLiveStatus &) const = default;

    // Processor, else system-on-chip, else graphics temperature.
    std::optional<double> headlineTempCelsius() const;

    bool isFresh(const QDateTime &now, double maxAgeSeconds) const;

    nlohmann::json toJson() const;
    static ZunoPulseLiveStatus fromJson(const nlohmann::json &json);
};
