#pragma once

#include "ZunoLanguage.h"

#include <QString>

// The AI settings card's scenes: without a catalog, and on a loopback test catalog with the list open,
// filtered by "pro" and by "installed". One PNG each, "card-<scene>-<language>.png".
bool renderSettingsCards(const QString &folder, ZunoLanguage language);

// The whole card with the own-key and advanced sections open: signed out and in, each provider, a saved
// key, a refused save, the catalog syncing. One PNG each, "card-<scene>-<language>.png".
bool renderSettingsCardSections(const QString &folder, ZunoLanguage language);

// The card with every section open and one control holding the keyboard's focus, ring shown: a quick
// pick, the model list's second row, a category chip, a provider tile, the model ID field. One PNG each,
// "focus-<control>-<language>.png".
bool renderKeyboardFocusScenes(const QString &folder, ZunoLanguage language);

// Median times of building the rows (500 catalog models, 50 discovered) and of a card re-sync with the
// list open; printed. Non-zero when the benchmark catalog cannot be served.
int benchmarkSettingsCard();
