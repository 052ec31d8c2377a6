#include "ZunoHttpSession.h"
#include "ZunoFakeHttpServer.h"
#include "ZunoFakeTlsServer.h"
#include "ZunoHttpError.h"
#include "ZunoScopedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <fcntl.h>
#include <future>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
using Reply = ZunoFakeHttpServer::Reply;
using Kind = ZunoHttpError::Kind;

namespace {

ZunoHttpRequest requestTo(const QByteArray &url, const QByteArray &method = "GET")
{
    ZunoHttpRequest request;
    request.method = method;
    request.url = QUrl::fromEncoded(url);
    request.timeout = 10s;
    return request;
}

// The kind `call` throws, or none when it returns.
template <typename Call> std::optional<Kind> failureOf(Call &&call)
{
    try {
        call();
    } catch (const ZunoHttpError &error) {
        return error.kind();
    }
    return std::nullopt;
}

std::optional<Kind> sendFailure(const ZunoHttpRequest &request, std::stop_token stop = {})
{
    return failureOf([&] { ZunoHttpSession::shared()->send(request, stop); });
}

// Streams into a string; `limit` bytes end the transfer from the handler.
struct StreamRecord {
    int heads = 0;
    int status = 0;
    ZunoHttpHeaders headers;
    QByteArray body;
    std::optional<Kind> failure;
};

StreamRecord streamOf(const ZunoHttpRequest &request, qsizetype limit = -1, std::stop_token stop = {})
{
    StreamRecord record;
    ZunoHttpStreamHandler handler;
    handler.head = [&](const ZunoHttpResponse &head) {
        ++record.heads;
        record.status = head.statusCode;
        record.headers = head.headers;
        return true;
    };
    handler.body = [&](QByteArrayView bytes) {
        EXPECT_EQ(record.heads, 1) << "body before head";
        record.body += bytes.toByteArray();
        return limit < 0 || record.body.size() < limit;
    };
    record.failure = failureOf([&] { ZunoHttpSession::shared()->stream(request, handler, stop); });
    return record;
}

// Takes every free descriptor number below `count` (raising the soft limit as needed), so that the
// next socket is numbered `count` or more; gives them back, and the limit, when it goes.
class DescriptorsBelow {
public:
    explicit DescriptorsBelow(int count)
    {
        if (::getrlimit(RLIMIT_NOFILE, &m_limit) != 0)
            return;
        const rlim_t wanted = static_cast<rlim_t>(count) + 256;
        if (m_limit.rlim_cur < wanted) {
            rlimit raised = m_limit;
            raised.rlim_cur = wanted;
            raised.rlim_max = std::max(m_limit.rlim_max, wanted);
            if (::setrlimit(RLIMIT_NOFILE, &raised) != 0)
                return;
            m_raised = true;
        }
        for (;;) {
            const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                return;
            if (fd >= count) {
                ::close(fd);
                m_full = true;
                return;
            }
            m_taken.push_back(fd);
        }
    }
    ~DescriptorsBelow()
    {
        for (const int fd : m_taken)
            ::close(fd);
        if (m_raised)
            ::setrlimit(RLIMIT_NOFILE, &m_limit);
    }
    DescriptorsBelow(const DescriptorsBelow &) = delete;
    DescriptorsBelow &operator=(const DescriptorsBelow &) = delete;

    bool isFull() const { return m_full; }

private:
    rlimit m_limit {};
    bool m_raised = false;
    bool m_full = false;
    std::vector<int> m_taken;
};

// This process's TCP sockets whose peer is 127.0.0.1:`port`.
std::vector<int> socketsConnectedTo(quint16 port)
{
    std::vector<int> found;
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString &name : descriptors.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const int fd = name.toInt();
        sockaddr_in peer {};
        socklen_t length = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) == 0 && peer.sin_family == AF_INET
            && ntohs(peer.sin_port) == port && ntohl(peer.sin_addr.s_addr) == INADDR_LOOPBACK)
            found.push_back(fd);
    }
    return found;
}

