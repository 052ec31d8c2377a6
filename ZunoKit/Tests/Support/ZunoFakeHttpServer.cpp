#include "ZunoFakeHttpServer.h"

#include <QList>

#include <asio.hpp>

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace {

using asio::ip::tcp;
using Reply = ZunoFakeHttpServer::Reply;
using Behaviour = Reply::Behaviour;

constexpr std::size_t kMaxHeadBytes = 64 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

bool hasField(const ZunoFakeHttpServer::Fields &fields, const QByteArray &name)
{
    for (const auto &field : fields) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Braced lists stay out of the coroutines below: GCC 12 miscompiles their backing arrays there.
QByteArray head(const Reply &reply, const QByteArray &extraName, const QByteArray &extraValue)
{
    ZunoFakeHttpServer::Fields extra;
    extra.emplace_back(extraName, extraValue);
    QByteArray text
        = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    for (const auto &[name, value] : reply.headers)
        text += name + ": " + value + "\r\n";
    for (const auto &[name, value] : extra) {
        if (!hasField(reply.headers, name))
            text += name + ": " + value + "\r\n";
    }
    return text + "\r\n";
}

} // namespace

struct ZunoFakeHttpServer::Impl {
    asio::io_context context;
    tcp::acceptor acceptor { context };
    std::thread thread;
    quint16 port = 0;
    bool stopped = false;

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::map<std::pair<QByteArray, QByteArray>, Reply> routes;
    ZunoFakeHttpServer::Handler handler;
    std::vector<Request> requests;
    std::vector<Connection> connections;
    std::size_t paceBytes = 0;
    std::chrono::milliseconds paceEvery { 0 };

    // Touched on the server thread only.
    int gatePermits = 0;
    std::set<asio::steady_timer *> gateWaiters;
    // Open connections, closed all at once by stop().
    std::set<tcp::socket *> sockets;

    void markClientClosed(int index)
    {
        std::lock_guard lock(mutex);
        if (!connections[index].closedByClient)
            connections[index].closedByClient = Clock::now();
        changed.notify_all();
    }

    asio::awaitable<void> accept()
    {
        for (;;) {
            std::error_code error;
            tcp::socket socket
                = co_await acceptor.async_accept(asio::redirect_error(asio::use_awaitable, error));
            if (error)
                co_return;
            int index = 0;
            {
                std::lock_guard lock(mutex);
                index = static_cast<int>(connections.size());
                connections.push_back({ Clock::now(), std::nullopt });
            }
            {
                // A slow reader's small buffer keeps what it has not read on the client's side, as a slow
                // network would.
                std::lock_guard lock(mutex);
                if (paceBytes > 0) {
                    std::error_code ignored;
                    socket.set_option(
                        asio::socket_base::receive_buffer_size(static_cast<int>(paceBytes * 4)), ignored);
                }
            }
            asio::co_spawn(context, serve(std::move(socket), index), asio::detached);
        }
    }

    asio::awaitable<bool> pause(std::chrono::milliseconds wait)
    {
        if (wait.count() <= 0)
            co_return true;
        asio::steady_timer timer(context, wait);
        std::error_code error;
        co_await timer.async_wait(asio::redirect_error(asio::use_awaitable, error));
        co_return !error;
    }

    asio::awaitable<void> passGate()
    {
        while (gatePermits == 0) {
            asio::steady_timer timer(context, asio::steady_timer::time_point::max());
            gateWaiters.insert(&timer);
            std::error_code error;
            co_await timer.async_wait(asio::redirect_error(asio::use_awaitable, error));
            gateWaiters.erase(&timer);
            if (stopped)
                co_return;
        }
        --gatePermits;
    }

    asio::awaitable<bool> write(tcp::socket &socket, const QByteArray &bytes)
    {
        std::error_code error;
        co_await asio::async_write(socket,
            asio::buffer(bytes.constData(), static_cast<std::size_t>(bytes.size())),
            asio::redirect_error(asio::use_awaitable, error));
        co_return !error;
    }

    // Appends what arrives next; false when the client closed.
    asio::awaitable<bool> readMore(tcp::socket &socket, std::string &buffer, int index)
    {
        char chunk[4096];
        std::size_t limit = sizeof chunk;
        std::chrono::milliseconds every { 0 };
        {
            std::lock_guard lock(mutex);
            if (paceBytes > 0) {
                limit = std::min(limit, paceBytes);
                every = paceEvery;
            }
        }
        if (!co_await pause(every))
            co_return false;
        std::error_code error;
        const std::size_t count = co_await socket.async_read_some(
            asio::buffer(chunk, limit), asio::redirect_error(asio::use_awaitable, error));
        if (error) {
            markClientClosed(index);
            co_return false;
        }
        buffer.append(chunk, count);
        co_return true;
    }

    // Reads one request; none when the client closed or sent something that is not HTTP (answered 400).
    asio::awaitable<std::optional<Request>> readRequest(tcp::socket &socket, std::string &buffer, int index)
    {
        std::size_t end = 0;
        while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (!buffer.empty() && !(buffer[0] >= 'A' && buffer[0] <= 'Z'))
                break;
            if (buffer.size() > kMaxHeadBytes)
                break;
            if (!co_await readMore(socket, buffer, index))
                co_return std::nullopt;
        }
        if (end == std::string::npos) {
            co_await write(
                socket, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            co_return std::nullopt;
        }

        Request request;
        request.connection = index;
        const QList<QByteArray> lines = QByteArray::fromStdString(buffer.substr(0, end)).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        std::int64_t length = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].endsWith('\r') ? lines[i].chopped(1) : lines[i];
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            request.headers.emplace_back(line.left(colon), line.mid(colon + 1).trimmed());
            if (line.left(colon).compare("Content-Length", Qt::CaseInsensitive) == 0)
                length = line.mid(colon + 1).trimmed().toLongLong();
        }
        buffer.erase(0, end + 4);
        while (static_cast<std::int64_t>(buffer.size()) < length) {
            if (!co_await readMore(socket, buffer, index))
                co_return std::nullopt;
        }
        request.body = QByteArray::fromStdString(buffer.substr(0, static_cast<std::size_t>(length)));
        buffer.erase(0, static_cast<std::size_t>(length));
        co_return request;
    }

    // Waits until the client closes (or the server stops).
    asio::awaitable<void> waitForClose(tcp::socket &socket, int index)
    {
        char chunk[4096];
        for (;;) {
            std::error_code error;
            co_await socket.async_read_some(
                asio::buffer(chunk), asio::redirect_error(asio::use_awaitable, error));
            if (error) {
                if (!stopped)
                    markClientClosed(index);
                co_return;
            }
        }
    }

    // Sends the reply; false when the connection is to close afterwards.
    asio::awaitable<bool> answer(tcp::socket &socket, const Reply &reply, int index)
    {
        if (!co_await pause(reply.delay))
            co_return false;
        switch (reply.behaviour) {
        case Behaviour::complete:
            co_return co_await write(
                socket, head(reply, "Content-Length", QByteArray::number(reply.body.size())) + reply.body);
        case Behaviour::chunked:
        case Behaviour::closeDelimited: {
            const bool chunked = reply.behaviour == Behaviour::chunked;
            const QByteArray framing
                = chunked ? head(reply, "Transfer-Encoding", "chunked") : head(reply, "Connection", "close");
            if (!co_await write(socket, framing))
                co_return false;
            for (const QByteArray &piece : reply.chunks) {
                if (!co_await pause(reply.chunkPause))
                    co_return false;
                if (reply.gated)
                    co_await passGate();
                if (stopped)
                    co_return false;
                const QByteArray bytes
                    = chunked ? QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n" : piece;
                if (!co_await write(socket, bytes)) {
                    markClientClosed(index);
                    co_return false;
                }
            }
            if (chunked)
                co_return co_await write(socket, "0\r\n\r\n");
            co_return false;
        }
        case Behaviour::shortBody:
            co_await write(
                socket, head(reply, "Content-Length", QByteArray::number(reply.promisedLength)) + reply.body);
            co_return false;
        case Behaviour::raw:
            co_await write(socket, reply.body);
            co_return false;
        case Behaviour::closeWithoutAnswer:
            co_return false;
        case Behaviour::hold:
            co_await waitForClose(socket, index);
            co_return false;
        }
        co_return false;
    }

    asio::awaitable<void> serve(tcp::socket socket, int index)
    {
        sockets.insert(&socket);
        std::string buffer;
        for (;;) {
            std::optional<Request> request = co_await readRequest(socket, buffer, index);
            if (!request)
                break;
            std::optional<Reply> reply;
            Handler fallback;
            {
                std::lock_guard lock(mutex);
                const qsizetype query = request->target.indexOf('?');
                const QByteArray path = query < 0 ? request->target : request->target.left(query);
                if (const auto found = routes.find({ request->method, path }); found != routes.end())
                    reply = found->second;
                else
                    fallback = handler;
                requests.push_back(*request);
                changed.notify_all();
            }
            if (!reply && fallback)
                reply = fallback(*request);
            if (!reply)
                reply = Reply::text(404, QByteArray("Not Found"));
            if (!co_await answer(socket, *reply, index) || reply->closeAfter)
                break;
        }
        sockets.erase(&socket);
        std::error_code ignored;
        socket.shutdown(tcp::socket::shutdown_both, ignored);
        socket.close(ignored);
    }
};

