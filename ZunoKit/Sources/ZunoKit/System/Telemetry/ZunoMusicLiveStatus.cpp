#include "ZunoMusicLiveStatus.h"

#include "ZunoLiveStatusSupport.h"

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

ZunoMusicLiveStatus::ZunoMusicLiveStatus(QDateTime timestamp, qint32 senderPID, QString title, QString artist,
    QString album, QString qualityBadge, bool isPlaying, double elapsedSeconds, double durationSeconds,
    double volume)
    : timestamp(std::move(timestamp))
    , senderPID(senderPID)
    , title(std::move(title))
    , artist(std::move(artist))
    , album(std::move(album))
    , qualityBadge(std::move(qualityBadge))
    , isPlaying(isPlaying)
    , elapsedSeconds(atLeast(elapsedSeconds, 0.0))
    , durationSeconds(atLeast(durationSeconds, 0.0))
    , volume(clamped(volume, 0.0, 1.0))
{
}

double ZunoMusicLiveStatus::progress() const
{
    if (!(durationSeconds > 0))
        return 0.0;
    return unitInterval(elapsedSeconds / durationSeconds);
}

bool ZunoMusicLiveStatus::isFresh(const QDateTime &now, double maxAgeSeconds) const
{
    return ZunoLiveStatusSupport::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

Json ZunoMusicLiveStatus::toJson() const
{
    Json json = Json::object();
    json["timestamp"] = dateJson(timestamp);
    write(json, "senderPID", senderPID);
    write(json, "title", title);
    write(json, "artist", artist);
    write(json, "album", album);
    write(json, "qualityBadge", qualityBadge);
    write(json, "isPlaying", isPlaying);
    write(json, "elapsedSeconds", elapsedSeconds);
    write(json, "durationSeconds", durationSeconds);
    write(json, "volume", volume);
    return json;
}

ZunoMusicLiveStatus ZunoMusicLiveStatus::fromJson(const Json &json)
{
    object(json, "ZunoMusicLiveStatus");
    ZunoMusicLiveStatus status(date(json, "timestamp"), int32(json, "senderPID"),
        read<QString>(json, "title"), read<QString>(json, "artist"), read<QString>(json, "album"),
        read<QString>(json, "qualityBadge"), read<bool>(json, "isPlaying"), 0.0, 0.0, 0.0);
    // Stored values stand as they are.
    status.elapsedSeconds = read<double>(json, "elapsedSeconds");
    status.durationSeconds = read<double>(json, "durationSeconds");
    status.volume = read<double>(json, "volume");
    return status;
}
