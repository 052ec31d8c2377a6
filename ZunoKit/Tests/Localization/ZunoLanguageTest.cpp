#include "ZunoLanguage.h"
#include "ZunoDefaults.h"
#include "ZunoLocalizationStore.h"
#include "ZunoNotificationCenter.h"
#include "ZunoPaths.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"
#include "ZunoText.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QSet>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <optional>
#include <vector>

namespace {

// Sets the locale variables for one test and puts the old values back.
class LocaleEnvironment : public ZunoScopedEnvironment {
public:
    LocaleEnvironment(
        const char *language, const char *lcAll, const char *lcMessages = "", const char *lang = "")
    {
        set("LANGUAGE", language);
        set("LC_ALL", lcAll);
        set("LC_MESSAGES", lcMessages);
        set("LANG", lang);
    }
};

void store(const QString &value)
{
    EXPECT_TRUE(ZunoDefaults::standard().setValue(ZunoLanguages::kDefaultsKey, value));
}

QString stored()
{
    return ZunoDefaults::standard().string(ZunoLanguages::kDefaultsKey);
}

// Collects the languages announced while it lives.
class ChangeRecorder {
public:
    ChangeRecorder()
    {
        ZunoNotificationCenter::shared().addObserver(ZunoLanguages::kLanguageDidChangeNotification,
            &m_context, [this](const QString &, const QVariant &payload) {
                languages.push_back(payload.value<ZunoLanguage>());
            });
    }
    std::vector<ZunoLanguage> languages;

private:
    QObject m_context;
};

} // namespace

TEST(ZunoLanguage, MatchesTags)
{
    using L = ZunoLanguage;
    const std::vector<std::pair<const char *, std::optional<L>>> cases = {
        { "", std::nullopt },
        { "   ", std::nullopt },
        { " en_US \n", L::en },
        { "en-GB", L::en },
        { "PT_br", L::ptBR },
        { "ZH-hant", L::zhHant },
        { "zh", L::zhHans },
        { "zh-CN", L::zhHans },
        { "zh-SG", L::zhHans },
        { "zh-Hans", L::zhHans },
        { "zh-TW", L::zhHant },
        { "zh-HK", L::zhHant },
        { "zh-MO", L::zhHant },
        { "zh-Hant-TW", L::zhHant },
        { "zh-Hans-HK", L::zhHans }, // an explicit script wins over the region
        { "zh_Hans_MO", L::zhHans },
        { "zhx", std::nullopt },
        { "pt", L::ptBR },
        { "pt-AO", L::ptBR },
        { "pt-MZ", L::ptBR },
        { "pt-PT", L::ptPT },
        { "pt_pt", L::ptPT },
        { "no", L::nb },
        { "nn-NO", L::nb },
        { "nb", L::nb },
        { "nob", std::nullopt },
        { "iw-IL", L::he },
        { "in-ID", L::id },
        { "de-AT", L::de },
        { "tr_TR", L::tr },
        { "-fr-", L::fr },
        { "fil", std::nullopt },
        { "sr-Latn", std::nullopt },
        { "english", std::nullopt },
    };
    for (const auto &[tag, expected] : cases)
        EXPECT_EQ(ZunoLanguages::match(QString::fromUtf8(tag)), expected) << '"' << tag << '"';

    EXPECT_EQ(ZunoLanguages::resolve({ "fil", "sr-Latn", "nn", "de" }), L::nb);
    EXPECT_EQ(ZunoLanguages::resolve({ "fil", "english" }), L::en);
    EXPECT_EQ(ZunoLanguages::resolve({}), L::en);
}