qsizetype indexOfHeader(const ZunoFakeHttpServer::Request &request, const QByteArray &name)
{
    for (std::size_t i = 0; i < request.headers.size(); ++i) {
        if (request.headers[i].first.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<qsizetype>(i);
    }
    return -1;
}

} // namespace

TEST(ZunoHttpSession, RoundTripKeepsMethodHeaderOrderAndBody)
{
    ZunoFakeHttpServer server;
    server.route("POST", "/v1/items",
        Reply::text(201, "made",
            { { "X-Thing", "one" }, { "Set-Cookie", "a=1" }, { "content-type", "text/plain" },
                { "set-cookie", "b=2" } }));

    ZunoHttpRequest request = requestTo(server.url("/v1/items?x=1"), "POST");
    request.setHeader("X-Second", "2")
        .setHeader("X-First", "1")
        .setHeader("Content-Type", "application/json");
    request.body = R"({"a":1})";
    const ZunoHttpResponse response = ZunoHttpSession::shared()->send(request);

    EXPECT_EQ(response.statusCode, 201);
    EXPECT_EQ(response.body, "made");
    EXPECT_EQ(response.headers.value("x-thing"), "one");
    EXPECT_EQ(response.headers.value("SET-COOKIE"), "a=1, b=2");
    EXPECT_EQ(response.headers.value("Content-Type"), "text/plain");
    EXPECT_FALSE(response.headers.contains("X-Missing"));
    // Server order kept, a repeated field in the place of its first occurrence.
    std::vector<QByteArray> names;
    for (const auto &field : response.headers.fields())
        names.push_back(field.first.toLower());
    const std::vector<QByteArray> expected { "x-thing", "set-cookie", "content-type", "content-length" };
    EXPECT_EQ(names, expected);

    ASSERT_EQ(server.requests().size(), 1u);
    const ZunoFakeHttpServer::Request received = server.requests().front();
    EXPECT_EQ(received.method, "POST");
    EXPECT_EQ(received.target, "/v1/items?x=1");
    EXPECT_EQ(received.body, R"({"a":1})");
    EXPECT_EQ(received.header("Content-Type"), "application/json");
    EXPECT_LT(indexOfHeader(received, "X-Second"), indexOfHeader(received, "X-First"));
    EXPECT_LT(indexOfHeader(received, "X-First"), indexOfHeader(received, "Content-Type"));
}

TEST(ZunoHttpSession, PathIsSentAsWritten)
{
    ZunoFakeHttpServer server;
    ZunoHttpSession::shared()->send(requestTo(server.url("/a/../b/./c%2Fd")));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests().front().target, "/a/../b/./c%2Fd");
}

TEST(ZunoHttpSession, LargePostGoesAtOnceWithoutExpectOrAFormType)
{
    ZunoFakeHttpServer server;
    server.route("POST", "/upload", Reply::text(200, "ok"));
    // The transport asks for "100-continue" from 1 MiB on; the fake server never sends it.
    for (const qsizetype size : { qsizetype(2048), qsizetype(2 * 1024 * 1024) }) {
        ZunoHttpRequest request = requestTo(server.url("/upload"), "POST");
        request.body = QByteArray(size, 'z');
        EXPECT_EQ(ZunoHttpSession::shared()->send(request).body, "ok");
        const ZunoFakeHttpServer::Request received = server.requests().back();
        EXPECT_EQ(received.body.size(), size);
        EXPECT_FALSE(received.header("Expect")) << received.header("Expect")->constData();
        EXPECT_FALSE(received.header("Content-Type"));
    }
}

