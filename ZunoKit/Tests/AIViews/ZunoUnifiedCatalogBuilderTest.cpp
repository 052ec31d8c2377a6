#include "ZunoUnifiedCatalogBuilder.h"

#include <QSet>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kHostRamGB = 16.0;

ZunoAIModelSpec cloudModel(
    const QString &providerId, const QString &apiModelId, const QString &displayName, qint64 sortOrder = 0)
{
    ZunoAIModelSpec model;
    model.id = providerId.toLower() + QLatin1Char('/') + apiModelId;
    model.providerId = providerId;
    model.apiModelId = apiModelId;
    model.displayName = displayName;
    model.family = QStringLiteral("family-") + apiModelId.toLower();
    model.vendor = QStringLiteral("Vendor");
    model.deployment = QStringLiteral("cloud");
    model.contextWindow = 64000;
    model.capabilities.toolCalling = true;
    model.sortOrder = sortOrder;
    model.summary = { QStringLiteral("Türkçe özet"), QStringLiteral("English summary") };
    return model;
}

ZunoAIModelSpec localModel(
    const QString &apiModelId, const QString &ollamaTag, double minRamGb, qint64 sortOrder = 0)
{
    ZunoAIModelSpec model = cloudModel(QStringLiteral("ollama"), apiModelId, apiModelId, sortOrder);
    model.deployment = QStringLiteral("Local");
    model.localSpecs = ZunoAILocalModelSpecs {};
    model.localSpecs->minRamGb = minRamGb;
    model.localSpecs->ollamaTag = ollamaTag;
    return model;
}

ZunoAIDiscoveredLocalModel discovered(const QString &providerId, const QString &apiModelId,
    std::optional<qint64> sizeBytes = std::nullopt, std::optional<ZunoAIModelSpec> match = std::nullopt)
{
    return { providerId.toLower() + QLatin1Char('/') + apiModelId, providerId, apiModelId, apiModelId,
        sizeBytes, match };
}

ZunoAIModelPricing pricing(double input, double output)
{
    ZunoAIModelPricing result;
    result.currency = QStringLiteral("USD");
    result.inputPer1M = input;
    result.outputPer1M = output;
    return result;
}

QList<ZunoUnifiedModelRowItem> build(const QList<ZunoAIModelSpec> &models,
    const QList<ZunoAIDiscoveredLocalModel> &found = {}, ZunoLanguage language = ZunoLanguage::en)
{
    ZunoAIModelCatalogDocument document;
    document.models = models;
    return ZunoUnifiedCatalogBuilder::buildRows(document, found, language, kHostRamGB);
}

QStringList ids(const QList<ZunoUnifiedModelRowItem> &rows)
{
    QStringList result;
    for (const ZunoUnifiedModelRowItem &row : rows)
        result.append(row.id);
    return result;
}

const ZunoUnifiedModelRowItem *rowWithId(const QList<ZunoUnifiedModelRowItem> &rows, const QString &id)
{
    for (const ZunoUnifiedModelRowItem &row : rows) {
        if (row.id == id)
            return &row;
    }
    return nullptr;
}

} // namespace

