#pragma once

#include "ZunoAgentBrowserBridgeError.h"
#include "ZunoLoopbackListener.h"

#include <QString>

#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

class ZunoHttpSession;

// The client of the suite's agent-browser application, which listens on 127.0.0.1 and opens and reads web
// pages for agents: a health check, authorised JSON calls with the bearer token from "<base>/token", a page
// lookup in a throw-away profile, and opening an outside link.
// Thread-safe: the operations block, may run at once on several threads, hold no lock across a request and
// end with `ZunoHttpError` cancelled when their stop token fires. Failures are `ZunoAgentBrowserBridgeError`,
// a transport's `ZunoHttpError` unchanged, or the JSON writer's error for a body it cannot write.
// Before sending the token the bridge checks that no other user owns the listening socket.
class ZunoAgentBrowserBridge {
public:
    using Json = nlohmann::json;

    struct Health {
        bool running = false;
        std::optional<QString> version;
    };

    static constexpr int kDefaultPort = 47891;

    // `baseDirectory` none: "~/.zunoagentbrowser". `session` none: the process's session.
    explicit ZunoAgentBrowserBridge(int port, const std::optional<QString> &baseDirectory = std::nullopt,
        std::shared_ptr<ZunoHttpSession> session = nullptr);
    // Stops the release worker (a release in flight is cancelled, queued ones are dropped) and joins it.
    ~ZunoAgentBrowserBridge();
    ZunoAgentBrowserBridge(const ZunoAgentBrowserBridge &) = delete;
    ZunoAgentBrowserBridge &operator=(const ZunoAgentBrowserBridge &) = delete;

    // Port 47891, "~/.zunoagentbrowser", the process's session; made once, on first use.
    static ZunoAgentBrowserBridge &shared();

    int port() const { return m_port; }
    QString baseDirectory() const { return m_baseDirectory; }
    QString tokenFilePath() const;

    // The token file's UTF-8 text, trimmed, when it has 16 characters or more; none for a missing,
    // unreadable, non-UTF-8 or over-large file. Read afresh on every call.
    std::optional<QString> readToken() const;

    // Never fails: anything but a 200 whose JSON object has "ok" true (or 1) is not running.
    Health checkHealth(std::stop_token stop = {}) const;

    // An authorised request; `body` (a JSON object) is sent for every method but "GET". Returns the reply's
    // JSON object, or an empty object for any other reply body.
    Json call(const QString &path, const QString &method, const std::optional<Json> &body,
        double timeoutSeconds, std::stop_token stop = {}) const;

    // The page's compact text, read through a throw-away profile that is released afterwards without
    // waiting for the release.
    QString ephemeralWebLookup(const QString &url, const QString &agentId, std::stop_token stop = {});

    // Opens `url` in the agent browser; false when it is not running or refuses. Never fails.
    bool openExternalLink(
        const QString &url, const QString &agentId, bool bringToFront, std::stop_token stop = {});

    // Waits up to `timeout` for the releases scheduled by lookups to end; true when none is left running.
    // A short-lived host calls it before it ends, since destroying the bridge cancels them.
    bool waitForReleases(std::chrono::milliseconds timeout);

    // Tests: where the socket tables are read from. Set before the first request.
    void setListenerTableReader(ZunoLoopbackListener::FileReader reader);

private:
    // Queues the release of a lookup's profile for the release worker, starting it when needed. Never
    // throws: when the worker cannot start, that is logged and the queue waits for the next lookup.
    void scheduleRelease(const QString &agentId) noexcept;
    void runReleases(std::stop_token stop);
    // The lookup's text from the open reply, else from a snapshot call.
    QString pageText(
        const Json &opened, const QString &url, const QString &agentId, std::stop_token stop) const;
    void checkPortOwner() const;

    const int m_port;
    const QString m_baseDirectory;
    const std::shared_ptr<ZunoHttpSession> m_session;
    ZunoLoopbackListener::FileReader m_tableReader;

    // One worker sends the releases in turn, so lookups never add threads of their own.
    std::mutex m_releasesMutex;
    std::condition_variable_any m_releasesChanged;
    std::deque<QString> m_pendingReleases;
    bool m_releaseInFlight = false;
    std::jthread m_releaseWorker;
};
