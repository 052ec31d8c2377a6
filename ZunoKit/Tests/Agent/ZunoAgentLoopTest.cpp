#include "ZunoAgentTestSupport.h"

#include "ZunoHttpError.h"

#include <QDateTime>

namespace {

class ZunoAgentLoopTest : public ZunoAgentTestBase { };

const QString kFamily = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");

QString repeated(const QString &piece, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

ZunoAgentChatMessage message(ZunoAgentChatMessage::Role role, const QString &text, bool isError = false)
{
    return { QUuid::createUuid(), role, text, {}, isError, QDateTime::currentDateTimeUtc() };
}

} // namespace

TEST_F(ZunoAgentLoopTest, StepLimit)
{
    const QString limit
        = QStringLiteral("Reached maximum tool steps for this turn. Ask a follow-up to continue.");
    for (const auto &[maxSteps, requests] :
        { std::pair { 0, 1u }, { -3, 1u }, { 1, 1u }, { 3, 3u }, { 100, 14u } }) {
        scriptJson({ reply(nullptr, Json::array({ call("c1", "add", { { "a", 2 } }) })) });
        steps.clear();
        const std::size_t before = server.requests().size();
        EXPECT_EQ(run("go", maxSteps), limit) << maxSteps;
        EXPECT_EQ(server.requests().size() - before, requests) << maxSteps;
        EXPECT_EQ(steps.size(), requests) << maxSteps;
    }
}

TEST_F(ZunoAgentLoopTest, ConversationAndAnswers)
{
    // 15 messages whose last 3 are errors: 7 of the last 10 are sent, one of them blank and skipped.
    QList<ZunoAgentChatMessage> history;
    for (int i = 0; i < 15; ++i) {
        const auto role = i % 2 ? ZunoAgentChatMessage::Role::assistant : ZunoAgentChatMessage::Role::user;
        history.append(message(role, QStringLiteral("m%1").arg(i), i >= 12));
    }
    history[6].text = QStringLiteral(" \n ");
    history[7].text = repeated(kFamily, 3000);
    scriptJson({ reply("  Hello \n") });
    EXPECT_EQ(run("new", 8, QStringLiteral("k"), nullptr, history), "Hello");
    const Json sent = body(0)["messages"];
    ASSERT_EQ(sent.size(), 1u + 6u + 1u);
    EXPECT_EQ(sent[0], Json::parse(R"({"role":"system","content":"system"})"));
    EXPECT_EQ(sent[1], Json::parse(R"({"role":"assistant","content":"m5"})"));
    EXPECT_EQ(sent[2]["role"], "assistant");
    // Cut in graphemes: an emoji family is one character.
    EXPECT_TRUE(sent[2]["content"] == repeated(kFamily, 2400).toStdString());
    EXPECT_EQ(sent[3], Json::parse(R"({"role":"user","content":"m8"})"));
    EXPECT_EQ(sent[6], Json::parse(R"({"role":"assistant","content":"m11"})"));
    EXPECT_EQ(sent[7], Json::parse(R"({"role":"user","content":"new"})"));

    scriptJson({ reply(" \n") });
    EXPECT_EQ(run(), "Done.");
    ZunoLanguages::setCurrent(ZunoLanguage::tr);
    EXPECT_EQ(run(), QStringLiteral("Tamamlandı."));
    ZunoLanguages::setCurrent(ZunoLanguage::en);
}

TEST_F(ZunoAgentLoopTest, ToolResultsFedBackAndCut)
{
    // Exactly 6000 characters stay whole; 6001 are cut, with the marker.
    for (const int length : { 6000, 6001 }) {
        toolOutput = repeated(kFamily, length);
        scriptJson({ reply("thinking", Json::array({ call("c1", "add", { { "a", 2 }, { "b", 3 } }) })),
            reply("Five.") });
        const std::size_t first = server.requests().size();
        EXPECT_EQ(run(), "Five.");
        const Json sent = body(first + 1)["messages"];
        ASSERT_EQ(sent.size(), 4u);
        EXPECT_EQ(sent[2]["role"], "assistant");
        EXPECT_EQ(sent[2]["content"], "thinking");
        EXPECT_EQ(sent[2]["tool_calls"][0]["id"], "c1");
        const QString fed
            = length == 6000 ? toolOutput : repeated(kFamily, 6000) + QStringLiteral("\n…[truncated]");
        EXPECT_TRUE(sent[3]
            == (Json { { "role", "tool" }, { "tool_call_id", "c1" }, { "name", "add" },
                { "content", fed.toStdString() } }))
            << length;
    }
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].toolName, "add");
    EXPECT_EQ(steps[0].summary, "add(a=2, b=3)");
    EXPECT_TRUE(steps[0].ok);
    EXPECT_NE(steps[0].id, steps[1].id);
}

