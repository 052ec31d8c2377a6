#pragma once

#include <QDateTime>
#include <QString>

#include <nlohmann/json_fwd.hpp>

// The music player's status ("zunomusic-live.json"). Strict; only the constructor clamps.
struct ZunoMusicLiveStatus {
    // The two times at least 0 and `volume` within 0...1 (a NaN stays).
    ZunoMusicLiveStatus(QDateTime timestamp, qint32 senderPID, QString title, QString artist, QString album,
        QString qualityBadge, bool isPlaying, double elapsedSeconds, double durationSeconds, double volume);

    QDateTime timestamp;
    qint32 senderPID;
    QString title;
    QString artist;
    QString album;
    QString qualityBadge;
    bool isPlaying;
    double elapsedSeconds;
    double durationSeconds;
    double volume;

    bool operator==(const ZunoMusicLiveStatus &) const = default;

    // Elapsed over duration within 0...1; 0 for a track without a positive duration.
    double progress() const;

    bool isFresh(const QDateTime &now, double maxAgeSeconds) const;

    nlohmann::json toJson() const;
    static ZunoMusicLiveStatus fromJson(const nlohmann::json &json);
};
