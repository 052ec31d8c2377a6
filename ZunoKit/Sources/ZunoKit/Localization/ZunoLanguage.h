#pragma once

#include <QLocale>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

// The interface languages, in table order. Raw values are language codes ("en", "pt-BR", "zh-Hans").
enum class ZunoLanguage {
    ar,
    az,
    bg,
    ca,
    cs,
    da,
    de,
    el,
    en,
    es,
    fa,
    fi,
    fr,
    he,
    hi,
    hr,
    hu,
    id,
    it,
    ja,
    ko,
    ms,
    nb,
    nl,
    pl,
    ptBR,
    ptPT,
    ro,
    ru,
    sk,
    sv,
    th,
    tr,
    uk,
    vi,
    zhHans,
    zhHant
};
Q_DECLARE_METATYPE(ZunoLanguage)

// The language choice and its preference. Nothing is cached: `current()` and friends re-read the
// stored preference (and, when following the system, the system's languages) on every call, so read
// it once per screen, not per text. Every function may be called from any thread.
namespace ZunoLanguages {

inline constexpr int kCount = 37;
// The preference in the application's `ZunoDefaults`.
inline constexpr char kDefaultsKey[] = "com.quarnwell.preferredLanguage";
// The stored value that means "follow the system".
inline constexpr char kSystemPreferenceCode[] = "system";
// Posted through `ZunoNotificationCenter` on every change; the payload is the new `ZunoLanguage`.
inline constexpr char kLanguageDidChangeNotification[] = "com.quarnwell.languageDidChange";

// Every case in table order.
const std::array<ZunoLanguage, kCount> &allCases();
// Every case, stably sorted by English name (case-insensitive, locale-aware): the menus' order.
std::vector<ZunoLanguage> sortedCases();

// Exact, case-sensitive raw value only.
std::optional<ZunoLanguage> fromRawValue(const QString &raw);
// Any locale or language tag ("en_US", "zh-Hant-TW", "iw") to a supported language, or none.
std::optional<ZunoLanguage> match(const QString &tag);
// The first tag that `match` accepts, else English.
ZunoLanguage resolve(const QStringList &tags);

// The system's preferred languages, most preferred first: LANGUAGE (a colon-separated list), then the
// first set of LC_ALL, LC_MESSAGES and LANG. Read afresh at every call.
QStringList systemPreferredLanguages();
// The first supported system language; English when none is.
ZunoLanguage systemResolved();

// The stored preference, trimmed; "system" when absent or blank.
QString storedPreferenceCode();
bool isFollowingSystem();
// The language the interface should use now.
ZunoLanguage current();

// Chooses an explicit language: stores it (unless suppressed by `applyFollowSystem`), preloads its
// packs and posts the change notification on the calling thread.
void setCurrent(ZunoLanguage language);
// Chooses to follow the system: stores "system", preloads and announces the resolved language.
void setFollowSystem();
// Follows the system, then runs `apply` with persistence suppressed, so that a `setCurrent` made in
// it (the application's own handler for the chosen language) keeps "system" stored. Nests.
void applyFollowSystem(const std::function<void()> &apply);

// Lenient decoding of a stored language: any text (or a non-string) yields a language, falling back
// to the system-resolved one. Never throws.
ZunoLanguage decode(const nlohmann::json &value);

} // namespace ZunoLanguages

QString rawValue(ZunoLanguage language);
inline QString id(ZunoLanguage language)
{
    return rawValue(language);
}
QString nativeName(ZunoLanguage language);
QString englishName(ZunoLanguage language);
// Badge text: the raw value upper-cased, except PT, PT-PT, ZH and ZH-TW.
QString shortCode(ZunoLanguage language);
bool isRTL(ZunoLanguage language);
// "Deutsch (German)"; the native name alone where it equals the English one.
QString displayName(ZunoLanguage language);
QLocale locale(ZunoLanguage language);
// Where packs are looked up when this language's own lacks a text: pt-BR for pt-PT, zh-Hans for zh-Hant.
std::optional<ZunoLanguage> fallbackParent(ZunoLanguage language);

inline std::size_t qHash(ZunoLanguage language, std::size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(language), seed);
}

// Coded as the raw value; decoding is the lenient `ZunoLanguages::decode`.
void to_json(nlohmann::json &j, ZunoLanguage language);
void from_json(const nlohmann::json &j, ZunoLanguage &language);

// Follow the system, or one explicit language.
class ZunoLanguageSelection {
public:
    static ZunoLanguageSelection explicitLanguage(ZunoLanguage language)
    {
        return ZunoLanguageSelection(language);
    }
    static ZunoLanguageSelection system() { return ZunoLanguageSelection(std::nullopt); }
    // `system` when "system" is stored, else the explicit current language.
    static ZunoLanguageSelection current();

    bool isSystem() const { return !m_language.has_value(); }
    // The explicit language; none for `system`.
    std::optional<ZunoLanguage> explicitValue() const { return m_language; }
    // The explicit language, or the system-resolved one.
    ZunoLanguage resolvedLanguage() const;

    bool operator==(const ZunoLanguageSelection &) const = default;

private:
    explicit ZunoLanguageSelection(std::optional<ZunoLanguage> language)
        : m_language(language)
    {
    }
    std::optional<ZunoLanguage> m_language;
};

inline std::size_t qHash(const ZunoLanguageSelection &selection, std::size_t seed = 0) noexcept
{
    const auto language = selection.explicitValue();
    return ::qHash(language ? static_cast<int>(*language) : -1, seed);
}

template <> struct std::hash<ZunoLanguageSelection> {
    std::size_t operator()(const ZunoLanguageSelection &selection) const noexcept { return qHash(selection); }
};
