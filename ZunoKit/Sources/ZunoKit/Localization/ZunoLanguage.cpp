#include "ZunoLanguage.h"

#include "ZunoDefaults.h"
#include "ZunoLocalizationStore.h"
#include "ZunoNotificationCenter.h"

#include <QCollator>
#include <QVariant>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <mutex>

namespace {

struct LanguageRow {
    const char *rawValue;
    const char *nativeName;
    const char *englishName;
    const char *shortCode; // null: the raw value upper-cased
};

constexpr LanguageRow kRows[ZunoLanguages::kCount] = {
    { "ar", "العربية", "Arabic", nullptr },
    { "az", "Azərbaycanca", "Azerbaijani", nullptr },
    { "bg", "Български", "Bulgarian", nullptr },
    { "ca", "Català", "Catalan", nullptr },
    { "cs", "Čeština", "Czech", nullptr },
    { "da", "Dansk", "Danish", nullptr },
    { "de", "Deutsch", "German", nullptr },
    { "el", "Ελληνικά", "Greek", nullptr },
    { "en", "English", "English", nullptr },
    { "es", "Español", "Spanish", nullptr },
    { "fa", "فارسی", "Persian", nullptr },
    { "fi", "Suomi", "Finnish", nullptr },
    { "fr", "Français", "French", nullptr },
    { "he", "עברית", "Hebrew", nullptr },
    { "hi", "हिन्दी", "Hindi", nullptr },
    { "hr", "Hrvatski", "Croatian", nullptr },
    { "hu", "Magyar", "Hungarian", nullptr },
    { "id", "Bahasa Indonesia", "Indonesian", nullptr },
    { "it", "Italiano", "Italian", nullptr },
    { "ja", "日本語", "Japanese", nullptr },
    { "ko", "한국어", "Korean", nullptr },
    { "ms", "Bahasa Melayu", "Malay", nullptr },
    { "nb", "Norsk Bokmål", "Norwegian Bokmål", nullptr },
    { "nl", "Nederlands", "Dutch", nullptr },
    { "pl", "Polski", "Polish", nullptr },
    { "pt-BR", "Português (Brasil)", "Portuguese (Brazil)", "PT" },
    { "pt-PT", "Português (Portugal)", "Portuguese (Portugal)", "PT-PT" },
    { "ro", "Română", "Romanian", nullptr },
    { "ru", "Русский", "Russian", nullptr },
    { "sk", "Slovenčina", "Slovak", nullptr },
    { "sv", "Svenska", "Swedish", nullptr },
    { "th", "ไทย", "Thai", nullptr },
    { "tr", "Türkçe", "Turkish", nullptr },
    { "uk", "Українська", "Ukrainian", nullptr },
    { "vi", "Tiếng Việt", "Vietnamese", nullptr },
    { "zh-Hans", "简体中文", "Chinese (Simplified)", "ZH" },
    { "zh-Hant", "繁體中文", "Chinese (Traditional)", "ZH-TW" },
};

const LanguageRow &row(ZunoLanguage language)
{
    const int i = static_cast<int>(language);
    return kRows[(i >= 0 && i < ZunoLanguages::kCount) ? i : static_cast<int>(ZunoLanguage::en)];
}

// Keeps `setCurrent` from overwriting "system" while `applyFollowSystem` runs its closure.
class ZunoLanguagePersistenceGuard {
public:
    static ZunoLanguagePersistenceGuard &shared()
    {
        static ZunoLanguagePersistenceGuard guard;
        return guard;
    }

