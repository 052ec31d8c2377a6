#include "ZunoAIProvider.h"

#include "ZunoCreditsAccountManager.h"
#include "ZunoDecodingError.h"
#include "ZunoText.h"

#include <QUrl>

#include <nlohmann/json.hpp>

namespace ZunoAIProviders {

const std::array<ZunoAIProvider, 3> &allCases()
{
    static constexpr std::array<ZunoAIProvider, 3> cases { ZunoAIProvider::ollamaLocal,
        ZunoAIProvider::openAI, ZunoAIProvider::quarnwellCredits };
    return cases;
}

std::optional<ZunoAIProvider> fromRawValue(const QString &raw)
{
    for (ZunoAIProvider provider : allCases()) {
        if (rawValue(provider) == raw)
            return provider;
    }
    return std::nullopt;
}

} // namespace ZunoAIProviders

QString rawValue(ZunoAIProvider provider)
{
    switch (provider) {
    case ZunoAIProvider::ollamaLocal:
        return QStringLiteral("ollamaLocal");
    case ZunoAIProvider::openAI:
        return QStringLiteral("openAI");
    case ZunoAIProvider::quarnwellCredits:
        return QStringLiteral("quarnwellCredits");
    }
    return {};
}

QString displayName(ZunoAIProvider provider)
{
    switch (provider) {
    case ZunoAIProvider::ollamaLocal:
        return zunoText(
            QStringLiteral("Local Ollama (100% Offline)"), QStringLiteral("Yerel Ollama (%100 Çevrimdışı)"));
    case ZunoAIProvider::openAI:
        return zunoText(
            QStringLiteral("OpenAI-Compatible (BYO Key)"), QStringLiteral("OpenAI Uyumlu (Kendi Anahtarın)"));
    case ZunoAIProvider::quarnwellCredits: {
        const QString host = QUrl(QString::fromLatin1(ZunoCreditsAccountManager::kDefaultPortalURL)).host();
        return zunoText(QStringLiteral("Quarnwell Credits (%1)").arg(host),
            QStringLiteral("Quarnwell Kredisi (%1)").arg(host));
    }
    }
    return {};
}

QString defaultEndpoint(ZunoAIProvider provider)
{
    switch (provider) {
    case ZunoAIProvider::ollamaLocal:
        return QStringLiteral("http://127.0.0.1:11434/api/chat");
    case ZunoAIProvider::openAI:
        return QStringLiteral("https://api.openai.com/v1/chat/completions");
    case ZunoAIProvider::quarnwellCredits:
        return ZunoCreditsAccountManager::resolvedGatewayURL(std::nullopt)
            + QStringLiteral("/v1/ai/chat/completions");
    }
    return {};
}

QString defaultModel(ZunoAIProvider provider)
{
    switch (provider) {
    case ZunoAIProvider::ollamaLocal:
        return QStringLiteral("llama3.2");
    case ZunoAIProvider::openAI:
        return QStringLiteral("gpt-4o-mini");
    case ZunoAIProvider::quarnwellCredits:
        return QStringLiteral("quarnwell-auto");
    }
    return {};
}

void to_json(nlohmann::json &json, ZunoAIProvider provider)
{
    json = rawValue(provider).toStdString();
}

void from_json(const nlohmann::json &json, ZunoAIProvider &provider)
{
    if (!json.is_string())
        throw ZunoDecodingError("provider: expected a string");
    const auto decoded = ZunoAIProviders::fromRawValue(QString::fromStdString(json.get<std::string>()));
    if (!decoded)
        throw ZunoDecodingError("provider: unknown value \"" + json.get<std::string>() + "\"");
    provider = *decoded;
}
