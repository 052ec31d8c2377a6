#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsError.h"
#include "ZunoDesktopServices.h"
#include "ZunoFakeGateway.h"
#include "ZunoHttpSession.h"
#include "ZunoLoopbackHTTP.h"
#include "ZunoPKCECrypto.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <future>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using Json = nlohmann::json;

namespace {

const QString kToken = QString::fromLatin1(ZunoFakeGateway::kToken);

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Everything the server sends until it closes, or until `timeout`.
QByteArray readUntilClosed(int fd, std::chrono::milliseconds timeout = 10s)
{
    QByteArray bytes;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    char chunk[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry { fd, POLLIN, 0 };
        if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
            return bytes;
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0)
            return bytes;
        bytes.append(chunk, got);
    }
}

// Sends one GET for `target` and returns the whole answer.
QByteArray get(quint16 port, const QByteArray &target)
{
    const int fd = connectTo(port);
    if (fd < 0)
        return {};
    const QByteArray request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/html\r\n\r\n";
    ::send(fd, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL);
    const QByteArray answer = readUntilClosed(fd);
    ::close(fd);
    return answer;
}

int openDescriptors()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

// The fake gateway runs in this process and closes its side of a connection only once it has seen the
// client's close, on its own thread: the count settles shortly after; a leaked descriptor never does.
bool descriptorsSettleTo(int expected)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (openDescriptors() != expected) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

struct Outcome {
    std::optional<QString> token;
    std::optional<ZunoCreditsError> error;
};

// One sign-in on a worker; the connect URL arrives through `connectURL`.
struct RunningSignIn {
    std::shared_ptr<std::promise<QUrl>> urlPromise = std::make_shared<std::promise<QUrl>>();
    std::future<QUrl> urlFuture = urlPromise->get_future();
    std::stop_source stop;
    std::future<Outcome> outcome;
    QUrl url;
    quint16 port = 0;
    QString state;
    QString challenge;

    RunningSignIn(const ZunoCreditsAccountManager &manager, double timeoutSeconds)
    {
        outcome = std::async(
            std::launch::async, [&manager, timeoutSeconds, promise = urlPromise, token = stop.get_token()] {
                Outcome result;
                try {
                    result.token = manager.startOneClickSignIn(
                        QStringLiteral("https://quarnwell.com/"), timeoutSeconds, false, false,
                        [promise](const QUrl &url) { promise->set_value(url); }, token);
                } catch (const ZunoCreditsError &error) {
                    result.error = error;
                }
                return result;
            });
        if (urlFuture.wait_for(10s) != std::future_status::ready)
            return;
        url = urlFuture.get();
        const QUrlQuery query(url);
        port = static_cast<quint16>(QUrl(query.queryItemValue(QStringLiteral("redirect_uri"))).port());
        state = query.queryItemValue(QStringLiteral("state"));
        challenge = query.queryItemValue(QStringLiteral("code_challenge"));
    }

    QByteArray callback(const QByteArray &query) const { return get(port, "/?" + query); }
    QByteArray stateItem() const { return "state=" + state.toUtf8(); }

    Outcome finish()
    {
        if (outcome.wait_for(20s) != std::future_status::ready) {
            stop.request_stop();
            outcome.wait();
        }
        return outcome.get();
    }
};

class ZunoOneClickSignInTest : public ::testing::Test {
protected:
    ZunoOneClickSignInTest()
    {
        for (const char *name : { "QUARNWELL_ACCOUNT_DIR", "DEZEVEVEZU_ACCOUNT_DIR", "QUARNWELL_API_URL" })
            environment.set(name, QByteArray());
    }

    ZunoTestHome home;
    ZunoScopedEnvironment environment;
    ZunoFakeGateway gateway;
    ZunoCreditsAccountManager manager { home.filePath("account"), std::nullopt, gateway.baseURL() };
};

bool refusesConnections(quint16 port)
{
    const int fd = connectTo(port);
    if (fd >= 0)
        ::close(fd);
    return fd < 0;
}

} // namespace

TEST(ZunoPKCECrypto, VerifierChallengeAndState)
{
    EXPECT_EQ(ZunoPKCECrypto::sha256Base64URL(QStringLiteral("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk")),
        QStringLiteral("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"));
    const QString verifier = ZunoPKCECrypto::randomBase64URL(32);
    const QString state = ZunoPKCECrypto::randomBase64URL(16);
    EXPECT_EQ(verifier.size(), 43);
    EXPECT_EQ(ZunoPKCECrypto::sha256Base64URL(verifier).size(), 43);
    EXPECT_EQ(state.size(), 22);
    EXPECT_NE(verifier, ZunoPKCECrypto::randomBase64URL(32));
    for (int i = 0; i < 50; ++i) {
        const QString value = ZunoPKCECrypto::randomBase64URL(32);
        EXPECT_FALSE(value.contains('+') || value.contains('/') || value.contains('='))
            << value.toStdString();
    }
}

