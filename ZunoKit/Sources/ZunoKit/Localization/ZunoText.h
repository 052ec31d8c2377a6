#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <optional>

// The one localize function: every user-visible text is written at its call site as an English and
// Turkish pair. Resolved through `ZunoLocalizationStore::shared()`: a custom override, then English or
// Turkish directly, then the language's pack, then its fallback parent's pack, then English.
//
//   zunoText("Settings", "Ayarlar")                        // the current language
//   zunoText("Settings", "Ayarlar", language)              // a language the caller holds
//   zunoText("Settings", "Ayarlar", "settings.title", language)
//
// Without a language, `ZunoLanguages::current()` is read, which costs a settings read; screens that
// render many texts pass the language they hold.
QString zunoText(const QString &en, const QString &tr, const std::optional<QString> &key = std::nullopt,
                 std::optional<ZunoLanguage> language = std::nullopt);

inline QString zunoText(const QString &en, const QString &tr, ZunoLanguage language)
{
    return zunoText(en, tr, std::nullopt, language);
}
