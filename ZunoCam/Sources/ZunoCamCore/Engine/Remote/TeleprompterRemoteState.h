#pragma once

#include "TeleprompterRemoteScriptSummary.h"

#include <QList>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// What the remote page shows of the teleprompter: served by GET /api/state and carried inside
// command acknowledgements.
struct TeleprompterRemoteState {
    bool isPlaying = false;
    bool isVisible = false;
    qint64 wpm = 0;
    qint64 fontSize = 0;
    double progress = 0;
    std::optional<QString> activeScriptId;
    QString activeScriptTitle;
    QList<TeleprompterRemoteScriptSummary> scripts;

    TeleprompterRemoteState() = default;
    // Clamps progress to 0...1 (NaN passes through; the encoder serves it as 0).
    TeleprompterRemoteState(bool isPlaying, bool isVisible, qint64 wpm, qint64 fontSize, double progress,
        std::optional<QString> activeScriptId, QString activeScriptTitle,
        QList<TeleprompterRemoteScriptSummary> scripts);

    // The state a server without a state source serves.
    static TeleprompterRemoteState fallback();

    // Keys are the field names; activeScriptId is left out when absent. A progress that is not
    // finite is written as 0.
    nlohmann::json toJson() const;
    // Strict: every key but activeScriptId required, with its JSON type; progress stored as received.
    static std::optional<TeleprompterRemoteState> fromJson(const nlohmann::json &json);

    friend bool operator==(const TeleprompterRemoteState &, const TeleprompterRemoteState &) = default;
};
