#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <nlohmann/json_fwd.hpp>

// A catalog text in Turkish and English; catalog texts exist only in these two.
struct ZunoAILocalizedText {
    QString tr;
    QString en;

    // Turkish gets `tr` unless it is empty, every other language `en` unless it is empty; then the
    // other one. No trimming (a text of spaces is not empty), no language packs.
    QString resolved(ZunoLanguage language) const;

    friend bool operator==(const ZunoAILocalizedText &, const ZunoAILocalizedText &) = default;
};

std::size_t qHash(const ZunoAILocalizedText &text, std::size_t seed = 0) noexcept;

void to_json(nlohmann::json &j, const ZunoAILocalizedText &text);
void from_json(const nlohmann::json &j, ZunoAILocalizedText &text);
