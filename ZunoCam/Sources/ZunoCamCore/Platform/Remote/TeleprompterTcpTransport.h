#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

// The LAN remote's network layer: one thread (the remote's serial queue) running every listener
// and connection, over standalone asio kept out of this header. Listener and Connection members
// must be called on that thread, and their handlers run there.
class TeleprompterTcpTransport {
public:
    class Listener;
    class Connection;

    // Starts the thread, named `threadName` (cut to its last 15 bytes).
    explicit TeleprompterTcpTransport(const QString &threadName);
    ~TeleprompterTcpTransport();
    // Stops the thread and joins it; handlers not yet run are dropped when the transport goes.
    // Idempotent; not from the transport's own thread.
    void shutdown();
    TeleprompterTcpTransport(const TeleprompterTcpTransport &) = delete;
    TeleprompterTcpTransport &operator=(const TeleprompterTcpTransport &) = delete;

    // Queues a task on the thread; from any thread.
    void post(std::function<void()> task);
    // Runs a task on the thread once `delay` has passed, unless the transport shut down first.
    void postAfter(std::chrono::milliseconds delay, std::function<void()> task);
    // Runs a task on the thread and waits for it; inline when already there.
    void sync(const std::function<void()> &task);
    bool isCurrent() const;

    // A listening socket on every interface (IPv6 accepting IPv4 too, else IPv4 only), or on
    // 127.0.0.1 only, with local address reuse. From any thread; throws std::system_error when it
    // cannot bind or listen.
    std::shared_ptr<Listener> listen(quint16 port, bool loopbackOnly);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

class TeleprompterTcpTransport::Listener {
public:
    // Returns whether to accept the next connection at once; false pauses accepting until resume(),
    // leaving further connections waiting in the system's listen backlog.
    using AcceptHandler = std::function<bool(std::shared_ptr<Connection>)>;
    using FailureHandler = std::function<void(const QString &description)>;

    ~Listener();
    quint16 port() const;
    // Accepts until cancelled. Running out of descriptors or memory pauses accepting briefly;
    // any other error ends it and reports the error's text once.
    void start(AcceptHandler onAccept, FailureHandler onFailure);
    // Accepts again after the accept handler paused it; nothing when not paused.
    void resume();
    // Closes the socket; no handler runs afterwards.
    void cancel();

    struct Impl;
    explicit Listener(std::unique_ptr<Impl> impl);

private:
    std::shared_ptr<Impl> d;
};

class TeleprompterTcpTransport::Connection {
public:
    enum class ReceiveStatus { data, peerFinished, failed, timedOut };
    using ReceiveHandler = std::function<void(const QByteArray &chunk, ReceiveStatus status)>;

    ~Connection();
    // Distinct per connection for the life of the transport.
    quint64 identity() const;
    // The peer's address as numeric text; an IPv4 peer of a dual-stack listener in dotted form.
    const QString &peerAddress() const;
    // Closes the connection when `timeout` passes before disarmReadDeadline(); a pending receive
    // then completes with timedOut.
    void armReadDeadline(std::chrono::milliseconds timeout);
    // Runs `expired` (on the transport's thread) when `timeout` passes before an answer is sent
    // with sendAndClose, the deadline is disarmed or the connection closes. It replaces a read
    // deadline; both are checked by the same sweep, so they fire up to a quarter of the timeout
    // (at most a second) late.
    void armAnswerDeadline(std::chrono::milliseconds timeout, std::function<void()> expired);
    void disarmReadDeadline();
    // Reads between 1 and `maximum` bytes; the handler runs once.
    void receive(std::size_t maximum, ReceiveHandler handler);
    // Sends everything and closes, then runs `completion` (later, on the transport's thread) whether
    // sending succeeded or not. With `drainPeer`, for a peer still sending when it is answered, the
    // sending side is ended first and what the peer still sends is read away for a short while, so
    // that closing with unread bytes does not reset the answer away.
    void sendAndClose(QByteArray bytes, bool drainPeer, std::function<void()> completion);
    // Closes at once; pending handlers complete with failed.
    void cancel();

    struct Impl;
    explicit Connection(std::shared_ptr<Impl> impl);

private:
    std::shared_ptr<Impl> d;
};
