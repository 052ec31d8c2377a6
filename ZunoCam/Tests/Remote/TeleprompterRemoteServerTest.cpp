#include "TeleprompterRemoteServer.h"
#include "RemoteTestClient.h"
#include "SlowClientSwarm.h"
#include "TeleprompterRemoteProtocol.h"
#include "ZunoAppLogger.h"

#include <QStringList>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using Event = TeleprompterRemoteServerEvent;
using namespace std::chrono_literals;

namespace {

// Records server events from any thread.
class EventLog {
public:
    TeleprompterRemoteServer::EventHandler handler()
    {
        return [this](const Event &event) {
            std::lock_guard lock(m_mutex);
            m_events.push_back(event);
        };
    }
    std::vector<Event> events() const
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    int count(Event::Kind kind) const
    {
        int n = 0;
        for (const Event &event : events())
            n += event.kind == kind;
        return n;
    }
    bool waitForStarted(quint16 port)
    {
        return waitUntil([&] {
            for (const Event &event : events()) {
                if (event.kind == Event::Kind::started && event.port == port)
                    return true;
            }
            return false;
        });
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Event> m_events;
};

TeleprompterRemoteState studioState(bool playing)
{
    return TeleprompterRemoteState(playing, true, 160, 30, 0.4, QStringLiteral("S1"),
        QStringLiteral("Keynote"), { { QStringLiteral("S1"), QStringLiteral("Keynote"), 120 } });
}

// A command handler that counts the commands it applies and answers with the studio playing.
TeleprompterRemoteServer::CommandHandler countingApplied(std::atomic<int> &applied)
{
    return [&applied](const TeleprompterRemoteCommand &, TeleprompterRemoteCommandReply done) {
        ++applied;
        done(studioState(true));
    };
}

// Tests keep the server on 127.0.0.1.
TeleprompterRemoteServer::Options loopback()
{
    TeleprompterRemoteServer::Options options;
    options.loopbackOnly = true;
    return options;
}

QByteArray get(const QByteArray &path)
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

QByteArray postCommand(const QByteArray &body)
{
    return "POST /api/command HTTP/1.1\r\nContent-Type: application/json\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

// A server started on a free loopback port, with its events recorded.
struct RunningServer {
    explicit RunningServer(TeleprompterRemoteServer::Options options = loopback())
        : server(nullptr, options)
    {
        server.setOnEvent(events.handler());
    }
    void start()
    {
        port = freeLoopbackPort();
        server.start(port);
        ASSERT_TRUE(events.waitForStarted(port));
    }

    EventLog events;
    TeleprompterRemoteServer server;
    quint16 port = 0;
};

} // namespace

TEST(TeleprompterRemoteServer, StartAndStopReportTheirEvents)
{
    EventLog events;
    TeleprompterRemoteServer server(nullptr, loopback());
    server.setOnEvent(events.handler());
    EXPECT_FALSE(server.isRunning());
    EXPECT_EQ(server.boundPort(), 8791);

    try {
        server.start(80);
        FAIL() << "port 80 was accepted";
    } catch (const TeleprompterRemoteServerError &error) {
        EXPECT_EQ(error, TeleprompterRemoteServerError::invalidPort(80));
        EXPECT_EQ(
            error.errorDescription(), "Invalid remote server port: 80. Use a port between 1024 and 65535.");
    }
    EXPECT_FALSE(server.isRunning());

    server.stop(false);
    EXPECT_TRUE(events.events().empty()) << "stopping an idle server says nothing";

    const quint16 port = freeLoopbackPort();
    const QString url = server.start(port);
    // Listening on 127.0.0.1 only, it shows that address and no other.
    EXPECT_EQ(url, QStringLiteral("http://127.0.0.1:%1").arg(port));
    EXPECT_TRUE(server.isRunning());
    EXPECT_EQ(server.remoteURLString(), url);
    EXPECT_EQ(server.boundPort(), port);
    ASSERT_TRUE(events.waitForStarted(port));
    EXPECT_EQ(events.events().front(), Event::started(url, port));

    server.stop(false);
    EXPECT_FALSE(server.isRunning());
    EXPECT_EQ(server.remoteURLString(), std::nullopt);
    EXPECT_EQ(server.boundPort(), port);
    server.stop(false);
    EXPECT_EQ(events.count(Event::Kind::stopped), 1);
    EXPECT_FALSE(RawClient(port).isConnected());
}

// The address shown is where the server can be reached: this computer's LAN address for a server on
// every interface, 127.0.0.1 for one on loopback only (a machine with a LAN address tells them apart).
TEST(TeleprompterRemoteServer, ShowsTheAddressItServes)
{
    const TeleprompterRemoteServer loopbackOnly(nullptr, loopback());
    const TeleprompterRemoteServer everywhere(nullptr);
    for (const quint16 port : { quint16(1024), quint16(8791), quint16(65535) }) {
        EXPECT_EQ(loopbackOnly.addressFor(port), QStringLiteral("http://127.0.0.1:%1").arg(port));
        EXPECT_EQ(everywhere.addressFor(port), TeleprompterRemoteProtocol::buildRemoteURL(port));
    }
}

TEST(TeleprompterRemoteServer, LowestUserPortIsAccepted)
{
    TeleprompterRemoteServer server(nullptr, loopback());
    try {
        server.start(1024);
    } catch (const TeleprompterRemoteServerError &error) {
        // Busy on this machine is fine; only the range check matters here.
        EXPECT_EQ(error.code(), TeleprompterRemoteServerError::Code::listenerSetupFailed);
    }
}

TEST(TeleprompterRemoteServer, RestartIsSilentAndStaleListenerEventsAreIgnored)
{
    RunningServer running;
    running.start();
    const quint16 first = running.port;
    const quint16 second = freeLoopbackPort();
    const QString secondUrl = running.server.start(second);
    EXPECT_TRUE(secondUrl.endsWith(QStringLiteral(":%1").arg(second)));
    // A listener event still queued at a stop must not arrive after it.
    running.server.stop(true);
    const std::size_t atStop = running.events.events().size();
    const quint16 third = freeLoopbackPort();
    running.server.start(third);
    ASSERT_TRUE(running.events.waitForStarted(third));

    EXPECT_EQ(running.events.count(Event::Kind::stopped), 0);
    const std::vector<Event> events = running.events.events();
    for (std::size_t i = atStop; i < events.size(); ++i)
        EXPECT_NE(events[i].port, second) << "a stale listener reported itself started";
    EXPECT_TRUE(running.server.isRunning());
    EXPECT_EQ(running.server.boundPort(), third);
    EXPECT_FALSE(RawClient(first).isConnected());
    EXPECT_FALSE(RawClient(second).isConnected());
    EXPECT_EQ(exchange(third, get("/api/state")).status, 200);

    // Restarting on the same port rebinds it at once.
    EXPECT_EQ(running.server.start(third), QStringLiteral("http://127.0.0.1:%1").arg(third));
    EXPECT_TRUE(waitUntil([&] {
        int started = 0;
        for (const Event &event : running.events.events())
            started += event.kind == Event::Kind::started && event.port == third;
        return started == 2;
    }));
    EXPECT_EQ(exchange(third, get("/api/state")).status, 200);
    EXPECT_EQ(running.events.count(Event::Kind::stopped), 0);
}

TEST(TeleprompterRemoteServer, BusyPortFailsTheStart)
{
    const int blocker = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ASSERT_EQ(bind(blocker, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(blocker, 1), 0);
    getsockname(blocker, reinterpret_cast<sockaddr *>(&address), &length);
    const quint16 port = ntohs(address.sin_port);

    TeleprompterRemoteServer server(nullptr, loopback());
    try {
        server.start(port);
        FAIL() << "a busy port was bound";
    } catch (const TeleprompterRemoteServerError &error) {
        EXPECT_EQ(error.code(), TeleprompterRemoteServerError::Code::listenerSetupFailed);
        EXPECT_EQ(
            error.errorDescription(), "Failed to start LAN teleprompter remote server: " + error.detail());
        EXPECT_FALSE(error.detail().isEmpty());
    }
    EXPECT_FALSE(server.isRunning());
    close(blocker);
}

TEST(TeleprompterRemoteServer, ServesPageDefaultStateAndAcknowledgementsWithoutCallbacks)
{
    RunningServer running;
    running.start();

    const HttpAnswer page = exchange(running.port, get("/"));
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.header("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(page.body, TeleprompterRemoteProtocol::remoteWebPageHTML().toUtf8());
    EXPECT_EQ(page.header("Content-Length").toInt(), page.body.size());

    const HttpAnswer state = exchange(running.port, get("/api/state"));
    EXPECT_EQ(state.status, 200);
    EXPECT_EQ(TeleprompterRemoteState::fromJson(state.json()), TeleprompterRemoteState::fallback());
    EXPECT_EQ(state.json()["wpm"], 135);
    EXPECT_EQ(state.json()["fontSize"], 24);
    EXPECT_FALSE(state.json().contains("activeScriptId"));

    const HttpAnswer ack = exchange(running.port, postCommand(R"({"command":"play"})"));
    EXPECT_EQ(ack.status, 200);
    EXPECT_EQ(ack.body, R"({"command":"play","ok":true})");

    const HttpAnswer options = exchange(running.port, "OPTIONS /api/state HTTP/1.1\r\n\r\n");
    EXPECT_EQ(options.status, 204);
    EXPECT_EQ(options.header("Content-Length"), "0");
    EXPECT_TRUE(options.body.isEmpty());

    const HttpAnswer missing = exchange(running.port, get("/nowhere?x=1"));
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.json()["error"], "Endpoint not found: /nowhere");
    EXPECT_TRUE(waitUntil([&] { return running.server.activeConnectionCount() == 0; }));
}

TEST(TeleprompterRemoteServer, AsksTheProviderThenTheHandler)
{
    RunningServer running;
    std::mutex mutex;
    std::vector<QString> calls;
    running.server.setStateProvider([&](TeleprompterRemoteServer::StateCompletion done) {
        {
            std::lock_guard lock(mutex);
            calls.push_back(QStringLiteral("state"));
        }
        done(studioState(false));
    });
    running.server.setCommandHandler(
        [&](const TeleprompterRemoteCommand &command, TeleprompterRemoteServer::StateCompletion done) {
            {
                std::lock_guard lock(mutex);
                calls.push_back(command.wireName());
            }
            // Completed later, from another thread, as the studio does from its main thread.
            std::thread([done] { done(studioState(true)); }).detach();
        });
    running.start();

    const HttpAnswer state = exchange(running.port, get("/api/state"));
    EXPECT_EQ(TeleprompterRemoteState::fromJson(state.json()), studioState(false));

    const HttpAnswer ack = exchange(running.port, postCommand(R"({"command":"TOGGLE"})"));
    EXPECT_EQ(ack.status, 200);
    EXPECT_EQ(ack.json()["command"], "toggle");
    EXPECT_EQ(TeleprompterRemoteState::fromJson(ack.json()["state"]), studioState(true));

    const HttpAnswer rejected = exchange(running.port, postCommand(R"({"command":"start"})"));
    EXPECT_EQ(rejected.status, 400);
    EXPECT_EQ(rejected.json()["error"], "Invalid or missing teleprompter command.");

    std::lock_guard lock(mutex);
    EXPECT_EQ(calls, (std::vector<QString> { "state", "state", "toggle", "state" }));
}

TEST(TeleprompterRemoteServer, AssemblesSplitSends)
{
    RunningServer running;
    running.start();

    RawClient client(running.port);
    client.send("GET /api/st");
    EXPECT_FALSE(client.readableWithin(100ms)) << "answered an incomplete request";
    client.send("ate HTTP/1.1\r\nHost: localhost\r\n");
    EXPECT_FALSE(client.readableWithin(50ms));
    client.send("\r\n");
    EXPECT_EQ(parseAnswer(client.readAll()).status, 200);

    RawClient command(running.port);
    command.send("POST /api/command HTTP/1.1\r\nContent-Length: 19\r\n\r\n{\"command\":");
    EXPECT_FALSE(command.readableWithin(100ms));
    command.send("\"reset\"}");
    EXPECT_EQ(parseAnswer(command.readAll()).body, R"({"command":"reset","ok":true})");
}

TEST(TeleprompterRemoteServer, RefusesOversizedAndMalformedRequests)
{
    RunningServer running;
    running.start();

    RawClient big(running.port);
    big.send("POST /api/command HTTP/1.1\r\nContent-Length: 70000\r\n\r\n" + QByteArray(70000, 'x'));
    const HttpAnswer tooLarge = parseAnswer(big.readAll());
    EXPECT_EQ(tooLarge.status, 413);
    EXPECT_TRUE(tooLarge.head.startsWith("HTTP/1.1 413 Payload Too Large"));
    EXPECT_EQ(tooLarge.body, R"({"error":"Request exceeded maximum allowed size.","ok":false})");
    big.close();

    RawClient halfClosed(running.port);
    halfClosed.send("GET / HTTP/1.1\r\nHost: x\r\n");
    halfClosed.finishSending();
    const HttpAnswer malformed = parseAnswer(halfClosed.readAll());
    EXPECT_EQ(malformed.status, 400);
    EXPECT_EQ(malformed.json()["error"], "Malformed HTTP request.");
    halfClosed.close();

    EXPECT_EQ(exchange(running.port, "\r\n\r\n").json()["error"], "Malformed HTTP request.");
    EXPECT_EQ(exchange(running.port, "GET\r\n\r\n").status, 400);
    EXPECT_TRUE(waitUntil([&] { return running.server.activeConnectionCount() == 0; }));
}

TEST(TeleprompterRemoteServer, ConnectionClosedWithoutRequestGetsNoAnswer)
{
    RunningServer running;
    running.start();

    RawClient client(running.port);
    ASSERT_TRUE(waitUntil([&] { return running.server.activeConnectionCount() == 1; }));
    client.finishSending();
    bool closed = false;
    EXPECT_TRUE(client.readAll(&closed).isEmpty());
    EXPECT_TRUE(closed);
    EXPECT_TRUE(waitUntil([&] { return running.server.activeConnectionCount() == 0; }));
}

TEST(TeleprompterRemoteServer, SlowProviderDelaysOnlyItsOwnConnection)
{
    RunningServer running;
    std::mutex mutex;
    TeleprompterRemoteServer::StateCompletion held;
    running.server.setStateProvider([&](TeleprompterRemoteServer::StateCompletion done) {
        std::unique_lock lock(mutex);
        if (!held) {
            held = std::move(done);
            return;
        }
        lock.unlock();
        done(studioState(false));
    });
    running.start();

    RawClient slow(running.port);
    slow.send(get("/api/state"));
    ASSERT_TRUE(waitUntil([&] {
        std::lock_guard lock(mutex);
        return bool(held);
    }));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(exchange(running.port, get("/api/state")).status, 200);
    EXPECT_FALSE(slow.readableWithin(20ms));

    TeleprompterRemoteServer::StateCompletion complete;
    {
        std::lock_guard lock(mutex);
        complete = held;
    }
    complete(studioState(true));
    complete(studioState(false)); // a second call is ignored
    const HttpAnswer answer = parseAnswer(slow.readAll());
    EXPECT_EQ(TeleprompterRemoteState::fromJson(answer.json()), studioState(true));
}

TEST(TeleprompterRemoteServer, CompletionAfterTheServerIsGoneIsHarmless)
{
    TeleprompterRemoteServer::StateCompletion held;
    std::mutex mutex;
    quint16 port = 0;
    {
        RunningServer running;
        running.server.setStateProvider([&](TeleprompterRemoteServer::StateCompletion done) {
            std::lock_guard lock(mutex);
            held = std::move(done);
        });
        running.start();
        port = running.port;
        RawClient client(port);
        client.send(get("/api/state"));
        ASSERT_TRUE(waitUntil([&] {
            std::lock_guard lock(mutex);
            return bool(held);
        }));
        running.server.stop(true);
        bool closed = false;
        EXPECT_TRUE(client.readAll(&closed).isEmpty());
        EXPECT_TRUE(closed);
    }
    std::lock_guard lock(mutex);
    held(studioState(true));
    EXPECT_FALSE(RawClient(port).isConnected());
}

TEST(TeleprompterRemoteServer, IdleConnectionIsClosedAfterTheReadTimeout)
{
    TeleprompterRemoteServer::Options options = loopback();
    options.readTimeout = 200ms;
    RunningServer running(options);
    running.start();

    RawClient idle(running.port);
    RawClient trickle(running.port);
    trickle.send("GET /api/state HTTP/1.1\r\n");
    bool closed = false;
    EXPECT_TRUE(idle.readAll(&closed).isEmpty());
    EXPECT_TRUE(closed);
    closed = false;
    EXPECT_TRUE(trickle.readAll(&closed).isEmpty());
    EXPECT_TRUE(closed);
    EXPECT_TRUE(waitUntil([&] { return running.server.activeConnectionCount() == 0; }));
    EXPECT_EQ(exchange(running.port, get("/api/state")).status, 200);
}

TEST(TeleprompterRemoteServer, AtTheCapAWaitingConnectionGivesWayAndOthersWaitInTheBacklog)
{
    TeleprompterRemoteServer::Options options = loopback();
    // Deadlines far away: only giving way frees a slot.
    options.maxConnections = 2;
    options.headTimeout = 60s;
    options.readTimeout = 60s;
    options.ownerTimeout = 60s;
    RunningServer running(options);
    std::mutex mutex;
    std::vector<TeleprompterRemoteServer::StateCompletion> held;
    running.server.setStateProvider([&](TeleprompterRemoteServer::StateCompletion done) {
        std::lock_guard lock(mutex);
        held.push_back(std::move(done));
    });
    running.start();
    const auto heldCount = [&] {
        std::lock_guard lock(mutex);
        return held.size();
    };

    // Two whole requests wait for the owner: they hold their slots, the third waits in the backlog.
    RawClient first(running.port), second(running.port);
    first.send(get("/api/state"));
    second.send(get("/api/state"));
    ASSERT_TRUE(waitUntil([&] { return heldCount() == 2; }));
    const auto halfRequest = [&] {
        auto client = std::make_unique<RawClient>(running.port);
        client->send("GET /api/state HTTP/1.1\r\n");
        return client;
    };
    auto third = halfRequest();
    EXPECT_FALSE(third->readableWithin(300ms)) << "neither answered nor closed while it waits";
    EXPECT_EQ(running.server.activeConnectionCount(), 2);

    // A slot frees: the waiting connection is taken from the backlog, and as it only has half a
    // request, it gives its slot to the next one, from the same address or not, past its burst.
    {
        std::lock_guard lock(mutex);
        held[0](studioState(false));
    }
    EXPECT_EQ(parseAnswer(first.readAll()).status, 200);
    ASSERT_TRUE(waitUntil([&] { return running.server.activeConnectionCount() == 2; }));
    for (const char *address : { "127.0.0.1", "127.0.0.2" }) {
        SCOPED_TRACE(address);
        RawClient next(running.port, address);
        next.send(get("/api/state"));
        bool closed = false;
        EXPECT_TRUE(third->readAll(&closed).isEmpty());
        EXPECT_TRUE(closed) << "the unfinished one made room";
        ASSERT_TRUE(waitUntil([&] { return heldCount() == 3; }));
        {
            std::lock_guard lock(mutex);
            held.back()(studioState(false));
            held.pop_back();
        }
        EXPECT_EQ(parseAnswer(next.readAll()).status, 200);
        third = halfRequest();
        ASSERT_TRUE(waitUntil([&] { return running.server.activeConnectionCount() == 2; }));
    }
    {
        std::lock_guard lock(mutex);
        held[1](studioState(false));
    }
    EXPECT_EQ(parseAnswer(second.readAll()).status, 200);
}

TEST(TeleprompterRemoteServer, OneAddressHoldsOnlyItsShareOfSlowConnections)
{
    // Deadlines far away: only the fair share can keep the other device answered.
    TeleprompterRemoteServer::Options options = loopback();
    options.maxConnections = 6;
    options.maxConnectionsPerPeer = 3;
    options.headTimeout = 60s;
    options.readTimeout = 60s;
    RunningServer running(options);
    running.start();
    const auto fromOtherDevice = [&] {
        RawClient client(running.port, "127.0.0.2");
        EXPECT_TRUE(client.isConnected());
        client.send(get("/api/state"));
        return parseAnswer(client.readAll()).status;
    };
    const auto open = [&] {
        auto client = std::make_unique<RawClient>(running.port);
        client->send("GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n");
        return client;
    };

    // A burst is let in whole; once it has aged, each newer connection of the address closes its
    // oldest one.
    std::vector<std::unique_ptr<RawClient>> slow;
    for (int i = 0; i < 5; ++i)
        slow.push_back(open());
    ASSERT_TRUE(waitUntil([&] { return running.server.activeConnectionCount() == 5; }));
    std::this_thread::sleep_for(150ms); // past the burst
    for (int i = 0; i < 3; ++i) {
        slow.push_back(open());
        bool closed = false;
        EXPECT_TRUE(slow[i]->readAll(&closed).isEmpty()) << i;
        EXPECT_TRUE(closed) << i;
    }
    EXPECT_EQ(running.server.activeConnectionCount(), 5);
    EXPECT_FALSE(slow[3]->readableWithin(20ms));
    EXPECT_EQ(fromOtherDevice(), 200);

    // The address keeps opening slow connections; the other device keeps getting answers.
    for (int round = 0; round < 4; ++round) {
        slow.push_back(open());
        EXPECT_EQ(fromOtherDevice(), 200) << round;
    }
    EXPECT_LE(running.server.activeConnectionCount(), 6);
    // A slow connection that finishes its request is still answered.
    slow.back()->send("\r\n");
    EXPECT_EQ(parseAnswer(slow.back()->readAll()).status, 200);
}

TEST(TeleprompterRemoteServer, SlowConnectionsFromManyAddressesCannotHoldThePhoneOut)
{
    // 600 slow connections, 10 from each of 60 addresses, reopened as soon as they are closed: the
    // default cap (64) is full, and no address is long over its share of 8. With slots freed only by
    // the 3 s head timeout the phone would wait behind about 540 of them in the backlog, 25 s and
    // more. Giving way, the oldest slow ones leave at 64 per burst window (100 ms), so the backlog
    // drains in about a second; 3 s leaves room for a loaded machine.
    RunningServer running;
    running.server.publishState(studioState(false));
    std::atomic<int> applied { 0 };
    running.server.setCommandHandler(countingApplied(applied));
    running.start();

    SlowClientSwarm::Options attack;
    attack.port = running.port;
    SlowClientSwarm swarm(attack);
    ASSERT_TRUE(swarm.waitUntilOpen());
    ASSERT_TRUE(waitUntil([&] { return running.server.activeConnectionCount() >= 64; }));

    const QByteArray requests[] = { get("/api/state"), postCommand(R"({"command":"play"})"), get("/") };
    for (const QByteArray &request : requests) {
        const auto sent = std::chrono::steady_clock::now();
        RawClient phone(running.port, "127.0.0.100");
        ASSERT_TRUE(phone.isConnected());
        phone.send(request);
        const HttpAnswer answer = parseAnswer(phone.readAll(nullptr, 40s));
        const auto waited
            = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
        std::cout << "phone " << request.left(request.indexOf(" HTTP")).toStdString() << ": " << answer.status
                  << " after " << waited.count() << " ms, " << swarm.reopenings()
                  << " slow reopened so far\n";
        EXPECT_EQ(answer.status, 200);
        ASSERT_LT(waited, 3s);
    }
    EXPECT_EQ(applied.load(), 1);
}

TEST(TeleprompterRemoteServer, HeadHasItsOwnDeadlineAndTheBodyTheReadTimeout)
{
    TeleprompterRemoteServer::Options options = loopback();
    options.headTimeout = 300ms;
    options.readTimeout = 60s;
    RunningServer running(options);
    running.start();

    RawClient dripping(running.port);
    dripping.send("GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n");
    RawClient bodyPending(running.port);
    bodyPending.send("POST /api/command HTTP/1.1\r\nContent-Length: 20\r\n\r\n");
    bool closed = false;
    EXPECT_TRUE(dripping.readAll(&closed).isEmpty());
    EXPECT_TRUE(closed) << "a head that does not arrive in time is dropped";

    // Past the head deadline, the request whose head arrived still waits for its body.
    EXPECT_FALSE(bodyPending.readableWithin(20ms));
    bodyPending.send(R"({"command":"toggle"})");
    const HttpAnswer answer = parseAnswer(bodyPending.readAll());
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.json()["command"], "toggle");
}

TEST(TeleprompterRemoteServer, PublishedStateIsAnsweredWithoutTheOwnerInTheProvidersBytes)
{
    std::vector<TeleprompterRemoteState> states = {
        TeleprompterRemoteState::fallback(),
        studioState(true),
        studioState(false),
        TeleprompterRemoteState(false, true, 300, 44, 1, std::nullopt,
            QStringLiteral("Ünïcode \"quoted\" \u2014 title"),
            { { QStringLiteral("A"), QStringLiteral("Çay"), 0 }, { QStringLiteral("B"), QString(), 9999 } }),
        TeleprompterRemoteState(
            true, true, 50, 16, 0.123456789, QStringLiteral("B"), QStringLiteral("B"), {}),
    };
    std::mutex mutex;
    TeleprompterRemoteState current;
    RunningServer viaProvider;
    viaProvider.server.setStateProvider([&](TeleprompterRemoteServer::StateCompletion done) {
        std::lock_guard lock(mutex);
        done(current);
    });
    viaProvider.start();
    RunningServer viaSnapshot;
    std::atomic<int> asked { 0 };
    // An owner that never answers: only the snapshot can.
    viaSnapshot.server.setStateProvider([&](TeleprompterRemoteServer::StateCompletion) { ++asked; });
    viaSnapshot.start();

    const auto raw = [](quint16 port) {
        RawClient client(port);
        client.send(get("/api/state"));
        return client.readAll();
    };
    for (const TeleprompterRemoteState &state : states) {
        SCOPED_TRACE(state.activeScriptTitle.toStdString());
        {
            std::lock_guard lock(mutex);
            current = state;
        }
        viaSnapshot.server.publishState(state);
        const QByteArray expected = raw(viaProvider.port);
        ASSERT_EQ(parseAnswer(expected).status, 200);
        EXPECT_EQ(raw(viaSnapshot.port), expected);
    }
    EXPECT_EQ(asked.load(), 0);
    // Other requests need no owner either.
    EXPECT_EQ(exchange(viaSnapshot.port, get("/")).status, 200);
    EXPECT_EQ(exchange(viaSnapshot.port, get("/nowhere")).status, 404);
    EXPECT_EQ(asked.load(), 0);
}

TEST(TeleprompterRemoteServer, ACommandAnswered503IsCancelledAndOneClaimedInTimeIsAnswered)
{
    TeleprompterRemoteServer::Options options = loopback();
    options.ownerTimeout = 200ms;
    RunningServer running(options);
    running.server.publishState(studioState(false));
    std::mutex mutex;
    std::vector<TeleprompterRemoteCommandReply> replies;
    bool claimAtOnce = false;
    running.server.setCommandHandler(
        [&](const TeleprompterRemoteCommand &, TeleprompterRemoteCommandReply done) {
            std::lock_guard lock(mutex);
            if (claimAtOnce) {
                EXPECT_TRUE(done.claim());
            }
            replies.push_back(std::move(done));
        });
    running.start();

    // The owner sits on the command: 503 goes out, and the command can no longer be claimed.
    bool closed = false;
    RawClient late(running.port);
    late.send(postCommand(R"({"command":"play"})"));
    EXPECT_EQ(parseAnswer(late.readAll(&closed, 10s)).status, 503);
    EXPECT_TRUE(closed);
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_FALSE(replies[0].claim()) << "a command answered 503 must be dropped";
        replies[0](studioState(true)); // ignored
        replies.clear();
        claimAtOnce = true;
    }

