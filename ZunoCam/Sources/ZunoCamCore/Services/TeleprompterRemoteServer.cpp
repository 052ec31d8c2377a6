#include "TeleprompterRemoteServer.h"

#include "TeleprompterHTTPRequestReader.h"
#include "TeleprompterRemoteHostNames.h"
#include "TeleprompterRemoteProtocol.h"
#include "TeleprompterRemoteRequestGuard.h"
#include "TeleprompterTcpTransport.h"
#include "ZunoAppLogger.h"

#include <QSysInfo>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

using Connection = TeleprompterTcpTransport::Connection;
using Listener = TeleprompterTcpTransport::Listener;

constexpr std::size_t kReceiveChunkBytes = 16384;
const QString kQueueLabel = QStringLiteral("com.quarnwell.zunocam.remote-server");
const QString kLogCategory = QStringLiteral("remote");
// How long the answer to a command the owner claimed (is applying) is awaited past the owner timeout.
constexpr std::chrono::seconds kClaimedCommandGrace(10);
// A connection younger than this is not yet slow: a burst of quick requests from one device (a page
// loading, a benchmark) opens several at once, and their requests arrive a moment after the accept.
constexpr std::chrono::milliseconds kBurstGrace(100);

// One connection's request as it arrives.
struct Incoming {
    TeleprompterHTTPRequestReader reader;
    std::chrono::steady_clock::time_point acceptedAt = std::chrono::steady_clock::now();
    bool headArrived = false;
};

// The newest state the owner published, with the answer to GET /api/state built once.
struct Snapshot {
    TeleprompterRemoteState state;
    QByteArray answer;
};

// The address the server serves: a phone on the LAN reaches this computer's LAN address, but a
// loopback-only listener answers at 127.0.0.1 alone.
QString shownURL(const TeleprompterRemoteServer::Options &options, quint16 port)
{
    if (options.loopbackOnly)
        return TeleprompterRemoteProtocol::buildRemoteURL(port, QStringLiteral("127.0.0.1"));
    return TeleprompterRemoteProtocol::buildRemoteURL(port);
}

} // namespace

TeleprompterRemoteServerError::TeleprompterRemoteServerError(Code code, int port, QString detail)
    : m_code(code)
    , m_port(port)
    , m_detail(std::move(detail))
{
    m_what = errorDescription().toUtf8();
}

QString TeleprompterRemoteServerError::errorDescription() const
{
    switch (m_code) {
    case Code::invalidPort:
        return QStringLiteral("Invalid remote server port: %1. Use a port between 1024 and 65535.")
            .arg(m_port);
    case Code::listenerSetupFailed:
        return QStringLiteral("Failed to start LAN teleprompter remote server: ") + m_detail;
    }
    return {};
}

struct TeleprompterRemoteServer::Core : std::enable_shared_from_this<Core> {
    Core(std::shared_ptr<ZunoAppLogger> logger, Options options)
        : logger(std::move(logger))
        , options(options)
        , transport(kQueueLabel)
        , hostNames([this] { return gatherLocalNames(); })
    {
    }

    void logInfo(const QString &message);
    void logError(const QString &message);

    // Queues a task on the server's thread unless the server is going away.
    void post(std::function<void()> task)
    {
        std::lock_guard lock(mutex);
        if (!closing)
            transport.post(std::move(task));
    }

    void listenerStarted(
        quint64 listenerGeneration, const std::shared_ptr<Listener> &listener, quint16 requestedPort);
    void listenerFailed(quint64 listenerGeneration, const QString &description);
    void stop(bool silent, std::optional<quint64> onlyGeneration = std::nullopt);

