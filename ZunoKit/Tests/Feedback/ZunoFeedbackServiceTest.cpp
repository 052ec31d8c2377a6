#include "ZunoFeedbackService.h"
#include "ZunoDefaults.h"
#include "ZunoDesktopServices.h"
#include "ZunoLoggerFakes.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

const ZunoAppVersion kVersion { QStringLiteral("1.4.2"), QStringLiteral("100") };

QUrlQuery queryOf(const QUrl &url)
{
    return QUrlQuery(url.query(QUrl::FullyEncoded));
}

} // namespace

TEST(ZunoFeedbackService, BaseURLTakesTheFirstUsableCandidateTrimmed)
{
    ZunoTestHome home;
    ZunoScopedEnvironment env(ZunoFeedbackService::kBaseURLEnvironmentVariable, QByteArray());
    const QString builtIn = QString::fromLatin1(ZunoFeedbackService::kDefaultBaseURL);

    EXPECT_EQ(ZunoFeedbackService::resolvedBaseURL(), builtIn);
    EXPECT_EQ(
        ZunoFeedbackService::resolvedBaseURL(QStringLiteral("  https://x.test/  \n")), "https://x.test");
    EXPECT_EQ(ZunoFeedbackService::resolvedBaseURL(QStringLiteral("https://x.test//")), "https://x.test");
    EXPECT_EQ(ZunoFeedbackService::resolvedBaseURL(QStringLiteral("   ")), builtIn);

    EXPECT_TRUE(ZunoDefaults::standard().setValue(
        ZunoFeedbackService::kBaseURLDefaultsKey, QStringLiteral(" https://d.test/")));
    EXPECT_EQ(ZunoFeedbackService::resolvedBaseURL(QStringLiteral(" ")), "https://d.test");
    {
        ZunoScopedEnvironment fromEnv(ZunoFeedbackService::kBaseURLEnvironmentVariable, "https://e.test/ ");
        EXPECT_EQ(ZunoFeedbackService::resolvedBaseURL(QStringLiteral("\t")), "https://e.test");
        EXPECT_EQ(ZunoFeedbackService::resolvedBaseURL(QStringLiteral("https://o.test")), "https://o.test");
    }
    {
        ZunoScopedEnvironment blankEnv(ZunoFeedbackService::kBaseURLEnvironmentVariable, "  ");
        EXPECT_EQ(ZunoFeedbackService::resolvedBaseURL(), "https://d.test");
    }
    EXPECT_TRUE(
        ZunoDefaults::standard().setValue(ZunoFeedbackService::kBaseURLDefaultsKey, QStringLiteral("  ")));
    EXPECT_EQ(ZunoFeedbackService::resolvedBaseURL(), builtIn);
}

TEST(ZunoFeedbackService, AppSlugKeepsLettersMarksAndDigitsOfAnyScript)
{
    const std::vector<std::pair<QString, QString>> cases = {
        { QStringLiteral("ZunoCam"), QStringLiteral("zunocam") },
        { QStringLiteral("Zuno Cam 2!"), QStringLiteral("zunocam2") },
        { QStringLiteral("Çekim Stüdyosu"), QStringLiteral("çekimstüdyosu") },
        { QStringLiteral("e\u0301-mail"), QStringLiteral("e\u0301mail") },
        { QStringLiteral("日本 語"), QStringLiteral("日本語") },
        { QStringLiteral("!?. -"), QString() },
    };
    for (const auto &[name, slug] : cases)
        EXPECT_EQ(ZunoFeedbackService::normalizedAppSlug(name), slug) << name.toStdString();
}

TEST(ZunoFeedbackService, OSDescriptionNamesTheSystemAndTheProcessor)
{
    const QString description = ZunoFeedbackService::currentOSDescription();
    EXPECT_TRUE(description.endsWith(QStringLiteral(" (") + QSysInfo::currentCpuArchitecture() + ")"))
        << description.toStdString();
    EXPECT_GT(description.size(), QSysInfo::currentCpuArchitecture().size() + 4);
}

