#pragma once

#include <memory>
#include <mutex>

class ZunoChildProcess;

// Cancels a running child from any thread, at any time: before, during or after the run. It goes from
// not cancelled to cancelled once; every later run that is given it throws `cancelled` at once. Share
// it (std::shared_ptr) between the running call and whoever may cancel.
class ZunoProcessCancellation {
public:
    ZunoProcessCancellation() = default;
    ZunoProcessCancellation(const ZunoProcessCancellation &) = delete;
    ZunoProcessCancellation &operator=(const ZunoProcessCancellation &) = delete;

    bool isCancelled() const;
    // Remembers the child (weakly); a child attached after the cancel is terminated when it runs.
    void attach(const std::weak_ptr<ZunoChildProcess> &process);
    // Marks the token cancelled and asks a running attached child to terminate (SIGTERM).
    void cancel();
    // Marks the token cancelled and ends a running attached child at once (SIGKILL), for a child that
    // ignored `cancel()`.
    void kill();

private:
    mutable std::mutex m_mutex;
    bool m_cancelled = false;
    std::weak_ptr<ZunoChildProcess> m_process;
};