    // Whether to accept the next connection at once.
    bool accept(quint64 listenerGeneration, const std::shared_ptr<Connection> &connection);
    // Accepting paused at the cap: goes on once a connection can give way, else looks again when the
    // next one can.
    void resumeWhenRoom();
    void scheduleResume(std::chrono::steady_clock::duration delay);
    void receiveNext(
        const std::shared_ptr<Connection> &connection, const std::shared_ptr<Incoming> &incoming);
    void received(const std::shared_ptr<Connection> &connection, const std::shared_ptr<Incoming> &incoming,
        const QByteArray &chunk, Connection::ReceiveStatus status);
    void dispatch(const std::shared_ptr<Connection> &connection, const QByteArray &buffer);
    // Whether the request's Host names this computer (the shown address, an interface address, the
    // host name, its ".local" name or loopback).
    bool addressedHere(const TeleprompterHTTPRequest &request);
    QSet<QString> gatherLocalNames() const;
    // The owner did not complete in time: 503, and whatever it completes later is ignored.
    void ownerTimedOut(const std::shared_ptr<Connection> &connection);
    // `armDeadline` when no owner deadline runs yet for this request.
    void respond(const std::shared_ptr<Connection> &connection, const TeleprompterHTTPRequest &request,
        const TeleprompterRemoteState &state, const CommandHandler &handler, bool armDeadline);
    void armOwnerDeadline(const std::shared_ptr<Connection> &connection);
    // `drainPeer` when the peer may still be sending (an oversized request).
    void send(const std::shared_ptr<Connection> &connection, const TeleprompterHTTPResponse &response,
        bool drainPeer = false);
    void sendBytes(const std::shared_ptr<Connection> &connection, QByteArray bytes, bool drainPeer = false);
    void forget(quint64 identity);
    bool isActive(quint64 identity) const;
    // A completion the owner may call from any thread, once; later calls and calls after the
    // connection went are ignored. `then` runs on the server's thread.
    StateCompletion completionOnQueue(const std::shared_ptr<Connection> &connection,
        std::function<void(Core &, const std::shared_ptr<Connection> &, const TeleprompterRemoteState &)>
            then);

    const std::shared_ptr<ZunoAppLogger> logger;
    const Options options;
    TeleprompterTcpTransport transport;

    // Held while a listener event is checked against the generation and delivered, and while a
    // stop moves the generation on: an event is either delivered before the stop or never.
    // Recursive, so that an event handler may stop or restart the server.
    std::recursive_mutex eventMutex;
    mutable std::mutex mutex;
    std::shared_ptr<Listener> listener;
    struct Tracked {
        std::shared_ptr<Connection> connection;
        // Still receiving its request: it may give its slot to a newer connection.
        bool unfinished = true;
        std::chrono::steady_clock::time_point acceptedAt;
        // The claim of a command handed to the owner; cancelled when a 503 goes out.
        std::shared_ptr<std::atomic<int>> commandClaim;

        // The one rule for who makes room: a connection whose request has not fully come and that
        // is past the burst it came with. Holding the slot longer would let slow senders, from one
        // address or from many, keep the phone waiting.
        bool givesWay(std::chrono::steady_clock::time_point now) const
        {
            return unfinished && now - acceptedAt >= kBurstGrace;
        }
    };
    // By identity, which grows with every accept: oldest first.
    std::map<quint64, Tracked> activeConnections;
    // Connection identities per peer address, oldest first.
    std::unordered_map<QString, std::vector<quint64>> connectionsByPeer;
    std::shared_ptr<const Snapshot> snapshot;
    bool resumeScheduled = false;
    bool runningState = false;
    quint16 currentPort = TeleprompterRemoteProtocol::defaultPort;
    std::optional<QString> currentURLString;
    // Bumped by every start and stop; listener events of an older generation are ignored.
    quint64 generation = 0;
    bool closing = false;
    StateProvider stateProvider;
    CommandHandler commandHandler;
    EventHandler onEvent;
    TeleprompterRemoteHostNames hostNames;

    // Under `mutex`: drops a connection from the books and hands it back.
    std::shared_ptr<Connection> untrack(quint64 identity);
    // Under `mutex`: whether a new connection can be taken now (a free slot, or a connection that
    // gives way). When not, how long until the oldest still receiving gives way, if any is.
    bool hasRoom(std::chrono::steady_clock::time_point now,
        std::optional<std::chrono::steady_clock::duration> &wakeAfter) const;
};

void TeleprompterRemoteServer::Core::logInfo(const QString &message)
{
    if (logger)
        logger->info(message, kLogCategory);
}

void TeleprompterRemoteServer::Core::logError(const QString &message)
{
    if (logger)
        logger->error(message, kLogCategory);
}

