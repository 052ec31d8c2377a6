#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <nlohmann/json_fwd.hpp>

// Progress of a memory-offload run of the RAM application, nested in `ZunoRAMLiveStatus`. Decoded
// strictly, values as stored; only the constructor clamps.
struct ZunoRAMOffloadLiveProgress {
    // `totalSteps` at least 1; `fractionCompleted` within 0...1, a NaN becomes 0.
    ZunoRAMOffloadLiveProgress(QDateTime timestamp, bool isRunning, bool isCompletedSummary, qint64 stepIndex,
        qint64 totalSteps, double fractionCompleted, QString phaseTitleEN, QString phaseTitleTR,
        QString detailEN, QString detailTR, qint64 allocatedBytes, qint64 targetBytes,
        QStringList frozenAppNames, QString livePressure);

    QDateTime timestamp;
    bool isRunning;
    bool isCompletedSummary;
    qint64 stepIndex;
    qint64 totalSteps;
    double fractionCompleted;
    QString phaseTitleEN;
    QString phaseTitleTR;
    QString detailEN;
    QString detailTR;
    qint64 allocatedBytes;
    qint64 targetBytes;
    QStringList frozenAppNames;
    QString livePressure;

    bool operator==(const ZunoRAMOffloadLiveProgress &) const = default;

    // Throws `ZunoEncodingError` for a non-finite number.
    nlohmann::json toJson() const;
    // Throws `ZunoDecodingError` (or a JSON exception) unless `json` is this record.
    static ZunoRAMOffloadLiveProgress fromJson(const nlohmann::json &json);
};
