#include "ZunoAIModelRegistry.h"
#include "ZunoAIRegistryTestSupport.h"
#include "ZunoDefaults.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kOverride = QStringLiteral("https://override.test/models.json");

} // namespace

TEST(ZunoAIModelRegistryLoad, WithoutCacheGivesTheBuiltInCatalogAsBundledAndCreatesNothing)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("AI"));
    ZunoAIModelRegistry registry(folder, QStringLiteral(" ") + kOverride + QStringLiteral("\n"));
    const auto [document, meta] = registry.loadCurrent();

    EXPECT_EQ(document, ZunoAIModelRegistry::loadBundledFallback());
    EXPECT_EQ(document.catalogVersion, QStringLiteral("builtin-1"));
    ZunoAIModelSyncMeta expected;
    expected.sourceUrl = kOverride;
    expected.catalogVersion = QStringLiteral("builtin-1");
    expected.origin = ZunoAICatalogOrigin::bundled;
    EXPECT_EQ(meta, expected);
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST(ZunoAIModelRegistryLoad, DefaultFolderIsQuarnwellAIUnderTheDataHome)
{
    ZunoTestHome home;
    ZunoAIModelRegistry registry;
    EXPECT_EQ(registry.cacheDirectory(), home.filePath(QStringLiteral(".local/share/Quarnwell/AI")));
    EXPECT_EQ(registry.modelsFilePath(), registry.cacheDirectory() + QStringLiteral("/models.json"));
    EXPECT_EQ(registry.metaFilePath(), registry.cacheDirectory() + QStringLiteral("/sync-meta.json"));
}

TEST(ZunoAIModelRegistryLoad, CacheAndRecordDecideDocumentAndOrigin)
{
    const ZunoAIModelSyncMeta stored
        = remoteMeta(QStringLiteral("\"v7\""), QDateTime::currentDateTimeUtc(), QStringLiteral("cached-7"));
    nlohmann::json emptyModels = nlohmann::json::parse(catalogBody(QStringLiteral("empty")).toStdString());
    emptyModels["models"] = nlohmann::json::array();
    QByteArray oversized = catalogBody(QStringLiteral("huge"));
    oversized.append(QByteArray(16 * 1024 * 1024, ' '));

    struct Case {
        const char *name;
        std::optional<QByteArray> models;
        std::optional<QByteArray> meta;
        const char *expectedVersion;
        ZunoAICatalogOrigin expectedOrigin;
        bool keepsStoredMeta;
    };
    const std::vector<Case> cases = {
        { "cache and record", catalogBody(QStringLiteral("cached-7")), stored.encodedPretty(), "cached-7",
            ZunoAICatalogOrigin::remote, true },
        { "cache without record", catalogBody(QStringLiteral("cached-7")), std::nullopt, "cached-7",
            ZunoAICatalogOrigin::localCache, false },
        { "cache with an unreadable record", catalogBody(QStringLiteral("cached-7")),
            QByteArray("{\"sourceUrl\": \"x\", \"origin\": \"LocalCache\"}"), "cached-7",
            ZunoAICatalogOrigin::localCache, false },
        { "cache without models, record dropped", QByteArray::fromStdString(emptyModels.dump()),
            stored.encodedPretty(), "builtin-1", ZunoAICatalogOrigin::bundled, false },
        { "malformed cache", QByteArray("{\"schemaVersion\": 1"), stored.encodedPretty(), "builtin-1",
            ZunoAICatalogOrigin::bundled, false },
        { "cache over 16 MiB", oversized, stored.encodedPretty(), "builtin-1", ZunoAICatalogOrigin::bundled,
            false },
        { "record without cache", std::nullopt, stored.encodedPretty(), "builtin-1",
            ZunoAICatalogOrigin::bundled, false },
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        if (c.models)
            writeFile(dir.filePath(QStringLiteral("models.json")), *c.models);
        if (c.meta)
            writeFile(dir.filePath(QStringLiteral("sync-meta.json")), *c.meta);
        ZunoAIModelRegistry registry(dir.path(), kOverride);
        const auto [document, meta] = registry.loadCurrent();

        EXPECT_EQ(document.catalogVersion, QString::fromLatin1(c.expectedVersion)) << c.name;
        EXPECT_EQ(meta.origin, c.expectedOrigin) << c.name;
        if (c.keepsStoredMeta) {
            EXPECT_EQ(meta, stored) << c.name;
        } else {
            // A fresh record: no etag, no times, so the next sync contacts the server.
            ZunoAIModelSyncMeta fresh;
            fresh.sourceUrl = kOverride;
            fresh.catalogVersion = QString::fromLatin1(c.expectedVersion);
            fresh.origin = c.expectedOrigin;
            EXPECT_EQ(meta, fresh) << c.name;
        }
    }
}