TEST(ZunoUnifiedCatalogBuilder, EmptyCatalogGivesTheThreeManagedRows)
{
    const auto english = build({});
    ASSERT_EQ(ids(english),
        QStringList(
            { QStringLiteral("quarnwell/quarnwell-auto"), QStringLiteral("quarnwell/quarnwell-agent-pro"),
                QStringLiteral("quarnwell/quarnwell-doc-fast") }));
    struct Expected {
        const char *name;
        qint64 context;
        bool vision, reasoning, autoRouter;
        int priority;
    };
    const Expected expected[] = {
        { "Quarnwell Auto (Smart Cost Router)", 200000, true, true, true, 0 },
        { "Quarnwell Agent Pro", 200000, true, true, false, 1 },
        { "Quarnwell Doc Fast", 128000, true, false, false, 2 },
    };
    for (int i = 0; i < 3; ++i) {
        const ZunoUnifiedModelRowItem &row = english[i];
        SCOPED_TRACE(row.id.toStdString());
        EXPECT_EQ(row.displayName, QString::fromUtf8(expected[i].name));
        EXPECT_EQ(row.contextWindow, expected[i].context);
        EXPECT_EQ(row.supportsVision, expected[i].vision);
        EXPECT_EQ(row.supportsReasoning, expected[i].reasoning);
        EXPECT_EQ(row.isManagedAutoRouter, expected[i].autoRouter);
        EXPECT_EQ(row.sortPriority, expected[i].priority);
        EXPECT_TRUE(row.supportsTools);
        EXPECT_TRUE(row.isQuarnwellManaged);
        EXPECT_FALSE(row.isLocal || row.isInstalledLocally);
        EXPECT_EQ(row.providerId, QStringLiteral("quarnwell"));
        EXPECT_EQ(row.vendor, QStringLiteral("Quarnwell"));
        EXPECT_EQ(row.apiModelId, row.id.mid(10));
        EXPECT_EQ(row.ramFit, ZunoAIRamFit::cloud);
        EXPECT_FALSE(row.pricing || row.minRamGb || row.localSizeBytes || row.ollamaTag);
    }
    EXPECT_EQ(english[2].tags,
        QStringList({ QStringLiteral("quarnwell"), QStringLiteral("fast"), QStringLiteral("doc"),
            QStringLiteral("summary"), QStringLiteral("cheap") }));

    // Only the router's name is translated; the summaries all are.
    const auto turkish = build({}, {}, ZunoLanguage::tr);
    EXPECT_EQ(turkish[0].displayName, QStringLiteral("Quarnwell Auto (Akıllı Maliyet Yönlendirici)"));
    EXPECT_EQ(turkish[1].displayName, QStringLiteral("Quarnwell Agent Pro"));
    EXPECT_TRUE(turkish[2].summaryText.startsWith(QStringLiteral("Özetleme, çeviri")));
}

TEST(ZunoUnifiedCatalogBuilder, CatalogEntriesOfTheManagedModelsOverrideTheFixedRows)
{
    ZunoAIModelSpec autoEntry = cloudModel(
        QStringLiteral("Quarnwell"), QStringLiteral("QUARNWELL-AUTO"), QStringLiteral("Catalog Auto"));
    autoEntry.contextWindow = 1000;
    autoEntry.capabilities = {};
    autoEntry.pricing = pricing(1.0, 2.0);
    ZunoAIModelSpec agentPro = cloudModel(
        QStringLiteral("quarnwell"), QStringLiteral("quarnwell-agent-pro"), QStringLiteral("Catalog Pro"));
    agentPro.contextWindow = 5000;
    agentPro.capabilities.vision = false;
    agentPro.pricing = pricing(3.0, 4.0);
    ZunoAIModelSpec otherManaged = cloudModel(
        QStringLiteral("quarnwell"), QStringLiteral("quarnwell-vision-x"), QStringLiteral("Vision X"), 7);

    const auto rows = build({ autoEntry, agentPro, otherManaged });
    ASSERT_EQ(rows.size(), 4);

    const ZunoUnifiedModelRowItem &autoRow = rows[0];
    EXPECT_EQ(autoRow.id, QStringLiteral("quarnwell/quarnwell-auto"));
    EXPECT_EQ(autoRow.displayName, QStringLiteral("Quarnwell Auto (Smart Cost Router)"));
    EXPECT_EQ(autoRow.contextWindow, 1000);
    EXPECT_FALSE(autoRow.supportsTools || autoRow.supportsVision || autoRow.supportsReasoning);
    EXPECT_FALSE(autoRow.pricing) << "the router shows no price";

    EXPECT_EQ(rows[1].contextWindow, 5000);
    EXPECT_FALSE(rows[1].supportsVision);
    EXPECT_EQ(rows[1].pricing, agentPro.pricing);
    EXPECT_EQ(rows[2].contextWindow, 128000) << "doc-fast has no catalog entry";

    const ZunoUnifiedModelRowItem &other = rows[3];
    EXPECT_EQ(other.id, otherManaged.id);
    EXPECT_TRUE(other.isQuarnwellManaged);
    EXPECT_FALSE(other.isManagedAutoRouter);
    EXPECT_EQ(other.sortPriority, 107);
    EXPECT_EQ(other.summaryText, QStringLiteral("English summary"));
    EXPECT_EQ(other.tags, QStringList({ QStringLiteral("family-quarnwell-vision-x") }));
}

