#pragma once

#include "ZunoAIDiscoveredLocalModel.h"
#include "ZunoAIModelCatalogDocument.h"
#include "ZunoLanguage.h"
#include "ZunoUnifiedModelRowItem.h"

#include <QList>

// Turns the catalog and the models found on local servers into the AI settings card's one flat list:
// the three managed models, local models the catalog does not know, then the catalog's models. Pure
// and synchronous; hash look-ups only, so the card can rebuild it on every change.
namespace ZunoUnifiedCatalogBuilder {

// Reads the machine's physical memory once (GB of 2^30 bytes) and builds the rows.
QList<ZunoUnifiedModelRowItem> buildRows(const ZunoAIModelCatalogDocument &document,
    const QList<ZunoAIDiscoveredLocalModel> &discoveredLocal, ZunoLanguage language);

// The same with the host's memory given (tests, benchmarks).
QList<ZunoUnifiedModelRowItem> buildRows(const ZunoAIModelCatalogDocument &document,
    const QList<ZunoAIDiscoveredLocalModel> &discoveredLocal, ZunoLanguage language, double hostRamGB);

// Physical memory of this machine in GB of 2^30 bytes.
double hostRamGB();

} // namespace ZunoUnifiedCatalogBuilder