void TeleprompterRemoteServer::Core::listenerStarted(
    quint64 listenerGeneration, const std::shared_ptr<Listener> &startedListener, quint16 requestedPort)
{
    {
        std::lock_guard lock(mutex);
        if (listenerGeneration != generation)
            return;
    }
    const std::weak_ptr<Core> weak = weak_from_this();
    startedListener->start(
        [weak, listenerGeneration](std::shared_ptr<Connection> connection) {
            if (const auto core = weak.lock())
                return core->accept(listenerGeneration, connection);
            connection->cancel();
            return false;
        },
        [weak, listenerGeneration](const QString &description) {
            if (const auto core = weak.lock())
                core->listenerFailed(listenerGeneration, description);
        });
    const quint16 actualPort = startedListener->port() ? startedListener->port() : requestedPort;
    const QString url = shownURL(options, actualPort);
    std::lock_guard events(eventMutex);
    EventHandler handler;
    {
        std::lock_guard lock(mutex);
        if (listenerGeneration != generation)
            return;
        currentPort = actualPort;
        currentURLString = url;
        runningState = true;
        handler = onEvent;
    }
    logInfo(QStringLiteral("Teleprompter LAN remote server listening at ") + url);
    if (handler)
        handler(TeleprompterRemoteServerEvent::started(url, actualPort));
}

void TeleprompterRemoteServer::Core::listenerFailed(quint64 listenerGeneration, const QString &description)
{
    std::lock_guard events(eventMutex);
    EventHandler handler;
    {
        std::lock_guard lock(mutex);
        if (listenerGeneration != generation)
            return;
        handler = onEvent;
    }
    logError(QStringLiteral("Teleprompter LAN remote server failed: ") + description);
    stop(true, listenerGeneration);
    if (handler)
        handler(TeleprompterRemoteServerEvent::failed(description));
}

void TeleprompterRemoteServer::Core::stop(bool silent, std::optional<quint64> onlyGeneration)
{
    std::shared_ptr<Listener> oldListener;
    std::vector<std::shared_ptr<Connection>> connections;
    bool wasRunning = false;
    EventHandler handler;
    {
        // Once the generation moves on, no event of the old listener can be delivered.
        std::lock_guard events(eventMutex);
        std::lock_guard lock(mutex);
        if (onlyGeneration && *onlyGeneration != generation)
            return;
        ++generation;
        oldListener = std::move(listener);
        listener.reset();
        connections.reserve(activeConnections.size());
        for (auto &entry : activeConnections)
            connections.push_back(std::move(entry.second.connection));
        activeConnections.clear();
        connectionsByPeer.clear();
        wasRunning = runningState;
        runningState = false;
        currentURLString.reset();
        handler = onEvent;
    }
    if (oldListener || !connections.empty()) {
        // Sockets belong to the server's thread; release them there too.
        transport.sync([&] {
            if (oldListener)
                oldListener->cancel();
            for (const auto &connection : connections)
                connection->cancel();
            oldListener.reset();
            connections.clear();
        });
    }
    if (wasRunning && !silent) {
        logInfo(QStringLiteral("Teleprompter LAN remote server stopped."));
        if (handler)
            handler(TeleprompterRemoteServerEvent::stopped());
    }
}

bool TeleprompterRemoteServer::Core::accept(
    quint64 listenerGeneration, const std::shared_ptr<Connection> &connection)
{
    const auto now = std::chrono::steady_clock::now();
    const auto givesWay = [now](const auto &entry) { return entry.second.givesWay(now); };
    std::shared_ptr<Connection> evicted;
    bool admitted = false;
    bool acceptMore = false;
    std::optional<std::chrono::steady_clock::duration> wakeAfter;
    {
        std::lock_guard lock(mutex);
        if (listenerGeneration == generation) {
            const auto share = static_cast<std::size_t>(std::max(options.maxConnectionsPerPeer, 1));
            const auto cap = static_cast<std::size_t>(std::max(options.maxConnections, 1));
            // An address at its share makes room first among its own; at the cap, whoever gives way.
            std::optional<quint64> victim;
            if (const auto ids = connectionsByPeer.find(connection->peerAddress());
                ids != connectionsByPeer.end() && ids->second.size() >= share) {
                const auto oldest = std::ranges::find_if(
                    ids->second, [&](quint64 id) { return activeConnections.at(id).givesWay(now); });
                if (oldest != ids->second.end())
                    victim = *oldest;
            }
            if (!victim && activeConnections.size() >= cap) {
                if (const auto oldest = std::ranges::find_if(activeConnections, givesWay);
                    oldest != activeConnections.end())
                    victim = oldest->first;
            }
            if (victim)
                evicted = untrack(*victim);
            // Without a victim at the cap this is the one connection the system handed over as the
            // last one to give way finished its request; it is taken all the same and accepting pauses.
            connectionsByPeer[connection->peerAddress()].push_back(connection->identity());
            activeConnections.emplace(connection->identity(), Tracked { connection, true, now, nullptr });
            admitted = true;
            acceptMore = hasRoom(now, wakeAfter);
            if (resumeScheduled)
                wakeAfter.reset(); // the look already due comes no later, and schedules the next
            else
                resumeScheduled = wakeAfter.has_value();
        }
    }
    if (evicted)
        evicted->cancel();
    if (!admitted) {
        connection->cancel();
        return false;
    }
    if (wakeAfter)
        scheduleResume(*wakeAfter);
    connection->armReadDeadline(std::min(options.headTimeout, options.readTimeout));
    receiveNext(connection, std::make_shared<Incoming>());
    return acceptMore;
}