TEST(ZunoHttpSession, HeaderWithALineBreakOrNulSendsNothing)
{
    ZunoFakeHttpServer server;
    const std::pair<QByteArray, QByteArray> fields[] = {
        { "X-Token", "a\r\nX-Injected: 1" },
        { "X-Token", "a\nb" },
        { "X-Token", QByteArray("a\0b", 3) },
        { "X-Bad\r\nName", "v" },
        { "", "v" },
    };
    for (const auto &[name, value] : fields) {
        ZunoHttpRequest request = requestTo(server.url("/"));
        request.setHeader(name, value);
        EXPECT_EQ(sendFailure(request), Kind::invalidHeader) << name.toPercentEncoding().constData();
        EXPECT_EQ(streamOf(request).failure, Kind::invalidHeader);
    }
    EXPECT_TRUE(server.connections().empty());
}

TEST(ZunoHttpSession, OnlyHttpAddressesConnect)
{
    ZunoFakeHttpServer server;
    const QByteArray port = QByteArray::number(server.port());
    const QByteArray texts[] = {
        "ftp://127.0.0.1:" + port + "/file",
        "file:///etc/hostname",
        "/relative/path",
        "127.0.0.1:" + port + "/",
        "http://",
        "",
    };
    for (const QByteArray &text : texts) {
        ZunoHttpRequest request;
        request.url = QUrl(QString::fromUtf8(text));
        EXPECT_EQ(sendFailure(request), Kind::unsupportedURL) << text.constData();
        EXPECT_EQ(streamOf(request).failure, Kind::unsupportedURL) << text.constData();
    }
    EXPECT_TRUE(server.connections().empty());
}

TEST(ZunoHttpSession, ServerThatNeverAnswersTimesOut)
{
    ZunoFakeHttpServer server;
    server.route("GET", "/silent", Reply::hold());
    ZunoHttpRequest request = requestTo(server.url("/silent"));
    request.timeout = 300ms;

    EXPECT_EQ(sendFailure(request), Kind::timedOut);
    EXPECT_TRUE(server.waitForClientClose(0));
    EXPECT_EQ(streamOf(request).failure, Kind::timedOut);
    EXPECT_TRUE(server.waitForClientClose(1));
}

TEST(ZunoHttpSession, TrickleKeepsASendAliveUntilTheBackstopAndAStreamForGood)
{
    ZunoFakeHttpServer server;
    server.route("GET", "/trickle", Reply::trickle(60, 100ms));
    server.route("GET", "/short", Reply::trickle(25, 100ms));

    // The time-out is an idle limit: twenty-five bytes a tenth of a second apart take two and a half
    // times as long. The server runs in this process, so a stall of the process holds its next byte back
    // too: an idle limit ten times the period leaves 900 ms for one, where three times left only 200.
    ZunoHttpRequest request = requestTo(server.url("/short"));
    request.timeout = 1s;
    EXPECT_EQ(ZunoHttpSession::shared()->send(request).body, QByteArray(25, 'x'));

    // The backstop, never shorter than the idle limit, still ends a send that never finishes.
    request.url = QUrl::fromEncoded(server.url("/trickle"));
    request.totalLimit = 600ms;
    EXPECT_EQ(sendFailure(request), Kind::timedOut);

    // A stream has no backstop: fifteen bytes take longer than it would.
    const StreamRecord record = streamOf(request, 15);
    EXPECT_FALSE(record.failure);
    EXPECT_EQ(record.body, QByteArray(15, 'x'));
    EXPECT_EQ(record.status, 200);
}

TEST(ZunoHttpRequest, SendTimeLimitGrowsWithTheBody)
{
    struct Case {
        const char *name;
        qsizetype bodyBytes;
        std::chrono::milliseconds totalLimit;
        std::chrono::milliseconds expected;
    };
    const Case cases[] = {
        { "no body", 0, 10min, 10min },
        { "small body", 400, 10min, 10min + 97ms },
        { "one floor second", ZunoHttpRequest::kUploadFloorBytesPerSecond, 2s, 3s },
        // Moving at 20 KiB/s it takes 768 s, past the ten minutes alone.
        { "15 MiB", 15 * 1024 * 1024, 10min, 10min + 3840s },
    };
    for (const Case &c : cases) {
        ZunoHttpRequest request;
        request.body = QByteArray(c.bodyBytes, 'b');
        request.totalLimit = c.totalLimit;
        EXPECT_EQ(request.sendTimeLimit(), c.expected) << c.name;
    }
}

