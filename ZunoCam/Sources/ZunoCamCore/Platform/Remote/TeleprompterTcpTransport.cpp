// Every asio use of the LAN remote lives in this file: asio is slow to compile and stays out of
// the headers.
#include "TeleprompterTcpTransport.h"

#include <asio.hpp>

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>
#include <unordered_map>
#include <vector>

#include <cerrno>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <sys/socket.h>

namespace {

using asio::ip::tcp;

// How long a closing connection drains what its peer still sends, and how much at most.
constexpr auto kLingerTime = std::chrono::seconds(2);
constexpr std::size_t kLingerBytes = 256 * 1024;
// How long sending one answer may take before the connection is dropped.
constexpr auto kSendTimeout = std::chrono::seconds(10);
// Pause before accepting again when the process is out of descriptors or memory.
constexpr auto kAcceptRetryDelay = std::chrono::milliseconds(100);

bool isResourceShortage(const std::error_code &error)
{
    return error == std::errc::too_many_files_open || error == std::errc::too_many_files_open_in_system
        || error == std::errc::no_buffer_space || error == std::errc::not_enough_memory;
}

// Errors that belong to one incoming connection, not to the listening socket (accept(2)).
bool isConnectionError(const std::error_code &error)
{
    return error == std::errc::connection_aborted || error == std::errc::interrupted
        || error == std::errc::operation_would_block || error == std::errc::resource_unavailable_try_again
        || error == std::errc::protocol_error || error == std::errc::network_down
        || error == std::errc::network_unreachable || error == std::errc::host_unreachable
        || error == std::errc::no_protocol_option || error == std::errc::operation_not_supported
        || error == std::errc::operation_not_permitted || error == std::errc::connection_reset;
}

} // namespace

struct TeleprompterTcpTransport::Impl {
    // Read deadlines are checked by one periodic sweep rather than a timer per connection: most
    // connections are answered within microseconds, and arming and cancelling a timer for each
    // would cost system calls on the busiest path.
    void watchReadDeadline(const std::shared_ptr<Connection::Impl> &connection);
    void unwatchReadDeadline(quint64 id) { readDeadlines.erase(id); }
    void scheduleSweep();
    void sweepReadDeadlines();

    asio::io_context io { 1 };
    asio::executor_work_guard<asio::io_context::executor_type> work = asio::make_work_guard(io);
    std::thread thread;
    std::atomic<std::thread::id> threadId;
    std::atomic<quint64> nextConnectionId { 1 };
    std::unordered_map<quint64, std::weak_ptr<Connection::Impl>> readDeadlines;
    asio::steady_timer sweepTimer { io };
    std::chrono::steady_clock::duration sweepPeriod = std::chrono::seconds(1);
    bool sweeping = false;
};

struct TeleprompterTcpTransport::Listener::Impl : std::enable_shared_from_this<Listener::Impl> {
    Impl(TeleprompterTcpTransport::Impl &transport)
        : transport(transport)
        , acceptor(transport.io)
        , retry(transport.io)
    {
    }

    void acceptNext();

    TeleprompterTcpTransport::Impl &transport;
    tcp::acceptor acceptor;
    asio::steady_timer retry;
    tcp::endpoint peer; // filled by the pending accept
    AcceptHandler onAccept;
    FailureHandler onFailure;
    bool cancelled = false;
    bool paused = false;
};

struct TeleprompterTcpTransport::Connection::Impl : std::enable_shared_from_this<Connection::Impl> {
    Impl(TeleprompterTcpTransport::Impl &transport, tcp::socket socket, quint64 id, QString peer)
        : transport(transport)
        , socket(std::move(socket))
        , deadline(this->socket.get_executor())
        , id(id)
        , peer(std::move(peer))
    {
    }

    // Closes the connection when `timeout` passes, unless another deadline is set or the deadline is
    // cleared first. The token also stops a wait that had already expired but not yet run.
    void setDeadline(std::chrono::steady_clock::duration timeout)
    {
        const quint64 token = ++deadlineToken;
        deadline.expires_after(timeout);
        deadline.async_wait([weak = weak_from_this(), token](const std::error_code &error) {
            const auto self = weak.lock();
            if (error || !self || self->closed || self->deadlineToken != token)
                return;
            self->close();
        });
    }

    void clearDeadline()
    {
        ++deadlineToken;
        deadline.cancel();
    }