TEST_F(ZunoAgentLoopTest, RepeatedAndMissingIdsAreAnsweredOnceEach)
{
    scriptJson({ reply(nullptr,
                     Json::array({ call("", "add"), call("c1", "clock"), call("c1", "add"),
                         { { "id", "c9" }, { "type", "function" } } })),
        reply("done") });
    EXPECT_EQ(run(), "done");
    const Json sent = body(1)["messages"];
    const Json &assistant = sent[2];
    EXPECT_FALSE(assistant.contains("content"));
    ASSERT_EQ(assistant["tool_calls"].size(), 3u);
    std::set<std::string> ids;
    for (const Json &entry : assistant["tool_calls"])
        ids.insert(entry["id"].get<std::string>());
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_TRUE(ids.count("c1"));
    EXPECT_FALSE(ids.count(""));
    ASSERT_EQ(sent.size(), 3u + 3u);
    std::set<std::string> answered;
    for (std::size_t i = 3; i < 6; ++i) {
        EXPECT_EQ(sent[i]["role"], "tool");
        answered.insert(sent[i]["tool_call_id"].get<std::string>());
    }
    EXPECT_EQ(answered, ids);
}

TEST_F(ZunoAgentLoopTest, FallbackCallsAreAnsweredInText)
{
    // Beside a malformed native entry: the plain form, nothing echoed.
    scriptJson({ reply(R"({"tool":"clock","arguments":{"zone":"UTC"}})",
                     Json::array({ { { "id", "x" }, { "type", "function" } } })),
        reply("It is noon.") });
    EXPECT_EQ(run(), "It is noon.");
    ASSERT_EQ(executed.size(), 1u);
    EXPECT_EQ(executed[0].name, "clock");
    EXPECT_EQ(executed[0].arguments.at("zone"), AnySendableValue::string("UTC"));
    const Json sent = body(1)["messages"];
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[2],
        (Json { { "role", "assistant" }, { "content", R"({"tool":"clock","arguments":{"zone":"UTC"}})" } }));
    EXPECT_EQ(sent[3], Json::parse(R"({"role":"user","content":"[Tool result for clock]:\n5"})"));
}

TEST_F(ZunoAgentLoopTest, AHumanActionEndsTheStepAtOnce)
{
    scriptJson({ reply(nullptr, Json::array({ call("c1", "confirm"), call("c2", "add") })) });
    EXPECT_EQ(run(), "Please confirm the payment.");
    ASSERT_EQ(executed.size(), 1u);
    EXPECT_EQ(executed[0].name, "confirm");
    EXPECT_EQ(steps.size(), 1u);
    EXPECT_EQ(server.requests().size(), 1u);

    // The answer is the whole output, even where the copy for the model would be cut.
    humanOutput = repeated(kFamily, 6500);
    scriptJson({ reply(nullptr, Json::array({ call("c1", "add"), call("c2", "confirm") })) });
    executed.clear();
    EXPECT_TRUE(run() == humanOutput);
    EXPECT_EQ(executed.size(), 2u);
}