Reply Reply::text(int status, const QByteArray &body, Fields headers)
{
    Reply reply;
    reply.status = status;
    reply.body = body;
    reply.headers = std::move(headers);
    return reply;
}

Reply Reply::redirect(int status, const QByteArray &location)
{
    return text(status, {}, { { "Location", location } });
}

Reply Reply::chunkedBody(std::vector<QByteArray> chunks, std::chrono::milliseconds pause)
{
    Reply reply;
    reply.behaviour = Behaviour::chunked;
    reply.chunks = std::move(chunks);
    reply.chunkPause = pause;
    return reply;
}

Reply Reply::closeDelimitedBody(std::vector<QByteArray> chunks, std::chrono::milliseconds pause)
{
    Reply reply = chunkedBody(std::move(chunks), pause);
    reply.behaviour = Behaviour::closeDelimited;
    return reply;
}

Reply Reply::trickle(int count, std::chrono::milliseconds period)
{
    return chunkedBody(std::vector<QByteArray>(static_cast<std::size_t>(count), QByteArray("x")), period);
}

Reply Reply::shortBody(std::int64_t promisedLength, const QByteArray &body)
{
    Reply reply;
    reply.behaviour = Behaviour::shortBody;
    reply.promisedLength = promisedLength;
    reply.body = body;
    return reply;
}