TEST(ZunoLanguage, TableAndDerivedProperties)
{
    const auto &all = ZunoLanguages::allCases();
    ASSERT_EQ(all.size(), 37u);
    QSet<QString> raws;
    for (const ZunoLanguage language : all) {
        raws.insert(rawValue(language));
        EXPECT_EQ(ZunoLanguages::fromRawValue(rawValue(language)), language);
        EXPECT_EQ(ZunoLanguages::match(rawValue(language)), language);
        EXPECT_EQ(isRTL(language),
            language == ZunoLanguage::ar || language == ZunoLanguage::fa || language == ZunoLanguage::he);
    }
    EXPECT_EQ(raws.size(), 37);
    EXPECT_EQ(ZunoLanguages::fromRawValue("PT-BR"), std::nullopt);
    EXPECT_EQ(ZunoLanguages::fromRawValue("pt_BR"), std::nullopt);

    EXPECT_EQ(rawValue(ZunoLanguage::zhHant), "zh-Hant");
    EXPECT_EQ(nativeName(ZunoLanguage::az), "Azərbaycanca");
    EXPECT_EQ(englishName(ZunoLanguage::nb), "Norwegian Bokmål");
    EXPECT_EQ(shortCode(ZunoLanguage::de), "DE");
    EXPECT_EQ(shortCode(ZunoLanguage::ptBR), "PT");
    EXPECT_EQ(shortCode(ZunoLanguage::ptPT), "PT-PT");
    EXPECT_EQ(shortCode(ZunoLanguage::zhHans), "ZH");
    EXPECT_EQ(shortCode(ZunoLanguage::zhHant), "ZH-TW");
    EXPECT_EQ(displayName(ZunoLanguage::en), "English");
    EXPECT_EQ(displayName(ZunoLanguage::de), "Deutsch (German)");
    EXPECT_EQ(displayName(ZunoLanguage::ptBR), "Português (Brasil) (Portuguese (Brazil))");
    EXPECT_EQ(locale(ZunoLanguage::ptBR).territory(), QLocale::Brazil);
    EXPECT_EQ(locale(ZunoLanguage::zhHant).script(), QLocale::TraditionalHanScript);
    EXPECT_EQ(fallbackParent(ZunoLanguage::ptPT), ZunoLanguage::ptBR);
    EXPECT_EQ(fallbackParent(ZunoLanguage::zhHant), ZunoLanguage::zhHans);
    EXPECT_EQ(fallbackParent(ZunoLanguage::ptBR), std::nullopt);
    EXPECT_EQ(fallbackParent(ZunoLanguage::de), std::nullopt);

    const auto sorted = ZunoLanguages::sortedCases();
    ASSERT_EQ(sorted.size(), 37u);
    for (std::size_t i = 1; i < sorted.size(); ++i)
        EXPECT_LT(englishName(sorted[i - 1]).compare(englishName(sorted[i]), Qt::CaseInsensitive), 0);
    EXPECT_EQ(sorted.front(), ZunoLanguage::ar);
    EXPECT_EQ(sorted[4], ZunoLanguage::zhHans); // Arabic, Azerbaijani, Bulgarian, Catalan, Chinese
    EXPECT_EQ(sorted.back(), ZunoLanguage::vi);
}

