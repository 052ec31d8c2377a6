#pragma once

#include "ZunoAILocalModelSpecs.h"
#include "ZunoAILocalizedList.h"
#include "ZunoAILocalizedText.h"
#include "ZunoAIModelCapabilities.h"
#include "ZunoAIModelModalities.h"
#include "ZunoAIModelPerformance.h"
#include "ZunoAIModelPricing.h"
#include "ZunoAIRamFit.h"

#include <QString>
#include <QStringList>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// One model of the catalog, served by the provider named in `providerId`. Found by `id`,
// `apiModelId` or any of `aliases` (see `ZunoAIModelCatalogDocument::model`).
struct ZunoAIModelSpec {
    QString id;
    QString providerId;
    QString apiModelId;
    QStringList aliases;
    QString displayName;
    QString family;
    QString vendor;
    QString tier;
    QString deployment;
    QString status;
    std::optional<QString> releaseDate;
    std::optional<QString> knowledgeCutoff;
    std::optional<QString> license;
    qint64 contextWindow = 0;
    qint64 maxOutputTokens = 0;
    qint64 defaultMaxOutputTokens = 0;
    double defaultTemperature = 0.0;
    bool supportsTemperature = false;
    bool usesMaxCompletionTokens = false;
    ZunoAIModelModalities modalities;
    ZunoAIModelCapabilities capabilities;
    QStringList reasoningEffortLevels;
    std::optional<ZunoAIModelPricing> pricing;
    std::optional<ZunoAIModelPerformance> performance;
    std::optional<ZunoAILocalModelSpecs> localSpecs;
    QStringList recommendedFor;
    QStringList tags;
    qint64 sortOrder = 0;
    ZunoAILocalizedText summary;
    ZunoAILocalizedList strengths;
    ZunoAILocalizedList limitations;

    // `deployment` is "local" in any letter case.
    bool isLocal() const;

    // Whether the model fits a machine with `hostRamGB` of memory (GB of 2^30 bytes): `cloud` for a
    // model that is not local or has no local specs; otherwise against the minimum M (8 GB when not
    // given) and recommended R (1.5 × M when not given), R tested first. A NaN host gives `exceeds`.
    ZunoAIRamFit ramFit(double hostRamGB) const;

    friend bool operator==(const ZunoAIModelSpec &, const ZunoAIModelSpec &) = default;
};

std::size_t qHash(const ZunoAIModelSpec &model, std::size_t seed = 0) noexcept;

void to_json(nlohmann::json &j, const ZunoAIModelSpec &model);
void from_json(const nlohmann::json &j, ZunoAIModelSpec &model);