    // Claimed before the deadline: the owner is applying it, so its answer is awaited, not a 503.
    RawClient claimed(running.port);
    claimed.send(postCommand(R"({"command":"play"})"));
    EXPECT_FALSE(claimed.readableWithin(500ms));
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(replies.size(), 1u);
        replies[0](studioState(true));
    }
    const HttpAnswer answer = parseAnswer(claimed.readAll());
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(TeleprompterRemoteState::fromJson(answer.json()["state"]), studioState(true));
}

TEST(TeleprompterRemoteServer, WritesItsLogLines)
{
    QTemporaryDir folder;
    auto logger = std::make_shared<ZunoAppLogger>(QStringLiteral("RemoteLogTest"), folder.path());
    const auto lines = [&] {
        QStringList texts;
        const QList<ZunoLogEntry> entries = logger->recentEntries(100, ZunoLogLevel::debug);
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            EXPECT_EQ(it->category, "remote");
            texts << QStringLiteral("%1 %2").arg(rawValue(it->level), it->message);
        }
        return texts;
    };

    EventLog events;
    TeleprompterRemoteServer server(logger, loopback());
    server.setOnEvent(events.handler());
    EXPECT_THROW(server.start(80), TeleprompterRemoteServerError);
    server.stop(false);
    EXPECT_TRUE(lines().isEmpty()) << "a refused port and an idle stop log nothing";

    const quint16 port = freeLoopbackPort();
    const QString url = server.start(port);
    ASSERT_TRUE(events.waitForStarted(port));
    EXPECT_EQ(exchange(port, postCommand(R"({"command":"wpm_up"})")).status, 200);
    server.stop(false);

    const int blocker = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int reuse = 1; // the server's closed connections may still hold the port in TIME_WAIT
    setsockopt(blocker, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof(reuse));
    ASSERT_EQ(bind(blocker, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(blocker, 1), 0);
    QString failure;
    try {
        server.start(port);
    } catch (const TeleprompterRemoteServerError &error) {
        failure = error.detail();
    }
    close(blocker);

    EXPECT_EQ(lines(),
        (QStringList {
            "info Teleprompter LAN remote server starting at " + url,
            "info Teleprompter LAN remote server listening at " + url,
            "info LAN remote command: wpm_up",
            "info Teleprompter LAN remote server stopped.",
            QStringLiteral("error Failed to create LAN remote listener on port %1: ").arg(port) + failure,
        }));
}

