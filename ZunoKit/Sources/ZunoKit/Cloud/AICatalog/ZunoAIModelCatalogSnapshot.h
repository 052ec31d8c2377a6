#pragma once

#include "ZunoAIDiscoveredLocalModel.h"
#include "ZunoAIModelCatalogDocument.h"
#include "ZunoAIModelSyncMeta.h"

#include <QList>

// The catalog, its sync record and the local models, in one value for callers that want one.
struct ZunoAIModelCatalogSnapshot {
    ZunoAIModelCatalogDocument document;
    ZunoAIModelSyncMeta meta;
    QList<ZunoAIDiscoveredLocalModel> discoveredLocalModels;

    friend bool operator==(const ZunoAIModelCatalogSnapshot &, const ZunoAIModelCatalogSnapshot &) = default;
};
