#include "ZunoAIClientTestSupport.h"

#include "ZunoCreditsAccountStore.h"
#include "ZunoFakeGateway.h"
#include "ZunoHttpError.h"
#include "ZunoHttpLineReader.h"

#include <QCoreApplication>
#include <QTest>

#include <chrono>

using namespace std::chrono_literals;

namespace {

class ZunoAIChatStreamTest : public ZunoAIClientTestBase {
protected:
    std::unique_ptr<ZunoAIChatStream> start(
        ZunoAIProvider provider, Reply reply, const std::optional<QString> &key = QStringLiteral("key"))
    {
        server.route("POST", "/v1/chat", std::move(reply));
        return client.completeStreaming(QStringLiteral("s"), QStringLiteral("u"), config(provider), key);
    }
};

std::vector<QString> strings(std::initializer_list<const char *> texts)
{
    std::vector<QString> list;
    for (const char *text : texts)
        list.push_back(QString::fromUtf8(text));
    return list;
}

} // namespace

TEST_F(ZunoAIChatStreamTest, ServerSentEventLines)
{
    struct Case {
        const char *name;
        std::vector<QByteArray> chunks;
        std::vector<QString> pieces;
    };
    const Case cases[] = {
        { "skipped lines, both data forms, a bare object, [DONE]",
            { ": keep-alive\n", "event: delta\nid: 7\nretry: 100\n",
                "data:{\"choices\":[{\"delta\":{\"content\":\"a\"}}]}\n",
                "data: {\"choices\":[{\"delta\":{\"content\":\" b \"}}]}\n\n",
                "{\"choices\":[{\"delta\":{\"content\":\"c\"}}]}\n",
                "hello there\ndata: not json\ndata: [1]\n", "data: [DONE]\n",
                "data: {\"choices\":[{\"delta\":{\"content\":\"after\"}}]}\n" },
            strings({ "a", " b ", "c" }) },
        { "empty pieces are never yielded; parts, message and text forms",
            { event(""),
                "data: {\"choices\":[{\"delta\":{\"content\":[{\"text\":\"p\"},{\"text\":\"q\"}]}}]}\n",
                "data: {\"choices\":[{\"delta\":{\"content\":[]},\"text\":\"skipped\"}]}\n",
                "data: {\"choices\":[{\"message\":{\"content\":\"m\"}}]}\n",
                "data: {\"choices\":[{\"text\":\"t\"}]}\n", "data: {\"choices\":[]}\n", event("\n"), kDone },
            strings({ "pq", "m", "t", "\n" }) },
        { "a line split across chunks, CR LF endings, no final line break",
            { "data: {\"choices\":[{\"delta\":", "{\"content\":\"ş\"}}]}\r\n\r\n", event("ü"),
                kDone.chopped(2) },
            strings({ "ş", "ü" }) },
    };
    for (const Case &c : cases) {
        auto stream = start(ZunoAIProvider::openAI, Reply::closeDelimitedBody(c.chunks));
        const auto drained = drain(*stream);
        EXPECT_FALSE(drained.error) << c.name;
        EXPECT_EQ(drained.pieces, c.pieces) << c.name;
    }
}

TEST_F(ZunoAIChatStreamTest, OllamaLinesEndAtDone)
{
    auto stream = start(ZunoAIProvider::ollamaLocal,
        Reply::chunkedBody({ "{\"message\":{\"content\":\"Hel\"}}\n{\"response\":\"lo \"}\n",
            "not json\n[1]\n\n", "{\"message\":{\"content\":\"\"},\"done\":false}\n",
            "{\"message\":{\"content\":\"!\"},\"done\":true}\n", "{\"message\":{\"content\":\"late\"}}\n" }),
        std::nullopt);
    const auto drained = drain(*stream);
    EXPECT_FALSE(drained.error);
    EXPECT_EQ(drained.pieces, strings({ "Hel", "lo ", "!" }));
    EXPECT_EQ(server.requests().at(0).header("Authorization"), std::nullopt);
}