TEST(ZunoFeedbackService, WebPagePathFollowsTheLanguage)
{
    const std::vector<std::pair<ZunoLanguage, QString>> cases = {
        { ZunoLanguage::tr, QStringLiteral("/tr/geri-bildirim") },
        { ZunoLanguage::en, QStringLiteral("/en/feedback") },
        { ZunoLanguage::ptBR, QStringLiteral("/pt-BR/feedback") },
        { ZunoLanguage::zhHant, QStringLiteral("/zh-Hant/feedback") },
    };
    for (const auto &[language, path] : cases) {
        const auto url = ZunoFeedbackService::webFeedbackURL(QStringLiteral("ZunoCam"), kVersion,
            ZunoFeedbackKind::feature, language, QStringLiteral("https://x.test/"));
        ASSERT_TRUE(url);
        EXPECT_EQ(url->scheme(), "https");
        EXPECT_EQ(url->host(), "x.test");
        EXPECT_EQ(url->path(), path);
    }
}

TEST(ZunoFeedbackService, WebPageQueryCarriesKindSourceSystemAppAndVersion)
{
    const auto url = ZunoFeedbackService::webFeedbackURL(QStringLiteral("Zuno Cam"), kVersion,
        ZunoFeedbackKind::newApp, ZunoLanguage::en, QStringLiteral("https://x.test"));
    ASSERT_TRUE(url);
    const QUrlQuery query = queryOf(*url);
    QStringList keys;
    for (const auto &item : query.queryItems())
        keys << item.first;
    EXPECT_EQ(keys, (QStringList { "type", "source", "os", "app", "version" }));
    EXPECT_EQ(query.queryItemValue("type"), "new_app");
    EXPECT_EQ(query.queryItemValue("source"), "desktop_app");
    EXPECT_EQ(query.queryItemValue("os", QUrl::FullyDecoded), ZunoFeedbackService::currentOSDescription());
    EXPECT_EQ(query.queryItemValue("app"), "zunocam");
    EXPECT_EQ(query.queryItemValue("version"), "1.4.2");

    // Punctuation-only names and empty versions leave their items out.
    const auto bare = ZunoFeedbackService::webFeedbackURL(QStringLiteral("!!"), ZunoAppVersion { {}, "7" },
        ZunoFeedbackKind::bug, ZunoLanguage::en, QStringLiteral("https://x.test"));
    ASSERT_TRUE(bare);
    const QUrlQuery bareQuery = queryOf(*bare);
    EXPECT_FALSE(bareQuery.hasQueryItem("app"));
    EXPECT_FALSE(bareQuery.hasQueryItem("version"));
    EXPECT_EQ(bareQuery.queryItemValue("type"), "bug");
}

TEST(ZunoFeedbackService, QueryValuesWithDelimitersRoundTrip)
{
    const QString version = QStringLiteral("2.0 beta&x=1#frag+50%");
    const auto url
        = ZunoFeedbackService::webFeedbackURL(QStringLiteral("ZunoCam"), ZunoAppVersion { version, "1" },
            ZunoFeedbackKind::general, ZunoLanguage::de, QStringLiteral("https://x.test"));
    ASSERT_TRUE(url);
    EXPECT_TRUE(url->fragment().isEmpty());
    const QUrlQuery query = queryOf(*url);
    EXPECT_EQ(query.queryItemValue("version", QUrl::FullyDecoded), version);
    EXPECT_FALSE(query.hasQueryItem("x"));
    // A plus sign must stay a plus for servers that read "+" as a space.
    EXPECT_TRUE(url->toString(QUrl::FullyEncoded).contains("%2B50%25")) << url->toString().toStdString();
}