TEST(TeleprompterRemoteServer, ListensOnEveryInterfaceUnlessToldLoopbackOnly)
{
    const auto connectsOverIPv6Loopback = [](quint16 port) {
        const int fd = socket(AF_INET6, SOCK_STREAM, 0);
        sockaddr_in6 address {};
        address.sin6_family = AF_INET6;
        address.sin6_port = htons(port);
        address.sin6_addr = in6addr_loopback;
        const bool connected
            = fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
        if (fd >= 0)
            close(fd);
        return connected;
    };
    const int probe = socket(AF_INET6, SOCK_STREAM, 0);
    sockaddr_in6 any {};
    any.sin6_family = AF_INET6;
    any.sin6_addr = in6addr_loopback;
    const bool hasIPv6 = probe >= 0 && bind(probe, reinterpret_cast<sockaddr *>(&any), sizeof(any)) == 0;
    if (probe >= 0)
        close(probe);

    // Only loopback clients connect here, over both address families.
    TeleprompterRemoteServer everywhere(nullptr);
    const quint16 port = freeLoopbackPort();
    everywhere.start(port);
    EXPECT_EQ(exchange(port, get("/api/state")).status, 200);
    if (hasIPv6) {
        EXPECT_TRUE(connectsOverIPv6Loopback(port));
    }
    everywhere.stop(true);

    TeleprompterRemoteServer local(nullptr, loopback());
    local.start(port);
    EXPECT_EQ(exchange(port, get("/api/state")).status, 200);
    EXPECT_FALSE(connectsOverIPv6Loopback(port));
}