TEST(ZunoHttpSession, SteadySlowUploadOutlivesItsIdleAndTotalLimitsAndASilentServerEndsIt)
{
    ZunoFakeHttpServer server;
    server.route("POST", "/upload", Reply::text(200, "ok"));
    server.route("POST", "/silent", Reply::hold());
    // At most 800 KB/s: a 1 MiB body takes well over the idle limit and the total limit to go, and never
    // stops moving; only silence or its size at the floor rate may end it.
    server.setReadPace(4096, 5ms);

    ZunoHttpRequest request = requestTo(server.url("/upload"), "POST");
    request.body = QByteArray(1024 * 1024, 'u');
    request.timeout = 800ms;
    request.totalLimit = 100ms;
    EXPECT_EQ(ZunoHttpSession::shared()->send(request).body, "ok");
    EXPECT_EQ(server.requests().back().body.size(), request.body.size());

    request.url = QUrl::fromEncoded(server.url("/silent"));
    request.body = QByteArray(64 * 1024, 'u');
    request.timeout = 400ms;
    EXPECT_EQ(sendFailure(request), Kind::timedOut);
}

// A slow upload's socket numbered past FD_SETSIZE (1024), as in a process with many files open: its
// send queue still counts as bytes moving.
TEST(ZunoHttpSession, SlowUploadOnASocketPast1024OutlivesItsIdleLimit)
{
    ZunoFakeHttpServer server;
    server.route("POST", "/upload", Reply::text(200, "ok"));
    // At most 800 KB/s, as in the steady upload above: curl's count of bytes sent stands still for longer
    // than the idle limit while the send queue drains.
    server.setReadPace(4096, 5ms);
    DescriptorsBelow taken(1100);
    ASSERT_TRUE(taken.isFull()) << "could not open descriptors up to 1100";

    ZunoHttpSession session;
    ZunoHttpRequest request = requestTo(server.url("/upload"), "POST");
    request.body = QByteArray(1024 * 1024, 'u');
    request.timeout = 800ms;
    QString failure;
    try {
        EXPECT_EQ(session.send(request).body, "ok");
    } catch (const ZunoHttpError &error) {
        failure = QString::fromUtf8(error.what());
    }
    EXPECT_EQ(failure.toStdString(), "");
    ASSERT_TRUE(server.waitForRequests(1));
    EXPECT_EQ(server.requests().back().body.size(), request.body.size());
    // The session keeps the connection: its socket is the one that was past 1024.
    const std::vector<int> sockets = socketsConnectedTo(server.port());
    ASSERT_EQ(sockets.size(), 1u);
    EXPECT_GE(sockets.front(), 1024);
}

TEST(ZunoHttpSession, StreamThatFallsSilentTimesOut)
{
    ZunoFakeHttpServer server;
    server.route("GET", "/events", Reply::chunkedBody({ "data: 1\n\n", "data: 2\n\n" }).gatedChunks());
    server.openGate();
    ZunoHttpRequest request = requestTo(server.url("/events"));
    request.timeout = 500ms;

    const StreamRecord record = streamOf(request);
    EXPECT_EQ(record.failure, Kind::timedOut);
    EXPECT_EQ(record.body, "data: 1\n\n");
}

TEST(ZunoHttpSession, StreamDeliversHeadThenBodyInOrder)
{
    ZunoFakeHttpServer server;
    server.route("GET", "/chunks",
        Reply::chunkedBody({ "one ", "two ", "three" }, 20ms)
            .withHeader("Content-Type", "text/event-stream"));
    server.route("GET", "/close", Reply::closeDelimitedBody({ "until ", "close" }, 20ms));
    server.route("GET", "/empty", Reply::text(204, {}));

    StreamRecord record = streamOf(requestTo(server.url("/chunks")));
    EXPECT_FALSE(record.failure);
    EXPECT_EQ(record.heads, 1);
    EXPECT_EQ(record.headers.value("content-type"), "text/event-stream");
    EXPECT_EQ(record.body, "one two three");

    record = streamOf(requestTo(server.url("/close")));
    EXPECT_FALSE(record.failure);
    EXPECT_EQ(record.body, "until close");

    record = streamOf(requestTo(server.url("/empty")));
    EXPECT_FALSE(record.failure);
    EXPECT_EQ(record.heads, 1);
    EXPECT_EQ(record.status, 204);
}