TEST(ZunoLoopbackHTTP, ResultPagesAreByteExact)
{
    const QByteArray body
        = "<!doctype html>\n"
          "<html lang=\"en\">\n"
          "<head><meta charset=\"utf-8\"><title>\xE2\x9C\x93 Quarnwell Hesab\xC4\xB1 "
          "Ba\xC4\x9Fland\xC4\xB1</title></head>\n"
          "<body "
          "style=\"font-family:-apple-system,BlinkMacSystemFont,system-ui,sans-serif;background:#0d0e1a;"
          "color:#f8fafc;padding:48px;text-align:center;line-height:1.5\">\n"
          "<div style=\"max-width:460px;margin:0 "
          "auto;padding:28px;border-radius:16px;background:rgba(255,255,"
          "255,0.06);border:1px solid rgba(255,255,255,0.14)\">\n"
          "<h2 style=\"color:#3ee6a8;margin:0 0 12px 0\">\xE2\x9C\x93 Quarnwell Hesab\xC4\xB1 "
          "Ba\xC4\x9Fland\xC4\xB1</h2>\n"
          "<p style=\"color:rgba(255,255,255,0.78);margin:0\">Bu sekme</p>\n"
          "</div>\n"
          "</body>\n"
          "</html>";
    const QByteArray expected
        = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    const QByteArray page = ZunoLoopbackHTTP::resultResponse(200, QStringLiteral("#3ee6a8"),
        QStringLiteral("✓ Quarnwell Hesabı Bağlandı"), QStringLiteral("Bu sekme"));
    EXPECT_EQ(page, expected);
    // The check mark takes three bytes and each Turkish letter two: more bytes than characters.
    EXPECT_GT(body.size(), QString::fromUtf8(body).size() + 6);

    struct Case {
        const char *text;
        const char *escaped;
    };
    const Case cases[] = {
        { "a & b", "a &amp; b" },
        { "<script>", "&lt;script&gt;" },
        { "say \"hi\"", "say &quot;hi&quot;" },
        { "it's", "it's" },
        { "&lt;", "&amp;lt;" },
    };
    for (const Case &c : cases) {
        const QByteArray response = ZunoLoopbackHTTP::resultResponse(
            400, QStringLiteral("#ff647c"), QString::fromUtf8(c.text), QStringLiteral("m"));
        EXPECT_TRUE(response.startsWith("HTTP/1.1 400 Bad Request\r\n"));
        EXPECT_TRUE(response.contains(QByteArray("<title>") + c.escaped + "</title>")) << c.text;
    }
}

