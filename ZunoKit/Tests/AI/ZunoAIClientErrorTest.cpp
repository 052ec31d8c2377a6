#include "ZunoAIClientError.h"
#include "ZunoAIConfig.h"
#include "ZunoDecodingError.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using Json = nlohmann::json;

TEST(ZunoAIProvider, RawValuesDefaultsAndNames)
{
    ZunoScopedEnvironment environment("QUARNWELL_API_URL", QByteArrayLiteral(" http://127.0.0.1:9/ "));
    const auto &cases = ZunoAIProviders::allCases();
    ASSERT_EQ(cases.size(), 3u);
    EXPECT_EQ(cases[0], ZunoAIProvider::ollamaLocal);
    EXPECT_EQ(cases[1], ZunoAIProvider::openAI);
    EXPECT_EQ(cases[2], ZunoAIProvider::quarnwellCredits);
    for (ZunoAIProvider provider : cases)
        EXPECT_EQ(ZunoAIProviders::fromRawValue(rawValue(provider)), provider);
    EXPECT_FALSE(ZunoAIProviders::fromRawValue(QStringLiteral("openai")));
    EXPECT_FALSE(ZunoAIProviders::fromRawValue(QString()));

    EXPECT_EQ(defaultEndpoint(ZunoAIProvider::ollamaLocal), "http://127.0.0.1:11434/api/chat");
    EXPECT_EQ(defaultEndpoint(ZunoAIProvider::openAI), "https://api.openai.com/v1/chat/completions");
    EXPECT_EQ(defaultEndpoint(ZunoAIProvider::quarnwellCredits), "http://127.0.0.1:9/v1/ai/chat/completions");
    EXPECT_EQ(defaultModel(ZunoAIProvider::ollamaLocal), "llama3.2");
    EXPECT_EQ(defaultModel(ZunoAIProvider::openAI), "gpt-4o-mini");
    EXPECT_EQ(defaultModel(ZunoAIProvider::quarnwellCredits), "quarnwell-auto");
}

TEST(ZunoAIProvider, DisplayNamesFollowTheCurrentLanguage)
{
    ZunoTestHome home;
    ZunoLanguages::setCurrent(ZunoLanguage::tr);
    EXPECT_EQ(displayName(ZunoAIProvider::ollamaLocal), QStringLiteral("Yerel Ollama (%100 Çevrimdışı)"));
    EXPECT_EQ(displayName(ZunoAIProvider::openAI), QStringLiteral("OpenAI Uyumlu (Kendi Anahtarın)"));
    EXPECT_EQ(
        displayName(ZunoAIProvider::quarnwellCredits), QStringLiteral("Quarnwell Kredisi (quarnwell.com)"));
    EXPECT_EQ(ZunoAIClientError::emptyResponse().errorDescription(),
        QStringLiteral("Sağlayıcı boş yanıt döndürdü."));
    ZunoLanguages::setCurrent(ZunoLanguage::en);
    EXPECT_EQ(displayName(ZunoAIProvider::ollamaLocal), QStringLiteral("Local Ollama (100% Offline)"));
    EXPECT_EQ(displayName(ZunoAIProvider::openAI), QStringLiteral("OpenAI-Compatible (BYO Key)"));
    EXPECT_EQ(
        displayName(ZunoAIProvider::quarnwellCredits), QStringLiteral("Quarnwell Credits (quarnwell.com)"));
    EXPECT_EQ(ZunoAIClientError::emptyResponse().errorDescription(),
        QStringLiteral("Provider returned an empty response."));
    // An explicit language wins over the current one.
    EXPECT_EQ(ZunoAIClientError::invalidEndpoint().localizedDescription(ZunoLanguage::tr),
        QStringLiteral("Geçersiz AI uç noktası adresi."));
}

TEST(ZunoAIConfig, DefaultsAreTakenWhenMadeAndEmptyStringsStay)
{
    ZunoScopedEnvironment environment("QUARNWELL_API_URL", QByteArrayLiteral("http://127.0.0.1:7"));
    const ZunoAIConfig credits(ZunoAIProvider::quarnwellCredits);
    EXPECT_EQ(credits.endpointURL, "http://127.0.0.1:7/v1/ai/chat/completions");
    EXPECT_EQ(credits.model, "quarnwell-auto");
    // Resolved when made, not later.
    environment.set("QUARNWELL_API_URL", QByteArrayLiteral("http://127.0.0.1:8"));
    EXPECT_EQ(credits.endpointURL, "http://127.0.0.1:7/v1/ai/chat/completions");

    const ZunoAIConfig empty(ZunoAIProvider::quarnwellCredits, QString(), QString());
    EXPECT_EQ(empty.endpointURL, QString());
    EXPECT_EQ(empty.model, QString());
    const ZunoAIConfig custom(ZunoAIProvider::openAI, QStringLiteral("https://example.invalid/v1"));
    EXPECT_EQ(custom.model, "gpt-4o-mini");
}