TEST(ZunoHttpSession, HandlerThatDeclinesTheHeadEndsQuietly)
{
    ZunoFakeHttpServer server;
    server.route("GET", "/", Reply::chunkedBody({ "never read" }));
    int bodies = 0;
    ZunoHttpStreamHandler handler;
    handler.head = [](const ZunoHttpResponse &) { return false; };
    handler.body = [&](QByteArrayView) {
        ++bodies;
        return true;
    };
    EXPECT_NO_THROW(ZunoHttpSession::shared()->stream(requestTo(server.url("/")), handler));
    EXPECT_EQ(bodies, 0);
}

TEST(ZunoHttpSession, BrokenAnswersFail)
{
    ZunoFakeHttpServer server;
    server.route("GET", "/short", Reply::shortBody(100, "only ten b"));
    server.route("GET", "/nothing", Reply::closeWithoutAnswer());
    server.route("GET", "/garbage", Reply::rawBytes("garbage instead of a status line\r\n\r\nbody"));
    server.route("GET", "/http09", Reply::rawBytes("<html>hello</html>"));
    server.route(
        "GET", "/cutChunk", Reply::rawBytes("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab"));
    struct Case {
        const char *path;
        Kind kind;
    };
    const Case cases[] = {
        { "/short", Kind::connectionLost },
        { "/cutChunk", Kind::connectionLost },
        { "/nothing", Kind::badServerResponse },
        { "/garbage", Kind::badServerResponse },
        { "/http09", Kind::badServerResponse },
    };
    for (const Case &c : cases) {
        const ZunoHttpRequest request = requestTo(server.url(c.path));
        EXPECT_EQ(sendFailure(request), c.kind) << c.path;
        EXPECT_EQ(streamOf(request).failure, c.kind) << c.path << " (stream)";
    }
}

TEST(ZunoHttpSession, BodyLimitCountsDecodedBytes)
{
    ZunoFakeHttpServer server;
    const QByteArray plain(64 * 1024, 'a');
    // "deflate" is the zlib format: qCompress without its four-byte length prefix.
    const QByteArray deflated = qCompress(plain).mid(4);
    server.route("GET", "/deflated", Reply::text(200, deflated, { { "Content-Encoding", "deflate" } }));
    server.route("GET", "/plain", Reply::text(200, plain));

    ZunoHttpRequest request = requestTo(server.url("/deflated"));
    EXPECT_EQ(ZunoHttpSession::shared()->send(request).body, plain);
    EXPECT_TRUE(server.requests().back().header("Accept-Encoding")->contains("deflate"));

    request.maxBodyBytes = 16 * 1024;
    ASSERT_LT(deflated.size(), request.maxBodyBytes);
    EXPECT_EQ(sendFailure(request), Kind::responseTooLarge);
    request.url = QUrl::fromEncoded(server.url("/plain"));
    EXPECT_EQ(sendFailure(request), Kind::responseTooLarge);
    request.maxBodyBytes = plain.size();
    EXPECT_EQ(ZunoHttpSession::shared()->send(request).body.size(), plain.size());
}

