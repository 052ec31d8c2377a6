#pragma once

#include <QStringList>

#include <nlohmann/json_fwd.hpp>

// The kinds of input a model takes and output it gives; the kind names are open labels.
struct ZunoAIModelModalities {
    QStringList input;
    QStringList output;

    friend bool operator==(const ZunoAIModelModalities &, const ZunoAIModelModalities &) = default;
};

std::size_t qHash(const ZunoAIModelModalities &modalities, std::size_t seed = 0) noexcept;

void to_json(nlohmann::json &j, const ZunoAIModelModalities &modalities);
void from_json(const nlohmann::json &j, ZunoAIModelModalities &modalities);