Reply Reply::rawBytes(const QByteArray &bytes)
{
    Reply reply;
    reply.behaviour = Behaviour::raw;
    reply.body = bytes;
    return reply;
}

Reply Reply::closeWithoutAnswer()
{
    Reply reply;
    reply.behaviour = Behaviour::closeWithoutAnswer;
    return reply;
}

Reply Reply::hold()
{
    Reply reply;
    reply.behaviour = Behaviour::hold;
    return reply;
}

std::optional<QByteArray> ZunoFakeHttpServer::Request::header(const QByteArray &name) const
{
    for (const auto &[fieldName, value] : headers) {
        if (fieldName.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

ZunoFakeHttpServer::ZunoFakeHttpServer()
    : d(std::make_unique<Impl>())
{
    const tcp::endpoint endpoint(asio::ip::make_address_v4("127.0.0.1"), 0);
    d->acceptor.open(endpoint.protocol());
    d->acceptor.set_option(tcp::acceptor::reuse_address(true));
    d->acceptor.bind(endpoint);
    d->acceptor.listen();
    d->port = d->acceptor.local_endpoint().port();
    asio::co_spawn(d->context, d->accept(), asio::detached);
    d->thread = std::thread([this] { d->context.run(); });
}

ZunoFakeHttpServer::~ZunoFakeHttpServer()
{
    stop();
}

void ZunoFakeHttpServer::stop()
{
    if (!d->thread.joinable())
        return;
    asio::post(d->context, [impl = d.get()] {
        impl->stopped = true;
        std::error_code ignored;
        impl->acceptor.close(ignored);
        for (tcp::socket *socket : impl->sockets)
            socket->close(ignored);
        impl->sockets.clear();
        impl->gateWaiters.clear();
        impl->context.stop();
    });
    d->thread.join();
}

quint16 ZunoFakeHttpServer::port() const
{
    return d->port;
}

QByteArray ZunoFakeHttpServer::url(const QByteArray &path) const
{
    return "http://127.0.0.1:" + QByteArray::number(d->port) + path;
}

void ZunoFakeHttpServer::route(const QByteArray &method, const QByteArray &path, Reply reply)
{
    std::lock_guard lock(d->mutex);
    d->routes[{ method, path }] = std::move(reply);
}

void ZunoFakeHttpServer::setHandler(Handler handler)
{
    std::lock_guard lock(d->mutex);
    d->handler = std::move(handler);
}

void ZunoFakeHttpServer::setReadPace(std::size_t bytes, std::chrono::milliseconds every)
{
    std::lock_guard lock(d->mutex);
    d->paceBytes = bytes;
    d->paceEvery = every;
}

void ZunoFakeHttpServer::openGate(int count)
{
    asio::post(d->context, [impl = d.get(), count] {
        impl->gatePermits += count;
        for (asio::steady_timer *timer : impl->gateWaiters)
            timer->cancel();
    });
}

std::vector<ZunoFakeHttpServer::Request> ZunoFakeHttpServer::requests() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}

std::vector<ZunoFakeHttpServer::Connection> ZunoFakeHttpServer::connections() const
{
    std::lock_guard lock(d->mutex);
    return d->connections;
}

bool ZunoFakeHttpServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(d->mutex);
    return d->changed.wait_for(lock, timeout, [&] { return d->requests.size() >= count; });
}

bool ZunoFakeHttpServer::waitForClientClose(std::size_t index, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(d->mutex);
    return d->changed.wait_for(lock, timeout,
        [&] { return index < d->connections.size() && d->connections[index].closedByClient.has_value(); });
}