TEST(TeleprompterRemoteServer, SilentOwnerGets503AndFreesTheConnection)
{
    // The owner never completes, neither the state nor the command: every request is answered 503
    // after the owner timeout and closed, so even a full house of them cannot lock the remote out.
    TeleprompterRemoteServer::Options options = loopback();
    options.ownerTimeout = 300ms;
    options.maxConnections = 3;
    RunningServer running(options);
    std::mutex mutex;
    bool answerState = false;
    std::vector<TeleprompterRemoteServer::StateCompletion> held;
    int commandsApplied = 0;
    running.server.setStateProvider([&](TeleprompterRemoteServer::StateCompletion done) {
        std::unique_lock lock(mutex);
        if (!answerState) {
            held.push_back(std::move(done));
            return;
        }
        lock.unlock();
        done(studioState(false));
    });
    running.server.setCommandHandler(
        [&](const TeleprompterRemoteCommand &, TeleprompterRemoteServer::StateCompletion done) {
            std::lock_guard lock(mutex);
            ++commandsApplied;
            held.push_back(std::move(done));
        });
    running.start();

    std::vector<std::unique_ptr<RawClient>> silent;
    for (int i = 0; i < 3; ++i) {
        silent.push_back(std::make_unique<RawClient>(running.port));
        silent.back()->send(get("/api/state"));
    }
    for (const auto &client : silent) {
        bool closed = false;
        const HttpAnswer answer = parseAnswer(client->readAll(&closed, 10s));
        EXPECT_EQ(answer.status, 503);
        EXPECT_EQ(answer.head.left(answer.head.indexOf('\r')), "HTTP/1.1 503 Service Unavailable");
        EXPECT_EQ(answer.header("Content-Type"), "application/json; charset=utf-8");
        EXPECT_EQ(answer.header("Connection"), "close");
        EXPECT_EQ(answer.json()["ok"], false);
        EXPECT_TRUE(closed);
    }
    EXPECT_TRUE(waitUntil([&] { return running.server.activeConnectionCount() == 0; }));

    // Late completions change nothing; the remote answers again once the owner does.
    {
        std::lock_guard lock(mutex);
        for (const auto &done : held)
            done(studioState(true));
        held.clear();
        answerState = true;
    }
    EXPECT_EQ(exchange(running.port, get("/api/state")).status, 200);

    // A command whose handler stays silent: 503 too, and the command was handed over once.
    bool closed = false;
    RawClient command(running.port);
    command.send(postCommand(R"({"command":"toggle"})"));
    EXPECT_EQ(parseAnswer(command.readAll(&closed, 10s)).status, 503);
    EXPECT_TRUE(closed);
    std::lock_guard lock(mutex);
    EXPECT_EQ(commandsApplied, 1);
}

