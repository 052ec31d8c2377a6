#pragma once

#include "ZunoSuiteApp.h"

#include <QDateTime>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// A dashboard tile that any suite application may publish ("LiveTiles/<app lowercased>.json"); one
// per application, identified by `app`. Strict, `secondaryMetric` and `progress` optional; an
// unknown application or tone fails the tile. Only the constructor clamps.
struct ZunoLiveActivityTile {
    // The colour role, coded as its raw value.
    enum class Tone { neutral, active, success, warning, danger };
    static QString rawValue(Tone tone);
    static std::optional<Tone> toneFromRawValue(const QString &raw);

    // `progress` within 0...1 (a NaN becomes 0); without a symbol name the application's own.
    ZunoLiveActivityTile(ZunoSuiteApp app, QDateTime timestamp, qint32 senderPID, QString titleEN,
        QString titleTR, QString primaryMetric, std::optional<QString> secondaryMetric,
        std::optional<double> progress, std::optional<QString> symbolName, Tone tone, qint64 priority);

    ZunoSuiteApp app;
    QDateTime timestamp;
    qint32 senderPID;
    QString titleEN;
    QString titleTR;
    QString primaryMetric;
    std::optional<QString> secondaryMetric;
    std::optional<double> progress;
    QString symbolName;
    Tone tone;
    qint64 priority;

    bool operator==(const ZunoLiveActivityTile &) const = default;

    // The application's raw value.
    QString id() const { return ::rawValue(app); }

    bool isFresh(const QDateTime &now, double maxAgeSeconds) const;

    nlohmann::json toJson() const;
    static ZunoLiveActivityTile fromJson(const nlohmann::json &json);
};