TEST(ZunoUnifiedCatalogBuilder, CaseDuplicatesKeepTheFirstCatalogEntry)
{
    ZunoAIModelSpec first
        = cloudModel(QStringLiteral("OpenAI"), QStringLiteral("GPT-X"), QStringLiteral("First"));
    ZunoAIModelSpec second
        = cloudModel(QStringLiteral("openai"), QStringLiteral("gpt-x"), QStringLiteral("Second"));
    second.id = QStringLiteral("openai/other-id");
    const auto rows = build({ first, second });
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[3].displayName, QStringLiteral("First"));
}

TEST(ZunoUnifiedCatalogBuilder, DiscoveredModelsWithoutCatalogMatchGetRowsOfTheirOwn)
{
    const ZunoAIModelSpec matched = localModel(QStringLiteral("qwen-7b"), QStringLiteral("qwen:7b"), 8);
    const auto rows = build({ matched },
        {
            discovered(QStringLiteral("ollama"), QStringLiteral("qwen:7b"), 4000, matched), // matched: no row
            discovered(QStringLiteral("ollama"), QStringLiteral("mistral")),
            discovered(QStringLiteral("ollama"), QStringLiteral("MISTRAL")), // same key: skipped
            discovered(QStringLiteral("Ollama"), QStringLiteral("phi"), 1234),
        });

    const ZunoUnifiedModelRowItem *mistral = rowWithId(rows, QStringLiteral("ollama/mistral"));
    ASSERT_TRUE(mistral);
    EXPECT_EQ(mistral->sortPriority, 11);
    EXPECT_EQ(mistral->vendor, QStringLiteral("Ollama"));
    EXPECT_EQ(mistral->ollamaTag, QStringLiteral("mistral"));
    EXPECT_FALSE(rowWithId(rows, QStringLiteral("ollama/MISTRAL")));

    // Index 3 counts the matched and the skipped model before it; a capital O is not Ollama.
    const ZunoUnifiedModelRowItem *phi = rowWithId(rows, QStringLiteral("ollama/phi"));
    ASSERT_TRUE(phi);
    EXPECT_EQ(phi->sortPriority, 13);
    EXPECT_EQ(phi->vendor, QStringLiteral("LM Studio"));
    EXPECT_FALSE(phi->ollamaTag);
    EXPECT_EQ(phi->localSizeBytes, 1234);
    EXPECT_TRUE(phi->isLocal && phi->isInstalledLocally && phi->supportsTools);
    EXPECT_FALSE(phi->supportsVision || phi->supportsReasoning || phi->pricing);
    EXPECT_EQ(phi->ramFit, ZunoAIRamFit::comfortable);
    EXPECT_EQ(phi->contextWindow, 0);
    EXPECT_EQ(phi->summaryText, QStringLiteral("Installed locally on this computer (Ollama). 100% offline."));
    EXPECT_EQ(phi->tags,
        QStringList({ QStringLiteral("local"), QStringLiteral("installed"), QStringLiteral("Ollama") }));

    // The matched model shows through its catalog entry only.
    EXPECT_FALSE(rowWithId(rows, QStringLiteral("ollama/qwen:7b")));
    const ZunoUnifiedModelRowItem *qwen = rowWithId(rows, matched.id);
    ASSERT_TRUE(qwen);
    EXPECT_TRUE(qwen->isInstalledLocally);
    EXPECT_EQ(qwen->sortPriority, 20);
    EXPECT_EQ(qwen->localSizeBytes, 4000);
    EXPECT_EQ(ids(rows).mid(3),
        QStringList({ QStringLiteral("ollama/mistral"), QStringLiteral("ollama/phi"), matched.id }));

    const auto turkish
        = build({}, { discovered(QStringLiteral("lmstudio"), QStringLiteral("gemma")) }, ZunoLanguage::tr);
    EXPECT_EQ(turkish[3].summaryText,
        QStringLiteral("Bu bilgisayarda yerel olarak kurulu (lmstudio). %100 çevrimdışı."));
}