TEST(ZunoFeedbackService, OpenInBrowserOpensOnlyWebAddresses)
{
    ZunoTestHome home;
    ZunoScopedEnvironment env(ZunoFeedbackService::kBaseURLEnvironmentVariable, QByteArray());
    ZunoInstalled<ZunoDesktopServices, ZunoRecordingDesktop> installed;

    ZunoFeedbackService::openInBrowser(
        QStringLiteral("ZunoCam"), kVersion, ZunoFeedbackKind::feature, ZunoLanguage::tr);
    ASSERT_EQ(installed.fake->opened.size(), 1);
    const QUrl opened = installed.fake->opened.first();
    EXPECT_EQ(opened.toString(QUrl::RemoveQuery),
        QString::fromLatin1(ZunoFeedbackService::kDefaultBaseURL) + "/tr/geri-bildirim");
    EXPECT_EQ(queryOf(opened).queryItemValue("type"), "feature");

    for (const QString &base : { QStringLiteral("not a url"), QStringLiteral("file:///etc"),
             QStringLiteral("javascript:alert(1)"), QStringLiteral("https://") }) {
        ZunoFeedbackService::openInBrowser(
            QStringLiteral("ZunoCam"), kVersion, ZunoFeedbackKind::feature, ZunoLanguage::en, base);
    }
    EXPECT_EQ(installed.fake->opened.size(), 1);
}

TEST(ZunoFeedbackKind, RawValuesTitlesAndSymbols)
{
    EXPECT_EQ(ZunoFeedbackKinds::allCases().size(), 4u);
    const std::vector<std::tuple<ZunoFeedbackKind, QString, QString, QString>> rows = {
        { ZunoFeedbackKind::bug, "bug", "Bug Report", "Hata Bildirimi" },
        { ZunoFeedbackKind::feature, "feature", "Feature & Improvement", "Özellik & İyileştirme" },
        { ZunoFeedbackKind::newApp, "new_app", "New App Idea", "Yeni Program Fikri" },
        { ZunoFeedbackKind::general, "general", "General Feedback", "Genel Görüş" },
    };
    for (const auto &[kind, raw, english, turkish] : rows) {
        EXPECT_EQ(rawValue(kind), raw);
        EXPECT_EQ(ZunoFeedbackKinds::fromRawValue(raw), kind);
        EXPECT_EQ(title(kind, ZunoLanguage::en), english);
        EXPECT_EQ(title(kind, ZunoLanguage::tr), turkish);
        EXPECT_FALSE(symbolName(kind).isEmpty());
    }
    EXPECT_FALSE(ZunoFeedbackKinds::fromRawValue("newApp"));
    EXPECT_FALSE(ZunoFeedbackKinds::fromRawValue("Bug"));
}

TEST(ZunoFeedbackService, ResolvedCurrentAppNameTakesTheFirstNonBlankName)
{
    const QString process = ZunoBundle::processName();
    ASSERT_FALSE(process.isEmpty());
    struct Case {
        const char *name;
        QVariantMap info;
        QString expected;
    };
    const Case cases[] = {
        { "display name first",
            { { "CFBundleDisplayName", QStringLiteral(" Zuno Cam \n") },
                { "CFBundleName", QStringLiteral("ZunoCam") } },
            QStringLiteral("Zuno Cam") },
        { "blank display name gives the name",
            { { "CFBundleDisplayName", QStringLiteral(" \t") },
                { "CFBundleName", QStringLiteral("ZunoCam") } },
            QStringLiteral("ZunoCam") },
        { "a display name that is not text is skipped",
            { { "CFBundleDisplayName", 42 }, { "CFBundleName", QStringLiteral("ZunoCam") } },
            QStringLiteral("ZunoCam") },
        { "neither: the process name", { { "CFBundleName", QStringList { QStringLiteral("x") } } }, process },
        { "empty dictionary: the process name", {}, process },
    };
    for (const Case &c : cases) {
        ZunoBundle bundle;
        bundle.infoDictionary = c.info;
        EXPECT_EQ(ZunoFeedbackService::resolvedCurrentAppName(bundle, QStringLiteral("Fallback")), c.expected)
            << c.name;
    }
}
