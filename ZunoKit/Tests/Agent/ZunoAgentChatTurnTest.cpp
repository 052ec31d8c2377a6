#include "ZunoAgentTestSupport.h"

#include "ZunoHttpError.h"

namespace {

class ZunoAgentChatTurnTest : public ZunoAgentTestBase { };

} // namespace

TEST_F(ZunoAgentChatTurnTest, CredentialsAndRequestShape)
{
    manager->saveToken(QStringLiteral("saved-token"));
    scriptJson({ reply("hi") });
    ZunoFakeHttpServer foreign;
    const ZunoAIConfig elsewhere(
        ZunoAIProvider::quarnwellCredits, QString::fromLatin1(foreign.url("/v1/chat")), QStringLiteral("m"));
    const ZunoAIConfig empty(ZunoAIProvider::openAI, QString(), QStringLiteral("m"));
    const ZunoAIConfig remote(
        ZunoAIProvider::openAI, QStringLiteral("https://api.example.invalid/v1"), QStringLiteral("m"));

    // Failures before any request.
    EXPECT_EQ(failureOf<ZunoAIClientError>([&] { run("go", 8, std::nullopt, &empty); }),
        ZunoAIClientError::invalidEndpoint());
    EXPECT_EQ(failureOf<ZunoAIClientError>([&] { run("go", 8, QStringLiteral("  "), &remote); }),
        ZunoAIClientError::missingAPIKey());
    // The saved token belongs to the manager's gateway, not to another port of the same host.
    EXPECT_EQ(failureOf<ZunoAIClientError>([&] { run("go", 8, std::nullopt, &elsewhere); }),
        ZunoAIClientError::missingAPIKey());
    EXPECT_TRUE(server.requests().empty());
    EXPECT_TRUE(foreign.requests().empty());

    struct Case {
        const char *name;
        ZunoAIProvider provider;
        std::optional<QString> key;
        std::optional<QByteArray> authorization;
        bool toolChoice;
    };
    const Case cases[] = {
        { "ollama with a key", ZunoAIProvider::ollamaLocal, QStringLiteral("k"), std::nullopt, false },
        { "openAI on loopback without a key", ZunoAIProvider::openAI, std::nullopt, std::nullopt, true },
        { "openAI, trimmed key", ZunoAIProvider::openAI, QStringLiteral(" sk \n"), "Bearer sk", true },
        { "credits with the saved token", ZunoAIProvider::quarnwellCredits, std::nullopt,
            "Bearer saved-token", true },
    };
    const QByteArray app = ZunoCreditsAccountManager::currentAppHeader().toUtf8();
    for (const Case &c : cases) {
        const ZunoAIConfig configuration = config(c.provider);
        EXPECT_EQ(run("go", 8, c.key, &configuration), "hi") << c.name;
        const auto request = server.requests().back();
        EXPECT_EQ(request.header("Authorization"), c.authorization) << c.name;
        EXPECT_EQ(request.header("Content-Type"), "application/json") << c.name;
        EXPECT_EQ(request.header("X-Tindrel-App"),
            c.provider == ZunoAIProvider::quarnwellCredits ? std::optional(app) : std::nullopt)
            << c.name;
        const Json sent = Json::parse(request.body.toStdString());
        EXPECT_EQ(sent["model"], "m") << c.name;
        EXPECT_EQ(sent["stream"], false) << c.name;
        EXPECT_EQ(sent["tools"].size(), 3u) << c.name;
        EXPECT_EQ(sent["tools"][0], Json::parse(R"({"type":"function","function":{"name":"add",
            "description":"Adds a and b.","parameters":{}}})"))
            << c.name;
        EXPECT_EQ(sent.contains("tool_choice"), c.toolChoice) << c.name;
        if (c.toolChoice) {
            EXPECT_EQ(sent["tool_choice"], "auto") << c.name;
        }
    }

    // An empty tool list sends neither key.
    engine.runAgentLoop("s", {}, "u", {}, config(), QStringLiteral("k"), 3, {}, {});
    EXPECT_FALSE(body(server.requests().size() - 1).contains("tools"));
    EXPECT_FALSE(body(server.requests().size() - 1).contains("tool_choice"));
}

TEST_F(ZunoAgentChatTurnTest, OllamaRefusingToolsIsAskedOnceMoreWithoutThem)
{
    const Reply refusal = Reply::text(400, R"({"error":"model does not support Tools"})");
    script({ refusal, Reply::text(200, R"({"message":{"role":"assistant","content":"plain"}})") });
    const ZunoAIConfig ollama = config(ZunoAIProvider::ollamaLocal);
    EXPECT_EQ(run("go", 8, std::nullopt, &ollama), "plain");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_TRUE(body(0).contains("tools"));
    EXPECT_FALSE(body(1).contains("tools"));

    // Not retried for other providers, nor a second time.
    script({ refusal });
    EXPECT_EQ(failureOf<ZunoAIClientError>([&] { run(); }),
        ZunoAIClientError::httpError(400, QStringLiteral("model does not support Tools")));
    EXPECT_EQ(server.requests().size(), 3u);
    EXPECT_TRUE(failureOf<ZunoAIClientError>([&] { run("go", 8, std::nullopt, &ollama); }));
    EXPECT_EQ(server.requests().size(), 5u);
}