TEST(ZunoAIModelRegistryLoad, FilesAreReadOnce)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("models.json")), catalogBody(QStringLiteral("first")));
    ZunoAIModelRegistry registry(dir.path(), kOverride);
    const auto first = registry.loadCurrent();
    writeFile(dir.filePath(QStringLiteral("models.json")), catalogBody(QStringLiteral("second")));
    EXPECT_EQ(registry.loadCurrent(), first);
    EXPECT_EQ(ZunoAIModelRegistry(dir.path(), kOverride).loadCurrent().first.catalogVersion,
        QStringLiteral("second"));
}

TEST(ZunoAIModelRegistryLoad, CatalogURLFallsThroughBlankCandidatesAndKeepsSlashes)
{
    ZunoTestHome home;
    ZunoScopedEnvironment environment(ZunoAIModelRegistry::kCatalogURLEnvironmentVariable, QByteArray());
    const QString builtIn = QString::fromLatin1(ZunoAIModelRegistry::kDefaultCatalogURL);
    EXPECT_EQ(builtIn, QStringLiteral("https://quarnwell.com/api/v1/ai/models.json"));
    EXPECT_EQ(ZunoAIModelRegistry::resolvedCatalogURL(std::nullopt), builtIn);
    EXPECT_EQ(ZunoAIModelRegistry::resolvedCatalogURL(QStringLiteral("   ")), builtIn);
    EXPECT_EQ(ZunoAIModelRegistry::resolvedCatalogURL(QStringLiteral(" https://o.test/c/ \n")),
        QStringLiteral("https://o.test/c/"));

    ASSERT_TRUE(
        ZunoDefaults::standard().setValue(QString::fromLatin1(ZunoAIModelRegistry::kCatalogURLDefaultsKey),
            QStringLiteral("\thttps://defaults.test/models.json/")));
    EXPECT_EQ(ZunoAIModelRegistry::resolvedCatalogURL(QStringLiteral("  ")),
        QStringLiteral("https://defaults.test/models.json/"));
    {
        ZunoScopedEnvironment fromEnvironment(
            ZunoAIModelRegistry::kCatalogURLEnvironmentVariable, " https://env.test/models.json ");
        EXPECT_EQ(ZunoAIModelRegistry::resolvedCatalogURL(QStringLiteral(" \n ")),
            QStringLiteral("https://env.test/models.json"));
        EXPECT_EQ(ZunoAIModelRegistry::resolvedCatalogURL(QStringLiteral("https://o.test")),
            QStringLiteral("https://o.test"));
    }
    {
        ZunoScopedEnvironment blankEnvironment(ZunoAIModelRegistry::kCatalogURLEnvironmentVariable, " \t");
        EXPECT_EQ(ZunoAIModelRegistry::resolvedCatalogURL(std::nullopt),
            QStringLiteral("https://defaults.test/models.json/"));
    }
    ASSERT_TRUE(ZunoDefaults::standard().setValue(
        QString::fromLatin1(ZunoAIModelRegistry::kCatalogURLDefaultsKey), QStringLiteral("  ")));
    EXPECT_EQ(ZunoAIModelRegistry::resolvedCatalogURL(QStringLiteral(" ")), builtIn);
}
