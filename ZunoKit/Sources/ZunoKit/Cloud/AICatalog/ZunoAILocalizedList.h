#pragma once

#include "ZunoLanguage.h"

#include <QStringList>

#include <nlohmann/json_fwd.hpp>

// A catalog list (strengths, limitations) in Turkish and English.
struct ZunoAILocalizedList {
    QStringList tr;
    QStringList en;

    // As `ZunoAILocalizedText::resolved`, with "empty" meaning no element.
    QStringList resolved(ZunoLanguage language) const;

    friend bool operator==(const ZunoAILocalizedList &, const ZunoAILocalizedList &) = default;
};

std::size_t qHash(const ZunoAILocalizedList &list, std::size_t seed = 0) noexcept;

void to_json(nlohmann::json &j, const ZunoAILocalizedList &list);
void from_json(const nlohmann::json &j, ZunoAILocalizedList &list);