bool TeleprompterRemoteServer::Core::hasRoom(std::chrono::steady_clock::time_point now,
    std::optional<std::chrono::steady_clock::duration> &wakeAfter) const
{
    wakeAfter.reset();
    if (activeConnections.size() < static_cast<std::size_t>(std::max(options.maxConnections, 1)))
        return true;
    const auto receiving
        = std::ranges::find_if(activeConnections, [](const auto &entry) { return entry.second.unfinished; });
    if (receiving == activeConnections.end())
        return false; // every slot awaits its owner or its send: the next to close resumes accepting
    if (receiving->second.givesWay(now))
        return true;
    wakeAfter = receiving->second.acceptedAt + kBurstGrace - now;
    return false;
}

void TeleprompterRemoteServer::Core::scheduleResume(std::chrono::steady_clock::duration delay)
{
    transport.postAfter(std::chrono::ceil<std::chrono::milliseconds>(delay), [weak = weak_from_this()] {
        if (const auto core = weak.lock())
            core->resumeWhenRoom();
    });
}

void TeleprompterRemoteServer::Core::resumeWhenRoom()
{
    std::shared_ptr<Listener> paused;
    std::optional<std::chrono::steady_clock::duration> wakeAfter;
    {
        std::lock_guard lock(mutex);
        resumeScheduled = false;
        if (!listener)
            return;
        if (hasRoom(std::chrono::steady_clock::now(), wakeAfter))
            paused = listener;
        resumeScheduled = wakeAfter.has_value();
    }
    if (paused)
        paused->resume();
    if (wakeAfter)
        scheduleResume(*wakeAfter);
}

void TeleprompterRemoteServer::Core::receiveNext(
    const std::shared_ptr<Connection> &connection, const std::shared_ptr<Incoming> &incoming)
{
    connection->receive(kReceiveChunkBytes,
        [weak = weak_from_this(), connection, incoming](
            const QByteArray &chunk, Connection::ReceiveStatus status) {
            if (const auto core = weak.lock())
                core->received(connection, incoming, chunk, status);
            else
                connection->cancel();
        });
}

void TeleprompterRemoteServer::Core::received(const std::shared_ptr<Connection> &connection,
    const std::shared_ptr<Incoming> &incoming, const QByteArray &chunk, Connection::ReceiveStatus status)
{
    // Stopped or pushed out meanwhile: the connection is already cancelled and forgotten.
    if (!isActive(connection->identity()))
        return;
    if (status == Connection::ReceiveStatus::timedOut) {
        connection->cancel();
        forget(connection->identity());
        return;
    }
    using Progress = TeleprompterHTTPRequestReader::Progress;
    const Progress progress = incoming->reader.append(chunk);
    if (progress == Progress::tooLarge) {
        connection->disarmReadDeadline();
        send(connection,
            TeleprompterRemoteProtocol::makeErrorResponse(413, QStringLiteral("Payload Too Large"),
                QStringLiteral("Request exceeded maximum allowed size.")),
            true);
        return;
    }
    if (progress == Progress::complete) {
        dispatch(connection, incoming->reader.bytes());
        return;
    }
    if (status == Connection::ReceiveStatus::data) {
        if (progress == Progress::body && !incoming->headArrived) {
            // The head came in time; the body gets what is left of the read timeout.
            incoming->headArrived = true;
            const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - incoming->acceptedAt);
            connection->armReadDeadline(std::max(options.readTimeout - spent, std::chrono::milliseconds(1)));
        }
        receiveNext(connection, incoming);
        return;
    }
    // The peer finished or the connection failed before a whole request came.
    if (!incoming->reader.bytes().isEmpty()) {
        dispatch(connection, incoming->reader.bytes());
        return;
    }
    connection->cancel();
    forget(connection->identity());
}