TEST(TeleprompterRemoteServer, AnswersOnlyRequestsAddressedToThisComputer)
{
    RunningServer running;
    std::atomic<int> asked { 0 };
    running.server.setStateProvider([&](TeleprompterRemoteServer::StateCompletion done) {
        ++asked;
        done(studioState(false));
    });
    running.start();
    const QByteArray port = QByteArray::number(running.port);
    const QByteArray machine = QSysInfo::machineHostName().toUtf8();
    QByteArray interfaceAddress = "127.0.0.1";
    if (const auto interfaces = TeleprompterNetworkInterfaces::ipv4Addresses()) {
        for (const auto &entry : *interfaces)
            if (!entry.isLoopback)
                interfaceAddress = entry.address.toUtf8();
    }

    struct Case {
        QByteArray host; // empty: no Host line
        int status;
    };
    // Every IPv6 address of this computer, bare and with the port.
    std::vector<QByteArray> ipv6Hosts;
    if (const auto interfaces = TeleprompterNetworkInterfaces::allAddresses()) {
        for (const auto &entry : *interfaces) {
            if (!entry.isIPv6)
                continue;
            ipv6Hosts.push_back("[" + entry.address.toUtf8() + "]");
            ipv6Hosts.push_back("[" + entry.address.toUtf8() + "]:" + port);
        }
    }
    std::vector<Case> cases = {
        { "", 200 },
        { "127.0.0.1", 200 },
        { "127.0.0.1:" + port, 200 },
        { "localhost:" + port, 200 },
        { "LocalHost", 200 },
        { "[::1]:" + port, 200 },
        { "[::1]", 200 },
        { interfaceAddress + ":" + port, 200 },
        { machine, 200 },
        { machine + ".local:" + port, 200 },
        { machine.split('.').front() + ".local", 200 },
        { "[0:0:0:0:0:0:0:1]:" + port, 200 },
        { "[::2]:" + port, 403 },
        { "[127.0.0.1]", 403 },
        { "evil.example", 403 },
        { "evil.example:" + port, 403 },
        { "127.0.0.1.evil.example", 403 },
        { "localhost.evil.example:" + port, 403 },
        { "localhost:http", 403 },
        { "[::1", 403 },
        { "user@127.0.0.1", 403 },
    };
    for (const QByteArray &host : ipv6Hosts)
        cases.push_back({ host, 200 });
    int expectedAsks = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.host.toStdString());
        const QByteArray request = c.host.isEmpty()
            ? QByteArray("GET /api/state HTTP/1.1\r\n\r\n")
            : "GET /api/state HTTP/1.1\r\nHost: " + c.host + "\r\n\r\n";
        bool closed = false;
        RawClient client(running.port);
        client.send(request);
        const HttpAnswer answer = parseAnswer(client.readAll(&closed));
        EXPECT_EQ(answer.status, c.status);
        EXPECT_TRUE(closed);
        if (c.status == 403) {
            EXPECT_EQ(answer.json()["ok"], false);
        }
        expectedAsks += c.status == 200;
        EXPECT_EQ(asked.load(), expectedAsks) << "a refused request never reaches the studio";
    }
}

