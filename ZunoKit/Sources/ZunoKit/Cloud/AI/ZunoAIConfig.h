#pragma once

#include "ZunoAIProvider.h"

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// The connection setting a caller stores and hands to the AI client. JSON keys are the field names, all
// required when decoding (no defaults there).
struct ZunoAIConfig {
    ZunoAIProvider provider;
    QString endpointURL;
    QString model;

    // An absent endpoint or model takes the provider's default as it is now; an empty string stays empty.
    explicit ZunoAIConfig(ZunoAIProvider provider, const std::optional<QString> &endpointURL = std::nullopt,
        const std::optional<QString> &model = std::nullopt);

    // Strict: a missing key, a wrong type or an unknown provider throws `ZunoDecodingError`.
    static ZunoAIConfig fromJson(const nlohmann::json &json);
    nlohmann::json toJson() const;

    friend bool operator==(const ZunoAIConfig &, const ZunoAIConfig &) = default;
};

// Decoding goes through `fromJson` (there is no configuration without a provider).
void to_json(nlohmann::json &json, const ZunoAIConfig &config);
