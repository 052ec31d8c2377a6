#include "ZunoLiveActivityTile.h"

#include "ZunoLiveStatusSupport.h"

#include <array>

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

namespace {

using Tone = ZunoLiveActivityTile::Tone;

constexpr std::array<std::pair<Tone, const char *>, 5> kTones = { {
    { Tone::neutral, "neutral" },
    { Tone::active, "active" },
    { Tone::success, "success" },
    { Tone::warning, "warning" },
    { Tone::danger, "danger" },
} };

} // namespace

QString ZunoLiveActivityTile::rawValue(Tone tone)
{
    for (const auto &[candidate, raw] : kTones) {
        if (candidate == tone)
            return QString::fromLatin1(raw);
    }
    return {};
}

std::optional<ZunoLiveActivityTile::Tone> ZunoLiveActivityTile::toneFromRawValue(const QString &raw)
{
    for (const auto &[tone, text] : kTones) {
        if (raw == QLatin1String(text))
            return tone;
    }
    return std::nullopt;
}

ZunoLiveActivityTile::ZunoLiveActivityTile(ZunoSuiteApp app, QDateTime timestamp, qint32 senderPID,
    QString titleEN, QString titleTR, QString primaryMetric, std::optional<QString> secondaryMetric,
    std::optional<double> progress, std::optional<QString> symbolName, Tone tone, qint64 priority)
    : app(app)
    , timestamp(std::move(timestamp))
    , senderPID(senderPID)
    , titleEN(std::move(titleEN))
    , titleTR(std::move(titleTR))
    , primaryMetric(std::move(primaryMetric))
    , secondaryMetric(std::move(secondaryMetric))
    , progress(progress ? std::optional<double>(unitInterval(*progress)) : std::nullopt)
    , symbolName(symbolName ? std::move(*symbolName) : ::symbolName(app))
    , tone(tone)
    , priority(priority)
{
}

bool ZunoLiveActivityTile::isFresh(const QDateTime &now, double maxAgeSeconds) const
{
    return ZunoLiveStatusSupport::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

Json ZunoLiveActivityTile::toJson() const
{
    Json json = Json::object();
    write(json, "app", ::rawValue(app));
    json["timestamp"] = dateJson(timestamp);
    write(json, "senderPID", senderPID);
    write(json, "titleEN", titleEN);
    write(json, "titleTR", titleTR);
    write(json, "primaryMetric", primaryMetric);
    writeOptional(json, "secondaryMetric", secondaryMetric);
    writeOptional(json, "progress", progress);
    write(json, "symbolName", symbolName);
    write(json, "tone", rawValue(tone));
    write(json, "priority", priority);
    return json;
}

ZunoLiveActivityTile ZunoLiveActivityTile::fromJson(const Json &json)
{
    object(json, "ZunoLiveActivityTile");
    const auto app = ZunoSuiteApps::fromRawValue(read<QString>(json, "app"));
    if (!app)
        throw ZunoDecodingError("app: not a suite application");
    const auto tone = toneFromRawValue(read<QString>(json, "tone"));
    if (!tone)
        throw ZunoDecodingError("tone: not a tone");
    ZunoLiveActivityTile tile(*app, date(json, "timestamp"), int32(json, "senderPID"),
        read<QString>(json, "titleEN"), read<QString>(json, "titleTR"), read<QString>(json, "primaryMetric"),
        readOptional<QString>(json, "secondaryMetric"), std::nullopt, read<QString>(json, "symbolName"),
        *tone, read<qint64>(json, "priority"));
    // A stored progress stands as it is.
    tile.progress = readOptional<double>(json, "progress");
    return tile;
}