TEST_F(ZunoAIChatStreamTest, CreditsBalanceFromHeadersAndLastEventOnceAfterThePieces)
{
    manager->saveToken(QStringLiteral("saved-token"));
    auto stream = start(ZunoAIProvider::quarnwellCredits,
        Reply::chunkedBody({ event("a"), event("b"),
                               "data: "
                               "{\"choices\":[{\"delta\":{\"content\":\"c\"}}],\"quarnwell_billing\":{"
                               "\"credits_available\":\"41.5\"}}\n\n",
                               "data: [DONE]\n\n" })
            .withHeader("X-Tindrel-Available-Usd", "0.415")
            .withHeader("X-Tindrel-Credits-Available", "99"),
        std::nullopt);
    ASSERT_EQ(stream->next(), QStringLiteral("a"));
    ASSERT_EQ(stream->next(), QStringLiteral("b"));
    ASSERT_EQ(stream->next(), QStringLiteral("c"));
    EXPECT_EQ(stream->next(), std::nullopt);
    ASSERT_EQ(balances().size(), 1u);
    EXPECT_EQ(balances()[0], (Balance { 0.415, 41.5 }));

    // A failed request delivers nothing.
    auto failed = start(ZunoAIProvider::quarnwellCredits,
        Reply::text(402, R"({"error":{"message":"empty wallet"}})")
            .withHeader("X-Tindrel-Available-Usd", "0"),
        std::nullopt);
    EXPECT_EQ(errorOf<ZunoAIClientError>(drain(*failed).error),
        ZunoAIClientError::insufficientCredits(QStringLiteral("empty wallet")));
    EXPECT_EQ(balances().size(), 1u);
}

TEST_F(ZunoAIChatStreamTest, PiecesArriveAsTheyAreSent)
{
    auto stream = start(
        ZunoAIProvider::openAI, Reply::chunkedBody({ event("first"), event("second"), kDone }).gatedChunks());
    server.openGate();
    // The second event is held back until the first piece has been read.
    EXPECT_EQ(stream->next(), QStringLiteral("first"));
    server.openGate();
    EXPECT_EQ(stream->next(), QStringLiteral("second"));
    server.openGate();
    EXPECT_EQ(stream->next(), std::nullopt);
}

TEST_F(ZunoAIChatStreamTest, CancelStopsTheTransfer)
{
    std::vector<QByteArray> events { event("first") };
    for (int i = 0; i < 8; ++i)
        events.push_back(event("more"));
    auto stream = start(ZunoAIProvider::openAI, Reply::chunkedBody(events).gatedChunks());
    server.openGate();
    EXPECT_EQ(stream->next(), QStringLiteral("first"));
    stream->cancel();
    EXPECT_EQ(stream->next(), std::nullopt);
    // The server learns of the close when its next writes fail.
    server.openGate(8);
    EXPECT_TRUE(server.waitForClientClose(0, 20s));
    EXPECT_EQ(stream->next(), std::nullopt);
}

TEST_F(ZunoAIChatStreamTest, DestroyingAnUnreadStreamEndsTheTransfer)
{
    auto stream = start(ZunoAIProvider::openAI, Reply::hold());
    ASSERT_TRUE(server.waitForRequests(1, 20s));
    stream.reset(); // cancels and joins; a stuck worker would hang here
    EXPECT_TRUE(server.waitForClientClose(0, 20s));
}

TEST_F(ZunoAIChatStreamTest, SlowEventsWithinTheIdleLimitAllArrive)
{
    auto stream = start(ZunoAIProvider::openAI,
        Reply::chunkedBody({ event("1"), event("2"), event("3"), event("4"), kDone }, 400ms));
    const auto drained = drain(*stream);
    EXPECT_FALSE(drained.error);
    EXPECT_EQ(drained.pieces, strings({ "1", "2", "3", "4" }));
}

