#include "ZunoMixerLiveStatus.h"

#include "ZunoLiveStatusSupport.h"

#include <algorithm>

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

ZunoMixerLiveStatus::ZunoMixerLiveStatus(QDateTime timestamp, qint32 senderPID, double masterVolume,
    QString outputDeviceName, QList<ZunoMixerAudioAppItem> channels)
    : timestamp(std::move(timestamp))
    , senderPID(senderPID)
    , masterVolume(clamped(masterVolume, 0.0, 1.0))
    , outputDeviceName(std::move(outputDeviceName))
    , channels(std::move(channels))
{
}

qint64 ZunoMixerLiveStatus::activePlayingCount() const
{
    return std::count_if(channels.cbegin(), channels.cend(),
        [](const ZunoMixerAudioAppItem &channel) { return channel.isPlayingAudio && !channel.isMuted; });
}

qint64 ZunoMixerLiveStatus::mutedCount() const
{
    return std::count_if(channels.cbegin(), channels.cend(),
        [](const ZunoMixerAudioAppItem &channel) { return channel.isMuted; });
}

bool ZunoMixerLiveStatus::isFresh(const QDateTime &now, double maxAgeSeconds) const
{
    return ZunoLiveStatusSupport::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

Json ZunoMixerLiveStatus::toJson() const
{
    Json json = Json::object();
    json["timestamp"] = dateJson(timestamp);
    write(json, "senderPID", senderPID);
    write(json, "masterVolume", masterVolume);
    write(json, "outputDeviceName", outputDeviceName);
    Json list = Json::array();
    for (const ZunoMixerAudioAppItem &channel : channels)
        list.push_back(channel.toJson());
    json["channels"] = std::move(list);
    return json;
}

ZunoMixerLiveStatus ZunoMixerLiveStatus::fromJson(const Json &json)
{
    object(json, "ZunoMixerLiveStatus");
    const Json &list = required(json, "channels");
    if (!list.is_array())
        throw ZunoDecodingError("channels: expected an array");
    QList<ZunoMixerAudioAppItem> channels;
    for (const Json &channel : list)
        channels.append(ZunoMixerAudioAppItem::fromJson(channel));
    ZunoMixerLiveStatus status(date(json, "timestamp"), int32(json, "senderPID"), 0.0,
        read<QString>(json, "outputDeviceName"), std::move(channels));
    // A stored volume stands as it is.
    status.masterVolume = read<double>(json, "masterVolume");
    return status;
}