TEST(ZunoLanguage, FollowsTheSystemWhenNothingIsStored)
{
    ZunoTestHome home;
    LocaleEnvironment env("fil:de_AT.UTF-8:fr", "tr_TR.UTF-8");
    EXPECT_EQ(ZunoLanguages::systemPreferredLanguages().mid(0, 3), QStringList({ "fil", "de_AT", "fr" }));
    EXPECT_EQ(ZunoLanguages::storedPreferenceCode(), "system");
    EXPECT_TRUE(ZunoLanguages::isFollowingSystem());
    EXPECT_EQ(ZunoLanguages::systemResolved(), ZunoLanguage::de);
    EXPECT_EQ(ZunoLanguages::current(), ZunoLanguage::de);
    EXPECT_EQ(ZunoLanguageSelection::current(), ZunoLanguageSelection::system());
    EXPECT_EQ(ZunoLanguageSelection::system().resolvedLanguage(), ZunoLanguage::de);

    // Without LANGUAGE, LC_ALL comes before LC_MESSAGES and LANG; the C locale names no language.
    {
        LocaleEnvironment inner("", "C.UTF-8", "ja_JP.UTF-8", "ko_KR.UTF-8");
        const QStringList tags = ZunoLanguages::systemPreferredLanguages();
        EXPECT_FALSE(tags.contains("C") || tags.contains("ja_JP") || tags.contains("ko_KR"))
            << tags.join(',').toStdString();
    }
    {
        LocaleEnvironment inner("", "", "ja_JP.UTF-8@latin", "ko_KR.UTF-8");
        EXPECT_EQ(ZunoLanguages::systemPreferredLanguages().value(0), "ja_JP");
        EXPECT_EQ(ZunoLanguages::current(), ZunoLanguage::ja);
    }
    // Only unsupported languages: English.
    {
        LocaleEnvironment inner("fil:sr_Latn", "fil_PH.UTF-8");
        EXPECT_EQ(ZunoLanguages::systemResolved(), ZunoLanguage::en)
            << ZunoLanguages::systemPreferredLanguages().join(',').toStdString();
    }
}

// The system's languages are read afresh at every access: a change shows at the next one, whatever an
// earlier read saw (Qt's own list is read once a process).
TEST(ZunoLanguage, ChangedSystemLanguagesShowAtTheNextAccess)
{
    ZunoTestHome home;
    const struct {
        const char *language;
        const char *lcAll;
        const char *lang;
        ZunoLanguage expected;
    } steps[] = {
        { "de", "de_DE.UTF-8", "", ZunoLanguage::de },
        { "fil:sr_Latn", "fil_PH.UTF-8", "", ZunoLanguage::en },
        { "", "", "fr_FR.UTF-8", ZunoLanguage::fr },
        { "", "C.UTF-8", "", ZunoLanguage::en },
        { "ja", "", "", ZunoLanguage::ja },
    };
    for (const auto &step : steps) {
        LocaleEnvironment env(step.language, step.lcAll, "", step.lang);
        EXPECT_EQ(ZunoLanguages::systemResolved(), step.expected)
            << step.language << " / " << step.lcAll << " / " << step.lang << ": "
            << ZunoLanguages::systemPreferredLanguages().join(',').toStdString();
    }
}

TEST(ZunoLanguage, StoredPreferenceIsReadLeniently)
{
    ZunoTestHome home;
    LocaleEnvironment env("sv", "");
    struct Case {
        const char *stored;
        bool following;
        ZunoLanguage current;
    };
    const std::vector<Case> cases = {
        { "", true, ZunoLanguage::sv },
        { "  \n", true, ZunoLanguage::sv },
        { " SYSTEM\n", true, ZunoLanguage::sv },
        { "de", false, ZunoLanguage::de },
        { "pt_BR", false, ZunoLanguage::ptBR },
        { " de-AT ", false, ZunoLanguage::de },
        { "xx", false, ZunoLanguage::sv },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        store(QString::fromUtf8(c.stored));
        EXPECT_EQ(ZunoLanguages::isFollowingSystem(), c.following);
        EXPECT_EQ(ZunoLanguages::current(), c.current);
        EXPECT_EQ(ZunoLanguageSelection::current(),
            c.following ? ZunoLanguageSelection::system()
                        : ZunoLanguageSelection::explicitLanguage(c.current));
    }
    EXPECT_EQ(ZunoLanguages::storedPreferenceCode(), "xx");
    EXPECT_TRUE(ZunoDefaults::standard().remove(ZunoLanguages::kDefaultsKey));
    EXPECT_EQ(ZunoLanguages::storedPreferenceCode(), "system");
}

