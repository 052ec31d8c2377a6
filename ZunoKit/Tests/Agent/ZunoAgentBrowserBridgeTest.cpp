#include "ZunoAgentBrowserBridge.h"
#include "ZunoFailingThreadStart.h"
#include "ZunoFakeHttpServer.h"
#include "ZunoHttpError.h"
#include "ZunoHttpSession.h"
#include "ZunoLoopbackListener.h"
#include "ZunoTestHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using Json = nlohmann::json;
using Reply = ZunoFakeHttpServer::Reply;

namespace {

constexpr char kToken[] = "0123456789abcdef"; // 16 characters: the shortest valid token

class ZunoAgentBrowserBridgeTest : public ::testing::Test {
protected:
    QString base() const { return m_home.filePath(QStringLiteral(".zunoagentbrowser")); }

    void writeToken(const QByteArray &content)
    {
        QDir().mkpath(base());
        QFile file(base() + QStringLiteral("/token"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(content), content.size());
    }

    std::unique_ptr<ZunoAgentBrowserBridge> bridge()
    {
        return std::make_unique<ZunoAgentBrowserBridge>(m_server.port(), base());
    }

    static Json bodyOf(const ZunoFakeHttpServer::Request &request)
    {
        return Json::parse(request.body.toStdString());
    }

    // The bridge's own error, or a failed expectation.
    template <typename Call> static std::pair<int, QString> bridgeError(Call &&call)
    {
        try {
            call();
        } catch (const ZunoAgentBrowserBridgeError &error) {
            EXPECT_EQ(error.domain(), QStringLiteral("ZunoAgentBrowserBridge"));
            return { error.code(), error.description() };
        }
        ADD_FAILURE() << "no ZunoAgentBrowserBridgeError";
        return { 0, {} };
    }

    ZunoTestHome m_home;
    ZunoFakeHttpServer m_server;
};

} // namespace

TEST_F(ZunoAgentBrowserBridgeTest, ReadsTheTokenOnlyWhenLongEnough)
{
    auto client = bridge();
    EXPECT_EQ(client->tokenFilePath(), base() + QStringLiteral("/token"));
    EXPECT_EQ(client->readToken(), std::nullopt); // no file
    const QList<std::pair<QByteArray, std::optional<QString>>> cases {
        { "0123456789abcde", std::nullopt },
        { " \n0123456789abcde\t\n", std::nullopt },
        { " \r\n0123456789abcdef \n", QStringLiteral("0123456789abcdef") },
        { "çççççççççççççççç", QStringLiteral("çççççççççççççççç") },
        { "0123456789abcdef\xff", std::nullopt },
        { QByteArray(64 * 1024, 'a'), QString(64 * 1024, u'a') },
        { QByteArray(64 * 1024 + 1, 'a'), std::nullopt },
    };
    for (const auto &[content, token] : cases) {
        writeToken(content);
        EXPECT_EQ(client->readToken(), token) << content.left(40).toStdString();
    }
}

TEST_F(ZunoAgentBrowserBridgeTest, AuthorisesEveryCallAndChecksTheTokenFirst)
{
    m_server.route("POST", "/api/agent/open", Reply::text(200, R"({"ok":true})"));
    auto client = bridge();

    writeToken("0123456789abcde"); // 15 characters
    // No token fails with 401 before the path is looked at.
    EXPECT_EQ(bridgeError([&] {
        client->call(QStringLiteral("/bad path"), QStringLiteral("POST"), std::nullopt, 5);
    }),
        std::make_pair(
            401, QStringLiteral("ZunoAgentBrowser API token not found (~/.zunoagentbrowser/token).")));
    EXPECT_TRUE(m_server.requests().empty());

    writeToken(QByteArray(" \n") + kToken + "\n");
    EXPECT_EQ(bridgeError([&] {
        client->call(QStringLiteral("/bad path"), QStringLiteral("POST"), std::nullopt, 5);
    }),
        std::make_pair(400, QStringLiteral("Invalid ZunoAgentBrowser endpoint path.")));
    EXPECT_EQ(client->call(QStringLiteral("api/agent/open"), QStringLiteral("POST"), std::nullopt, 5),
        Json({ { "ok", true } }));
    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/api/agent/open");
    EXPECT_EQ(requests[0].header("Authorization"), QByteArray("Bearer ") + kToken);
    EXPECT_EQ(requests[0].header("Content-Type"), QByteArray("application/json"));
    EXPECT_TRUE(requests[0].body.isEmpty());
}

TEST_F(ZunoAgentBrowserBridgeTest, SendsABodyForEveryMethodButGet)
{
    writeToken(kToken);
    m_server.route("GET", "/api/x", Reply::text(200, "{}"));
    m_server.route("post", "/api/x", Reply::text(200, "{}"));
    m_server.route("POST", "/api/x", Reply::text(200, "{}"));
    auto client = bridge();
    const Json body = { { "agentId", "a/1" }, { "n", 2 } };
    client->call(QStringLiteral("/api/x"), QStringLiteral("GET"), body, 5);
    client->call(QStringLiteral("/api/x"), QStringLiteral("post"), body, 5);
    client->call(QStringLiteral("/api/x"), QStringLiteral("POST"), Json::object(), 5);
    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_TRUE(requests[0].body.isEmpty());
    EXPECT_EQ(requests[0].header("Authorization"), QByteArray("Bearer ") + kToken);
    EXPECT_EQ(requests[0].header("Content-Type"), QByteArray("application/json"));
    EXPECT_EQ(requests[1].method, "post");
    EXPECT_EQ(requests[1].body, R"({"agentId":"a/1","n":2})");
    EXPECT_EQ(requests[2].body, "{}");
}

TEST_F(ZunoAgentBrowserBridgeTest, ReadsRepliesAndFailures)
{
    writeToken(kToken);
    m_server.route("POST", "/204", Reply::text(204, ""));
    m_server.route("POST", "/array", Reply::text(200, "[1,2]"));
    m_server.route("POST", "/object", Reply::text(201, R"({"a":[1,"b"]})"));
    m_server.route("POST", "/409", Reply::text(409, R"({"error":"Agent busy"})"));
    m_server.route("POST", "/409-empty", Reply::text(409, R"({"error":""})"));
    m_server.route("POST", "/409-number", Reply::text(409, R"({"error":7})"));
    m_server.route("POST", "/500", Reply::text(500, "<html>oops</html>"));
    m_server.route("POST", "/garbage", Reply::rawBytes("garbage\r\n\r\n"));
    auto client = bridge();
    const auto call = [&](const char *path) {
        return client->call(QString::fromLatin1(path), QStringLiteral("POST"), std::nullopt, 5);
    };
    EXPECT_EQ(call("/204"), Json::object());
    EXPECT_EQ(call("/array"), Json::object());
    EXPECT_EQ(call("/object"), Json::parse(R"({"a":[1,"b"]})"));
    EXPECT_EQ(bridgeError([&] { call("/409"); }), std::make_pair(409, QStringLiteral("Agent busy")));
    EXPECT_EQ(bridgeError([&] { call("/409-empty"); }), std::make_pair(409, QString()));
    EXPECT_EQ(bridgeError([&] { call("/409-number"); }), std::make_pair(409, QStringLiteral("HTTP 409")));
    EXPECT_EQ(bridgeError([&] { call("/500"); }), std::make_pair(500, QStringLiteral("HTTP 500")));
    EXPECT_EQ(bridgeError([&] { call("/garbage"); }),
        std::make_pair(502, QStringLiteral("No HTTP response from ZunoAgentBrowser.")));

    // A transport failure comes through unchanged.
    ZunoFakeHttpServer closed;
    const int closedPort = closed.port();
    closed.stop();
    ZunoAgentBrowserBridge nobody(closedPort, base());
    try {
        nobody.call(QStringLiteral("/api/x"), QStringLiteral("POST"), std::nullopt, 5);
        ADD_FAILURE() << "the call succeeded";
    } catch (const ZunoHttpError &error) {
        EXPECT_EQ(error.kind(), ZunoHttpError::Kind::cannotConnect);
    }
}

TEST_F(ZunoAgentBrowserBridgeTest, RefusesToSendTheTokenToAnotherUsersPort)
{
    writeToken(kToken);
    m_server.route("POST", "/api/x", Reply::text(200, "{}"));
    auto client = bridge();
    const QByteArray port = QByteArray::number(m_server.port(), 16).toUpper().rightJustified(4, '0');
    const QByteArray heading
        = "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
          "timeout inode\n";
    const auto row = [&](const QByteArray &address, const QByteArray &state, unsigned uid) {
        return "   0: " + address + ":" + port + " 00000000:0000 " + state
            + " 00000000:00000000 00:00000000 00000000 " + QByteArray::number(uid)
            + "        0 12345 1 0000000000000000 100 0 0 10 0\n";
    };
    const unsigned self = getuid();
    QByteArray tcp = heading + row("0100007F", "0A", self + 1);
    client->setListenerTableReader([&](const QString &path) -> std::optional<QByteArray> {
        if (path == QLatin1String("/proc/net/tcp"))
            return tcp;
        return std::nullopt;
    });
    EXPECT_EQ(
        bridgeError([&] { client->call(QStringLiteral("/api/x"), QStringLiteral("POST"), std::nullopt, 5); }),
        std::make_pair(
            403, QStringLiteral("ZunoAgentBrowser port is held by another user; the token was not sent.")));
    EXPECT_TRUE(m_server.requests().empty());

    // The user's own listener, or nothing to read, lets the call go.
    tcp = heading + row("0100007F", "0A", self);
    EXPECT_NO_THROW(client->call(QStringLiteral("/api/x"), QStringLiteral("POST"), std::nullopt, 5));
    tcp.clear();
    client->setListenerTableReader([](const QString &) { return std::nullopt; });
    EXPECT_NO_THROW(client->call(QStringLiteral("/api/x"), QStringLiteral("POST"), std::nullopt, 5));
    EXPECT_EQ(m_server.requests().size(), 2u);
}

TEST(ZunoLoopbackListener, FindsListenersOnLoopbackAndWildcardAddresses)
{
    const QByteArray tcp
        = "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid\n"
          "   0: 0100007F:BAD3 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1001 0 1\n"
          "   1: 00000000:BAD3 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1002 0 1\n"
          "   2: 0101A8C0:BAD3 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1003 0 1\n"
          "   3: 0100007F:BAD3 0100007F:9C40 01 00000000:00000000 00:00000000 00000000  1004 0 1\n"
          "   4: 0100007F:BAD4 00000000:0000 0A 00000000:00000000 00:00000000 00000000  1005 0 1\n";
    const QByteArray tcp6 = "  sl  local_address                         remote_address                      "
                            "  st tx_queue rx_queue tr "
                            "tm->when retrnsmt   uid\n"
                            "   0: 00000000000000000000000000000000:BAD3 "
                            "00000000000000000000000000000000:0000 0A 00000000:00000000 "
                            "00:00000000 00000000  1006 0 1\n"
                            "   1: 0000000000000000FFFF00000100007F:BAD3 "
                            "00000000000000000000000000000000:0000 0A 00000000:00000000 "
                            "00:00000000 00000000  1007 0 1\n"
                            "   2: 00000000000000000000000001000000:BAD3 "
                            "00000000000000000000000000000000:0000 0A 00000000:00000000 "
                            "00:00000000 00000000  1008 0 1\n";
    const auto reader = [&](const QString &path) -> std::optional<QByteArray> {
        return path.endsWith(QLatin1String("tcp6")) ? tcp6 : tcp;
    };
    // Little-endian word order, as the kernel prints it here.
    EXPECT_EQ(
        ZunoLoopbackListener::ownerUids(0xBAD3, reader), (std::vector<unsigned> { 1001, 1002, 1006, 1007 }));
    EXPECT_TRUE(ZunoLoopbackListener::ownerUids(0xBAD5, reader).empty());

    // The real tables show a listener of this process with its own uid.
    ZunoFakeHttpServer server;
    if (!QFile::exists(QStringLiteral("/proc/net/tcp")))
        GTEST_SKIP() << "no /proc/net/tcp";
    EXPECT_EQ(ZunoLoopbackListener::ownerUids(server.port()), (std::vector<unsigned> { unsigned(getuid()) }));
}

TEST_F(ZunoAgentBrowserBridgeTest, ChecksHealth)
{
    struct Case {
        const char *name;
        Reply reply;
        bool running;
        std::optional<QString> version;
    };
    const QList<Case> cases {
        { "ok with version", Reply::text(200, R"({"ok":true,"version":"2.4.1"})"), true,
            QStringLiteral("2.4.1") },
        { "ok 1", Reply::text(200, R"({"ok":1})"), true, std::nullopt },
        { "numeric version", Reply::text(200, R"({"ok":true,"version":3})"), true, std::nullopt },
        { "ok false", Reply::text(200, R"({"ok":false,"version":"2"})"), false, std::nullopt },
        { "ok text", Reply::text(200, R"({"ok":"true"})"), false, std::nullopt },
        { "no ok", Reply::text(200, R"({"version":"2"})"), false, std::nullopt },
        { "array", Reply::text(200, R"([{"ok":true}])"), false, std::nullopt },
        { "201", Reply::text(201, R"({"ok":true})"), false, std::nullopt },
        { "not json", Reply::text(200, "ok"), false, std::nullopt },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ZunoFakeHttpServer server;
        server.route("GET", "/api/health", c.reply);
        const auto health = ZunoAgentBrowserBridge(server.port(), base()).checkHealth();
        EXPECT_EQ(health.running, c.running);
        EXPECT_EQ(health.version, c.version);
        const auto requests = server.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_FALSE(requests[0].header("Authorization"));
    }
    m_server.stop();
    EXPECT_FALSE(bridge()->checkHealth().running);
}

TEST_F(ZunoAgentBrowserBridgeTest, LooksUpAPageAndReleasesItsProfile)
{
    writeToken(kToken);
    m_server.route("POST", "/api/agent/open",
        Reply::text(200, R"({"ok":true,"snapshot":{"compactText":"PAGE: Shop | http://127.0.0.1/"}})"));
    m_server.route("POST", "/api/agent/release", Reply::text(200, R"({"ok":true})"));
    auto client = bridge();
    EXPECT_EQ(
        client->ephemeralWebLookup(QStringLiteral("http://127.0.0.1/shop?q=a b"), QStringLiteral("agent 7")),
        QStringLiteral("PAGE: Shop | http://127.0.0.1/"));
    EXPECT_TRUE(client->waitForReleases(10s));
    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/api/agent/open");
    EXPECT_EQ(bodyOf(requests[0]),
        Json({ { "agentId", "agent 7" }, { "url", "http://127.0.0.1/shop?q=a b" }, { "ephemeral", true },
            { "snapshot", true }, { "tokenMode", "max" }, { "focus", false }, { "aiClient", "vadezuzi" } }));
    EXPECT_EQ(requests[1].target, "/api/agent/release");
    EXPECT_EQ(bodyOf(requests[1]), Json({ { "agentId", "agent 7" }, { "deleteProfile", true } }));
}

TEST_F(ZunoAgentBrowserBridgeTest, FallsBackFromTheOpenReplyToTheSnapshot)
{
    writeToken(kToken);
    struct Case {
        const char *name;
        QByteArray openReply;
        Reply snapshotReply;
        QString text; // empty: the lookup fails
    };
    const QList<Case> cases {
        { "compact", R"({"snapshot":{"compactText":""}})",
            Reply::text(200, R"({"compactText":"C","text":"T"})"), QStringLiteral("C") },
        { "text", R"({"snapshot":"x"})", Reply::text(200, R"({"compactText":"","text":"T"})"),
            QStringLiteral("T") },
        { "loaded", R"({})", Reply::text(200, R"({"compactText":""})"),
            QStringLiteral("Loaded http://x/ via ZunoAgentBrowser.") },
        { "failure", R"({})", Reply::text(503, R"({"error":"No page"})"), QString() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ZunoFakeHttpServer server;
        server.route("POST", "/api/agent/open", Reply::text(200, c.openReply));
        server.route("POST", "/api/agent/snapshot", c.snapshotReply);
        server.route("POST", "/api/agent/release", Reply::text(200, "{}"));
        ZunoAgentBrowserBridge client(server.port(), base());
        if (c.text.isEmpty()) {
            EXPECT_EQ(bridgeError([&] {
                client.ephemeralWebLookup(QStringLiteral("http://x/"), QStringLiteral("a"));
            }),
                std::make_pair(503, QStringLiteral("No page")));
        } else {
            EXPECT_EQ(client.ephemeralWebLookup(QStringLiteral("http://x/"), QStringLiteral("a")), c.text);
        }
        // The release goes out however the lookup ended.
        ASSERT_TRUE(server.waitForRequests(3));
        const auto requests = server.requests();
        EXPECT_EQ(requests[1].target, "/api/agent/snapshot");
        EXPECT_EQ(bodyOf(requests[1]), Json({ { "agentId", "a" }, { "format", "compact" } }));
        EXPECT_EQ(requests[2].target, "/api/agent/release");
    }
}

TEST_F(ZunoAgentBrowserBridgeTest, SendsNoReleaseWhenTheOpenFails)
{
    writeToken(kToken);
    m_server.route("POST", "/api/agent/open", Reply::text(500, "down"));
    m_server.route("POST", "/api/agent/release", Reply::text(200, "{}"));
    auto client = bridge();
    EXPECT_EQ(
        bridgeError([&] { client->ephemeralWebLookup(QStringLiteral("http://x/"), QStringLiteral("a")); }),
        std::make_pair(500, QStringLiteral("HTTP 500")));
    EXPECT_TRUE(client->waitForReleases(10s));
    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/api/agent/open");
}

TEST_F(ZunoAgentBrowserBridgeTest, DestroyingTheBridgeStopsAHangingRelease)
{
    writeToken(kToken);
    m_server.route("POST", "/api/agent/open", Reply::text(200, R"({"snapshot":{"compactText":"page"}})"));
    m_server.route("POST", "/api/agent/release", Reply::hold());
    auto client = bridge();
    EXPECT_EQ(
        client->ephemeralWebLookup(QStringLiteral("http://x/"), QStringLiteral("a")), QStringLiteral("page"));
    ASSERT_TRUE(m_server.waitForRequests(2));
    EXPECT_FALSE(client->waitForReleases(0ms));
    const auto started = std::chrono::steady_clock::now();
    client.reset();
    // The release's own time-out is 30 s; the destructor cancels it instead of waiting.
    EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
    // The release may have gone out on the open call's kept-alive connection: the last one.
    EXPECT_TRUE(m_server.waitForClientClose(m_server.connections().size() - 1));
}

TEST_F(ZunoAgentBrowserBridgeTest, OpensAnExternalLink)
{
    writeToken(kToken);
    struct Case {
        const char *name;
        Reply health;
        Reply open;
        Reply release;
        bool opened;
        std::vector<QByteArray> targets;
    };
    const Reply ok = Reply::text(200, R"({"ok":true})");
    const QList<Case> cases {
        { "opened", ok, ok, ok, true, { "/api/health", "/api/agent/open", "/api/agent/release" } },
        { "release fails", ok, ok, Reply::text(500, "no"), true,
            { "/api/health", "/api/agent/open", "/api/agent/release" } },
        { "open fails", ok, Reply::text(409, R"({"error":"busy"})"), ok, false,
            { "/api/health", "/api/agent/open" } },
        { "not running", Reply::text(200, R"({"ok":false})"), ok, ok, false, { "/api/health" } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ZunoFakeHttpServer server;
        server.route("GET", "/api/health", c.health);
        server.route("POST", "/api/agent/open", c.open);
        server.route("POST", "/api/agent/release", c.release);
        ZunoAgentBrowserBridge client(server.port(), base());
        EXPECT_EQ(
            client.openExternalLink(QStringLiteral("https://example.test/a"), QStringLiteral("a1"), true),
            c.opened);
        const auto requests = server.requests();
        std::vector<QByteArray> targets;
        for (const auto &request : requests)
            targets.push_back(request.target);
        EXPECT_EQ(targets, c.targets);
        if (requests.size() > 1) {
            EXPECT_EQ(bodyOf(requests[1]),
                Json({ { "agentId", "a1" }, { "url", "https://example.test/a" }, { "focus", true },
                    { "aiClient", "vadezuzi" } }));
        }
        if (requests.size() > 2) {
            EXPECT_EQ(bodyOf(requests[2]), Json({ { "agentId", "a1" } }));
        }
    }
    // Without a token the open fails: false.
    QFile::remove(base() + QStringLiteral("/token"));
    m_server.route("GET", "/api/health", ok);
    EXPECT_FALSE(
        bridge()->openExternalLink(QStringLiteral("https://example.test/"), QStringLiteral("a"), false));
}

TEST(ZunoAgentBrowserBridge, SharedInstanceIsMadeOnce)
{
    std::vector<std::future<ZunoAgentBrowserBridge *>> callers;
    for (int i = 0; i < 8; ++i)
        callers.push_back(std::async(std::launch::async, [] { return &ZunoAgentBrowserBridge::shared(); }));
    ZunoAgentBrowserBridge *first = callers.front().get();
    for (std::size_t i = 1; i < callers.size(); ++i)
        EXPECT_EQ(callers[i].get(), first);
    EXPECT_EQ(first->port(), 47891);
    EXPECT_TRUE(first->baseDirectory().endsWith(QLatin1String("/.zunoagentbrowser")));
    EXPECT_TRUE(first->tokenFilePath().endsWith(QLatin1String("/.zunoagentbrowser/token")));
}

namespace {

// The real session; a snapshot call fails, and from then on the thread cannot start threads, as in a
// process at its thread limit.
class ExhaustingSession : public ZunoHttpSession {
public:
    ZunoHttpResponse send(const ZunoHttpRequest &request, std::stop_token stop) override
    {
        if (request.url.path() == QStringLiteral("/api/agent/snapshot")) {
            ZunoFailingThreadStart::setFailing(true);
            throw ZunoHttpError(ZunoHttpError::Kind::connectionLost);
        }
        return ZunoHttpSession::send(request, std::move(stop));
    }
};

// Threads of this process, from /proc/self/status.
int threadCount()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed().toInt();
    }
    return -1;
}

} // namespace

TEST_F(ZunoAgentBrowserBridgeTest, AReleaseThatCannotBeScheduledNeverEndsTheProcess)
{
    writeToken(kToken);
    m_server.route("POST", "/api/agent/open", Reply::text(200, R"({})"));
    m_server.route("POST", "/api/agent/release", Reply::text(200, "{}"));
    ZunoAgentBrowserBridge client(m_server.port(), base(), std::make_shared<ExhaustingSession>());

    std::optional<ZunoHttpError::Kind> failure;
    try {
        client.ephemeralWebLookup(QStringLiteral("http://x/"), QStringLiteral("a"));
    } catch (const ZunoHttpError &error) {
        ZunoFailingThreadStart::setFailing(false);
        failure = error.kind();
    } catch (...) {
        ZunoFailingThreadStart::setFailing(false);
        ADD_FAILURE() << "the lookup's own error was replaced";
    }
    ZunoFailingThreadStart::setFailing(false);
    // The lookup's error reaches the caller; the release could not be started and the process goes on.
    EXPECT_EQ(failure, ZunoHttpError::Kind::connectionLost);

    // The bridge still works: the next lookup starts the worker, which releases both profiles.
    m_server.route("POST", "/api/agent/open", Reply::text(200, R"({"snapshot":{"compactText":"page"}})"));
    EXPECT_EQ(
        client.ephemeralWebLookup(QStringLiteral("http://x/"), QStringLiteral("b")), QStringLiteral("page"));
    EXPECT_TRUE(client.waitForReleases(10s));
    const auto requests = m_server.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().target, "/api/agent/release");
    EXPECT_EQ(bodyOf(requests.back()), Json({ { "agentId", "b" }, { "deleteProfile", true } }));
    EXPECT_EQ(bodyOf(requests[requests.size() - 2]), Json({ { "agentId", "a" }, { "deleteProfile", true } }));
}

TEST_F(ZunoAgentBrowserBridgeTest, ReleasesQueueOnOneWorker)
{
    writeToken(kToken);
    m_server.route("POST", "/api/agent/open", Reply::text(200, R"({"snapshot":{"compactText":"page"}})"));
    m_server.route("POST", "/api/agent/release", Reply::hold());
    auto client = bridge();
    const int before = threadCount();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 8; ++i)
        client->ephemeralWebLookup(QStringLiteral("http://x/"), QStringLiteral("agent %1").arg(i));
    // The first release hangs; the other seven wait behind it on the same worker.
    ASSERT_TRUE(m_server.waitForRequests(9));
    EXPECT_LE(threadCount() - before, 1);
    EXPECT_FALSE(client->waitForReleases(0ms));
    client.reset();
}
