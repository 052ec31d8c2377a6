#pragma once

#include <QSet>
#include <QString>

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

// The names a Host header may use for this computer, kept between requests. Gathering them walks
// the network interfaces and asks for the machine's name, which a phone polling by the computer's
// LAN address must not pay for on every request. A kept name is answered at once; a name not kept
// gathers them anew, at most once per refresh interval, so an address that came up since is found
// within that interval while a stream of foreign names costs at most one walk per interval.
// Thread-safe.
class TeleprompterRemoteHostNames {
public:
    // Every name of this computer, lower-case, as TeleprompterRemoteRequestGuard::localNames gives them.
    using Gather = std::function<QSet<QString>()>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit TeleprompterRemoteHostNames(Gather gather,
        std::chrono::milliseconds refreshInterval = std::chrono::seconds(1), Clock clock = steadyNow);

    // Whether `host` (as TeleprompterRemoteRequestGuard::hostName gives it) names this computer.
    bool contains(const QString &host);
    // Drops the kept names: the next look-up gathers them, whenever the last walk was.
    void reset();

private:
    static std::chrono::steady_clock::time_point steadyNow() { return std::chrono::steady_clock::now(); }

    const Gather m_gather;
    const Clock m_clock;
    const std::chrono::milliseconds m_refreshInterval;
    std::mutex m_mutex;
    QSet<QString> m_names;
    std::optional<std::chrono::steady_clock::time_point> m_gatheredAt;
};