TEST(ZunoAIConfig, JsonIsStrict)
{
    const Json whole
        = { { "provider", "openAI" }, { "endpointURL", "https://a.invalid/v1" }, { "model", "m" } };
    const ZunoAIConfig decoded = ZunoAIConfig::fromJson(whole);
    EXPECT_EQ(decoded,
        ZunoAIConfig(ZunoAIProvider::openAI, QStringLiteral("https://a.invalid/v1"), QStringLiteral("m")));
    EXPECT_EQ(decoded.toJson(), whole);
    EXPECT_EQ(ZunoAIConfig::fromJson(Json(decoded)), decoded);

    Json withoutModel = whole;
    withoutModel.erase("model");
    Json unknownProvider = whole;
    unknownProvider["provider"] = "claude";
    Json nullEndpoint = whole;
    nullEndpoint["endpointURL"] = nullptr;
    for (const Json &bad : { withoutModel, unknownProvider, nullEndpoint, Json::array() })
        EXPECT_THROW(ZunoAIConfig::fromJson(bad), ZunoDecodingError) << bad.dump();
}

TEST(ZunoAIClientError, MessagesInEnglishAndTurkish)
{
    const QString en402 = QStringLiteral("Insufficient Quarnwell Credits. Top up at quarnwell.com/en/credits "
                                         "or switch to your own API key / local Ollama.");
    const QString tr402
        = QStringLiteral("Quarnwell Krediniz yetersiz. quarnwell.com/kredi üzerinden kredi yükleyebilir "
                         "veya kendi API anahtarınıza / yerel Ollama'ya geçebilirsiniz.");
    const QString enBudget
        = QStringLiteral(" reached its Quarnwell credit spending limit. Increase or remove the limit "
                         "from the Credits menu or quarnwell.com/en/usage, or switch to your own API "
                         "key / local Ollama.");
    const QString trBudget
        = QStringLiteral(" için belirlediğiniz Quarnwell kredi harcama limitine ulaşıldı. Üst "
                         "çubuktaki Kredi menüsünden veya quarnwell.com/kullanim sayfasından limiti "
                         "artırabilir ya da kendi API anahtarınıza / yerel Ollama'ya geçebilirsiniz.");
    struct Case {
        ZunoAIClientError error;
        QString en;
        QString tr;
    };
    const Case cases[] = {
        { ZunoAIClientError::invalidEndpoint(), "Invalid AI endpoint URL.",
            "Geçersiz AI uç noktası adresi." },
        { ZunoAIClientError::missingAPIKey(),
            "API key or Quarnwell credit token is required for this provider.",
            "Bu sağlayıcı için API anahtarı veya Quarnwell kredi jetonu gereklidir." },
        { ZunoAIClientError::emptyResponse(), "Provider returned an empty response.",
            "Sağlayıcı boş yanıt döndürdü." },
        { ZunoAIClientError::incompleteResponse(), "The answer was cut off before it was complete.",
            "Yanıt tamamlanmadan kesildi." },
        { ZunoAIClientError::httpError(500, QString()), "HTTP 500", "HTTP 500" },
        { ZunoAIClientError::httpError(429, QStringLiteral(" slow down ")), "HTTP 429:  slow down ",
            "HTTP 429:  slow down " },
        { ZunoAIClientError::streamError(QStringLiteral("model crashed")), "model crashed", "model crashed" },
        { ZunoAIClientError::insufficientCredits(std::nullopt), en402, tr402 },
        { ZunoAIClientError::insufficientCredits(QStringLiteral(" \n\t ")), en402, tr402 },
        { ZunoAIClientError::insufficientCredits(QStringLiteral("  low  ")), en402 + " (low)",
            tr402 + " (low)" },
        { ZunoAIClientError::appBudgetExceeded(QStringLiteral("  ZunoCam "), std::nullopt),
            "ZunoCam" + enBudget, "ZunoCam" + trBudget },
        { ZunoAIClientError::appBudgetExceeded(QString(), QStringLiteral(" daily cap ")),
            "This app" + enBudget + " (daily cap)", "Bu uygulama" + trBudget + " (daily cap)" },
        { ZunoAIClientError::appBudgetExceeded(std::nullopt, QStringLiteral("\n")), "This app" + enBudget,
            "Bu uygulama" + trBudget },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.error.localizedDescription(ZunoLanguage::en), c.en);
        EXPECT_EQ(c.error.localizedDescription(ZunoLanguage::tr), c.tr);
    }
    EXPECT_EQ(ZunoAIClientError::httpError(500, "x"), ZunoAIClientError::httpError(500, "x"));
    EXPECT_NE(ZunoAIClientError::httpError(500, "x"), ZunoAIClientError::httpError(502, "x"));
}
