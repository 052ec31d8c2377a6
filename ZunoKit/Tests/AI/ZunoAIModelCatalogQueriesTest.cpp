#include "ZunoAIModelCatalogDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

ZunoAIModelSpec makeModel(const QString &id, const QString &apiModelId, const QStringList &aliases = {},
    const QString &providerId = QStringLiteral("acme"), const QString &deployment = QStringLiteral("cloud"))
{
    ZunoAIModelSpec model;
    model.id = id;
    model.apiModelId = apiModelId;
    model.aliases = aliases;
    model.providerId = providerId;
    model.deployment = deployment;
    model.displayName = id;
    return model;
}

ZunoAIProviderSpec makeProvider(const QString &id, const QString &deployment)
{
    ZunoAIProviderSpec provider;
    provider.id = id;
    provider.deployment = deployment;
    return provider;
}

QStringList idsOf(const QList<ZunoAIModelSpec> &models)
{
    QStringList ids;
    for (const ZunoAIModelSpec &model : models)
        ids.append(model.id);
    return ids;
}

} // namespace

TEST(ZunoAIModelCatalogQueries, ModelLookupTrimsAndLowerCasesTheArgumentAndWalksModelByModel)
{
    ZunoAIModelCatalogDocument document;
    document.models = {
        makeModel(QStringLiteral("acme/rocket"), QStringLiteral("rocket-1"),
            { QStringLiteral(""), QStringLiteral("Swift") }),
        makeModel(QStringLiteral("swift"), QStringLiteral("swift-1")),
        makeModel(QStringLiteral("Acme/Turbo"), QStringLiteral("turbo-2"), { QStringLiteral("turbo") }),
        makeModel(QStringLiteral("acme/padded"), QStringLiteral(" padded "), {}),
    };
    struct Case {
        const char *argument;
        const char *expectedId; // nullptr: nothing found
    };
    const std::vector<Case> cases = {
        { "  ROCKET-1\n", "acme/rocket" }, // apiModelId, padded and upper-case
        { "acme/turbo", "Acme/Turbo" }, // the model's own id is lower-cased too
        { "TURBO", "Acme/Turbo" },
        { "swift", "acme/rocket" }, // an earlier model's alias wins over a later model's id
        { "swift-1", "swift" },
        { "", nullptr }, // blank finds nothing, even with an empty alias in the catalog
        { " \n\t", nullptr },
        { "padded", nullptr }, // the model's own fields are not trimmed
        { "rocket-", nullptr },
    };
    for (const Case &c : cases) {
        const std::optional<ZunoAIModelSpec> found = document.model(QString::fromUtf8(c.argument));
        if (c.expectedId) {
            ASSERT_TRUE(found) << c.argument;
            EXPECT_EQ(found->id, QString::fromUtf8(c.expectedId)) << c.argument;
        } else {
            EXPECT_FALSE(found) << c.argument << " found " << found->id.toStdString();
        }
    }
}

TEST(ZunoAIModelCatalogQueries, ProviderLookupIgnoresCaseButNotSpaces)
{
    ZunoAIModelCatalogDocument document;
    document.providers = { makeProvider(QStringLiteral("openai"), QStringLiteral("cloud")),
        makeProvider(QStringLiteral("Ollama"), QStringLiteral("local")),
        makeProvider(QStringLiteral("ollama"), QStringLiteral("second")) };
    struct Case {
        const char *argument;
        const char *expectedDeployment;
    };
    const std::vector<Case> cases = {
        { "OPENAI", "cloud" },
        { "ollama", "local" }, // the first in document order
        { "openai ", nullptr },
        { " openai", nullptr },
        { "", nullptr },
    };
    for (const Case &c : cases) {
        const std::optional<ZunoAIProviderSpec> found = document.provider(QString::fromUtf8(c.argument));
        if (c.expectedDeployment) {
            ASSERT_TRUE(found) << c.argument;
            EXPECT_EQ(found->deployment, QString::fromUtf8(c.expectedDeployment)) << c.argument;
        } else {
            EXPECT_FALSE(found) << c.argument;
        }
    }
}

