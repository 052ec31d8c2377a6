#pragma once

// A scripted HTTP/1.1 server on 127.0.0.1 for tests and tools: routes answer with fixed replies or with
// the misbehaviours a client must survive (silence, trickles, cut bodies, garbage). It records every
// request and when the client closed each connection. Runs on a thread of its own; every wait offered
// here is bounded.

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class ZunoFakeHttpServer {
public:
    using Clock = std::chrono::steady_clock;
    using Fields = std::vector<std::pair<QByteArray, QByteArray>>;

    struct Reply {
        enum class Behaviour {
            complete, // status, headers and body with a Content-Length
            chunked, // `chunks` with Transfer-Encoding: chunked
            closeDelimited, // `chunks`, then the connection closes to end the body
            shortBody, // promises `promisedLength` bytes, sends `body`, closes
            raw, // `body` as it is, in place of a response, then closes
            closeWithoutAnswer,
            hold // answers nothing and keeps the connection open
        };

        Behaviour behaviour = Behaviour::complete;
        int status = 200;
        Fields headers;
        QByteArray body;
        std::vector<QByteArray> chunks;
        // Before the status line.
        std::chrono::milliseconds delay { 0 };
        // Before each chunk.
        std::chrono::milliseconds chunkPause { 0 };
        // Each chunk also waits for one `openGate()`.
        bool gated = false;
        // The connection closes once the reply is sent, as a keep-alive server does at its idle or request
        // limit (add "Connection: close" to say so, or not).
        bool closeAfter = false;
        std::int64_t promisedLength = 0;

        static Reply text(int status, const QByteArray &body, Fields headers = {});
        static Reply redirect(int status, const QByteArray &location);
        static Reply chunkedBody(std::vector<QByteArray> chunks, std::chrono::milliseconds pause = {});
        static Reply closeDelimitedBody(std::vector<QByteArray> chunks, std::chrono::milliseconds pause = {});
        // `count` single bytes, one each `period`, chunked.
        static Reply trickle(int count, std::chrono::milliseconds period);
        static Reply shortBody(std::int64_t promisedLength, const QByteArray &body);
        static Reply rawBytes(const QByteArray &bytes);
        static Reply closeWithoutAnswer();
        static Reply hold();

        Reply &delayed(std::chrono::milliseconds wait)
        {
            delay = wait;
            return *this;
        }
        Reply &gatedChunks()
        {
            gated = true;
            return *this;
        }
        Reply &thenClose()
        {
            closeAfter = true;
            return *this;
        }
        Reply &withHeader(const QByteArray &name, const QByteArray &value)
        {
            headers.emplace_back(name, value);
            return *this;
        }
    };

    struct Request {
        QByteArray method;
        QByteArray target;
        Fields headers;
        QByteArray body;
        int connection = 0;

        // The first header of that name (any letter case).
        std::optional<QByteArray> header(const QByteArray &name) const;
    };

    struct Connection {
        Clock::time_point opened;
        std::optional<Clock::time_point> closedByClient;
    };

    ZunoFakeHttpServer();
    ~ZunoFakeHttpServer();
    ZunoFakeHttpServer(const ZunoFakeHttpServer &) = delete;
    ZunoFakeHttpServer &operator=(const ZunoFakeHttpServer &) = delete;

    quint16 port() const;
    // "http://127.0.0.1:<port>" + path.
    QByteArray url(const QByteArray &path = "/") const;

    // `path` is matched without the query; an unrouted request gets 404.
    void route(const QByteArray &method, const QByteArray &path, Reply reply);
    // Answers requests that no route matches (none: 404). Runs on the server thread, one request at a time.
    using Handler = std::function<std::optional<Reply>(const Request &)>;
    void setHandler(Handler handler);
    // Reads what clients send at most `bytes` at a time with `every` between reads: a slow, steady reader
    // (0 bytes: as fast as it arrives).
    void setReadPace(std::size_t bytes, std::chrono::milliseconds every);
    // Lets `count` more gated chunks go.
    void openGate(int count = 1);

    std::vector<Request> requests() const;
    std::vector<Connection> connections() const;
    // Until `count` requests have arrived or `timeout` passed.
    bool waitForRequests(
        std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Until connection `index` (in accept order) was closed by the client, or `timeout` passed.
    bool waitForClientClose(
        std::size_t index, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // Closes every connection and joins the thread. Idempotent.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