TEST_F(ZunoAgentLoopTest, StopBeforeARequestAndBeforeATool)
{
    std::stop_source stopped;
    stopped.request_stop();
    scriptJson({ reply("x") });
    auto error = failureOf<ZunoHttpError>(
        [&] { run("go", 8, QStringLiteral("k"), nullptr, {}, stopped.get_token()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), ZunoHttpError::Kind::cancelled);
    EXPECT_TRUE(server.requests().empty());

    std::stop_source duringTool;
    onExecute = [&](const ZunoAgentToolCall &) { duringTool.request_stop(); };
    scriptJson({ reply(nullptr, Json::array({ call("c1", "add"), call("c2", "clock") })) });
    error = failureOf<ZunoHttpError>(
        [&] { run("go", 8, QStringLiteral("k"), nullptr, {}, duringTool.get_token()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), ZunoHttpError::Kind::cancelled);
    EXPECT_EQ(executed.size(), 1u);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST(ZunoAgentChatEngineStatics, FallbackToolCall)
{
    struct Case {
        const char *text;
        std::optional<QString> tool;
        AnySendableValue::Object arguments;
    };
    const Case cases[] = {
        { R"( {"tool":"search","arguments":{"q":"cats"}} )", "search",
            { { "q", AnySendableValue::string("cats") } } },
        { "Let me look.\n```json\n{\"tool\":\" search \",\"arguments\":{\"q\":1}}\n```\nThen more.", "search",
            { { "q", AnySendableValue::number(1) } } },
        { R"({"tool":"search","arguments":"{\"q\":1}","other":true})", "search", {} },
        { "```json\n{\"tool\":\"search\"}", std::nullopt, {} }, // unclosed fence, text does not end with }
        { "```json {\"tool\":\"a\"", std::nullopt, {} },
        { "```JSON\n{\"tool\":\"search\"}\n```", std::nullopt, {} }, // the fence is case-sensitive
        { R"({"name":"search"})", std::nullopt, {} },
        { R"({"tool":5})", std::nullopt, {} },
        { R"({"tool":"  "})", std::nullopt, {} },
        { R"({"tool":"x",})", std::nullopt, {} },
        { "", std::nullopt, {} },
    };
    for (const Case &c : cases) {
        const auto call = ZunoAgentChatEngine::parseFallbackJSONToolCall(QString::fromUtf8(c.text));
        EXPECT_EQ(call.has_value(), c.tool.has_value()) << c.text;
        if (call && c.tool) {
            EXPECT_EQ(call->name, *c.tool) << c.text;
            EXPECT_EQ(call->arguments, c.arguments) << c.text;
            EXPECT_EQ(call->id.size(), 36) << c.text;
        }
    }
}

TEST(ZunoAgentChatEngineStatics, Summaries)
{
    using V = AnySendableValue;
    struct Case {
        AnySendableValue::Object arguments;
        QString summary;
    };
    const Case cases[] = {
        { {}, "search" },
        { { { "b", V::number(1) }, { "a", V::string("x") }, { "c", V::number(2) } }, "search(a=x, b=1)" },
        { { { "apiToken", V::string("abc") } }, QStringLiteral("search(apiToken=••••)") },
        { { { "Password", V::string("p") }, { "user", V::null() } },
            QStringLiteral("search(Password=••••, user=…)") },
        { { { "q", V::string(QString(40, u'x')) } },
            QStringLiteral("search(q=") + QString(36, u'x') + QStringLiteral("…)") },
        { { { "q", V::string(repeated(kFamily, 36)) } },
            QStringLiteral("search(q=") + repeated(kFamily, 36) + ")" },
        { { { "é", V::boolean(true) }, { "z", V::number(2.5) } }, QStringLiteral("search(z=2.5, é=true)") },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ZunoAgentChatEngine::summarizeCall({ "id", "search", c.arguments }), c.summary);
}

TEST(ZunoAgentChatEngineStatics, FriendlyErrors)
{
    const QString local = QStringLiteral("Could not reach your local AI server (Ollama / LM Studio). Start "
                                         "it or switch to Quarnwell Credits in AI Settings.");
    const QString localTr
        = QStringLiteral("Yerel AI motoruna (Ollama / LM Studio) ulaşılamadı. Uygulamanın açık olduğundan "
                         "emin olun veya AI Ayarları'ndan Quarnwell Kredisi seçin.");
    const QString auth = QStringLiteral(
        "Authentication failed. Check your Quarnwell sign-in or API key in Settings → AI Assistant.");
    const QString authTr
        = QStringLiteral("Kimlik doğrulama başarısız. Ayarlar → AI Asistan bölümünden Quarnwell oturumunuzu "
                         "veya API anahtarınızı kontrol edin.");
    struct Case {
        std::function<void()> raise;
        ZunoLanguage language;
        QString expected;
    };
    const Case cases[] = {
        { [] { throw ZunoHttpError(ZunoHttpError::Kind::cannotConnect); }, ZunoLanguage::en, local },
        { [] { throw ZunoHttpError(ZunoHttpError::Kind::cannotConnect); }, ZunoLanguage::tr, localTr },
        { [] {
             throw ZunoHttpError(ZunoHttpError::Kind::other, "Failed to connect to 127.0.0.1 port 11434");
         },
            ZunoLanguage::en, local },
        { [] { throw std::runtime_error("connection refused by peer"); }, ZunoLanguage::en, local },
        { [] { throw std::runtime_error("server said 401"); }, ZunoLanguage::tr, authTr },
        { [] { throw std::runtime_error("Unauthorized"); }, ZunoLanguage::en, auth },
        { [] { throw std::runtime_error("error: invalid_api_key"); }, ZunoLanguage::en, auth },
        // Whole numbers only.
        { [] { throw std::runtime_error("request 12345 failed at port 4010"); }, ZunoLanguage::en,
            "request 12345 failed at port 4010" },
        { [] { throw ZunoHttpError(ZunoHttpError::Kind::timedOut); }, ZunoLanguage::tr,
            QStringLiteral("İstek zaman aşımına uğradı.") },
        // The client's own errors keep their text.
        { [] { throw ZunoAIClientError::httpError(500, QStringLiteral("request 12345")); }, ZunoLanguage::en,
            "HTTP 500: request 12345" },
        { [] { throw ZunoAIClientError::httpError(401, QStringLiteral("unauthorized")); }, ZunoLanguage::en,
            "HTTP 401: unauthorized" },
    };
    for (const Case &c : cases) {
        try {
            c.raise();
            ADD_FAILURE();
        } catch (const std::exception &error) {
            EXPECT_EQ(ZunoAgentChatEngine::friendlyErrorMessage(error, c.language), c.expected)
                << error.what();
        }
    }
}
