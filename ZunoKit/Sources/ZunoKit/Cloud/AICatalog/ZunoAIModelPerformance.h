#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// Speed and quality estimates of a model.
struct ZunoAIModelPerformance {
    QString speedTier;
    std::optional<qint64> tokensPerSecEstimate;
    std::optional<qint64> ttftMsEstimate;
    std::optional<qint64> qualityScore;
    std::optional<qint64> codingScore;
    std::optional<qint64> agenticScore;
    std::optional<qint64> visionScore;
    std::optional<qint64> reasoningScore;

    friend bool operator==(const ZunoAIModelPerformance &, const ZunoAIModelPerformance &) = default;
};

std::size_t qHash(const ZunoAIModelPerformance &performance, std::size_t seed = 0) noexcept;

void to_json(nlohmann::json &j, const ZunoAIModelPerformance &performance);
void from_json(const nlohmann::json &j, ZunoAIModelPerformance &performance);
