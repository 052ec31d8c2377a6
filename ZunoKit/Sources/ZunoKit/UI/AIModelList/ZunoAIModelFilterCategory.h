#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <array>
#include <optional>

// The filter chips of the AI settings card's model list, in chip order. Raw values are the case names.
enum class ZunoAIModelFilterCategory { all, quarnwell, cloud, local, installed, reasoning, vision };

namespace ZunoAIModelFilterCategories {

inline constexpr std::array<ZunoAIModelFilterCategory, 7> allCases = {
    ZunoAIModelFilterCategory::all,
    ZunoAIModelFilterCategory::quarnwell,
    ZunoAIModelFilterCategory::cloud,
    ZunoAIModelFilterCategory::local,
    ZunoAIModelFilterCategory::installed,
    ZunoAIModelFilterCategory::reasoning,
    ZunoAIModelFilterCategory::vision,
};

// Exact, case-sensitive: "Cloud" is none.
std::optional<ZunoAIModelFilterCategory> fromRawValue(const QString &raw);

} // namespace ZunoAIModelFilterCategories

QString rawValue(ZunoAIModelFilterCategory category);

// The chip's title; the brand name "Quarnwell" is never translated.
QString title(ZunoAIModelFilterCategory category, ZunoLanguage language);