    int depth()
    {
        std::lock_guard lock(m_lock);
        return m_suppressDepth;
    }
    void enter()
    {
        std::lock_guard lock(m_lock);
        ++m_suppressDepth;
    }
    void leave()
    {
        std::lock_guard lock(m_lock);
        m_suppressDepth = std::max(0, m_suppressDepth - 1);
    }

private:
    std::mutex m_lock;
    int m_suppressDepth = 0;
};

bool isSystemCode(const QString &code)
{
    return code.compare(QLatin1String(ZunoLanguages::kSystemPreferenceCode), Qt::CaseInsensitive) == 0;
}

// "de_AT.UTF-8@euro" to "de_AT"; the C and POSIX locales name no language.
QString localeTag(const QString &value)
{
    QString tag = value.trimmed();
    for (const char stop : { '@', '.' }) {
        const qsizetype at = tag.indexOf(QLatin1Char(stop));
        if (at >= 0)
            tag.truncate(at);
    }
    if (tag == QLatin1String("C") || tag == QLatin1String("POSIX"))
        return {};
    return tag;
}

void announce(ZunoLanguage language)
{
    ZunoLocalizationStore::shared().preloadIfNeeded(language);
    ZunoNotificationCenter::shared().post(
        QLatin1String(ZunoLanguages::kLanguageDidChangeNotification), QVariant::fromValue(language));
}

} // namespace

namespace ZunoLanguages {

const std::array<ZunoLanguage, kCount> &allCases()
{
    static const auto cases = [] {
        std::array<ZunoLanguage, kCount> all {};
        for (int i = 0; i < kCount; ++i)
            all[i] = static_cast<ZunoLanguage>(i);
        return all;
    }();
    return cases;
}

std::vector<ZunoLanguage> sortedCases()
{
    std::vector<ZunoLanguage> cases(allCases().begin(), allCases().end());
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(cases.begin(), cases.end(),
        [&](ZunoLanguage a, ZunoLanguage b) { return collator.compare(englishName(a), englishName(b)) < 0; });
    return cases;
}

std::optional<ZunoLanguage> fromRawValue(const QString &raw)
{
    for (const ZunoLanguage language : allCases()) {
        if (raw == QLatin1String(row(language).rawValue))
            return language;
    }
    return std::nullopt;
}

std::optional<ZunoLanguage> match(const QString &tag)
{
    QString normalized = tag.trimmed();
    normalized.replace(QLatin1Char('_'), QLatin1Char('-'));
    if (normalized.isEmpty())
        return std::nullopt;

    for (const ZunoLanguage language : allCases()) {
        if (normalized.compare(QLatin1String(row(language).rawValue), Qt::CaseInsensitive) == 0)
            return language;
    }

    const QString t = normalized.toLower();
    const auto isOrStartsWith = [&t](const char *primary) {
        return t == QLatin1String(primary) || t.startsWith(QLatin1String(primary) + QLatin1Char('-'));
    };
    const auto has = [&t](const char *piece) { return t.contains(QLatin1String(piece)); };

    if (isOrStartsWith("zh")) {
        // An explicit script wins over the region: zh-Hans-HK is Simplified.
        if (has("hant"))
            return ZunoLanguage::zhHant;
        if (has("hans"))
            return ZunoLanguage::zhHans;
        if (has("-tw") || has("-hk") || has("-mo"))
            return ZunoLanguage::zhHant;
        return ZunoLanguage::zhHans;
    }
    if (isOrStartsWith("pt"))
        return t.startsWith(QLatin1String("pt-pt")) ? ZunoLanguage::ptPT : ZunoLanguage::ptBR;
    if (isOrStartsWith("no") || isOrStartsWith("nb") || isOrStartsWith("nn"))
        return ZunoLanguage::nb;

    const QStringList pieces = t.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    const QString primary = pieces.isEmpty() ? t : pieces.constFirst();
    if (primary == QLatin1String("iw"))
        return ZunoLanguage::he;
    if (primary == QLatin1String("in"))
        return ZunoLanguage::id;
    for (const ZunoLanguage language : allCases()) {
        if (primary == QString::fromLatin1(row(language).rawValue).toLower())
            return language;
    }
    return std::nullopt;
}

ZunoLanguage resolve(const QStringList &tags)
{
    for (const QString &tag : tags) {
        if (const auto language = match(tag))
            return *language;
    }
    return ZunoLanguage::en;
}

QStringList systemPreferredLanguages()
{
    QStringList tags;
    const auto add = [&tags](const QString &tag) {
        if (!tag.isEmpty() && !tags.contains(tag))
            tags.append(tag);
    };
    for (const QString &entry : qEnvironmentVariable("LANGUAGE").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        add(localeTag(entry));
    for (const char *variable : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty()) {
            add(localeTag(value));
            break;
        }
    }
    // Not Qt's system list: on Linux it comes from these same variables but is read once a process, so a
    // change would never show.
    return tags;
}

ZunoLanguage systemResolved()
{
    return resolve(systemPreferredLanguages());
}

QString storedPreferenceCode()
{
    const QString stored = ZunoDefaults::standard().string(QLatin1String(kDefaultsKey)).trimmed();
    return stored.isEmpty() ? QString::fromLatin1(kSystemPreferenceCode) : stored;
}

bool isFollowingSystem()
{
    return isSystemCode(storedPreferenceCode());
}

ZunoLanguage current()
{
    const QString stored = storedPreferenceCode();
    if (!isSystemCode(stored)) {
        if (const auto language = match(stored))
            return *language;
    }
    return systemResolved();
}

void setCurrent(ZunoLanguage language)
{
    // A write that fails is logged by the store; the change is announced all the same.
    if (ZunoLanguagePersistenceGuard::shared().depth() < 1)
        static_cast<void>(ZunoDefaults::standard().setValue(QLatin1String(kDefaultsKey), rawValue(language)));
    announce(language);
}

void setFollowSystem()
{
    static_cast<void>(ZunoDefaults::standard().setValue(
        QLatin1String(kDefaultsKey), QString::fromLatin1(kSystemPreferenceCode)));
    announce(systemResolved());
}

void applyFollowSystem(const std::function<void()> &apply)
{
    setFollowSystem();
    auto &guard = ZunoLanguagePersistenceGuard::shared();
    guard.enter();
    struct Leave {
        ZunoLanguagePersistenceGuard &guard;
        ~Leave() { guard.leave(); }
    } leave { guard };
    if (apply)
        apply();
}

ZunoLanguage decode(const nlohmann::json &value)
{
    const QString text
        = value.is_string() ? QString::fromStdString(value.get<std::string>()).trimmed() : QString();
    if (text.isEmpty() || isSystemCode(text))
        return systemResolved();
    if (const auto language = fromRawValue(text))
        return *language;
    if (const auto language = match(text))
        return *language;
    return systemResolved();
}

} // namespace ZunoLanguages

