#pragma once

#include <mutex>

// Wakes a browser sign-in's accept loop from another thread: `cancel()` sets the flag and writes one
// byte into a pipe whose read end the loop polls. Without a pipe (creation failed) the loop still sees
// the flag when its poll returns. Thread-safe; `close()` is idempotent and also runs on destruction.
class ZunoLoopbackCancelSignal {
public:
    ZunoLoopbackCancelSignal();
    ~ZunoLoopbackCancelSignal();
    ZunoLoopbackCancelSignal(const ZunoLoopbackCancelSignal &) = delete;
    ZunoLoopbackCancelSignal &operator=(const ZunoLoopbackCancelSignal &) = delete;

    void cancel();
    bool isCancelled() const;
    // The pipe's read end, -1 when closed or never opened.
    int readFD() const;
    void close();

private:
    mutable std::mutex m_lock;
    int m_readFD = -1;
    int m_writeFD = -1;
    bool m_cancelled = false;
};
