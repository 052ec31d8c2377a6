#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <functional>

// What the language picker and the language menu button share: their texts and the two choices,
// which change the stored preference first and tell the caller afterwards. Main thread only.
namespace ZunoLanguageChoice {

using OnSelect = std::function<void(ZunoLanguage)>;

// "Language" / "Dil".
QString titleText(ZunoLanguage language);
// "System Language (Deutsch)": the entry that follows the system, with the language it resolves to.
QString systemEntryText(ZunoLanguage language);

// Follows the system: `isFollowingSystem` becomes true, "system" is stored and announced, then
// `onSelect` gets the system's language with preference writes suppressed, so that a `setCurrent`
// it makes keeps "system" stored.
void followSystem(bool &isFollowingSystem, const OnSelect &onSelect);
// Chooses `language`: stores and announces it, `isFollowingSystem` becomes false, then `onSelect`.
void chooseLanguage(ZunoLanguage language, bool &isFollowingSystem, const OnSelect &onSelect);

// Re-reads the stored preference; assigns only when it differs. True when it changed.
bool synchronize(bool &isFollowingSystem);

} // namespace ZunoLanguageChoice
