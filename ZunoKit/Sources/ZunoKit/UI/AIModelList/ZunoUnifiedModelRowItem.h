#pragma once

#include "ZunoAIModelFilterCategory.h"
#include "ZunoAIModelPricing.h"
#include "ZunoAIRamFit.h"

#include <QString>
#include <QStringList>

#include <optional>

// One selectable model of the AI settings card: a managed model of the credit gateway, a catalog model
// or a model found only on a local server. Built by `ZunoUnifiedCatalogBuilder`; identified by `id`.
struct ZunoUnifiedModelRowItem {
    // "quarnwell/<apiId>" for the managed rows, else the catalog or discovered model's id.
    QString id;
    // The name sent to the endpoint.
    QString apiModelId;
    QString displayName;
    QString providerId;
    QString vendor;
    bool isQuarnwellManaged = false;
    bool isManagedAutoRouter = false;
    bool isLocal = false;
    bool isInstalledLocally = false;
    // Tokens; 0 when unknown.
    qint64 contextWindow = 0;
    std::optional<ZunoAIModelPricing> pricing;
    std::optional<double> minRamGb;
    std::optional<double> recommendedRamGb;
    // The size the local server reports.
    std::optional<qint64> localSizeBytes;
    ZunoAIRamFit ramFit = ZunoAIRamFit::cloud;
    bool supportsVision = false;
    bool supportsReasoning = false;
    bool supportsTools = false;
    // One line in the interface language.
    QString summaryText;
    // Extra search words.
    QStringList tags;
    // Lower first.
    int sortPriority = 0;
    // Sent to Ollama in place of `apiModelId`.
    std::optional<QString> ollamaTag;

    // Passes the category, then (when the trimmed query is not blank) contains the lower-cased query
    // in the name, model name, vendor, provider, summary or a tag. `id` is not searched.
    bool matches(ZunoAIModelFilterCategory category, const QString &query) const;

    friend bool operator==(const ZunoUnifiedModelRowItem &, const ZunoUnifiedModelRowItem &) = default;
};
