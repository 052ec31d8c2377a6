#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// Prices of a model per million tokens, in `currency`.
struct ZunoAIModelPricing {
    QString currency;
    std::optional<double> inputPer1M;
    std::optional<double> outputPer1M;
    std::optional<double> cachedInputPer1M;
    std::optional<double> cacheWritePer1M;
    std::optional<double> batchInputPer1M;
    std::optional<double> batchOutputPer1M;
    bool freeTierAvailable = false;

    // Input and output are each absent or zero; the other prices and the free tier play no part.
    bool isFree() const;

    friend bool operator==(const ZunoAIModelPricing &, const ZunoAIModelPricing &) = default;
};

std::size_t qHash(const ZunoAIModelPricing &pricing, std::size_t seed = 0) noexcept;

void to_json(nlohmann::json &j, const ZunoAIModelPricing &pricing);
void from_json(const nlohmann::json &j, ZunoAIModelPricing &pricing);
