#pragma once

#include "ZunoAIConfig.h"
#include "ZunoAIModelCatalogDocument.h"
#include "ZunoUnifiedModelRowItem.h"

#include <QList>

#include <optional>

// Which rows of the AI settings card are the current choice, what a chosen row writes into the host's
// configuration, and the four quick picks. Pure functions over values; the card and its tests share them.
namespace ZunoAIModelSelection {

// The configured model, trimmed and lower-cased, names the row's model, id or Ollama tag. Provider and
// endpoint are not compared, so two rows can be selected at once.
bool isRowSelected(const ZunoUnifiedModelRowItem &row, const ZunoAIConfig &config);

// The whole new configuration for a chosen row. The credits gateway's address is read now, so a
// changed gateway applies to the next choice.
ZunoAIConfig applyModelSelection(const ZunoUnifiedModelRowItem &row, const ZunoAIConfig &config,
    const ZunoAIModelCatalogDocument &document);

// The four tiles of the quick-picks card; an absent pick is not shown.
struct QuickPicks {
    std::optional<ZunoUnifiedModelRowItem> autoPick;
    std::optional<ZunoUnifiedModelRowItem> fastPick;
    std::optional<ZunoUnifiedModelRowItem> capablePick;
    std::optional<ZunoUnifiedModelRowItem> localPick;
};
QuickPicks quickPicks(const QList<ZunoUnifiedModelRowItem> &rows);

// The first selected row's name, else the configured model, else "Quarnwell Auto".
QString activeName(const QList<ZunoUnifiedModelRowItem> &rows, const ZunoAIConfig &config);

} // namespace ZunoAIModelSelection
