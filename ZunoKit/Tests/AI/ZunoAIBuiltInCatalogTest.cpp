#include "ZunoAIModelCatalogDocument.h"
#include "ZunoBundle.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// The shipped catalog, as the build installs it beside the executables (share/zunocam).
ZunoAIModelCatalogDocument builtInCatalog()
{
    const QString path = ZunoBundle::main().resourcePath(QStringLiteral("ai-models-default.json"));
    EXPECT_FALSE(path.isEmpty()) << "ai-models-default.json is not in the build's resources";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return ZunoAIModelCatalogDocument::decode(file.readAll());
}

} // namespace

TEST(ZunoAIBuiltInCatalog, DecodesStrictlyWithConsistentProvidersAndUniqueIds)
{
    const ZunoAIModelCatalogDocument catalog = builtInCatalog();
    EXPECT_EQ(catalog.schemaVersion, 1);
    EXPECT_EQ(catalog.catalogVersion, QStringLiteral("builtin-1"));
    EXPECT_EQ(catalog.ttlSeconds, 21600);
    EXPECT_EQ(catalog.source, QStringLiteral("https://quarnwell.com/api/v1/ai/models.json"));
    ASSERT_FALSE(catalog.models.isEmpty());

    QStringList providerIds;
    for (const ZunoAIProviderSpec &provider : catalog.providers)
        providerIds.append(provider.id);
    EXPECT_EQ(providerIds,
        QStringList({ QStringLiteral("quarnwell"), QStringLiteral("openai"), QStringLiteral("ollama"),
            QStringLiteral("lmstudio") }));
    QSet<QString> modelIds;
    for (const ZunoAIModelSpec &model : catalog.models) {
        EXPECT_TRUE(catalog.provider(model.providerId)) << model.id.toStdString();
        EXPECT_TRUE(model.id.startsWith(model.providerId + QLatin1Char('/'))) << model.id.toStdString();
        EXPECT_FALSE(modelIds.contains(model.id.toLower())) << "repeated " << model.id.toStdString();
        modelIds.insert(model.id.toLower());
        if (model.isLocal()) {
            ASSERT_TRUE(model.localSpecs) << model.id.toStdString();
            EXPECT_TRUE(model.localSpecs->minRamGb && model.localSpecs->recommendedRamGb)
                << model.id.toStdString();
            EXPECT_FALSE(model.localSpecs->appleSiliconOptimized || model.localSpecs->mlxRepo)
                << model.id.toStdString();
            if (model.providerId == QLatin1String("ollama")) {
                EXPECT_TRUE(model.localSpecs->ollamaTag) << model.id.toStdString();
            }
        }
    }
    EXPECT_EQ(QSet<QString>(providerIds.begin(), providerIds.end()).size(), providerIds.size());

    // The chat clients use these as they stand.
    const auto openai = catalog.provider(QStringLiteral("openai"));
    ASSERT_TRUE(openai);
    EXPECT_EQ(openai->defaultBaseUrl + openai->chatPath,
        QStringLiteral("https://api.openai.com/v1/chat/completions"));
    EXPECT_EQ(openai->apiFormat, QStringLiteral("openai-compatible"));
    EXPECT_EQ(
        catalog.provider(QStringLiteral("ollama"))->defaultBaseUrl, QStringLiteral("http://127.0.0.1:11434"));
    EXPECT_EQ(catalog.provider(QStringLiteral("lmstudio"))->defaultBaseUrl,
        QStringLiteral("http://127.0.0.1:1234/v1"));
}

TEST(ZunoAIBuiltInCatalog, FindsTheDefaultModelsAndTheNamesOllamaReports)
{
    const ZunoAIModelCatalogDocument catalog = builtInCatalog();
    const std::vector<std::pair<const char *, const char *>> cases = {
        { "quarnwell-auto", "quarnwell/quarnwell-auto" },
        { "gpt-4o-mini", "openai/gpt-4o-mini" },
        { "llama3.2", "ollama/llama3.2" },
        { "llama3.2:latest", "ollama/llama3.2" },
        { "ollama/llama3.2:latest", "ollama/llama3.2" },
        { "llama3.2:3b", "ollama/llama3.2" },
        { "ollama/llama3.2:1b", "ollama/llama3.2:1b" },
    };
    for (const auto &[name, id] : cases) {
        const std::optional<ZunoAIModelSpec> found = catalog.model(QString::fromUtf8(name));
        ASSERT_TRUE(found) << name;
        EXPECT_EQ(found->id, QString::fromUtf8(id)) << name;
    }
}