TEST(ZunoAIModelCatalogQueries, IsLocalMeansLocalInAnyCase)
{
    const std::vector<std::pair<const char *, bool>> cases = {
        { "local", true },
        { "LOCAL", true },
        { "Local", true },
        { "cloud", false },
        { "local ", false },
        { "", false },
        { "on-device", false },
    };
    for (const auto &[deployment, local] : cases) {
        EXPECT_EQ(makeProvider(QStringLiteral("p"), QString::fromUtf8(deployment)).isLocal(), local)
            << deployment;
        EXPECT_EQ(makeModel(QStringLiteral("m"), QStringLiteral("m"), {}, QStringLiteral("p"),
                      QString::fromUtf8(deployment))
                      .isLocal(),
            local)
            << deployment;
    }
}

TEST(ZunoAIModelCatalogQueries, FilterKeepsDocumentOrderAndAppliesEveryGivenTest)
{
    ZunoAIModelCatalogDocument document;
    ZunoAIModelSpec gpt
        = makeModel(QStringLiteral("openai/gpt"), QStringLiteral("gpt"), {}, QStringLiteral("OpenAI"));
    gpt.recommendedFor = { QStringLiteral("coding") };
    gpt.capabilities.toolCalling = true;
    gpt.capabilities.vision = true;
    ZunoAIModelSpec llama = makeModel(QStringLiteral("ollama/llama"), QStringLiteral("llama"), {},
        QStringLiteral("ollama"), QStringLiteral("Local"));
    llama.recommendedFor = { QStringLiteral("Coding"), QStringLiteral("chat") };
    llama.capabilities.toolCalling = true;
    ZunoAIModelSpec mini
        = makeModel(QStringLiteral("openai/mini"), QStringLiteral("mini"), {}, QStringLiteral("openai"));
    mini.capabilities.vision = true;
    document.models = { gpt, llama, mini };

    struct Case {
        const char *name;
        std::optional<QString> providerId;
        std::optional<QString> deployment;
        std::optional<QString> recommendedFor;
        bool toolCalling;
        bool vision;
        QStringList expected;
    };
    const QStringList all { gpt.id, llama.id, mini.id };
    const std::vector<Case> cases = {
        { "nothing given", std::nullopt, std::nullopt, std::nullopt, false, false, all },
        { "everything empty", QString(), QString(), QString(), false, false, all },
        { "provider in another case", QStringLiteral("OPENAI"), std::nullopt, std::nullopt, false, false,
            { gpt.id, mini.id } },
        { "provider not trimmed", QStringLiteral("openai "), std::nullopt, std::nullopt, false, false, {} },
        { "deployment", std::nullopt, QStringLiteral("local"), std::nullopt, false, false, { llama.id } },
        { "recommendedFor exact", std::nullopt, std::nullopt, QStringLiteral("coding"), false, false,
            { gpt.id } },
        { "recommendedFor in another case", std::nullopt, std::nullopt, QStringLiteral("CHAT"), false, false,
            {} },
        { "tool calling", std::nullopt, std::nullopt, std::nullopt, true, false, { gpt.id, llama.id } },
        { "vision", std::nullopt, std::nullopt, std::nullopt, false, true, { gpt.id, mini.id } },
        { "all tests together", QStringLiteral("openai"), QStringLiteral("CLOUD"), QStringLiteral("coding"),
            true, true, { gpt.id } },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(idsOf(document.filteredModels(
                      c.providerId, c.deployment, c.recommendedFor, c.toolCalling, c.vision)),
            c.expected)
            << c.name;
    }
    EXPECT_TRUE(ZunoAIModelCatalogDocument {}.filteredModels().isEmpty());
}

