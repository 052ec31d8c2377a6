#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// One entry of the script list the remote page shows.
struct TeleprompterRemoteScriptSummary {
    QString id;
    QString title;
    qint64 wordCount = 0;

    nlohmann::json toJson() const;
    // Strict: all three keys required with their JSON types; none otherwise.
    static std::optional<TeleprompterRemoteScriptSummary> fromJson(const nlohmann::json &json);

    friend bool operator==(const TeleprompterRemoteScriptSummary &, const TeleprompterRemoteScriptSummary &)
        = default;
};
