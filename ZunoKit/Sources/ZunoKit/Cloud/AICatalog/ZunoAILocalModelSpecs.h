#pragma once

#include <QString>
#include <QStringList>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// Hardware needs and package names of a local model; every field is optional ("localSpecs": {} is a
// record with nothing in it). `appleSiliconOptimized` and `mlxRepo` are wire format that means
// nothing on this platform; they are carried, never shown.
struct ZunoAILocalModelSpecs {
    std::optional<double> parameterSizeB;
    std::optional<double> activeParametersB;
    std::optional<QString> architecture;
    std::optional<QString> quantizationDefault;
    std::optional<QStringList> quantizations;
    std::optional<double> minRamGb;
    std::optional<double> recommendedRamGb;
    std::optional<double> diskSizeGb;
    std::optional<qint64> kvCacheMbPer4k;
    std::optional<bool> appleSiliconOptimized;
    std::optional<QString> ollamaTag;
    std::optional<QString> lmStudioId;
    std::optional<QString> mlxRepo;
    std::optional<QString> huggingFaceRepo;

    friend bool operator==(const ZunoAILocalModelSpecs &, const ZunoAILocalModelSpecs &) = default;
};

std::size_t qHash(const ZunoAILocalModelSpecs &specs, std::size_t seed = 0) noexcept;

void to_json(nlohmann::json &j, const ZunoAILocalModelSpecs &specs);
void from_json(const nlohmann::json &j, ZunoAILocalModelSpecs &specs);
