#include "ZunoRAMOffloadLiveProgress.h"

#include "ZunoLiveStatusSupport.h"

#include <algorithm>

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

ZunoRAMOffloadLiveProgress::ZunoRAMOffloadLiveProgress(QDateTime timestamp, bool isRunning,
    bool isCompletedSummary, qint64 stepIndex, qint64 totalSteps, double fractionCompleted,
    QString phaseTitleEN, QString phaseTitleTR, QString detailEN, QString detailTR, qint64 allocatedBytes,
    qint64 targetBytes, QStringList frozenAppNames, QString livePressure)
    : timestamp(std::move(timestamp))
    , isRunning(isRunning)
    , isCompletedSummary(isCompletedSummary)
    , stepIndex(stepIndex)
    , totalSteps(std::max<qint64>(totalSteps, 1))
    , fractionCompleted(unitInterval(fractionCompleted))
    , phaseTitleEN(std::move(phaseTitleEN))
    , phaseTitleTR(std::move(phaseTitleTR))
    , detailEN(std::move(detailEN))
    , detailTR(std::move(detailTR))
    , allocatedBytes(allocatedBytes)
    , targetBytes(targetBytes)
    , frozenAppNames(std::move(frozenAppNames))
    , livePressure(std::move(livePressure))
{
}

Json ZunoRAMOffloadLiveProgress::toJson() const
{
    Json json = Json::object();
    json["timestamp"] = dateJson(timestamp);
    write(json, "isRunning", isRunning);
    write(json, "isCompletedSummary", isCompletedSummary);
    write(json, "stepIndex", stepIndex);
    write(json, "totalSteps", totalSteps);
    write(json, "fractionCompleted", fractionCompleted);
    write(json, "phaseTitleEN", phaseTitleEN);
    write(json, "phaseTitleTR", phaseTitleTR);
    write(json, "detailEN", detailEN);
    write(json, "detailTR", detailTR);
    write(json, "allocatedBytes", allocatedBytes);
    write(json, "targetBytes", targetBytes);
    write(json, "frozenAppNames", frozenAppNames);
    write(json, "livePressure", livePressure);
    return json;
}

ZunoRAMOffloadLiveProgress ZunoRAMOffloadLiveProgress::fromJson(const Json &json)
{
    object(json, "offloadProgress");
    ZunoRAMOffloadLiveProgress progress(date(json, "timestamp"), read<bool>(json, "isRunning"),
        read<bool>(json, "isCompletedSummary"), read<qint64>(json, "stepIndex"), 1, 0.0,
        read<QString>(json, "phaseTitleEN"), read<QString>(json, "phaseTitleTR"),
        read<QString>(json, "detailEN"), read<QString>(json, "detailTR"),
        read<qint64>(json, "allocatedBytes"), read<qint64>(json, "targetBytes"),
        read<QStringList>(json, "frozenAppNames"), read<QString>(json, "livePressure"));
    // Stored values stand as they are.
    progress.totalSteps = read<qint64>(json, "totalSteps");
    progress.fractionCompleted = read<double>(json, "fractionCompleted");
    return progress;
}
