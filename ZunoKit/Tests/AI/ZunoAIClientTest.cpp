#include "ZunoAIClientTestSupport.h"

#include "ZunoHttpError.h"

#include <QLocale>

#include <clocale>
#include <string>

using Json = nlohmann::json;

namespace {

const QByteArray kAnswer = R"({"choices":[{"message":{"content":"hi"}}]})";

std::vector<QByteArray> headerNames(const ZunoFakeHttpServer::Request &request)
{
    std::vector<QByteArray> names;
    for (const auto &field : request.headers) {
        const QByteArray name = field.first.toLower();
        // The transport's own.
        const bool transport = name == "host" || name == "content-length" || name == "accept-encoding"
            || (name == "accept" && field.second == "*/*");
        if (!transport)
            names.push_back(field.first);
    }
    return names;
}

class ZunoAIClientTest : public ZunoAIClientTestBase { };

} // namespace

TEST_F(ZunoAIClientTest, RequestHeadersAndBodyPerProvider)
{
    manager->saveToken(QStringLiteral("saved-token"));
    server.route("POST", "/v1/chat", Reply::text(200, kAnswer));
    // Ends as either dialect ends: Ollama skips the events and stops at "done", the others at "[DONE]".
    server.route("POST", "/v1/stream", Reply::closeDelimitedBody({ event("x"), "{\"done\":true}\n", kDone }));
    const QByteArray app = ZunoCreditsAccountManager::currentAppHeader().toUtf8();
    struct Case {
        const char *name;
        ZunoAIProvider provider;
        std::optional<QString> key;
        bool stream;
        std::vector<QByteArray> headers;
        std::optional<QByteArray> authorization;
        std::optional<bool> streamKey;
    };
    const Case cases[] = {
        { "ollama, key ignored", ZunoAIProvider::ollamaLocal, QStringLiteral("k"), false, { "Content-Type" },
            std::nullopt, false },
        { "ollama streaming", ZunoAIProvider::ollamaLocal, QStringLiteral("k"), true, { "Content-Type" },
            std::nullopt, true },
        { "openAI, key trimmed", ZunoAIProvider::openAI, QStringLiteral("  sk-1 \n"), false,
            { "Content-Type", "Authorization" }, "Bearer sk-1", std::nullopt },
        { "openAI streaming", ZunoAIProvider::openAI, QStringLiteral("sk-1"), true,
            { "Content-Type", "Accept", "Authorization" }, "Bearer sk-1", true },
        { "openAI on loopback without a key", ZunoAIProvider::openAI, QStringLiteral("  "), false,
            { "Content-Type" }, std::nullopt, std::nullopt },
        { "credits with the saved token", ZunoAIProvider::quarnwellCredits, std::nullopt, false,
            { "Content-Type", "Authorization", "X-Tindrel-App" }, "Bearer saved-token", std::nullopt },
        { "credits streaming, explicit key", ZunoAIProvider::quarnwellCredits, QStringLiteral(" own "), true,
            { "Content-Type", "Accept", "Authorization", "X-Tindrel-App" }, "Bearer own", true },
    };
    for (const Case &c : cases) {
        const std::size_t before = server.requests().size();
        if (c.stream) {
            auto stream = client.completeStreaming(
                QStringLiteral("sys"), QStringLiteral("usr \n"), config(c.provider, "/v1/stream"), c.key);
            const auto drained = drain(*stream);
            EXPECT_FALSE(drained.error) << c.name;
        } else {
            EXPECT_EQ(
                client.complete(QStringLiteral("sys"), QStringLiteral("usr \n"), config(c.provider), c.key),
                "hi")
                << c.name;
        }
        ASSERT_EQ(server.requests().size(), before + 1) << c.name;
        const auto request = server.requests().back();
        EXPECT_EQ(request.method, "POST") << c.name;
        EXPECT_EQ(headerNames(request), c.headers) << c.name;
        EXPECT_EQ(request.header("Authorization"), c.authorization) << c.name;
        EXPECT_EQ(request.header("Content-Type"), "application/json") << c.name;
        if (c.provider == ZunoAIProvider::quarnwellCredits) {
            EXPECT_EQ(request.header("X-Tindrel-App"), app) << c.name;
        }
        if (c.stream && c.provider != ZunoAIProvider::ollamaLocal) {
            EXPECT_EQ(request.header("Accept"), "text/event-stream") << c.name;
        }
        const Json body = Json::parse(request.body.toStdString());
        EXPECT_EQ(body["model"], "test-model") << c.name;
        EXPECT_EQ(body["messages"],
            Json::parse(R"([{"role":"system","content":"sys"},{"role":"user","content":"usr \n"}])"))
            << c.name;
        if (c.streamKey)
            EXPECT_EQ(body.value("stream", Json()), *c.streamKey) << c.name;
        else
            EXPECT_FALSE(body.contains("stream")) << c.name;
    }
}