QString rawValue(ZunoLanguage language)
{
    return QString::fromLatin1(row(language).rawValue);
}

QString nativeName(ZunoLanguage language)
{
    return QString::fromUtf8(row(language).nativeName);
}

QString englishName(ZunoLanguage language)
{
    return QString::fromUtf8(row(language).englishName);
}

QString shortCode(ZunoLanguage language)
{
    const LanguageRow &r = row(language);
    return r.shortCode ? QString::fromLatin1(r.shortCode) : QString::fromLatin1(r.rawValue).toUpper();
}

bool isRTL(ZunoLanguage language)
{
    return language == ZunoLanguage::ar || language == ZunoLanguage::fa || language == ZunoLanguage::he;
}

QString displayName(ZunoLanguage language)
{
    const QString native = nativeName(language);
    const QString english = englishName(language);
    if (native.compare(english, Qt::CaseInsensitive) == 0)
        return native;
    return native + QStringLiteral(" (") + english + QLatin1Char(')');
}

QLocale locale(ZunoLanguage language)
{
    return QLocale(rawValue(language));
}

std::optional<ZunoLanguage> fallbackParent(ZunoLanguage language)
{
    switch (language) {
    case ZunoLanguage::ptPT:
        return ZunoLanguage::ptBR;
    case ZunoLanguage::zhHant:
        return ZunoLanguage::zhHans;
    default:
        return std::nullopt;
    }
}

void to_json(nlohmann::json &j, ZunoLanguage language)
{
    j = rawValue(language).toStdString();
}

void from_json(const nlohmann::json &j, ZunoLanguage &language)
{
    language = ZunoLanguages::decode(j);
}

ZunoLanguageSelection ZunoLanguageSelection::current()
{
    if (ZunoLanguages::isFollowingSystem())
        return system();
    return explicitLanguage(ZunoLanguages::current());
}

ZunoLanguage ZunoLanguageSelection::resolvedLanguage() const
{
    return m_language ? *m_language : ZunoLanguages::systemResolved();
}