    void close()
    {
        if (closed)
            return;
        closed = true;
        onAnswerDeadline = nullptr;
        transport.unwatchReadDeadline(id);
        clearDeadline();
        std::error_code ignored;
        socket.close(ignored);
    }

    void drain(std::function<void()> completion, std::size_t drained)
    {
        lingerBuffer.resize(4096);
        socket.async_read_some(asio::buffer(lingerBuffer),
            [self = shared_from_this(), completion = std::move(completion), drained](
                const std::error_code &error, std::size_t count) mutable {
                if (!error && drained + count < kLingerBytes) {
                    self->drain(std::move(completion), drained + count);
                    return;
                }
                self->close();
                completion();
            });
    }

    TeleprompterTcpTransport::Impl &transport;
    tcp::socket socket;
    asio::steady_timer deadline;
    quint64 deadlineToken = 0;
    std::chrono::steady_clock::time_point readDeadline;
    std::function<void()> onAnswerDeadline; // set: the deadline waits for an answer, not for bytes
    quint64 id;
    QString peer;
    // Not zero-filled: a connection usually reads one small request into it.
    std::unique_ptr<char[]> buffer;
    std::size_t bufferSize = 0;
    std::vector<char> lingerBuffer;
    bool timedOut = false;
    bool closed = false;
};

TeleprompterTcpTransport::TeleprompterTcpTransport(const QString &threadName)
    : d(std::make_unique<Impl>())
{
    std::promise<void> started;
    auto ready = started.get_future();
    d->thread = std::thread([impl = d.get(), &started] {
        impl->threadId = std::this_thread::get_id();
        started.set_value();
        // A handler that throws must not take the remote down with it.
        for (;;) {
            try {
                impl->io.run();
                return;
            } catch (...) {
            }
        }
    });
    ready.wait();
    const QByteArray name = threadName.toUtf8().right(15);
    pthread_setname_np(d->thread.native_handle(), name.constData());
}

TeleprompterTcpTransport::~TeleprompterTcpTransport()
{
    shutdown();
}

void TeleprompterTcpTransport::shutdown()
{
    d->work.reset();
    d->io.stop();
    if (d->thread.joinable())
        d->thread.join();
}

void TeleprompterTcpTransport::post(std::function<void()> task)
{
    asio::post(d->io, std::move(task));
}

void TeleprompterTcpTransport::postAfter(std::chrono::milliseconds delay, std::function<void()> task)
{
    asio::post(d->io, [impl = d.get(), delay, task = std::move(task)]() mutable {
        auto timer = std::make_shared<asio::steady_timer>(impl->io, delay);
        timer->async_wait([timer, task = std::move(task)](const std::error_code &error) {
            if (!error)
                task();
        });
    });
}

