#include "ZunoHttpConnectionPool.h"

#include <curl/curl.h>

#include <algorithm>
#include <optional>
#include <unistd.h>
#include <utility>

namespace {

// Open connections one handle keeps between transfers (libcurl's own default is four per transfer added).
constexpr long kMaxConnectionsPerHandle = 8;
// Handles kept beyond the loans of the moment; more are closed when given back. A burst of threads leaves
// no more than this many caches behind.
constexpr std::size_t kMaxIdleHandles = 8;

int noteOpened(void *sockets, curl_socket_t socket, curlsocktype purpose)
{
    if (purpose == CURLSOCKTYPE_IPCXN)
        static_cast<std::vector<int> *>(sockets)->push_back(socket);
    return CURL_SOCKOPT_OK;
}

int closeAndForget(void *sockets, curl_socket_t socket)
{
    auto &open = *static_cast<std::vector<int> *>(sockets);
    open.erase(std::remove(open.begin(), open.end(), socket), open.end());
    return ::close(socket);
}

} // namespace

ZunoHttpConnectionPool::Loan::Loan(ZunoHttpConnectionPool *pool, Handle handle, QByteArray origin)
    : m_pool(pool)
    , m_handle(std::move(handle))
    , m_origin(std::move(origin))
{
}

ZunoHttpConnectionPool::Loan::Loan(Loan &&other) noexcept
    : m_pool(std::exchange(other.m_pool, nullptr))
    , m_handle(std::exchange(other.m_handle, {}))
    , m_origin(std::move(other.m_origin))
{
}

ZunoHttpConnectionPool::Loan::~Loan()
{
    if (m_pool && m_handle.multi)
        m_pool->giveBack(std::move(m_handle), m_origin);
}

void ZunoHttpConnectionPool::Loan::trackSockets(ZunoCurlEasy *easy) const
{
    std::vector<int> *sockets = m_handle.sockets.get();
    curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, &noteOpened);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, sockets);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &closeAndForget);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, sockets);
}

ZunoHttpConnectionPool::~ZunoHttpConnectionPool()
{
    for (const Loan::Handle &handle : m_idle)
        curl_multi_cleanup(handle.multi);
}

ZunoHttpConnectionPool::Loan ZunoHttpConnectionPool::lend(const QByteArray &origin)
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_idle.empty()) {
            const auto knowsOrigin = std::find_if(
                m_idle.rbegin(), m_idle.rend(), [&](const Loan::Handle &idle) {
                    return std::find(idle.origins.begin(), idle.origins.end(), origin) != idle.origins.end();
                });
            const auto chosen
                = knowsOrigin != m_idle.rend() ? std::prev(knowsOrigin.base()) : std::prev(m_idle.end());
            Loan::Handle handle = std::move(*chosen);
            m_idle.erase(chosen);
            return Loan(this, std::move(handle), origin);
        }
    }
    Loan::Handle handle;
    handle.multi = curl_multi_init();
    handle.sockets = std::make_unique<std::vector<int>>();
    if (handle.multi)
        curl_multi_setopt(handle.multi, CURLMOPT_MAXCONNECTS, kMaxConnectionsPerHandle);
    return Loan(this, std::move(handle), origin);
}

void ZunoHttpConnectionPool::giveBack(Loan::Handle handle, const QByteArray &origin)
{
    std::vector<QByteArray> &origins = handle.origins;
    origins.erase(std::remove(origins.begin(), origins.end(), origin), origins.end());
    origins.insert(origins.begin(), origin);
    if (origins.size() > static_cast<std::size_t>(kMaxConnectionsPerHandle))
        origins.pop_back();

    std::optional<Loan::Handle> evicted;
    {
        const std::lock_guard lock(m_mutex);
        m_idle.push_back(std::move(handle));
        if (m_idle.size() > kMaxIdleHandles) {
            evicted = std::move(m_idle.front());
            m_idle.erase(m_idle.begin());
        }
    }
    // Closing its connections may take a moment (TLS goodbyes): outside the lock.
    if (evicted)
        curl_multi_cleanup(evicted->multi);
}