TeleprompterRemoteServer::StateCompletion TeleprompterRemoteServer::Core::completionOnQueue(
    const std::shared_ptr<Connection> &connection,
    std::function<void(Core &, const std::shared_ptr<Connection> &, const TeleprompterRemoteState &)> then)
{
    auto called = std::make_shared<std::atomic_bool>(false);
    return [weak = weak_from_this(), weakConnection = std::weak_ptr<Connection>(connection), called,
               then = std::move(then)](const TeleprompterRemoteState &state) {
        if (called->exchange(true))
            return;
        const auto core = weak.lock();
        if (!core)
            return;
        const auto answer = [weak, weakConnection, then, state] {
            const auto core = weak.lock();
            const auto connection = weakConnection.lock();
            if (core && connection && core->isActive(connection->identity()))
                then(*core, connection, state);
        };
        // An owner that answers at once, on the server's thread, needs no second trip through the queue.
        if (core->transport.isCurrent())
            answer();
        else
            core->post(answer);
    };
}

void TeleprompterRemoteServer::Core::dispatch(
    const std::shared_ptr<Connection> &connection, const QByteArray &buffer)
{
    connection->disarmReadDeadline();
    {
        std::lock_guard lock(mutex);
        if (const auto it = activeConnections.find(connection->identity()); it != activeConnections.end())
            it->second.unfinished = false;
    }
    const auto request = TeleprompterRemoteProtocol::parseHTTPRequest(buffer);
    if (!request) {
        send(connection,
            TeleprompterRemoteProtocol::makeErrorResponse(
                400, QStringLiteral("Bad Request"), QStringLiteral("Malformed HTTP request.")));
        return;
    }
    if (!addressedHere(*request)) {
        send(connection,
            TeleprompterRemoteProtocol::makeErrorResponse(403, QStringLiteral("Forbidden"),
                QStringLiteral("This remote answers only requests addressed to this computer.")));
        return;
    }
    if (TeleprompterRemoteRequestGuard::hasForeignOrigin(*request)) {
        send(connection,
            TeleprompterRemoteProtocol::makeErrorResponse(403, QStringLiteral("Forbidden"),
                QStringLiteral("Commands are accepted only from the remote's own page.")));
        return;
    }
    StateProvider provider;
    CommandHandler handler;
    std::shared_ptr<const Snapshot> published;
    {
        std::lock_guard lock(mutex);
        provider = stateProvider;
        handler = commandHandler;
        published = snapshot;
    }
    if (published) {
        // The common case, and the phone's poll: answered here without waiting on the owner.
        if (request->method == u"GET" && request->path == u"/api/state") {
            sendBytes(connection, published->answer);
            return;
        }
        respond(connection, *request, published->state, handler, true);
        return;
    }
    if (!provider) {
        respond(connection, *request, TeleprompterRemoteState::fallback(), handler, true);
        return;
    }
    armOwnerDeadline(connection);
    provider(completionOnQueue(connection,
        [request = *request, handler](
            Core &core, const auto &connection, const TeleprompterRemoteState &state) {
            core.respond(connection, request, state, handler, false);
        }));
}

void TeleprompterRemoteServer::Core::armOwnerDeadline(const std::shared_ptr<Connection> &connection)
{
    connection->armAnswerDeadline(options.ownerTimeout,
        [weak = weak_from_this(), weakConnection = std::weak_ptr<Connection>(connection)] {
            const auto core = weak.lock();
            const auto connection = weakConnection.lock();
            if (core && connection)
                core->ownerTimedOut(connection);
        });
}

bool TeleprompterRemoteServer::Core::addressedHere(const TeleprompterHTTPRequest &request)
{
    return TeleprompterRemoteRequestGuard::hasAllowedHost(
        request, [this](const QString &host) { return hostNames.contains(host); });
}