TEST_F(ZunoAIClientTest, EndpointAndKeyFailuresSendNothing)
{
    ZunoFakeHttpServer foreign;
    foreign.route("POST", "/v1/chat", Reply::text(200, kAnswer));
    const QString foreignURL = QString::fromLatin1(foreign.url("/v1/chat"));
    struct Case {
        const char *name;
        ZunoAIConfig config;
        std::optional<QString> key;
        ZunoAIClientError expected;
    };
    const Case cases[] = {
        { "openAI with a blank key",
            ZunoAIConfig(ZunoAIProvider::openAI, QStringLiteral("https://api.example.invalid/v1")),
            QStringLiteral(" \t"), ZunoAIClientError::missingAPIKey() },
        { "credits without a saved token", config(ZunoAIProvider::quarnwellCredits), std::nullopt,
            ZunoAIClientError::missingAPIKey() },
        { "not a URL, key missing too",
            ZunoAIConfig(ZunoAIProvider::quarnwellCredits, QStringLiteral("not a url")), std::nullopt,
            ZunoAIClientError::invalidEndpoint() },
        { "empty endpoint", ZunoAIConfig(ZunoAIProvider::ollamaLocal, QString()), std::nullopt,
            ZunoAIClientError::invalidEndpoint() },
        { "ftp endpoint", ZunoAIConfig(ZunoAIProvider::openAI, QStringLiteral("ftp://127.0.0.1/x")),
            QStringLiteral("k"), ZunoAIClientError::invalidEndpoint() },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(clientFailure([&] { client.complete("s", "u", c.config, c.key); }), c.expected) << c.name;
        auto stream = client.completeStreaming("s", "u", c.config, c.key);
        EXPECT_EQ(errorOf<ZunoAIClientError>(drain(*stream).error), c.expected) << c.name;
    }

    // The saved token belongs to the manager's gateway: another port of the same host never sees it.
    manager->saveToken(QStringLiteral("saved-token"));
    const ZunoAIConfig elsewhere(ZunoAIProvider::quarnwellCredits, foreignURL);
    EXPECT_EQ(
        clientFailure([&] { client.complete("s", "u", elsewhere); }), ZunoAIClientError::missingAPIKey());
    auto stream = client.completeStreaming("s", "u", elsewhere);
    EXPECT_EQ(errorOf<ZunoAIClientError>(drain(*stream).error), ZunoAIClientError::missingAPIKey());
    EXPECT_TRUE(foreign.requests().empty());
    EXPECT_TRUE(server.requests().empty());
    // A key given explicitly goes where the caller sends it.
    EXPECT_EQ(client.complete("s", "u", elsewhere, QStringLiteral("own")), "hi");
    ASSERT_EQ(foreign.requests().size(), 1u);
    EXPECT_EQ(foreign.requests()[0].header("Authorization"), "Bearer own");
}

