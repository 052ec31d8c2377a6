#include "ZunoMixerAudioAppItem.h"

#include "ZunoLiveStatusSupport.h"

using namespace ZunoStrictJson;
using namespace ZunoLiveStatusSupport;

ZunoMixerAudioAppItem::ZunoMixerAudioAppItem(QString id, QString bundleID, QString appName,
    bool isPlayingAudio, bool isMuted, double volume, float rmsLevel)
    : id(std::move(id))
    , bundleID(std::move(bundleID))
    , appName(std::move(appName))
    , isPlayingAudio(isPlayingAudio)
    , isMuted(isMuted)
    , volume(clamped(volume, 0.0, 2.0))
    , rmsLevel(static_cast<float>(atLeast(rmsLevel, 0.0)))
{
}

Json ZunoMixerAudioAppItem::toJson() const
{
    Json json = Json::object();
    write(json, "id", id);
    write(json, "bundleID", bundleID);
    write(json, "appName", appName);
    write(json, "isPlayingAudio", isPlayingAudio);
    write(json, "isMuted", isMuted);
    write(json, "volume", volume);
    json["rmsLevel"] = float32Json(rmsLevel, "rmsLevel");
    return json;
}

ZunoMixerAudioAppItem ZunoMixerAudioAppItem::fromJson(const Json &json)
{
    object(json, "channels");
    ZunoMixerAudioAppItem item(read<QString>(json, "id"), read<QString>(json, "bundleID"),
        read<QString>(json, "appName"), read<bool>(json, "isPlayingAudio"), read<bool>(json, "isMuted"), 0.0,
        0.0f);
    // Stored values stand as they are.
    item.volume = read<double>(json, "volume");
    item.rmsLevel = float32(required(json, "rmsLevel"), "rmsLevel");
    return item;
}