TEST(ZunoAIModelCatalogQueries, RamFitTestsRecommendedBeforeMinimum)
{
    ZunoAILocalModelSpecs minimum16;
    minimum16.minRamGb = 16.0;
    ZunoAILocalModelSpecs inverted; // recommended below minimum
    inverted.minRamGb = 16.0;
    inverted.recommendedRamGb = 6.0;
    ZunoAILocalModelSpecs full;
    full.minRamGb = 4.0;
    full.recommendedRamGb = 8.0;
    full.ollamaTag = QStringLiteral("llama3.2");

    struct Case {
        const char *name;
        const char *deployment;
        std::optional<ZunoAILocalModelSpecs> specs;
        double host;
        ZunoAIRamFit expected;
    };
    const std::vector<Case> cases = {
        { "defaults at 16", "Local", ZunoAILocalModelSpecs {}, 16.0, ZunoAIRamFit::comfortable },
        { "defaults at 12", "local", ZunoAILocalModelSpecs {}, 12.0, ZunoAIRamFit::comfortable },
        { "defaults at 10", "Local", ZunoAILocalModelSpecs {}, 10.0, ZunoAIRamFit::tight },
        { "defaults at 8", "Local", ZunoAILocalModelSpecs {}, 8.0, ZunoAIRamFit::tight },
        { "defaults at 7.9", "Local", ZunoAILocalModelSpecs {}, 7.9, ZunoAIRamFit::exceeds },
        { "min 16 at 24", "local", minimum16, 24.0, ZunoAIRamFit::comfortable },
        { "min 16 at 23.9", "local", minimum16, 23.9, ZunoAIRamFit::tight },
        { "min 16 at 15.9", "local", minimum16, 15.9, ZunoAIRamFit::exceeds },
        { "recommended below minimum", "local", inverted, 7.0, ZunoAIRamFit::comfortable },
        { "recommended below minimum, under both", "local", inverted, 5.0, ZunoAIRamFit::exceeds },
        { "cloud with full specs", "cloud", full, 64.0, ZunoAIRamFit::cloud },
        { "cloud with full specs, little memory", "cloud", full, 1.0, ZunoAIRamFit::cloud },
        { "local without specs", "local", std::nullopt, 1.0, ZunoAIRamFit::cloud },
        { "NaN host", "local", full, std::nan(""), ZunoAIRamFit::exceeds },
        { "NaN host, defaults", "local", ZunoAILocalModelSpecs {}, std::nan(""), ZunoAIRamFit::exceeds },
        { "infinite host", "local", minimum16, HUGE_VAL, ZunoAIRamFit::comfortable },
    };
    for (const Case &c : cases) {
        ZunoAIModelSpec model = makeModel(QStringLiteral("m"), QStringLiteral("m"), {},
            QStringLiteral("ollama"), QString::fromUtf8(c.deployment));
        model.localSpecs = c.specs;
        EXPECT_EQ(rawValue(model.ramFit(c.host)), rawValue(c.expected)) << c.name;
    }
}

TEST(ZunoAIModelCatalogQueries, RamFitRawValuesAreExact)
{
    for (ZunoAIRamFit fit :
        { ZunoAIRamFit::comfortable, ZunoAIRamFit::tight, ZunoAIRamFit::exceeds, ZunoAIRamFit::cloud })
        EXPECT_EQ(ZunoAIRamFits::fromRawValue(rawValue(fit)), fit);
    EXPECT_EQ(rawValue(ZunoAIRamFit::exceeds), QStringLiteral("exceeds"));
    EXPECT_FALSE(ZunoAIRamFits::fromRawValue(QStringLiteral("Tight")));
    EXPECT_FALSE(ZunoAIRamFits::fromRawValue(QString()));
}

TEST(ZunoAIModelCatalogQueries, FreeMeansNoInputAndNoOutputPrice)
{
    struct Case {
        const char *name;
        std::optional<double> input;
        std::optional<double> output;
        bool freeTier;
        bool expected;
    };
    const std::vector<Case> cases = {
        { "both absent", std::nullopt, std::nullopt, false, true },
        { "input 0, output absent", 0.0, std::nullopt, false, true },
        { "both 0", 0.0, 0.0, false, true },
        { "negative zero", -0.0, 0.0, false, true },
        { "input 0, output 0.1", 0.0, 0.1, false, false },
        { "input 0, output 0.1, free tier", 0.0, 0.1, true, false },
        { "input absent, output 2", std::nullopt, 2.0, true, false },
        { "input 0.15, output absent", 0.15, std::nullopt, false, false },
    };
    for (const Case &c : cases) {
        ZunoAIModelPricing pricing;
        pricing.currency = QStringLiteral("USD");
        pricing.inputPer1M = c.input;
        pricing.outputPer1M = c.output;
        pricing.freeTierAvailable = c.freeTier;
        pricing.cachedInputPer1M = 5.0; // the other prices take no part
        pricing.batchOutputPer1M = 5.0;
        EXPECT_EQ(pricing.isFree(), c.expected) << c.name;
    }
}
