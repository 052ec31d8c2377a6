#include "ZunoAIModelSelection.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoUnifiedCatalogBuilder.h"

#include <gtest/gtest.h>

namespace {

ZunoUnifiedModelRowItem cloudRow(const QString &providerId, const QString &apiModelId)
{
    ZunoUnifiedModelRowItem row;
    row.id = providerId + QLatin1Char('/') + apiModelId;
    row.apiModelId = apiModelId;
    row.displayName = apiModelId;
    row.providerId = providerId;
    return row;
}

ZunoUnifiedModelRowItem localRow(const QString &providerId, const QString &apiModelId,
    std::optional<QString> ollamaTag = std::nullopt, bool installed = false)
{
    ZunoUnifiedModelRowItem row = cloudRow(providerId, apiModelId);
    row.isLocal = true;
    row.isInstalledLocally = installed;
    row.ollamaTag = ollamaTag;
    return row;
}

ZunoAIProviderSpec provider(
    const QString &id, const QString &apiFormat, const QString &base, const QString &chatPath)
{
    ZunoAIProviderSpec made;
    made.id = id;
    made.apiFormat = apiFormat;
    made.defaultBaseUrl = base;
    made.chatPath = chatPath;
    return made;
}

ZunoAIConfig config(ZunoAIProvider provider, const QString &model)
{
    return ZunoAIConfig(provider, QStringLiteral("http://unchanged"), model);
}

struct Written {
    ZunoAIProvider provider;
    QString endpoint;
    QString model;
};

} // namespace

TEST(ZunoAIModelSelection, ChosenRowsWriteProviderEndpointAndModel)
{
    // The gateway address is read at the moment of the choice.
    ZunoScopedEnvironment gateway(ZunoCreditsAccountManager::kGatewayURLEnvironmentVariable,
        QByteArrayLiteral("http://127.0.0.1:9/gw/"));
    ZunoAIModelCatalogDocument document;
    document.providers = {
        provider(QStringLiteral("openai"), QStringLiteral("openai-compatible"),
            QStringLiteral("https://api.example.test/v1/"), QStringLiteral("/chat/completions")),
        provider(QStringLiteral("anthropic"), QStringLiteral("anthropic"), QStringLiteral("https://a.test"),
            QStringLiteral("/v1/messages")),
        provider(QStringLiteral("lmstudio"), QStringLiteral("openai-compatible"),
            QStringLiteral("//127.0.0.1:4321/v1//"), QStringLiteral("/chat/completions")),
    };
    const QString gatewayChat = QStringLiteral("http://127.0.0.1:9/gw/v1/ai/chat/completions");
    const QString publicChat = QStringLiteral("https://api.openai.com/v1/chat/completions");

    ZunoUnifiedModelRowItem managed
        = cloudRow(QStringLiteral("quarnwell"), QStringLiteral("quarnwell-agent-pro"));
    managed.id = QStringLiteral("quarnwell/quarnwell-agent-pro");
    managed.isQuarnwellManaged = true;
    const auto openai = cloudRow(QStringLiteral("openai"), QStringLiteral("gpt-5-mini"));

    struct Case {
        const char *name;
        ZunoUnifiedModelRowItem row;
        ZunoAIProvider current;
        Written expected;
    };
    const Case cases[] = {
        { "managed row under any provider", managed, ZunoAIProvider::ollamaLocal,
            { ZunoAIProvider::quarnwellCredits, gatewayChat, QStringLiteral("quarnwell-agent-pro") } },
        { "cloud row under credits keeps the gateway, writes the catalog id", openai,
            ZunoAIProvider::quarnwellCredits,
            { ZunoAIProvider::quarnwellCredits, gatewayChat, QStringLiteral("openai/gpt-5-mini") } },
        { "cloud row under openAI: one slash at the join", openai, ZunoAIProvider::openAI,
            { ZunoAIProvider::openAI, QStringLiteral("https://api.example.test/v1/chat/completions"),
                QStringLiteral("gpt-5-mini") } },
        { "cloud row of an unknown provider", cloudRow(QStringLiteral("mistral"), QStringLiteral("large")),
            ZunoAIProvider::ollamaLocal, { ZunoAIProvider::openAI, publicChat, QStringLiteral("large") } },
        { "cloud row of another API format", cloudRow(QStringLiteral("anthropic"), QStringLiteral("claude")),
            ZunoAIProvider::openAI, { ZunoAIProvider::openAI, publicChat, QStringLiteral("claude") } },
        { "LM Studio with its provider", localRow(QStringLiteral("LMStudio"), QStringLiteral("gemma")),
            ZunoAIProvider::quarnwellCredits,
            { ZunoAIProvider::openAI, QStringLiteral("127.0.0.1:4321/v1/chat/completions"),
                QStringLiteral("gemma") } },
        { "local server the catalog lacks", localRow(QStringLiteral("jan"), QStringLiteral("phi")),
            ZunoAIProvider::openAI,
            { ZunoAIProvider::openAI, QStringLiteral("http://127.0.0.1:1234/v1/chat/completions"),
                QStringLiteral("phi") } },
        { "Ollama row sends its tag",
            localRow(QStringLiteral("Ollama"), QStringLiteral("Qwen 3"), QStringLiteral("qwen3:8b")),
            ZunoAIProvider::openAI,
            { ZunoAIProvider::ollamaLocal, QStringLiteral("http://127.0.0.1:11434/api/chat"),
                QStringLiteral("qwen3:8b") } },
        { "Ollama row without a tag", localRow(QStringLiteral("ollama"), QStringLiteral("mistral")),
            ZunoAIProvider::openAI,
            { ZunoAIProvider::ollamaLocal, QStringLiteral("http://127.0.0.1:11434/api/chat"),
                QStringLiteral("mistral") } },
    };
    for (const Case &c : cases) {
        const ZunoAIConfig written = ZunoAIModelSelection::applyModelSelection(
            c.row, config(c.current, QStringLiteral("old")), document);
        EXPECT_EQ(written.provider, c.expected.provider) << c.name;
        EXPECT_EQ(written.endpointURL.toStdString(), c.expected.endpoint.toStdString()) << c.name;
        EXPECT_EQ(written.model.toStdString(), c.expected.model.toStdString()) << c.name;
    }

    gateway.set(
        ZunoCreditsAccountManager::kGatewayURLEnvironmentVariable, QByteArrayLiteral("http://127.0.0.1:8/"));
    EXPECT_EQ(ZunoAIModelSelection::applyModelSelection(managed, config(ZunoAIProvider::openAI, {}), document)
                  .endpointURL,
        QStringLiteral("http://127.0.0.1:8/v1/ai/chat/completions"));
}