TEST(ZunoLanguage, ChangesAreStoredAndAnnounced)
{
    ZunoTestHome home;
    LocaleEnvironment env("it", "");
    ChangeRecorder changes;

    ZunoLanguages::setCurrent(ZunoLanguage::de);
    EXPECT_EQ(stored(), "de");
    ZunoLanguages::setCurrent(ZunoLanguage::zhHant);
    EXPECT_EQ(stored(), "zh-Hant");
    EXPECT_EQ(ZunoLanguages::current(), ZunoLanguage::zhHant);
    ZunoLanguages::setFollowSystem();
    EXPECT_EQ(stored(), "system");
    EXPECT_EQ(changes.languages, (std::vector { ZunoLanguage::de, ZunoLanguage::zhHant, ZunoLanguage::it }));

    // The application's handler chooses the resolved language inside: "system" stays stored.
    changes.languages.clear();
    ZunoLanguages::setCurrent(ZunoLanguage::fr);
    ZunoLanguages::applyFollowSystem([] {
        ZunoLanguages::applyFollowSystem([] { ZunoLanguages::setCurrent(ZunoLanguage::ja); });
        ZunoLanguages::setCurrent(ZunoLanguages::systemResolved());
    });
    EXPECT_EQ(stored(), "system");
    EXPECT_EQ(changes.languages,
        (std::vector {
            ZunoLanguage::fr, ZunoLanguage::it, ZunoLanguage::it, ZunoLanguage::ja, ZunoLanguage::it }));
    // Once the outermost closure is done, choices are stored again.
    ZunoLanguages::setCurrent(ZunoLanguage::ko);
    EXPECT_EQ(stored(), "ko");
}

TEST(ZunoLanguage, ChangePreloadsTheNewLanguagesPacks)
{
    ZunoTestHome home;
    const QString folder = ZunoLocalizationStore::sharedSuiteLocalizationsDirectory();
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile pack(folder + "/nl.json");
    ASSERT_TRUE(pack.open(QIODevice::WriteOnly));
    pack.write(R"({"Settings": "Instellingen"})");
    pack.close();
    ZunoLocalizationStore::shared().reloadCatalogs();

    ZunoLanguages::setCurrent(ZunoLanguage::nl);
    ASSERT_TRUE(QFile::remove(folder + "/nl.json"));
    // Loaded by the change, before any text was asked for.
    EXPECT_EQ(zunoText("Settings", "Ayarlar"), "Instellingen");
    EXPECT_EQ(zunoText("Settings", "Ayarlar", ZunoLanguage::tr), "Ayarlar");
    EXPECT_EQ(zunoText("Settings", "Ayarlar", "settings.title", ZunoLanguage::en), "Settings");
    EXPECT_EQ(zunoText("Settings", "Ayarlar", {}, ZunoLanguage::nl), "Instellingen");
    ZunoLocalizationStore::shared().reloadCatalogs();
    EXPECT_EQ(zunoText("Settings", "Ayarlar"), "Settings");
}

TEST(ZunoLanguage, DecodesAnyStoredValue)
{
    ZunoTestHome home;
    LocaleEnvironment env("fi", "");
    const std::vector<std::pair<nlohmann::json, ZunoLanguage>> cases = {
        { "", ZunoLanguage::fi },
        { "system", ZunoLanguage::fi },
        { "System", ZunoLanguage::fi },
        { "not a tag", ZunoLanguage::fi },
        { 42, ZunoLanguage::fi },
        { nullptr, ZunoLanguage::fi },
        { "pt_br", ZunoLanguage::ptBR },
        { " de ", ZunoLanguage::de },
        { "zh-Hant", ZunoLanguage::zhHant },
    };
    for (const auto &[value, expected] : cases) {
        EXPECT_EQ(value.get<ZunoLanguage>(), expected) << value.dump();
    }
    EXPECT_EQ(nlohmann::json(ZunoLanguage::ptBR), "pt-BR");
    const nlohmann::json document = { { "language", ZunoLanguage::zhHans } };
    EXPECT_EQ(document.at("language").get<ZunoLanguage>(), ZunoLanguage::zhHans);
}
