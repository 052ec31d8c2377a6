#pragma once

#include "TeleprompterRemoteCommand.h"
#include "TeleprompterRemoteCommandReply.h"
#include "TeleprompterRemoteState.h"

#include <QString>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class ZunoAppLogger;

// What the remote server reports to its owner.
struct TeleprompterRemoteServerEvent {
    enum class Kind { started, failed, stopped };

    static TeleprompterRemoteServerEvent started(const QString &url, quint16 port)
    {
        return { Kind::started, url, port, {} };
    }
    static TeleprompterRemoteServerEvent failed(const QString &message)
    {
        return { Kind::failed, {}, 0, message };
    }
    static TeleprompterRemoteServerEvent stopped() { return { Kind::stopped, {}, 0, {} }; }

    Kind kind = Kind::stopped;
    QString url; // started
    quint16 port = 0; // started
    QString message; // failed

    friend bool operator==(const TeleprompterRemoteServerEvent &, const TeleprompterRemoteServerEvent &)
        = default;
};

class TeleprompterRemoteServerError : public std::exception {
public:
    enum class Code { invalidPort, listenerSetupFailed };

    static TeleprompterRemoteServerError invalidPort(int port) { return { Code::invalidPort, port, {} }; }
    static TeleprompterRemoteServerError listenerSetupFailed(const QString &description)
    {
        return { Code::listenerSetupFailed, 0, description };
    }

    Code code() const { return m_code; }
    int port() const { return m_port; }
    QString detail() const { return m_detail; }
    QString errorDescription() const;
    const char *what() const noexcept override { return m_what.constData(); }

    friend bool operator==(const TeleprompterRemoteServerError &a, const TeleprompterRemoteServerError &b)
    {
        return a.m_code == b.m_code && a.m_port == b.m_port && a.m_detail == b.m_detail;
    }

private:
    TeleprompterRemoteServerError(Code code, int port, QString detail);

    Code m_code;
    int m_port;
    QString m_detail;
    QByteArray m_what;
};

// The LAN remote's HTTP server: one request per connection, answered through the protocol layer
// and closed. All sockets run on the server's own thread ("remote-server"), which never waits on
// the owner. The state comes from the newest snapshot the owner published, answered on the
// server's thread; before the first snapshot, from the state provider. The provider and the
// command handler get a completion that the owner calls later, from any thread, exactly once.
// Requests are answered independently, so a slow owner delays only its own connection, and an
// owner that has not completed within the owner timeout gets its request answered with 503 (later
// completions are ignored, and a command not yet claimed is cancelled: it is never applied).
// Each device gets its turn: a request's head must arrive within the head timeout and the whole
// request within the read timeout. A connection still waiting for its request, once no longer
// part of a burst, gives its slot to a newer one: to one of its own address when that holds
// `maxConnectionsPerPeer`, and to any at `maxConnections` in all, oldest first, so slow senders on
// any number of addresses cannot keep a complete request waiting. When none can give way, new
// connections wait in the listen backlog until one closes or can. Requests whose Host names
// another computer, and commands from another web page's Origin, get 403 without reaching the owner
// (TeleprompterRemoteRequestGuard); this computer's names are kept and gathered again at most once
// a second, when a Host names none of them (TeleprompterRemoteHostNames).
class TeleprompterRemoteServer {
public:
    using StateCompletion = std::function<void(const TeleprompterRemoteState &)>;
    using StateProvider = std::function<void(StateCompletion)>;
    using CommandHandler
        = std::function<void(const TeleprompterRemoteCommand &, TeleprompterRemoteCommandReply)>;
    using EventHandler = std::function<void(const TeleprompterRemoteServerEvent &)>;

    struct Options {
        // A request's head must arrive within this time after the connection opens...
        std::chrono::milliseconds headTimeout { 3000 };
        // ...and the whole request, body included, within this time.
        std::chrono::milliseconds readTimeout { 10000 };
        // The state provider and the command handler together must complete within this time.
        std::chrono::milliseconds ownerTimeout { 5000 };
        int maxConnections = 64;
        int maxConnectionsPerPeer = 8;
        // Listen on 127.0.0.1 only instead of every interface (tests, local demos).
        bool loopbackOnly = false;
    };

    // Logs under the category "remote"; a null logger logs nothing.
    explicit TeleprompterRemoteServer(std::shared_ptr<ZunoAppLogger> logger);
    TeleprompterRemoteServer(std::shared_ptr<ZunoAppLogger> logger, Options options);
    // Stops silently and joins the server's thread; completions called later are ignored.
    ~TeleprompterRemoteServer();
    TeleprompterRemoteServer(const TeleprompterRemoteServer &) = delete;
    TeleprompterRemoteServer &operator=(const TeleprompterRemoteServer &) = delete;

    // Listens on `port` on every interface (127.0.0.1 only when `loopbackOnly`) and returns the
    // address to show, addressFor(port). A running listener is first stopped silently. Throws
    // TeleprompterRemoteServerError.
    QString start(quint16 port);
    // Stops listening and drops every connection; a running server that is not stopped silently
    // logs and reports `stopped` on the calling thread.
    void stop(bool silent);

    bool isRunning() const;
    quint16 boundPort() const;
    std::optional<QString> remoteURLString() const;
    // The address a start on `port` shows: this computer's LAN address (127.0.0.1 without one), or
    // 127.0.0.1 for a loopback-only server, which serves nothing else.
    QString addressFor(quint16 port) const;
    // Connections accepted and not yet closed.
    int activeConnectionCount() const;

    // The state GET /api/state answers from now on, from any thread. The answer's bytes are built
    // here, once per snapshot.
    void publishState(const TeleprompterRemoteState &state);

    // Set before the first start. Called on the server's thread; they must not block it.
    void setStateProvider(StateProvider provider);
    void setCommandHandler(CommandHandler handler);
    // `started` and `failed` arrive on the server's thread, `stopped` on the thread calling stop().
    void setOnEvent(EventHandler handler);

private:
    struct Core;
    std::shared_ptr<Core> m_core;
};