TEST_F(ZunoAIClientTest, WholeAnswers)
{
    struct Case {
        QByteArray body;
        std::optional<QString> answer; // none: emptyResponse
    };
    const Case cases[] = {
        { R"({"choices":[{"message":{"content":"  padded \n"}}]})", QStringLiteral("padded") },
        { R"({"choices":[{"message":{"content":[{"text":" one"},{"type":"image"},{"text":"two "}]}}]})",
            QStringLiteral("one\ntwo") },
        { R"({"choices":[{"message":{"content":[]}}],"message":{"content":"fallback"}})",
            QStringLiteral("fallback") },
        { R"({"message":{"role":"assistant","content":"ollama chat"}})", QStringLiteral("ollama chat") },
        { R"({"response":"generate"})", QStringLiteral("generate") },
        { R"({"choices":[{"message":{"content":"   "}}]})", QString() },
        { R"({"choices":[]})", std::nullopt },
        { R"({"choices":[{"message":{"content":7}}]})", std::nullopt },
        { R"(["choices"])", std::nullopt },
        { "not json", std::nullopt },
        { "", std::nullopt },
    };
    for (const Case &c : cases) {
        server.route("POST", "/v1/chat", Reply::text(200, c.body));
        if (c.answer) {
            EXPECT_EQ(client.complete("s", "u", config(ZunoAIProvider::ollamaLocal)), *c.answer)
                << c.body.data();
        } else {
            EXPECT_EQ(clientFailure([&] { client.complete("s", "u", config(ZunoAIProvider::ollamaLocal)); }),
                ZunoAIClientError::emptyResponse())
                << c.body.data();
        }
    }
    // Failures: a status outside 2xx, and an answer that is not HTTP.
    server.route("POST", "/v1/chat", Reply::text(503, R"({"error":{"message":"busy"}})"));
    EXPECT_EQ(clientFailure([&] { client.complete("s", "u", config(ZunoAIProvider::ollamaLocal)); }),
        ZunoAIClientError::httpError(503, QStringLiteral("busy")));
    server.route("POST", "/v1/chat", Reply::rawBytes("garbage\r\n\r\n"));
    EXPECT_EQ(clientFailure([&] { client.complete("s", "u", config(ZunoAIProvider::ollamaLocal)); }),
        ZunoAIClientError::emptyResponse());
}

TEST(ZunoAIClientErrors, ParseHTTPError)
{
    using E = ZunoAIClientError;
    const QString longMessage = QString(150, u'x') + QString(200, u'é');
    QString combining; // 301 user-perceived characters of two code units each
    for (int i = 0; i < 301; ++i)
        combining += QStringLiteral("e\u0301");
    struct Case {
        int status;
        QByteArray body;
        E expected;
    };
    const Case cases[] = {
        { 402, R"({"error":{"code":"APP_BUDGET_EXCEEDED","message":"cap hit","app":"ZunoCam"}})",
            E::appBudgetExceeded(QStringLiteral("ZunoCam"), QStringLiteral("cap hit")) },
        { 402, R"({"error":"app_budget_exceeded","message":"daily","app":"Cam"})",
            E::appBudgetExceeded(QStringLiteral("Cam"), QStringLiteral("daily")) },
        { 402, "spending cap: app_budget_exceeded", E::appBudgetExceeded(std::nullopt, std::nullopt) },
        { 402, R"({"error":{"type":"insufficient_credits","message":"top up"}})",
            E::insufficientCredits(QStringLiteral("top up")) },
        { 402, "", E::insufficientCredits(std::nullopt) },
        { 500, "", E::httpError(500, QString()) },
        { 500, "  plain failure \n", E::httpError(500, QStringLiteral("plain failure")) },
        { 429, R"({"error":{"code":"rate_limited"}})", E::httpError(429, QStringLiteral("rate_limited")) },
        { 400, R"({"code":"bad","message":""})", E::httpError(400, QStringLiteral("bad")) },
        { 400, R"({"message":"top","error":{"message":"inner"}})", E::httpError(400, QStringLiteral("top")) },
        { 502, longMessage.toUtf8().prepend(R"({"message":")").append(R"("})"),
            E::httpError(502, longMessage.left(300)) },
        { 502, combining.toUtf8(), E::httpError(502, combining.left(600)) },
        { 500, QByteArray("\xff\xfe bad"), E::httpError(500, QString()) },
        // A proxy's or gateway's web page says nothing its status does not.
        { 502, "<!DOCTYPE html>\n<html><head><title>502 Bad Gateway</title></head></html>",
            E::httpError(502, QString()) },
        { 503, "  <HTML><BODY>Service Unavailable</BODY></HTML>", E::httpError(503, QString()) },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ZunoAIClient::parseHTTPError(c.status, c.body), c.expected) << c.body.left(80).data();
}

