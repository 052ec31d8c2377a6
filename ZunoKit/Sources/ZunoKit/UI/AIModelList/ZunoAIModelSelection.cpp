#include "ZunoAIModelSelection.h"

#include <initializer_list>

namespace {

const QString kGatewayChatPath = QStringLiteral("/v1/ai/chat/completions");
const QString kOllamaChatEndpoint = QStringLiteral("http://127.0.0.1:11434/api/chat");
const QString kLMStudioBase = QStringLiteral("http://127.0.0.1:1234/v1");
const QString kLocalChatPath = QStringLiteral("/chat/completions");

QString trimmedSlashes(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char('/'))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char('/'))
        --end;
    return text.mid(begin, end - begin);
}

QString gatewayEndpoint()
{
    return defaultEndpoint(ZunoAIProvider::quarnwellCredits);
}

QString cloudEndpoint(const ZunoUnifiedModelRowItem &row, const ZunoAIModelCatalogDocument &document)
{
    const auto provider = document.provider(row.providerId);
    if (provider && provider->apiFormat == QLatin1String("openai-compatible"))
        return trimmedSlashes(provider->defaultBaseUrl) + provider->chatPath;
    return defaultEndpoint(ZunoAIProvider::openAI);
}

QString localEndpoint(const ZunoUnifiedModelRowItem &row, const ZunoAIModelCatalogDocument &document)
{
    const auto provider = document.provider(row.providerId);
    if (provider)
        return trimmedSlashes(provider->defaultBaseUrl) + provider->chatPath;
    return trimmedSlashes(kLMStudioBase) + kLocalChatPath;
}

std::optional<ZunoUnifiedModelRowItem> lookup(
    const QList<ZunoUnifiedModelRowItem> &rows, std::initializer_list<const char *> candidates)
{
    for (const char *candidate : candidates) {
        const QString wanted = QString::fromLatin1(candidate).toLower();
        for (const ZunoUnifiedModelRowItem &row : rows) {
            if (row.id.toLower() == wanted || row.apiModelId.toLower() == wanted)
                return row;
        }
    }
    return std::nullopt;
}

} // namespace

bool ZunoAIModelSelection::isRowSelected(const ZunoUnifiedModelRowItem &row, const ZunoAIConfig &config)
{
    const QString model = config.model.trimmed().toLower();
    return model == row.apiModelId.toLower() || model == row.id.toLower()
        || (row.ollamaTag && model == row.ollamaTag->toLower());
}

ZunoAIConfig ZunoAIModelSelection::applyModelSelection(const ZunoUnifiedModelRowItem &row,
    const ZunoAIConfig &config, const ZunoAIModelCatalogDocument &document)
{
    if (row.isQuarnwellManaged)
        return ZunoAIConfig(ZunoAIProvider::quarnwellCredits, gatewayEndpoint(), row.apiModelId);
    if (!row.isLocal) {
        // Through the gateway the catalog id ("openai/gpt-5-mini") says where to route.
        if (config.provider == ZunoAIProvider::quarnwellCredits)
            return ZunoAIConfig(ZunoAIProvider::quarnwellCredits, gatewayEndpoint(), row.id);
        return ZunoAIConfig(ZunoAIProvider::openAI, cloudEndpoint(row, document), row.apiModelId);
    }
    if (row.providerId.compare(QLatin1String("ollama"), Qt::CaseInsensitive) != 0)
        return ZunoAIConfig(ZunoAIProvider::openAI, localEndpoint(row, document), row.apiModelId);
    return ZunoAIConfig(
        ZunoAIProvider::ollamaLocal, kOllamaChatEndpoint, row.ollamaTag.value_or(row.apiModelId));
}

ZunoAIModelSelection::QuickPicks ZunoAIModelSelection::quickPicks(const QList<ZunoUnifiedModelRowItem> &rows)
{
    QuickPicks picks;
    for (const ZunoUnifiedModelRowItem &row : rows) {
        if (row.isLocal && row.isInstalledLocally) {
            picks.localPick = row;
            break;
        }
    }
    if (!picks.localPick)
        picks.localPick = lookup(rows, { "ollama/qwen3:8b", "ollama/llama3.2", "ollama/gemma3:12b" });
    picks.autoPick = lookup(rows, { "quarnwell/quarnwell-auto", "quarnwell-auto", "openai/gpt-5-mini" });
    picks.fastPick = lookup(rows, { "openai/gpt-5-mini", "google/gemini-2.5-flash" });
    picks.capablePick
        = lookup(rows, { "anthropic/claude-sonnet-4-5", "openai/gpt-5", "google/gemini-2.5-pro" });
    return picks;
}

QString ZunoAIModelSelection::activeName(
    const QList<ZunoUnifiedModelRowItem> &rows, const ZunoAIConfig &config)
{
    for (const ZunoUnifiedModelRowItem &row : rows) {
        if (isRowSelected(row, config))
            return row.displayName;
    }
    if (!config.model.isEmpty())
        return config.model;
    return QStringLiteral("Quarnwell Auto");
}