TEST_F(ZunoAgentChatTurnTest, ReplyShapes)
{
    struct Case {
        const char *body;
        std::optional<QString> answer; // none: emptyResponse
    };
    const Case cases[] = {
        { R"({"choices":[{"message":{"content":[{"type":"text","text":"a"},{"type":"image"},{"text":"b"}]}}]})",
            "a\nb" },
        { R"({"message":{"content":"  ollama \n"}})", "ollama" },
        { R"({"message":{"content":[{"text":"parts are not read here"}]}})", "Done." },
        { R"({"response":"generated"})", "generated" },
        { R"({"choices":[]})", std::nullopt },
        { R"({})", std::nullopt },
        { R"([{"response":"x"}])", std::nullopt },
        { "not json", std::nullopt },
    };
    for (const Case &c : cases) {
        script({ Reply::text(200, c.body) });
        if (c.answer)
            EXPECT_EQ(run(), *c.answer) << c.body;
        else
            EXPECT_EQ(failureOf<ZunoAIClientError>([&] { run(); }), ZunoAIClientError::emptyResponse())
                << c.body;
    }
    script({ Reply::rawBytes("garbage\r\n\r\n") });
    EXPECT_EQ(failureOf<ZunoAIClientError>([&] { run(); }), ZunoAIClientError::emptyResponse());
}

TEST_F(ZunoAgentChatTurnTest, NativeToolCalls)
{
    const Json message = { { "content", nullptr },
        { "tool_calls",
            { call("c1", "add", { { "a", 2 }, { "b", 3 } }), call(nullptr, "clock"),
                { { "id", "c2" },
                    { "function", { { "name", "search" }, { "arguments", { { "q", "x" } } } } } },
                { { "id", "c3" }, { "function", { { "name", "broken" }, { "arguments", "{broken" } } } },
                { { "id", "c4" }, { "type", "function" } },
                { { "id", "c5" }, { "function", { { "name", 7 } } } }, call("", "empty"),
                call("c1", "again") } } };
    const auto parsed = ZunoAgentChatEngine::parseNativeToolCalls(message);
    EXPECT_EQ(parsed.raw, message["tool_calls"]);
    ASSERT_EQ(parsed.calls.size(), 6);
    EXPECT_EQ(parsed.calls[0],
        (ZunoAgentToolCall {
            "c1", "add", { { "a", AnySendableValue::number(2) }, { "b", AnySendableValue::number(3) } } }));
    EXPECT_EQ(parsed.calls[1].name, "clock");
    EXPECT_EQ(parsed.calls[1].id.size(), 36);
    EXPECT_EQ(parsed.calls[1].id, parsed.calls[1].id.toUpper());
    EXPECT_EQ(
        parsed.calls[2], (ZunoAgentToolCall { "c2", "search", { { "q", AnySendableValue::string("x") } } }));
    EXPECT_EQ(parsed.calls[3], (ZunoAgentToolCall { "c3", "broken", {} }));
    // An empty or repeated id gets a fresh one, and the echoed entry carries it.
    EXPECT_EQ(parsed.calls[4].name, "empty");
    EXPECT_EQ(parsed.calls[4].id.size(), 36);
    EXPECT_EQ(parsed.calls[5].name, "again");
    EXPECT_NE(parsed.calls[5].id, "c1");
    ASSERT_EQ(parsed.echoed.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(parsed.echoed[std::size_t(i)]["id"], parsed.calls[i].id.toStdString());
    EXPECT_EQ(parsed.echoed[2]["function"], message["tool_calls"][2]["function"]);

    // Not an array of objects: nothing.
    EXPECT_TRUE(ZunoAgentChatEngine::parseNativeToolCalls({ { "tool_calls", { call("c1", "add"), 3 } } })
                    .raw.empty());
}

TEST_F(ZunoAgentChatTurnTest, CreditsBalanceReachesTheCallbackBeforeTheTurnReturns)
{
    manager->saveToken(QStringLiteral("saved-token"));
    const ZunoAIConfig credits = config(ZunoAIProvider::quarnwellCredits);
    script({ Reply::text(200, R"({"response":"ok","quarnwell_billing":{"credits_available":"12"}})")
                 .withHeader("X-Tindrel-Available-Usd", "0.012") });
    EXPECT_EQ(run("go", 8, std::nullopt, &credits), "ok");
    ASSERT_EQ(balances.size(), 1u);
    EXPECT_EQ(balances[0], (ZunoAIClient::BillingBalance { 0.012, 12.0 }));

    // No balance, or a provider other than the gateway: nothing.
    script({ Reply::text(200, R"({"response":"ok"})") });
    run("go", 8, std::nullopt, &credits);
    script({ Reply::text(200, R"({"response":"ok","quarnwell_billing":{"credits_available":1}})") });
    run();
    EXPECT_EQ(balances.size(), 1u);
}