QSet<QString> TeleprompterRemoteServer::Core::gatherLocalNames() const
{
    QString shown;
    {
        std::lock_guard lock(mutex);
        if (currentURLString)
            shown = currentURLString->mid(QStringLiteral("http://").size());
    }
    // Every address of this computer: a second network, IPv6, or one that changed since the start.
    QList<QString> ipv4, ipv6;
    if (const auto interfaces = TeleprompterNetworkInterfaces::allAddresses()) {
        for (const TeleprompterNetworkInterfaceAddress &entry : *interfaces)
            (entry.isIPv6 ? ipv6 : ipv4).append(entry.address);
    }
    return TeleprompterRemoteRequestGuard::localNames(QSysInfo::machineHostName(), shown, ipv4, ipv6);
}

void TeleprompterRemoteServer::Core::ownerTimedOut(const std::shared_ptr<Connection> &connection)
{
    std::shared_ptr<std::atomic<int>> claim;
    {
        std::lock_guard lock(mutex);
        const auto it = activeConnections.find(connection->identity());
        if (it == activeConnections.end())
            return;
        claim = it->second.commandClaim;
    }
    if (claim && !TeleprompterRemoteCommandReply::cancel(*claim)) {
        // The owner is applying the command right now: its answer comes, and a 503 would be a lie.
        // Should it still not come, the connection is closed without an answer.
        connection->armAnswerDeadline(kClaimedCommandGrace,
            [weak = weak_from_this(), weakConnection = std::weak_ptr<Connection>(connection)] {
                const auto core = weak.lock();
                const auto connection = weakConnection.lock();
                if (core && connection) {
                    connection->cancel();
                    core->forget(connection->identity());
                }
            });
        return;
    }
    // The command, if any, is cancelled before the 503 goes out: whatever the owner does later
    // neither answers nor applies it.
    send(connection,
        TeleprompterRemoteProtocol::makeErrorResponse(503, QStringLiteral("Service Unavailable"),
            QStringLiteral("The studio did not answer in time.")));
    forget(connection->identity());
}

void TeleprompterRemoteServer::Core::respond(const std::shared_ptr<Connection> &connection,
    const TeleprompterHTTPRequest &request, const TeleprompterRemoteState &state,
    const CommandHandler &handler, bool armDeadline)
{
    const TeleprompterRemoteRouteResult result = TeleprompterRemoteProtocol::route(request, state);
    if (result.command) {
        const TeleprompterRemoteCommand command = *result.command;
        logInfo(QStringLiteral("LAN remote command: ") + command.wireName());
        if (handler) {
            auto claim = std::make_shared<std::atomic<int>>(TeleprompterRemoteCommandReply::kOpen);
            {
                std::lock_guard lock(mutex);
                const auto it = activeConnections.find(connection->identity());
                if (it == activeConnections.end())
                    return;
                it->second.commandClaim = claim;
            }
            if (armDeadline)
                armOwnerDeadline(connection);
            handler(command,
                TeleprompterRemoteCommandReply(
                    completionOnQueue(connection,
                        [command](
                            Core &core, const auto &connection, const TeleprompterRemoteState &updated) {
                            core.send(connection,
                                TeleprompterRemoteProtocol::makeCommandAckResponse(command, updated));
                        }),
                    claim));
            return;
        }
    }
    send(connection, result.response);
}

void TeleprompterRemoteServer::Core::send(
    const std::shared_ptr<Connection> &connection, const TeleprompterHTTPResponse &response, bool drainPeer)
{
    sendBytes(connection, response.serialized(), drainPeer);
}

void TeleprompterRemoteServer::Core::sendBytes(
    const std::shared_ptr<Connection> &connection, QByteArray bytes, bool drainPeer)
{
    connection->sendAndClose(
        std::move(bytes), drainPeer, [weak = weak_from_this(), identity = connection->identity()] {
            if (const auto core = weak.lock())
                core->forget(identity);
        });
}

void TeleprompterRemoteServer::Core::forget(quint64 identity)
{
    std::shared_ptr<Connection> released;
    std::shared_ptr<Listener> paused;
    {
        std::lock_guard lock(mutex);
        released = untrack(identity);
        if (!released)
            return;
        if (activeConnections.size() < static_cast<std::size_t>(std::max(options.maxConnections, 1)))
            paused = listener;
    }
    // A listener that paused at the cap takes the next waiting connection from the backlog.
    if (paused)
        paused->resume();
}