TEST(ZunoUnifiedCatalogBuilder, InstalledCopyIsFoundByIdKeyOrOllamaTag)
{
    // Catalog id, provider and model name all differ from the discovered model; only the tag matches.
    ZunoAIModelSpec byTag
        = localModel(QStringLiteral("Llama-3.2-Instruct"), QStringLiteral("Llama3.2:3B"), 4, 5);
    byTag.id = QStringLiteral("meta/llama-3.2");
    byTag.providerId = QStringLiteral("meta");
    ZunoAIModelSpec byKey = localModel(QStringLiteral("Gemma3"), QStringLiteral("unused"), 4, 6);
    byKey.providerId = QStringLiteral("lmstudio");
    const ZunoAIModelSpec notInstalled = localModel(QStringLiteral("big"), QStringLiteral("big:70b"), 48, 1);
    const ZunoAIModelSpec elsewhere = localModel(QStringLiteral("elsewhere"), QStringLiteral("elsewhere"), 4);

    const auto rows = build({ byTag, byKey, notInstalled },
        {
            discovered(QStringLiteral("ollama"), QStringLiteral("llama3.2:3b"), 2000),
            // Matched to another entry, so found for `byKey` under provider:model; the later one wins.
            discovered(QStringLiteral("LMStudio"), QStringLiteral("gemma3"), 100, elsewhere),
            discovered(QStringLiteral("lmstudio"), QStringLiteral("GEMMA3"), 300, elsewhere),
        });

    const ZunoUnifiedModelRowItem *tagRow = rowWithId(rows, byTag.id);
    ASSERT_TRUE(tagRow);
    EXPECT_TRUE(tagRow->isInstalledLocally);
    EXPECT_EQ(tagRow->sortPriority, 25);
    EXPECT_EQ(tagRow->localSizeBytes, 2000);
    EXPECT_EQ(tagRow->ollamaTag, QStringLiteral("Llama3.2:3B"));
    EXPECT_EQ(tagRow->minRamGb, 4.0);
    EXPECT_EQ(tagRow->ramFit, ZunoAIRamFit::comfortable);

    const ZunoUnifiedModelRowItem *keyRow = rowWithId(rows, byKey.id);
    ASSERT_TRUE(keyRow);
    EXPECT_EQ(keyRow->localSizeBytes, 300);
    EXPECT_EQ(keyRow->sortPriority, 26);

    const ZunoUnifiedModelRowItem *big = rowWithId(rows, notInstalled.id);
    ASSERT_TRUE(big);
    EXPECT_FALSE(big->isInstalledLocally || big->localSizeBytes);
    EXPECT_EQ(big->sortPriority, 201);
    EXPECT_EQ(big->ramFit, ZunoAIRamFit::exceeds) << "48 GB on a 16 GB host";
    EXPECT_EQ(rows.last().id, notInstalled.id);
}

TEST(ZunoUnifiedCatalogBuilder, SortsByPriorityThenNameIgnoringCaseAndKeepsTies)
{
    const auto rows = build({
        cloudModel(QStringLiteral("openai"), QStringLiteral("m1"), QStringLiteral("beta")),
        cloudModel(QStringLiteral("openai"), QStringLiteral("m2"), QStringLiteral("Zed")),
        cloudModel(QStringLiteral("openai"), QStringLiteral("m3"), QStringLiteral("Alpha")),
        cloudModel(QStringLiteral("openai"), QStringLiteral("m4"), QStringLiteral("zed")),
        cloudModel(QStringLiteral("openai"), QStringLiteral("m5"), QStringLiteral("late"), 85),
        localModel(QStringLiteral("small"), QStringLiteral("small"), 2, 0),
    });
    QStringList names;
    for (const auto &row : rows.mid(3))
        names.append(row.displayName);
    // "Zed" and "zed" compare equal and keep catalog order; 185 sorts before the local 200.
    EXPECT_EQ(names,
        QStringList({ QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("Zed"),
            QStringLiteral("zed"), QStringLiteral("late"), QStringLiteral("small") }));
}