TEST(ZunoAIClientErrors, BillingBalanceReading)
{
    ZunoHttpHeaders headers;
    headers.add("x-tindrel-available-usd", " 4.5 ");
    headers.add("X-Tindrel-Credits-Available", "450");
    ZunoHttpHeaders badHeaders;
    badHeaders.add("X-Tindrel-Available-Usd", "12,5");
    badHeaders.add("X-Tindrel-Credits-Available", "nan");
    using Balance = ZunoAIClient::BillingBalance;
    struct Case {
        const char *body;
        const ZunoHttpHeaders *headers;
        Balance expected;
    };
    const Case cases[] = {
        { R"({"quarnwell_billing":{"available_micros":2500000}})", nullptr, { 2.5, std::nullopt } },
        { R"({"quarnwell_billing":{"available_usd":" 12.5 ","available_micros":1,"credits_available":"7"}})",
            nullptr, { 12.5, 7.0 } },
        { R"({"quarnwell_billing":{"available_usd":"inf","credits_available":true}})", nullptr, {} },
        { R"({"quarnwell_billing":{"available_usd":"12,5","credits_available":"1e3"}})", nullptr,
            { std::nullopt, 1000.0 } },
        { R"({"quarnwell_billing":{"credits_available":9}})", &headers, { 4.5, 9.0 } },
        { R"({"quarnwell_billing":"1"})", &headers, { 4.5, 450.0 } },
        { "null", &headers, { 4.5, 450.0 } },
        { "null", &badHeaders, {} },
    };
    const auto check = [&] {
        for (const Case &c : cases) {
            const Json object = Json::parse(c.body);
            EXPECT_EQ(ZunoAIClient::extractBillingBalance(c.headers, object.is_null() ? nullptr : &object),
                c.expected)
                << c.body;
        }
    };
    check();
    // Decimal points are read the same under a locale that writes a comma.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const QLocale previousDefault;
    if (!std::setlocale(LC_ALL, "tr_TR.UTF-8"))
        GTEST_SKIP() << "tr_TR.UTF-8 is not installed";
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    check();
    std::setlocale(LC_ALL, previous.c_str());
    QLocale::setDefault(previousDefault);
}

TEST_F(ZunoAIClientTest, CreditsAnswerDeliversItsBalanceOnceEvenWhenEmpty)
{
    manager->saveToken(QStringLiteral("saved-token"));
    server.route("POST", "/v1/chat",
        Reply::text(200, R"({"choices":[],"quarnwell_billing":{"credits_available":"88"}})")
            .withHeader("X-Tindrel-Available-Usd", "0.88"));
    EXPECT_EQ(clientFailure([&] { client.complete("s", "u", config(ZunoAIProvider::quarnwellCredits)); }),
        ZunoAIClientError::emptyResponse());
    ASSERT_EQ(balances().size(), 1u);
    EXPECT_EQ(balances()[0], (Balance { 0.88, 88.0 }));

    // No balance at all, and other providers' balances: nothing is delivered.
    server.route("POST", "/v1/chat", Reply::text(200, kAnswer));
    EXPECT_EQ(client.complete("s", "u", config(ZunoAIProvider::quarnwellCredits)), "hi");
    server.route("POST", "/v1/chat",
        Reply::text(200, R"({"response":"x","quarnwell_billing":{"credits_available":1}})"));
    EXPECT_EQ(client.complete("s", "u", config(ZunoAIProvider::openAI), QStringLiteral("k")), "x");
    EXPECT_EQ(balances().size(), 1u);
}
