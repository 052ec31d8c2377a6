#pragma once

#include <QByteArray>

#include <memory>
#include <mutex>
#include <vector>

// libcurl's multi and easy handles, without its header.
using ZunoCurlMulti = void;
using ZunoCurlEasy = void;

// The open connections of one HTTP session, kept in libcurl multi handles that are lent to one transfer at
// a time. libcurl does not support one connection cache used by threads at once, so none is shared: each
// handle's connections are only ever touched by the transfer that holds it, and come back with it for the
// next one. A loan prefers the handle that last served the same origin, so sequential calls keep their
// connection; concurrent calls take one handle each and so keep one connection each.
// Thread-safe. Every loan must end before the pool is destroyed.
class ZunoHttpConnectionPool {
public:
    // A handle on loan; given back (with its connections) when the loan ends.
    class Loan {
    public:
        Loan(Loan &&other) noexcept;
        Loan &operator=(Loan &&) = delete;
        Loan(const Loan &) = delete;
        Loan &operator=(const Loan &) = delete;
        ~Loan();

        // Null when libcurl could not make one.
        ZunoCurlMulti *multi() const { return m_handle.multi; }
        // Has every socket `easy` opens for a connection noted in `sockets()` until it closes. Set on each
        // transfer's handle before it starts: its connections stay with this handle afterwards, and a
        // later transfer may reuse them.
        void trackSockets(ZunoCurlEasy *easy) const;
        // The open sockets of the handle's connections, whatever their numbers (select()'s sets, and so
        // curl_multi_fdset, stop at FD_SETSIZE).
        const std::vector<int> &sockets() const { return *m_handle.sockets; }

    private:
        friend class ZunoHttpConnectionPool;
        struct Handle {
            ZunoCurlMulti *multi = nullptr;
            // The origins it served, latest first.
            std::vector<QByteArray> origins;
            // Where its connections' sockets are noted; freed only after the multi handle is cleaned up,
            // which closes them through it.
            std::unique_ptr<std::vector<int>> sockets;
        };
        Loan(ZunoHttpConnectionPool *pool, Handle handle, QByteArray origin);

        ZunoHttpConnectionPool *m_pool;
        Handle m_handle;
        QByteArray m_origin;
    };

    ZunoHttpConnectionPool() = default;
    ~ZunoHttpConnectionPool();
    ZunoHttpConnectionPool(const ZunoHttpConnectionPool &) = delete;
    ZunoHttpConnectionPool &operator=(const ZunoHttpConnectionPool &) = delete;

    // A handle for a transfer to `origin` ("scheme://host:port").
    Loan lend(const QByteArray &origin);

private:
    void giveBack(Loan::Handle handle, const QByteArray &origin);

    std::mutex m_mutex;
    // Handles not on loan, the most recently given back last.
    std::vector<Loan::Handle> m_idle;
};