TEST(ZunoHttpSession, StopEndsAHangingRequestAtOnce)
{
    ZunoFakeHttpServer server;
    server.route("GET", "/hang", Reply::hold());
    ZunoHttpRequest request = requestTo(server.url("/hang"));
    request.timeout = 30s;

    std::stop_source sendStop;
    auto sending = std::async(std::launch::async, [&] { return sendFailure(request, sendStop.get_token()); });
    ASSERT_TRUE(server.waitForRequests(1));
    sendStop.request_stop();
    // Far below the request's own 30 s time-out; generous for a loaded machine.
    ASSERT_EQ(sending.wait_for(15s), std::future_status::ready);
    EXPECT_EQ(sending.get(), Kind::cancelled);
    EXPECT_TRUE(server.waitForClientClose(0));

    std::stop_source streamStop;
    auto streaming
        = std::async(std::launch::async, [&] { return streamOf(request, -1, streamStop.get_token()); });
    ASSERT_TRUE(server.waitForRequests(2));
    streamStop.request_stop();
    ASSERT_EQ(streaming.wait_for(15s), std::future_status::ready);
    EXPECT_EQ(streaming.get().failure, Kind::cancelled);

    // A token stopped beforehand connects nowhere.
    const std::size_t connections = server.connections().size();
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_EQ(sendFailure(request, stopped.get_token()), Kind::cancelled);
    EXPECT_EQ(server.connections().size(), connections);
}

TEST(ZunoHttpSession, CredentialedAndNonGetRequestsDoNotFollowRedirects)
{
    ZunoFakeHttpServer server;
    ZunoFakeHttpServer target;
    target.route("GET", "/final", Reply::text(200, "arrived"));
    target.route("POST", "/final", Reply::text(200, "arrived"));
    server.route("GET", "/moved", Reply::redirect(302, target.url("/final")));
    server.route("POST", "/moved", Reply::redirect(307, target.url("/final")));

    // Any header that may carry a secret keeps the request where it was sent.
    const std::pair<QByteArray, QByteArray> secrets[] = {
        { "authorization", "Bearer secret" },
        { "Proxy-Authorization", "Basic c2VjcmV0" },
        { "Cookie", "session=secret" },
        { "X-Api-Key", "secret" },
        { "api-key", "secret" },
        { "X-Auth-Token", "secret" },
        { "X-Client-Secret", "secret" },
    };
    for (const auto &[name, value] : secrets) {
        ZunoHttpRequest credentialed = requestTo(server.url("/moved"));
        credentialed.setHeader("Accept", "*/*").setHeader(name, value);
        const ZunoHttpResponse response = ZunoHttpSession::shared()->send(credentialed);
        EXPECT_EQ(response.statusCode, 302) << name.constData();
        EXPECT_EQ(response.headers.value("Location"), target.url("/final"));
        EXPECT_EQ(streamOf(credentialed).status, 302) << name.constData();
    }

    ZunoHttpRequest post = requestTo(server.url("/moved"), "POST");
    post.body = "{}";
    EXPECT_EQ(ZunoHttpSession::shared()->send(post).statusCode, 307);
    EXPECT_EQ(streamOf(post).status, 307);
    EXPECT_TRUE(target.requests().empty());
    EXPECT_TRUE(target.connections().empty());

    // A plain GET follows to the other server, with the headers that hold no secret.
    ZunoHttpRequest plain = requestTo(server.url("/moved"));
    plain.setHeader("If-None-Match", "\"v1\"");
    const ZunoHttpResponse response = ZunoHttpSession::shared()->send(plain);
    EXPECT_EQ(response.statusCode, 200);
    EXPECT_EQ(response.body, "arrived");
    const StreamRecord record = streamOf(plain);
    EXPECT_EQ(record.heads, 1);
    EXPECT_EQ(record.status, 200);
    EXPECT_EQ(record.body, "arrived");
    ASSERT_EQ(target.requests().size(), 2u);
    EXPECT_EQ(target.requests().front().header("If-None-Match"), "\"v1\"");
}