TEST_F(ZunoOneClickSignInTest, BrowserRoundTripRedeemsTheCodeAndSavesTheToken)
{
    const int descriptors = openDescriptors();
    // A session of its own: its kept-alive connection to the gateway goes with it at the end.
    auto session = std::make_shared<ZunoHttpSession>();
    std::optional<ZunoCreditsAccountManager> own;
    own.emplace(home.filePath("account"), std::nullopt, gateway.baseURL(), session);
    const ZunoCreditsAccountManager &manager = *own;
    RunningSignIn signIn(manager, 60);
    ASSERT_NE(signIn.port, 0);
    const QString connect = signIn.url.toString(QUrl::FullyEncoded);
    EXPECT_TRUE(
        connect.startsWith(QStringLiteral("https://quarnwell.com/baglan?redirect_uri=http://127.0.0.1:")
            + QString::number(signIn.port) + QStringLiteral("&code_challenge=")))
        << connect.toStdString();
    EXPECT_TRUE(connect.contains(
        QStringLiteral("&code_challenge_method=S256&state=") + signIn.state + QStringLiteral("&client=")));
    EXPECT_TRUE(connect.endsWith(
        QString(QUrl::toPercentEncoding(ZunoCreditsAccountManager::currentAppHeader(), "/"))))
        << connect.toStdString();
    EXPECT_TRUE(connect.contains(QStringLiteral("%20Linux")));

    // Requests that are not the callback are answered and the wait goes on.
    EXPECT_EQ(signIn.callback("").left(12), "HTTP/1.1 400");
    EXPECT_EQ(get(signIn.port, "/favicon.ico"), "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(get(signIn.port, "/robots.txt"), "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
    EXPECT_TRUE(signIn.callback(signIn.stateItem()).contains("Missing authorization code"));
    EXPECT_TRUE(signIn.callback("error=&code=%20&" + signIn.stateItem()).contains("#ffb84d"));
    const int pending = connectTo(signIn.port); // a client that closes without a word
    ::close(pending);

    // Two codes: the last one counts.
    const QByteArray page = signIn.callback("code=first&code=" + QByteArray(ZunoFakeGateway::kConnectCode)
        + "&" + signIn.stateItem() + "&error=");
    EXPECT_TRUE(page.startsWith("HTTP/1.1 200 OK\r\n")) << page.constData();
    EXPECT_TRUE(page.contains("\xE2\x9C\x93 Quarnwell Account Connected"));
    const Outcome outcome = signIn.finish();
    ASSERT_TRUE(outcome.token) << (outcome.error ? outcome.error->what() : "");
    EXPECT_EQ(*outcome.token, kToken);
    EXPECT_EQ(manager.savedToken(), kToken);

    const ZunoFakeHttpServer::Request redeem = gateway.requests().back();
    EXPECT_EQ(redeem.target, "/v1/connect/token");
    const Json body = Json::parse(redeem.body.toStdString());
    EXPECT_EQ(body["code"], ZunoFakeGateway::kConnectCode);
    EXPECT_EQ(
        ZunoPKCECrypto::sha256Base64URL(QString::fromStdString(body["code_verifier"].get<std::string>())),
        signIn.challenge);
    EXPECT_TRUE(refusesConnections(signIn.port));
    own.reset();
    session.reset();
    EXPECT_TRUE(descriptorsSettleTo(descriptors))
        << openDescriptors() << " open, " << descriptors << " before";
}

TEST_F(ZunoOneClickSignInTest, CallbacksThatEndTheSignIn)
{
    struct Case {
        const char *name;
        QByteArray query; // "STATE" stands for the right state item
        QByteArray pageText;
        QString error;
    };
    const QString mismatch = QStringLiteral("OAuth state mismatch during loopback sign-in.");
    const Case cases[] = {
        { "declined with a description", "error=access_denied&error_description=You%20said%20%3Cno%3E&STATE",
            "You said &lt;no&gt;", QStringLiteral("You said <no>") },
        { "declined without a description", "error=access_denied&STATE", "access_denied",
            QStringLiteral("access_denied") },
        { "a wrong state", "code=c&state=someone-else", "Connection verification failed", mismatch },
        { "no state", "code=c", "Security state mismatch.", mismatch },
        { "a blank state", "code=c&state=%20%20", "Connection verification failed", mismatch },
    };
    for (const Case &c : cases) {
        const int descriptors = openDescriptors();
        RunningSignIn signIn(manager, 60);
        ASSERT_NE(signIn.port, 0) << c.name;
        QByteArray query = c.query;
        query.replace("STATE", signIn.stateItem());
        const QByteArray page = signIn.callback(query);
        EXPECT_TRUE(page.startsWith("HTTP/1.1 400 Bad Request\r\n")) << c.name;
        EXPECT_TRUE(page.contains(c.pageText)) << c.name << "\n" << page.constData();
        const Outcome outcome = signIn.finish();
        ASSERT_TRUE(outcome.error) << c.name;
        EXPECT_EQ(*outcome.error, ZunoCreditsError::signInFailed(c.error)) << c.name;
        EXPECT_TRUE(refusesConnections(signIn.port)) << c.name;
        EXPECT_TRUE(descriptorsSettleTo(descriptors)) << c.name << ": " << openDescriptors() << " open";
    }
    EXPECT_FALSE(manager.savedToken());
    EXPECT_TRUE(gateway.requests().empty());

    // A code the gateway refuses: the failure page, and the redemption's error.
    RunningSignIn signIn(manager, 60);
    const QByteArray page = signIn.callback("code=stale&" + signIn.stateItem());
    EXPECT_TRUE(page.contains("Connection code expired or invalid")) << page.constData();
    const Outcome outcome = signIn.finish();
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(
        *outcome.error, ZunoCreditsError::serverError(400, QStringLiteral(R"({"error":"invalid_grant"})")));
    EXPECT_FALSE(manager.savedToken());
}

TEST_F(ZunoOneClickSignInTest, CancelAndTimeOutEndTheWait)
{
    const int descriptors = openDescriptors();
    RunningSignIn waiting(manager, 600);
    ASSERT_NE(waiting.port, 0);
    waiting.stop.request_stop();
    // Far below the 60 s poll: the pipe wakes the loop.
    ASSERT_EQ(waiting.outcome.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(waiting.finish().error, ZunoCreditsError::signInCancelled());
    EXPECT_TRUE(refusesConnections(waiting.port));

    RunningSignIn immediate(manager, 0);
    EXPECT_EQ(immediate.finish().error, ZunoCreditsError::signInTimedOut());
    EXPECT_TRUE(descriptorsSettleTo(descriptors))
        << openDescriptors() << " open, " << descriptors << " before";

    // A time-out of 0 takes no connection, even one already waiting.
    const auto [listenFD, port] = ZunoLoopbackHTTP::bindEphemeralLoopback();
    const int client = connectTo(port);
    ZunoLoopbackCancelSignal cancel;
    int accepts = 0;
    ZunoLoopbackHTTP::LoopOptions options;
    options.accept = [&accepts](int fd) {
        ++accepts;
        return ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    };
    EXPECT_THROW(ZunoLoopbackHTTP::blockingAcceptLoop(listenFD, "s", 0, cancel, options), ZunoCreditsError);
    EXPECT_EQ(accepts, 0);
    ::close(client);
    ::close(listenFD);
}

TEST(ZunoLoopbackHTTP, SilentAndDribblingClientsAreDroppedAfterTheClientLimit)
{
    const auto [listenFD, port] = ZunoLoopbackHTTP::bindEphemeralLoopback();
    ZunoLoopbackCancelSignal cancel;
    ZunoLoopbackHTTP::LoopOptions options;
    options.clientLimit = 300ms;

    const int silent = connectTo(port);
    const int dribbler = connectTo(port);
    // One byte every 100 ms for up to 20 s; the server must close well before the last one.
    std::atomic<bool> closedEarly { false };
    std::thread dribbling([dribbler, &closedEarly] {
        const QByteArray request
            = "GET /?code=late&state=s&padding=" + QByteArray(160, 'p') + " HTTP/1.1\r\n\r\n";
        for (int i = 0; i < request.size(); ++i) {
            if (::send(dribbler, request.constData() + i, 1, MSG_NOSIGNAL) != 1) {
                closedEarly = true;
                return;
            }
            pollfd entry { dribbler, POLLIN, 0 };
            // The server hung up (or answered): it stopped waiting for the rest.
            if (::poll(&entry, 1, 100) > 0) {
                closedEarly = true;
                return;
            }
        }
    });
    const int caller = connectTo(port);
    const QByteArray callback = "GET /?code=real&state=s HTTP/1.1\r\n\r\n";
    ::send(caller, callback.constData(), static_cast<size_t>(callback.size()), MSG_NOSIGNAL);

    const ZunoLoopbackCallbackHit hit
        = ZunoLoopbackHTTP::blockingAcceptLoop(listenFD, "s", 60, cancel, options);
    EXPECT_EQ(hit.code, QStringLiteral("real"));
    dribbling.join();
    EXPECT_TRUE(closedEarly);
    for (const int fd : { hit.clientFD, silent, dribbler, caller, listenFD })
        ::close(fd);
}

TEST(ZunoLoopbackHTTP, SilentClientsAndForeignErrorsDoNotHoldOrEndTheWait)
{
    const auto [listenFD, port] = ZunoLoopbackHTTP::bindEphemeralLoopback();
    ZunoLoopbackCancelSignal cancel;
    ZunoLoopbackHTTP::LoopOptions options;
    // Far longer than the whole wait: a listener serving one client at a time would still be reading
    // the first silent one when the wait runs out.
    options.clientLimit = 120s;

    // The wait runs while the clients connect: more of them than the listen backlog holds.
    auto waiting = std::async(std::launch::async, [&, listenFD = listenFD] {
        std::optional<ZunoLoopbackCallbackHit> hit;
        try {
            hit = ZunoLoopbackHTTP::blockingAcceptLoop(listenFD, "s", 20, cancel, options);
        } catch (const ZunoCreditsError &error) {
            ADD_FAILURE() << error.what();
        }
        return hit;
    });
    std::vector<int> silent;
    for (int i = 0; i < 20; ++i)
        silent.push_back(connectTo(port));
    // An error from a page that does not know the state is answered and ignored.
    const int foreign = connectTo(port);
    const QByteArray decline = "GET /?error=access_denied HTTP/1.1\r\n\r\n";
    ::send(foreign, decline.constData(), static_cast<size_t>(decline.size()), MSG_NOSIGNAL);
    const int caller = connectTo(port);
    const QByteArray callback = "GET /?code=real&state=s HTTP/1.1\r\n\r\n";
    ::send(caller, callback.constData(), static_cast<size_t>(callback.size()), MSG_NOSIGNAL);

    const std::optional<ZunoLoopbackCallbackHit> hit = waiting.get();
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->code, QStringLiteral("real"));
    const QByteArray page = readUntilClosed(foreign);
    EXPECT_TRUE(page.startsWith("HTTP/1.1 400 Bad Request\r\n")) << page.constData();
    EXPECT_TRUE(page.contains("Connection verification failed")) << page.constData();
    for (const int fd : silent)
        ::close(fd);
    for (const int fd : { hit->clientFD, foreign, caller, listenFD })
        ::close(fd);
}

TEST(ZunoLoopbackHTTP, AcceptErrorsOfOneConnectionDoNotEndTheWait)
{
    const auto [listenFD, port] = ZunoLoopbackHTTP::bindEphemeralLoopback();
    ZunoLoopbackCancelSignal cancel;
    const int caller = connectTo(port);
    const QByteArray callback = "GET /?code=abc&state=s HTTP/1.1\r\n\r\n";
    ::send(caller, callback.constData(), static_cast<size_t>(callback.size()), MSG_NOSIGNAL);

    std::vector<int> errors { ECONNABORTED, EMFILE, EPROTO };
    ZunoLoopbackHTTP::LoopOptions options;
    options.accept = [&errors](int fd) {
        if (!errors.empty()) {
            errno = errors.front();
            errors.erase(errors.begin());
            return -1;
        }
        return ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    };
    const ZunoLoopbackCallbackHit hit
        = ZunoLoopbackHTTP::blockingAcceptLoop(listenFD, "s", 60, cancel, options);
    EXPECT_EQ(hit.code, QStringLiteral("abc"));
    ::close(hit.clientFD);

    // Any other error ends it.
    const int second = connectTo(port);
    options.accept = [](int) {
        errno = EBADF;
        return -1;
    };
    try {
        ZunoLoopbackHTTP::blockingAcceptLoop(listenFD, "s", 60, cancel, options);
        ADD_FAILURE() << "an accept error did not end the wait";
    } catch (const ZunoCreditsError &error) {
        EXPECT_EQ(error, ZunoCreditsError::signInFailed(QStringLiteral("Loopback accept error (9).")));
    }
    for (const int fd : { second, caller, listenFD })
        ::close(fd);
}

TEST_F(ZunoOneClickSignInTest, OpensTheBrowserOnTheMainThreadWhenAsked)
{
    struct Recorder : ZunoDesktopServices {
        void revealFile(const QString &) override { }
        void openUrl(const QUrl &url) override { opened.append(url); }
        QList<QUrl> opened;
    };
    const auto recorder = std::make_shared<Recorder>();
    const auto previous = ZunoDesktopServices::replaceShared(recorder);
    std::stop_source stop;
    auto outcome = std::async(std::launch::async, [&] {
        try {
            manager.startOneClickSignIn(
                QStringLiteral("https://quarnwell.com"), 60, true, false, {}, stop.get_token());
        } catch (const ZunoCreditsError &error) {
            return error;
        }
        return ZunoCreditsError::notSignedIn();
    });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (recorder->opened.isEmpty() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    stop.request_stop();
    EXPECT_EQ(outcome.get(), ZunoCreditsError::signInCancelled());
    ZunoDesktopServices::replaceShared(previous);
    ASSERT_EQ(recorder->opened.size(), 1);
    EXPECT_TRUE(recorder->opened[0].toString().startsWith(QStringLiteral("https://quarnwell.com/baglan?")));
}

TEST(ZunoLoopbackHTTP, RequestTargetNeedsAWholeRequestLine)
{
    struct Case {
        QByteArray sent;
        std::optional<QString> target;
    };
    const Case cases[] = {
        { "GET /?code=abc&state=s HTTP/1.1\r\nHost: x\r\n\r\n", QStringLiteral("/?code=abc&state=s") },
        { "GET  /spaced   HTTP/1.1\r\n", QStringLiteral("/spaced") },
        // Cut off before the line ends: the code could be cut too.
        { "GET /?code=ab", std::nullopt },
        { "GET\r\n", std::nullopt },
        { "GET /\xFF HTTP/1.1\r\n", std::nullopt },
        { "", std::nullopt },
    };
    for (const Case &c : cases) {
        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        ::send(ends[1], c.sent.constData(), static_cast<size_t>(c.sent.size()), MSG_NOSIGNAL);
        EXPECT_EQ(ZunoLoopbackHTTP::readRequestTarget(ends[0], 200ms), c.target) << c.sent.constData();
        ::close(ends[0]);
        ::close(ends[1]);
    }
}
