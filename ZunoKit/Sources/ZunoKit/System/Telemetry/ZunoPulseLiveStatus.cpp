#include "ZunoPulseLiveStatus.h"

#include "ZunoLiveStatusSupport.h"

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

ZunoPulseLiveStatus::ZunoPulseLiveStatus(QDateTime timestamp, qint32 senderPID, double cpuTotalPercent,
    double gpuTotalPercent, double memoryUsedPercent, qint64 swapUsedBytes,
    std::optional<double> cpuTempCelsius, std::optional<double> gpuTempCelsius,
    std::optional<double> socTempCelsius, std::optional<qint64> fanMaxRPM, std::optional<double> systemWatts,
    qint64 healthScore, QString thermalState, std::optional<qint64> nvmeHealthPercent)
    : timestamp(std::move(timestamp))
    , senderPID(senderPID)
    , cpuTotalPercent(cpuTotalPercent)
    , gpuTotalPercent(gpuTotalPercent)
    , memoryUsedPercent(memoryUsedPercent)
    , swapUsedBytes(swapUsedBytes)
    , cpuTempCelsius(cpuTempCelsius)
    , gpuTempCelsius(gpuTempCelsius)
    , socTempCelsius(socTempCelsius)
    , fanMaxRPM(fanMaxRPM)
    , systemWatts(systemWatts)
    , healthScore(healthScore)
    , thermalState(std::move(thermalState))
    , nvmeHealthPercent(nvmeHealthPercent)
{
}

std::optional<double> ZunoPulseLiveStatus::headlineTempCelsius() const
{
    if (cpuTempCelsius)
        return cpuTempCelsius;
    return socTempCelsius ? socTempCelsius : gpuTempCelsius;
}

bool ZunoPulseLiveStatus::isFresh(const QDateTime &now, double maxAgeSeconds) const
{
    return ZunoLiveStatusSupport::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

Json ZunoPulseLiveStatus::toJson() const
{
    Json json = Json::object();
    json["timestamp"] = dateJson(timestamp);
    write(json, "senderPID", senderPID);
    write(json, "cpuTotalPercent", cpuTotalPercent);
    write(json, "gpuTotalPercent", gpuTotalPercent);
    write(json, "memoryUsedPercent", memoryUsedPercent);
    write(json, "swapUsedBytes", swapUsedBytes);
    writeOptional(json, "cpuTempCelsius", cpuTempCelsius);
    writeOptional(json, "gpuTempCelsius", gpuTempCelsius);
    writeOptional(json, "socTempCelsius", socTempCelsius);
    writeOptional(json, "fanMaxRPM", fanMaxRPM);
    writeOptional(json, "systemWatts", systemWatts);
    write(json, "healthScore", healthScore);
    write(json, "thermalState", thermalState);
    writeOptional(json, "nvmeHealthPercent", nvmeHealthPercent);
    return json;
}

ZunoPulseLiveStatus ZunoPulseLiveStatus::fromJson(const Json &json)
{
    object(json, "ZunoPulseLiveStatus");
    return ZunoPulseLiveStatus(date(json, "timestamp"), int32(json, "senderPID"),
        read<double>(json, "cpuTotalPercent"), read<double>(json, "gpuTotalPercent"),
        read<double>(json, "memoryUsedPercent"), read<qint64>(json, "swapUsedBytes"),
        readOptional<double>(json, "cpuTempCelsius"), readOptional<double>(json, "gpuTempCelsius"),
        readOptional<double>(json, "socTempCelsius"), readOptional<qint64>(json, "fanMaxRPM"),
        readOptional<double>(json, "systemWatts"), read<qint64>(json, "healthScore"),
        read<QString>(json, "thermalState"), readOptional<qint64>(json, "nvmeHealthPercent"));
}
