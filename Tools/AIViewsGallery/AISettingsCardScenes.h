#pragma once

#include "ZunoLanguage.h"

#include <QString>

// The AI settings card's scenes: without a catalog, and on a loopback test catalog with the list open,
// filtered by "pro" and by "installed". One PNG each, "card-<scene>-<language>.png".
bool renderSettingsCards(const QString &folder, ZunoLanguage language);

// The whole card with the own-key and advanced sections open: signed out and in, each provider, a saved
// key, a refused save, the catalog syncing. One PNG each, "card-<scene>-<language>.png".
bool renderSettingsCardSections(const QString &folder, ZunoLanguage language);

// Median times of building the rows (500 catalog models, 50 discovered) and of a card re-sync with the
// list open; printed. Non-zero when the benchmark catalog cannot be served.
int benchmarkSettingsCard();