TEST(ZunoAIModelSelection, SelectionComparesTrimmedModelWithIdNameOrTag)
{
    const auto row = localRow(QStringLiteral("ollama"), QStringLiteral("Qwen-3"), QStringLiteral("Qwen3:8B"));
    struct Case {
        const char *model;
        bool selected;
    };
    const Case cases[] = {
        { "qwen-3", true },
        { " OLLAMA/QWEN-3\n", true },
        { "qwen3:8b", true },
        { "qwen3", false },
        { "", false },
    };
    for (const Case &c : cases) {
        // The provider plays no part.
        EXPECT_EQ(ZunoAIModelSelection::isRowSelected(
                      row, config(ZunoAIProvider::quarnwellCredits, QString::fromUtf8(c.model))),
            c.selected)
            << c.model;
    }
}

TEST(ZunoAIModelSelection, QuickPicksAndActiveName)
{
    ZunoAIModelCatalogDocument empty;
    const auto fixedOnly = ZunoUnifiedCatalogBuilder::buildRows(empty, {}, ZunoLanguage::en, 16);
    const auto picks = ZunoAIModelSelection::quickPicks(fixedOnly);
    ASSERT_TRUE(picks.autoPick);
    EXPECT_EQ(picks.autoPick->id, QStringLiteral("quarnwell/quarnwell-auto"));
    EXPECT_FALSE(picks.fastPick || picks.capablePick || picks.localPick);

    // "  QUARNWELL-AUTO " names the router row; an empty model names the router by its short name.
    EXPECT_EQ(ZunoAIModelSelection::activeName(
                  fixedOnly, config(ZunoAIProvider::quarnwellCredits, QStringLiteral("  QUARNWELL-AUTO "))),
        QStringLiteral("Quarnwell Auto (Smart Cost Router)"));
    EXPECT_EQ(ZunoAIModelSelection::activeName(fixedOnly, config(ZunoAIProvider::openAI, {})),
        QStringLiteral("Quarnwell Auto"));
    EXPECT_EQ(ZunoAIModelSelection::activeName(
                  fixedOnly, config(ZunoAIProvider::openAI, QStringLiteral("my-model"))),
        QStringLiteral("my-model"));

    // Candidates in list order: gpt-5 is found before gemini-2.5-pro, whatever the row order.
    const QList<ZunoUnifiedModelRowItem> rows = {
        cloudRow(QStringLiteral("google"), QStringLiteral("gemini-2.5-pro")),
        cloudRow(QStringLiteral("openai"), QStringLiteral("GPT-5")),
        cloudRow(QStringLiteral("google"), QStringLiteral("gemini-2.5-flash")),
        localRow(QStringLiteral("ollama"), QStringLiteral("llama3.2")),
        localRow(QStringLiteral("lmstudio"), QStringLiteral("installed-one"), std::nullopt, true),
    };
    const auto found = ZunoAIModelSelection::quickPicks(rows);
    ASSERT_TRUE(found.capablePick && found.fastPick && found.localPick);
    EXPECT_EQ(found.capablePick->apiModelId, QStringLiteral("GPT-5"));
    EXPECT_EQ(found.fastPick->apiModelId, QStringLiteral("gemini-2.5-flash"));
    EXPECT_EQ(found.localPick->apiModelId, QStringLiteral("installed-one"))
        << "an installed model comes first";
    EXPECT_FALSE(found.autoPick);
    EXPECT_EQ(
        ZunoAIModelSelection::quickPicks(rows.mid(0, 4)).localPick->apiModelId, QStringLiteral("llama3.2"));
}