std::shared_ptr<Connection> TeleprompterRemoteServer::Core::untrack(quint64 identity)
{
    const auto it = activeConnections.find(identity);
    if (it == activeConnections.end())
        return nullptr;
    std::shared_ptr<Connection> connection = std::move(it->second.connection);
    activeConnections.erase(it);
    if (const auto peer = connectionsByPeer.find(connection->peerAddress());
        peer != connectionsByPeer.end()) {
        std::erase(peer->second, identity);
        if (peer->second.empty())
            connectionsByPeer.erase(peer);
    }
    return connection;
}

bool TeleprompterRemoteServer::Core::isActive(quint64 identity) const
{
    std::lock_guard lock(mutex);
    return activeConnections.count(identity) > 0;
}

TeleprompterRemoteServer::TeleprompterRemoteServer(std::shared_ptr<ZunoAppLogger> logger)
    : TeleprompterRemoteServer(std::move(logger), Options())
{
}

TeleprompterRemoteServer::TeleprompterRemoteServer(std::shared_ptr<ZunoAppLogger> logger, Options options)
    : m_core(std::make_shared<Core>(std::move(logger), options))
{
}

TeleprompterRemoteServer::~TeleprompterRemoteServer()
{
    m_core->stop(true);
    {
        std::lock_guard lock(m_core->mutex);
        m_core->closing = true;
    }
    m_core->transport.shutdown();
}

QString TeleprompterRemoteServer::start(quint16 port)
{
    if (port < 1024)
        throw TeleprompterRemoteServerError::invalidPort(port);
    m_core->stop(true);
    // The address shown may change with the start.
    m_core->hostNames.reset();
    std::shared_ptr<Listener> listener;
    try {
        listener = m_core->transport.listen(port, m_core->options.loopbackOnly);
    } catch (const std::system_error &error) {
        const QString description = QString::fromStdString(error.code().message());
        m_core->logError(
            QStringLiteral("Failed to create LAN remote listener on port %1: ").arg(port) + description);
        throw TeleprompterRemoteServerError::listenerSetupFailed(description);
    }
    const QString url = shownURL(m_core->options, port);
    quint64 listenerGeneration = 0;
    {
        std::lock_guard lock(m_core->mutex);
        listenerGeneration = ++m_core->generation;
        m_core->listener = listener;
        m_core->runningState = true;
        m_core->currentPort = port;
        m_core->currentURLString = url;
    }
    m_core->logInfo(QStringLiteral("Teleprompter LAN remote server starting at ") + url);
    m_core->post([weak = std::weak_ptr<Core>(m_core), listener, listenerGeneration, port] {
        if (const auto core = weak.lock())
            core->listenerStarted(listenerGeneration, listener, port);
    });
    return url;
}

void TeleprompterRemoteServer::stop(bool silent)
{
    m_core->stop(silent);
}

bool TeleprompterRemoteServer::isRunning() const
{
    std::lock_guard lock(m_core->mutex);
    return m_core->runningState;
}

quint16 TeleprompterRemoteServer::boundPort() const
{
    std::lock_guard lock(m_core->mutex);
    return m_core->currentPort;
}

QString TeleprompterRemoteServer::addressFor(quint16 port) const
{
    return shownURL(m_core->options, port);
}

std::optional<QString> TeleprompterRemoteServer::remoteURLString() const
{
    std::lock_guard lock(m_core->mutex);
    return m_core->currentURLString;
}

int TeleprompterRemoteServer::activeConnectionCount() const
{
    std::lock_guard lock(m_core->mutex);
    return static_cast<int>(m_core->activeConnections.size());
}

void TeleprompterRemoteServer::publishState(const TeleprompterRemoteState &state)
{
    auto published = std::make_shared<const Snapshot>(
        Snapshot { state, TeleprompterRemoteProtocol::makeStateResponse(state).serialized() });
    std::lock_guard lock(m_core->mutex);
    m_core->snapshot = std::move(published);
}

void TeleprompterRemoteServer::setStateProvider(StateProvider provider)
{
    std::lock_guard lock(m_core->mutex);
    m_core->stateProvider = std::move(provider);
}

void TeleprompterRemoteServer::setCommandHandler(CommandHandler handler)
{
    std::lock_guard lock(m_core->mutex);
    m_core->commandHandler = std::move(handler);
}

void TeleprompterRemoteServer::setOnEvent(EventHandler handler)
{
    std::lock_guard lock(m_core->mutex);
    m_core->onEvent = std::move(handler);
}