TEST(TeleprompterRemoteServer, CommandsFromAnotherOriginOrNamingTwoHostsAreRefused)
{
    RunningServer running;
    std::atomic<int> applied { 0 };
    running.server.setCommandHandler(countingApplied(applied));
    running.start();
    const QByteArray own = "127.0.0.1:" + QByteArray::number(running.port);
    const QByteArray body = R"({"command":"toggle"})";

    struct Case {
        QByteArray method;
        QByteArray host;
        QByteArray origin; // empty: no Origin line
        int status;
        QByteArray secondHost = {}; // a second Host line after the Origin
        QByteArray afterHost = {}; // raw lines right after the (first) Host line
    };
    const Case cases[] = {
        { "POST", own, "http://" + own, 200 }, // the page itself
        { "POST", own, "HTTP://" + own, 200 },
        { "POST", own, "", 200 }, // curl and scripts
        { "POST", "", "", 200 },
        { "POST", own, "http://evil.example", 403 },
        { "POST", own, "null", 403 },
        { "POST", own, "https://" + own, 403 },
        { "POST", "localhost:" + QByteArray::number(running.port), "http://" + own, 403 },
        { "POST", "", "http://" + own, 403 },
        { "GET", own, "http://evil.example", 200 }, // reads stay unreadable to it: no CORS grant
        { "OPTIONS", own, "http://evil.example", 204 },
        // Which computer is meant stays open: malformed, whatever the order.
        { "POST", "evil.example", "", 400, own },
        { "POST", own, "", 400, "evil.example" },
        { "POST", own, "", 400, own },
        { "POST", "evil.example", "http://" + own, 400, own },
        // Lines a proxy in front may read otherwise: a Host folded onto the next line, a line without
        // a colon, a name that is empty or ends in white space. Refused, never skipped.
        { "POST", own, "", 400, {}, " evil.example\r\n" },
        { "POST", own, "", 400, {}, "\tevil.example\r\n" },
        { "POST", own, "", 400, {}, "Garbage\r\n" },
        { "POST", own, "", 400, {}, ": x\r\n" },
        { "POST", own, "", 400, {}, "X-Note : x\r\n" },
    };
    int expectedApplied = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE((c.method + " Host " + c.host + " Origin " + c.origin + " Host " + c.secondHost
            + " Lines " + c.afterHost.toPercentEncoding())
                         .toStdString());
        QByteArray request
            = c.method + (c.method == "GET" ? " /api/state" : " /api/command") + " HTTP/1.1\r\n";
        if (!c.host.isEmpty())
            request += "Host: " + c.host + "\r\n";
        request += c.afterHost;
        if (!c.origin.isEmpty())
            request += "Origin: " + c.origin + "\r\n";
        if (!c.secondHost.isEmpty())
            request += "Host: " + c.secondHost + "\r\n";
        if (c.method == "POST")
            request += "Content-Type: application/json\r\nContent-Length: " + QByteArray::number(body.size())
                + "\r\n\r\n" + body;
        else
            request += "\r\n";
        const HttpAnswer answer = exchange(running.port, request);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_TRUE(answer.header("Access-Control-Allow-Origin").isEmpty());
        expectedApplied += c.method == "POST" && c.status == 200;
        EXPECT_EQ(applied.load(), expectedApplied);
    }
}