TEST(ZunoHttpSession, RedirectsStayOnHttpAndEndAfterFive)
{
    ZunoFakeHttpServer server;
    server.route(
        "GET", "/ftp", Reply::redirect(302, "ftp://127.0.0.1:" + QByteArray::number(server.port()) + "/x"));
    server.route("GET", "/file", Reply::redirect(302, "file:///etc/hostname"));
    for (int hop = 0; hop < 6; ++hop)
        server.route("GET", "/hop" + QByteArray::number(hop),
            Reply::redirect(302, "/hop" + QByteArray::number(hop + 1)));
    server.route("GET", "/hop6", Reply::text(200, "too far"));
    server.route("GET", "/hop7", Reply::text(200, "too far"));

    EXPECT_EQ(sendFailure(requestTo(server.url("/ftp"))), Kind::unsupportedURL);
    EXPECT_EQ(sendFailure(requestTo(server.url("/file"))), Kind::unsupportedURL);
    EXPECT_EQ(server.requests().size(), 2u);

    // Five redirects are followed: /hop1 reaches /hop6.
    EXPECT_EQ(ZunoHttpSession::shared()->send(requestTo(server.url("/hop1"))).body, "too far");
    const std::size_t before = server.requests().size();
    EXPECT_TRUE(sendFailure(requestTo(server.url("/hop0"))));
    EXPECT_EQ(server.requests().size() - before, 6u);
}

TEST(ZunoHttpSession, HttpsRedirectsStayOnHttps)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QByteArray certificate = QFile::encodeName(folder.filePath(QStringLiteral("root.pem")));
    ZunoFakeHttpServer plain;
    plain.route("GET", "/final", Reply::text(200, "downgraded"));
    QByteArray secureBase;
    ZunoFakeTlsServer secure(certificate, [&](const QByteArray &target) -> QByteArray {
        const auto redirect = [](const QByteArray &location) {
            return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n";
        };
        if (target == "/to-http")
            return redirect(plain.url("/final"));
        if (target == "/to-https")
            return redirect(secureBase + "/final");
        return "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nsecure";
    });
    ASSERT_TRUE(secure.isListening());
    secureBase = secure.url("");
    ZunoHttpSession session(certificate);

    // A redirect that stays on https is followed: the server is trusted and the rule is not a blanket no.
    EXPECT_EQ(session.send(requestTo(secure.url("/to-https"))).body, "secure");
    // The refusal says what happened, not that the address was malformed.
    std::optional<ZunoHttpError> failure;
    try {
        session.send(requestTo(secure.url("/to-http")));
    } catch (const ZunoHttpError &error) {
        failure = error;
    }
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind(), Kind::insecureRedirect);
    EXPECT_EQ(failure->message(),
        QStringLiteral("The server redirected from a secure https address to an insecure http address; the "
                       "redirect was refused."));
    EXPECT_EQ(
        failureOf([&] { session.stream(requestTo(secure.url("/to-http")), {}); }), Kind::insecureRedirect);
    EXPECT_TRUE(plain.requests().empty());
    EXPECT_TRUE(plain.connections().empty());
}

TEST(ZunoHttpSession, SequentialCallsShareOneConnection)
{
    ZunoFakeHttpServer server;
    server.route("GET", "/v1/me", Reply::text(200, "{}"));
    ZunoHttpSession session;
    ZunoHttpRequest request = requestTo(server.url("/v1/me"));
    request.setHeader("Authorization", "Bearer t");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(session.send(request).statusCode, 200);
    EXPECT_EQ(server.requests().size(), 5u);
    EXPECT_EQ(server.connections().size(), 1u);

    // A cancelled transfer's connection is not handed to the next one.
    server.route("GET", "/hang", Reply::hold());
    std::stop_source stop;
    auto hanging = std::async(std::launch::async,
        [&] { return failureOf([&] { session.send(requestTo(server.url("/hang")), stop.get_token()); }); });
    ASSERT_TRUE(server.waitForRequests(6));
    stop.request_stop();
    EXPECT_EQ(hanging.get(), Kind::cancelled);
    EXPECT_EQ(session.send(request).statusCode, 200);
    EXPECT_EQ(server.requests().back().target, "/v1/me");
}