TEST(ZunoUnifiedModelRowItem, MatchesCategoryThenQuery)
{
    const auto rows = build({ localModel(QStringLiteral("tiny"), QStringLiteral("tiny"), 2) },
        { discovered(QStringLiteral("ollama"), QStringLiteral("mistral")) });
    // quarnwell-auto, agent-pro, doc-fast, ollama/mistral, ollama/tiny (local, not installed).
    ASSERT_EQ(rows.size(), 5);

    using C = ZunoAIModelFilterCategory;
    struct Case {
        const char *name;
        C category;
        QString query;
        QStringList expected;
    };
    const QString autoId = QStringLiteral("quarnwell/quarnwell-auto");
    const QString proId = QStringLiteral("quarnwell/quarnwell-agent-pro");
    const QString docId = QStringLiteral("quarnwell/quarnwell-doc-fast");
    const QString mistral = QStringLiteral("ollama/mistral");
    const QString tiny = QStringLiteral("ollama/tiny");
    const Case cases[] = {
        { "blanks match all", C::all, QStringLiteral(" \n\t "), { autoId, proId, docId, mistral, tiny } },
        // "pro" is also in the router's summary ("prompt").
        { "pro by name", C::all, QStringLiteral("pro"), { autoId, proId } },
        { "agent pro", C::all, QStringLiteral("Agent Pro"), { proId } },
        { "cheap by tag", C::all, QStringLiteral("  CHEAP\n"), { docId } },
        // The id is not searched; "quarnwell" is in the other fields of the managed rows only.
        { "id alone", C::all, autoId, {} },
        { "model name", C::all, QStringLiteral("quarnwell-auto"), { autoId } },
        { "vendor", C::all, QStringLiteral("vendor"), { tiny } },
        { "summary", C::all, QStringLiteral("offline"), { mistral } },
        { "quarnwell", C::quarnwell, {}, { autoId, proId, docId } },
        { "cloud", C::cloud, {}, { autoId, proId, docId } },
        { "local", C::local, {}, { mistral, tiny } },
        { "installed", C::installed, {}, { mistral } },
        { "reasoning", C::reasoning, {}, { autoId, proId } },
        { "vision", C::vision, {}, { autoId, proId, docId } },
        { "category and query", C::local, QStringLiteral("ollama"), { mistral, tiny } },
        { "category fails first", C::installed, QStringLiteral("tiny"), {} },
    };
    for (const Case &c : cases) {
        QStringList matched;
        for (const auto &row : rows) {
            if (row.matches(c.category, c.query))
                matched.append(row.id);
        }
        EXPECT_EQ(matched, c.expected) << c.name;
    }
}

TEST(ZunoAIModelFilterCategory, RawValuesTitlesAndOrder)
{
    using C = ZunoAIModelFilterCategory;
    struct Case {
        C category;
        const char *raw, *en, *tr;
    };
    const Case cases[] = {
        { C::all, "all", "All", "Tümü" },
        { C::quarnwell, "quarnwell", "Quarnwell", "Quarnwell" },
        { C::cloud, "cloud", "Cloud", "Bulut" },
        { C::local, "local", "Local", "Yerel" },
        { C::installed, "installed", "Installed", "Yüklü" },
        { C::reasoning, "reasoning", "Reasoning", "Akıl Yürütme" },
        { C::vision, "vision", "Vision", "Görsel" },
    };
    ASSERT_EQ(ZunoAIModelFilterCategories::allCases.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case &c = cases[i];
        EXPECT_EQ(ZunoAIModelFilterCategories::allCases[i], c.category);
        EXPECT_EQ(rawValue(c.category), QString::fromUtf8(c.raw));
        EXPECT_EQ(ZunoAIModelFilterCategories::fromRawValue(QString::fromUtf8(c.raw)), c.category);
        EXPECT_EQ(title(c.category, ZunoLanguage::en), QString::fromUtf8(c.en));
        EXPECT_EQ(title(c.category, ZunoLanguage::tr), QString::fromUtf8(c.tr));
    }
    for (const char *raw : { "Cloud", "ALL", " all", "" })
        EXPECT_FALSE(ZunoAIModelFilterCategories::fromRawValue(QString::fromUtf8(raw))) << raw;
}

TEST(ZunoUnifiedCatalogBuilder, ReadsThisMachinesMemory)
{
    const double gb = ZunoUnifiedCatalogBuilder::hostRamGB();
    EXPECT_TRUE(std::isfinite(gb));
    EXPECT_GT(gb, 0.1);
}
