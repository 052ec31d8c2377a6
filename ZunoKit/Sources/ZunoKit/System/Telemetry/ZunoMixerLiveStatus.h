#pragma once

#include "ZunoMixerAudioAppItem.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <nlohmann/json_fwd.hpp>

// The audio mixer application's status ("zunomixer-live.json"). Strict; only the constructor clamps.
struct ZunoMixerLiveStatus {
    // `masterVolume` within 0...1 (a NaN stays).
    ZunoMixerLiveStatus(QDateTime timestamp, qint32 senderPID, double masterVolume, QString outputDeviceName,
        QList<ZunoMixerAudioAppItem> channels);

    QDateTime timestamp;
    qint32 senderPID;
    double masterVolume;
    QString outputDeviceName;
    QList<ZunoMixerAudioAppItem> channels;

    bool operator==(const ZunoMixerLiveStatus &) const = default;

    // Channels playing and not muted.
    qint64 activePlayingCount() const;
    // Muted channels, playing or not.
    qint64 mutedCount() const;

    bool isFresh(const QDateTime &now, double maxAgeSeconds) const;

    nlohmann::json toJson() const;
    static ZunoMixerLiveStatus fromJson(const nlohmann::json &json);
};
