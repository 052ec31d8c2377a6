#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

// One application's channel in the mixer, nested in `ZunoMixerLiveStatus`; identified by `id`.
// Strict; only the constructor clamps.
struct ZunoMixerAudioAppItem {
    // `volume` within 0...2 and `rmsLevel` at least 0 (a NaN stays, and the record is not written).
    ZunoMixerAudioAppItem(QString id, QString bundleID, QString appName, bool isPlayingAudio, bool isMuted,
        double volume, float rmsLevel);

    QString id;
    QString bundleID;
    QString appName;
    bool isPlayingAudio;
    bool isMuted;
    double volume;
    float rmsLevel;

    bool operator==(const ZunoMixerAudioAppItem &) const = default;

    nlohmann::json toJson() const;
    static ZunoMixerAudioAppItem fromJson(const nlohmann::json &json);
};