TEST_F(ZunoAIChatStreamTest, TransportEnds)
{
    // A chunked body cut before its last chunk is a lost connection, after the pieces already read.
    const QByteArray piece = event("kept");
    auto cut = start(ZunoAIProvider::openAI,
        Reply::rawBytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
            + QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n"));
    auto drained = drain(*cut);
    EXPECT_EQ(drained.pieces, strings({ "kept" }));
    const auto lost = errorOf<ZunoHttpError>(drained.error);
    ASSERT_TRUE(lost);
    EXPECT_EQ(lost->kind(), ZunoHttpError::Kind::connectionLost);

    // A body that ends when the connection closes ends normally once the answer's end marker came.
    auto closed = start(ZunoAIProvider::openAI, Reply::closeDelimitedBody({ event("kept"), kDone }));
    drained = drain(*closed);
    EXPECT_FALSE(drained.error);
    EXPECT_EQ(drained.pieces, strings({ "kept" }));

    // No answer at all.
    auto empty = start(ZunoAIProvider::openAI, Reply::closeWithoutAnswer());
    EXPECT_EQ(errorOf<ZunoAIClientError>(drain(*empty).error), ZunoAIClientError::emptyResponse());

    // After an error end, the stream stays ended.
    EXPECT_EQ(empty->next(), std::nullopt);
}

TEST_F(ZunoAIChatStreamTest, ErrorBodyIsCutWithoutBreakingACharacter)
{
    // 13 bytes, then two-byte characters: byte 8,192 is the first half of a "ş".
    const QByteArray body = "{\"message\":\"x" + QString(6000, u'ş').toUtf8() + "\"}";
    auto stream = start(ZunoAIProvider::openAI, Reply::text(500, body));
    const auto error = errorOf<ZunoAIClientError>(drain(*stream).error);
    ASSERT_TRUE(error);
    EXPECT_EQ(
        *error, ZunoAIClientError::httpError(500, QStringLiteral("{\"message\":\"x") + QString(287, u'ş')));

    // A whole error body is classified as for a whole answer.
    auto budget = start(ZunoAIProvider::openAI,
        Reply::text(402, R"({"error":{"code":"app_budget_exceeded","app":"ZunoCam","message":"limit"}})"));
    EXPECT_EQ(errorOf<ZunoAIClientError>(drain(*budget).error),
        ZunoAIClientError::appBudgetExceeded(QStringLiteral("ZunoCam"), QStringLiteral("limit")));
}

TEST(ZunoAIClientBilling, WithoutACallbackTheSharedStoreGetsTheBalanceWithOneTheStoreStaysAsItIs)
{
    ZunoTestHome home;
    ZunoScopedEnvironment environment;
    for (const char *name : { "QUARNWELL_ACCOUNT_DIR", "DEZEVEVEZU_ACCOUNT_DIR", "QUARNWELL_API_URL" })
        environment.set(name, QByteArray());
    ZunoFakeGateway gateway;
    const auto manager = std::make_shared<ZunoCreditsAccountManager>(
        home.filePath(QStringLiteral("account")), std::nullopt, gateway.baseURL());
    manager->saveToken(QString::fromLatin1(ZunoFakeGateway::kToken));
    const ZunoAIConfig config(
        ZunoAIProvider::quarnwellCredits, gateway.baseURL() + "/v1/ai/chat/completions");
    ZunoCreditsAccountStore &store = ZunoCreditsAccountStore::shared();
    ASSERT_FALSE(store.profile());

    // Read on the main thread, where the store lives: the hand-over must not wait for this reader.
    std::vector<QString> expected;
    for (const QByteArray &piece : ZunoFakeGateway::chatPieces())
        expected.push_back(QString::fromUtf8(piece));
    auto stream = ZunoAIClient(ZunoHttpSession::shared(), manager).completeStreaming("s", "u", config);
    const auto drained = drain(*stream);
    EXPECT_FALSE(drained.error);
    EXPECT_EQ(drained.pieces, expected);
    ASSERT_TRUE(QTest::qWaitFor([&] { return store.profile().has_value(); }, 20000));
    EXPECT_DOUBLE_EQ(store.profile()->creditsAvailable(), 4987.5);
    EXPECT_EQ(
        gateway.requests().back().header("Authorization"), QByteArray("Bearer ") + ZunoFakeGateway::kToken);

    // With a callback, the callback alone hears of the balance.
    std::optional<double> reported;
    const ZunoAIClient withCallback(ZunoHttpSession::shared(), manager,
        [&](std::optional<double>, std::optional<double> credits) { reported = credits; });
    EXPECT_EQ(withCallback.complete("s", "u", config), "Hello from the fake gateway.");
    EXPECT_EQ(reported, 4975.0);
    QCoreApplication::processEvents();
    EXPECT_DOUBLE_EQ(store.profile()->creditsAvailable(), 4987.5);
}

TEST_F(ZunoAIChatStreamTest, AnErrorEventInTheMiddleEndsTheStreamWithItsMessage)
{
    struct Case {
        const char *name;
        ZunoAIProvider provider;
        std::vector<QByteArray> chunks;
        ZunoAIClientError error;
        const char *text;
    };
    const Case cases[] = {
        { "OpenAI-compatible error event", ZunoAIProvider::openAI,
            { event("par"),
                "data: {\"error\":{\"message\":\"upstream overloaded\",\"type\":\"server_error\"}}\n\n",
                event("never") },
            ZunoAIClientError::streamError(QStringLiteral("upstream overloaded")), "upstream overloaded" },
        { "error event with a code that is not a number", ZunoAIProvider::openAI,
            { event("par"),
                "data: {\"error\":{\"message\":\"model crashed\",\"code\":\"model_error\"}}\n\n" },
            ZunoAIClientError::streamError(QStringLiteral("model crashed")), "model crashed" },
        { "error event with a number that is no HTTP status", ZunoAIProvider::openAI,
            { event("par"), "data: {\"error\":{\"code\":7,\"status\":\"503\"}}\n\n" },
            ZunoAIClientError::streamError(QStringLiteral("{\"error\":{\"code\":7,\"status\":\"503\"}}")),
            "{\"error\":{\"code\":7,\"status\":\"503\"}}" },
        { "error event with its own status", ZunoAIProvider::openAI,
            { event("par"), "data: {\"error\":{\"message\":\"busy\",\"code\":503}}\n\n" },
            ZunoAIClientError::httpError(503, QStringLiteral("busy")), "HTTP 503: busy" },
        { "Ollama error line", ZunoAIProvider::ollamaLocal,
            { "{\"message\":{\"content\":\"par\"}}\n", "{\"error\":\"model runner has stopped\"}\n",
                "{\"message\":{\"content\":\"never\"}}\n" },
            ZunoAIClientError::streamError(QStringLiteral("model runner has stopped")),
            "model runner has stopped" },
    };
    for (const Case &c : cases) {
        auto stream = start(c.provider, Reply::chunkedBody(c.chunks), std::nullopt);
        const auto drained = drain(*stream);
        EXPECT_EQ(drained.pieces, strings({ "par" })) << c.name;
        const auto error = errorOf<ZunoAIClientError>(drained.error);
        ASSERT_TRUE(error) << c.name;
        EXPECT_EQ(*error, c.error) << c.name;
        EXPECT_EQ(error->localizedDescription(ZunoLanguage::en), QString::fromUtf8(c.text)) << c.name;
    }
}

TEST_F(ZunoAIChatStreamTest, AStreamEndingBeforeItsEndMarkerIsCutOffAfterThePiecesThatCame)
{
    const QByteArray finished = R"(data: {"choices":[{"delta":{},"finish_reason":"stop"}]})"
                                "\n\n";
    const QByteArray ollamaPiece = R"({"message":{"content":"par"},"done":false})"
                                   "\n";
    struct Case {
        const char *name;
        ZunoAIProvider provider;
        Reply reply;
        bool cutOff;
    };
    const Case cases[] = {
        { "events until the connection closes", ZunoAIProvider::openAI,
            Reply::closeDelimitedBody({ event("par") }), true },
        { "a whole chunked body without [DONE]", ZunoAIProvider::openAI, Reply::chunkedBody({ event("par") }),
            true },
        { "the credits gateway closing without [DONE]", ZunoAIProvider::quarnwellCredits,
            Reply::closeDelimitedBody({ event("par") }), true },
        { "Ollama lines without done", ZunoAIProvider::ollamaLocal,
            Reply::closeDelimitedBody({ ollamaPiece }), true },
        { "a finish reason, then the close", ZunoAIProvider::openAI,
            Reply::closeDelimitedBody({ event("par"), finished }), false },
    };
    for (const Case &c : cases) {
        auto stream = start(c.provider, c.reply);
        const auto drained = drain(*stream);
        EXPECT_EQ(drained.pieces, strings({ "par" })) << c.name;
        const auto error = errorOf<ZunoAIClientError>(drained.error);
        if (!c.cutOff) {
            EXPECT_FALSE(drained.error) << c.name;
            continue;
        }
        ASSERT_TRUE(error) << c.name;
        EXPECT_EQ(*error, ZunoAIClientError::incompleteResponse()) << c.name;
        EXPECT_EQ(error->localizedDescription(ZunoLanguage::en),
            QStringLiteral("The answer was cut off before it was complete."));
        EXPECT_EQ(
            error->localizedDescription(ZunoLanguage::tr), QStringLiteral("Yanıt tamamlanmadan kesildi."));
    }
}

TEST_F(ZunoAIChatStreamTest, ALineOverTheLimitIsAnUnreadableAnswer)
{
    // Pieces first, then a line longer than the reader takes.
    auto stream = start(ZunoAIProvider::openAI,
        Reply::chunkedBody(
            { event("shown"), "data: " + QByteArray(ZunoHttpLineReader::kMaxLineBytes + 16, 'x') }));
    const auto drained = drain(*stream);
    EXPECT_EQ(drained.pieces, strings({ "shown" }));
    const auto error = errorOf<ZunoHttpError>(drained.error);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), ZunoHttpError::Kind::badServerResponse);
}
