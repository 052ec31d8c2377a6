#pragma once

#include "ZunoAIModelFilterCategory.h"
#include "ZunoLanguageAwareUIState.h"

#include <QString>

#include <optional>

// The AI settings card's own transient state, shared by its sections and kept for the card's life:
// search and filter of the model list and the flags of the collapsible sections (all collapsed at first).
// Main thread only.
class ZunoAIUnifiedSettingsUIState : public ZunoLanguageAwareUIState {
    Q_OBJECT
public:
    explicit ZunoAIUnifiedSettingsUIState(QObject *parent = nullptr);

    QString searchQuery;
    ZunoAIModelFilterCategory selectedCategory = ZunoAIModelFilterCategory::all;
    bool showBudgetEditor = false;
    bool showAllModels = false;
    bool showOwnKeySection = false;
    bool showAdvancedSettings = false;
};