void TeleprompterTcpTransport::sync(const std::function<void()> &task)
{
    if (isCurrent()) {
        task();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    asio::post(d->io, [&] {
        task();
        done.set_value();
    });
    finished.wait();
}

bool TeleprompterTcpTransport::isCurrent() const
{
    return std::this_thread::get_id() == d->threadId.load();
}

std::shared_ptr<TeleprompterTcpTransport::Listener> TeleprompterTcpTransport::listen(
    quint16 port, bool loopbackOnly)
{
    auto impl = std::make_unique<Listener::Impl>(*d);
    const auto openOn = [&](const tcp &protocol) {
        std::error_code error;
        tcp::acceptor &acceptor = impl->acceptor;
        acceptor.open(protocol, error);
        if (!error && protocol == tcp::v6())
            acceptor.set_option(asio::ip::v6_only(false), error);
        if (!error)
            acceptor.set_option(tcp::acceptor::reuse_address(true), error);
        if (!error) {
            const tcp::endpoint endpoint = loopbackOnly
                ? tcp::endpoint(asio::ip::address_v4::loopback(), port)
                : tcp::endpoint(protocol, port);
            acceptor.bind(endpoint, error);
        }
        if (!error) {
            // The system hands over a connection only once its first bytes came: the request is
            // read at once instead of after another wait, and silent connections hold no slot.
            const int deferSeconds = 1;
            setsockopt(
                acceptor.native_handle(), IPPROTO_TCP, TCP_DEFER_ACCEPT, &deferSeconds, sizeof(deferSeconds));
            acceptor.listen(asio::socket_base::max_listen_connections, error);
        }
        if (error) {
            std::error_code ignored;
            acceptor.close(ignored);
        }
        return error;
    };
    // Dual-stack first; machines with IPv6 switched off get IPv4 only.
    if (loopbackOnly) {
        if (const std::error_code error = openOn(tcp::v4()))
            throw std::system_error(error);
    } else if (openOn(tcp::v6())) {
        if (const std::error_code error = openOn(tcp::v4()))
            throw std::system_error(error);
    }
    return std::make_shared<Listener>(std::move(impl));
}

TeleprompterTcpTransport::Listener::Listener(std::unique_ptr<Impl> impl)
    : d(std::move(impl))
{
}

TeleprompterTcpTransport::Listener::~Listener() = default;

quint16 TeleprompterTcpTransport::Listener::port() const
{
    std::error_code error;
    const tcp::endpoint endpoint = d->acceptor.local_endpoint(error);
    return error ? 0 : endpoint.port();
}

void TeleprompterTcpTransport::Listener::start(AcceptHandler onAccept, FailureHandler onFailure)
{
    if (d->cancelled)
        return;
    d->onAccept = std::move(onAccept);
    d->onFailure = std::move(onFailure);
    d->acceptNext();
}

void TeleprompterTcpTransport::Listener::Impl::acceptNext()
{
    acceptor.async_accept(
        peer, [self = shared_from_this()](const std::error_code &error, tcp::socket socket) {
            if (self->cancelled)
                return;
            if (!error) {
                const quint64 id = self->transport.nextConnectionId++;
                asio::ip::address address = self->peer.address();
                if (address.is_v6() && address.to_v6().is_v4_mapped())
                    address = asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
                auto connection = std::make_shared<Connection>(std::make_shared<Connection::Impl>(
                    self->transport, std::move(socket), id, QString::fromStdString(address.to_string())));
                const bool more = self->onAccept(std::move(connection));
                if (self->cancelled)
                    return;
                if (more)
                    self->acceptNext();
                else
                    self->paused = true;
                return;
            }
            if (error == asio::error::operation_aborted)
                return;
            if (isConnectionError(error)) {
                self->acceptNext();
                return;
            }
            if (isResourceShortage(error)) {
                self->retry.expires_after(kAcceptRetryDelay);
                self->retry.async_wait([self](const std::error_code &waitError) {
                    if (!waitError && !self->cancelled)
                        self->acceptNext();
                });
                return;
            }
            self->cancelled = true;
            const FailureHandler onFailure = std::move(self->onFailure);
            self->onAccept = nullptr;
            self->onFailure = nullptr;
            std::error_code ignored;
            self->acceptor.close(ignored);
            if (onFailure)
                onFailure(QString::fromStdString(error.message()));
        });
}

void TeleprompterTcpTransport::Listener::resume()
{
    if (!d->paused || d->cancelled)
        return;
    d->paused = false;
    d->acceptNext();
}

void TeleprompterTcpTransport::Listener::cancel()
{
    d->cancelled = true;
    d->onAccept = nullptr;
    d->onFailure = nullptr;
    d->retry.cancel();
    std::error_code ignored;
    d->acceptor.close(ignored);
}

TeleprompterTcpTransport::Connection::Connection(std::shared_ptr<Impl> impl)
    : d(std::move(impl))
{
}

TeleprompterTcpTransport::Connection::~Connection() = default;

quint64 TeleprompterTcpTransport::Connection::identity() const
{
    return d->id;
}

const QString &TeleprompterTcpTransport::Connection::peerAddress() const
{
    return d->peer;
}

void TeleprompterTcpTransport::Impl::watchReadDeadline(const std::shared_ptr<Connection::Impl> &connection)
{
    readDeadlines[connection->id] = connection;
    scheduleSweep();
}

void TeleprompterTcpTransport::Impl::scheduleSweep()
{
    if (sweeping)
        return;
    sweeping = true;
    sweepTimer.expires_after(sweepPeriod);
    sweepTimer.async_wait([this](const std::error_code &error) {
        sweeping = false;
        if (!error)
            sweepReadDeadlines();
    });
}

void TeleprompterTcpTransport::Impl::sweepReadDeadlines()
{
    const auto now = std::chrono::steady_clock::now();
    std::vector<std::shared_ptr<Connection::Impl>> expired;
    for (auto it = readDeadlines.begin(); it != readDeadlines.end();) {
        const auto connection = it->second.lock();
        if (!connection || connection->closed) {
            it = readDeadlines.erase(it);
            continue;
        }
        if (connection->readDeadline <= now)
            expired.push_back(connection);
        ++it;
    }
    // Closing ends the pending receive, which then reports timedOut.
    for (const auto &connection : expired) {
        if (auto onAnswerDeadline = std::move(connection->onAnswerDeadline)) {
            connection->onAnswerDeadline = nullptr;
            readDeadlines.erase(connection->id);
            onAnswerDeadline();
            continue;
        }
        connection->timedOut = true;
        connection->close();
    }
    if (!readDeadlines.empty())
        scheduleSweep();
}

void TeleprompterTcpTransport::Connection::armReadDeadline(std::chrono::milliseconds timeout)
{
    d->onAnswerDeadline = nullptr;
    d->readDeadline = std::chrono::steady_clock::now() + timeout;
    // Checked a few times per timeout, at most once a second and at least every 10 ms.
    const auto period = std::clamp<std::chrono::steady_clock::duration>(
        timeout / 4, std::chrono::milliseconds(10), std::chrono::seconds(1));
    d->transport.sweepPeriod = std::min(d->transport.sweepPeriod, period);
    d->transport.watchReadDeadline(d);
}

void TeleprompterTcpTransport::Connection::armAnswerDeadline(
    std::chrono::milliseconds timeout, std::function<void()> expired)
{
    if (d->closed)
        return;
    armReadDeadline(timeout);
    d->onAnswerDeadline = std::move(expired);
}

void TeleprompterTcpTransport::Connection::disarmReadDeadline()
{
    d->onAnswerDeadline = nullptr;
    d->transport.unwatchReadDeadline(d->id);
}

void TeleprompterTcpTransport::Connection::receive(std::size_t maximum, ReceiveHandler handler)
{
    if (d->bufferSize < maximum) {
        d->buffer = std::make_unique_for_overwrite<char[]>(maximum);
        d->bufferSize = maximum;
    }
    d->socket.async_read_some(asio::buffer(d->buffer.get(), maximum),
        [self = d, handler = std::move(handler)](const std::error_code &error, std::size_t count) {
            if (self->timedOut)
                handler({}, ReceiveStatus::timedOut);
            else if (!error)
                handler(QByteArray(self->buffer.get(), qsizetype(count)), ReceiveStatus::data);
            else if (error == asio::error::eof)
                handler({}, ReceiveStatus::peerFinished);
            else
                handler({}, ReceiveStatus::failed);
        });
}

void TeleprompterTcpTransport::Connection::sendAndClose(
    QByteArray bytes, bool drainPeer, std::function<void()> completion)
{
    disarmReadDeadline();
    d->clearDeadline();
    // Most answers fit the socket's send buffer: write at once and skip the asynchronous round.
    std::error_code error;
    std::size_t written = 0;
    if (!d->closed) {
        // MSG_DONTWAIT rather than switching the socket's mode: one system call instead of two.
        const ssize_t sent = ::send(d->socket.native_handle(), bytes.constData(), std::size_t(bytes.size()),
            MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent >= 0)
            written = std::size_t(sent);
        else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            error = std::error_code(errno, std::generic_category());
    }
    const auto finish
        = [self = d, drainPeer](std::function<void()> completion, const std::error_code &sendError) {
              if (sendError || self->closed || !drainPeer) {
                  self->close();
                  asio::post(self->socket.get_executor(), std::move(completion));
                  return;
              }
              std::error_code ignored;
              self->socket.shutdown(tcp::socket::shutdown_send, ignored);
              self->setDeadline(kLingerTime);
              self->drain(std::move(completion), 0);
          };
    if (d->closed || error || written == std::size_t(bytes.size())) {
        finish(std::move(completion), d->closed ? asio::error::bad_descriptor : error);
        return;
    }
    auto rest = std::make_shared<QByteArray>(bytes.sliced(written));
    d->setDeadline(kSendTimeout);
    asio::async_write(d->socket, asio::buffer(rest->constData(), rest->size()),
        [rest, finish, completion = std::move(completion)](const std::error_code &sendError,
            std::size_t) mutable { finish(std::move(completion), sendError); });
}

void TeleprompterTcpTransport::Connection::cancel()
{
    d->close();
}