// Transfers of one session on several threads at once, against a keep-alive server that now and then
// closes a connection after its answer (saying so, or quietly as at an idle limit).
TEST(ZunoHttpSession, ConcurrentTransfersReuseConnectionsAndSurviveClosedOnes)
{
    constexpr int kThreads = 8;
    constexpr int kCallsPerThread = 150;
    ZunoFakeHttpServer server;
    std::atomic<int> answered { 0 };
    std::atomic<int> closed { 0 };
    server.setHandler([&](const ZunoFakeHttpServer::Request &request) -> std::optional<Reply> {
        Reply reply = Reply::text(200, request.target);
        const int count = ++answered;
        if (count % 40 == 0 || count % 40 == 20) {
            ++closed;
            reply.thenClose();
            if (count % 40 == 0)
                reply.withHeader("Connection", "close");
        }
        return reply;
    });

    ZunoHttpSession session;
    std::vector<std::future<QStringList>> workers;
    for (int thread = 0; thread < kThreads; ++thread) {
        workers.push_back(std::async(std::launch::async, [&, thread] {
            QStringList faults;
            for (int call = 0; call < kCallsPerThread; ++call) {
                const QByteArray target
                    = "/item?thread=" + QByteArray::number(thread) + "&call=" + QByteArray::number(call);
                try {
                    const ZunoHttpResponse response = session.send(requestTo(server.url(target)));
                    if (response.statusCode != 200 || response.body != target)
                        faults << QString::fromUtf8(target + " got " + response.body);
                } catch (const ZunoHttpError &error) {
                    faults << QString::fromUtf8(target + " failed: " + error.what());
                }
            }
            return faults;
        }));
    }
    QStringList faults;
    for (auto &worker : workers)
        faults += worker.get();
    EXPECT_TRUE(faults.isEmpty()) << faults.size() << " faults, first: " << faults.value(0).toStdString();

    // Every connection is reused until the server closes it: at most one new connection per close, and
    // one per thread to begin with (doubled for the order threads take them in).
    const std::size_t connections = server.connections().size();
    EXPECT_EQ(answered.load(), kThreads * kCallsPerThread);
    EXPECT_LE(connections, static_cast<std::size_t>(closed.load() + 2 * kThreads))
        << connections << " connections for " << answered.load() << " requests";
}

TEST(ZunoHttpSession, HttpsToAPlainServerNeverSucceeds)
{
    ZunoFakeHttpServer server;
    server.route("GET", "/", Reply::text(200, "plain"));
    ZunoHttpRequest request = requestTo("https://127.0.0.1:" + QByteArray::number(server.port()) + "/");
    request.timeout = 10s;
    for (const std::optional<Kind> failure : { sendFailure(request), streamOf(request).failure }) {
        ASSERT_TRUE(failure);
        EXPECT_TRUE(*failure == Kind::secureConnectionFailed || *failure == Kind::cannotConnect)
            << static_cast<int>(*failure);
    }
}

TEST(ZunoHttpSession, ClosedPortCannotConnect)
{
    QByteArray url;
    {
        ZunoFakeHttpServer server;
        url = server.url("/");
    }
    EXPECT_EQ(sendFailure(requestTo(url)), Kind::cannotConnect);
}

TEST(ZunoHttpSession, LoopbackBypassesTheEnvironmentsProxy)
{
    ZunoFakeHttpServer server;
    server.route("GET", "/", Reply::text(200, "direct"));
    ZunoFakeHttpServer proxy;
    ZunoScopedEnvironment environment;
    for (const char *name : { "http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY" })
        environment.set(name, proxy.url("/"));
    environment.set("no_proxy", "example.org");
    environment.set("NO_PROXY", "example.org");

    EXPECT_EQ(ZunoHttpSession::shared()->send(requestTo(server.url("/"))).body, "direct");
    QByteArray localhost = server.url("/");
    localhost.replace("127.0.0.1", "localhost");
    EXPECT_EQ(ZunoHttpSession::shared()->send(requestTo(localhost)).body, "direct");
    EXPECT_TRUE(proxy.connections().empty());
}
