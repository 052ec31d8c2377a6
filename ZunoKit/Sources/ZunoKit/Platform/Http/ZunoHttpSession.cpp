#include "ZunoHttpSession.h"

#include "ZunoHttpConnectionPool.h"
#include "ZunoHttpError.h"
#include "ZunoWebURL.h"

#include <curl/curl.h>

#include <linux/sockios.h>
#include <sys/ioctl.h>

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <vector>

// What the transfers of one session share: DNS answers and TLS sessions through a libcurl share handle,
// which asks for a lock around each kind of data (one mutex per kind keeps unrelated transfers apart), and
// open connections through the pool, which lends them to one transfer at a time. The members go in
// reverse: connections close first, and the share's locks outlive the share.
struct ZunoHttpSession::Shared {
    struct ShareCleanup {
        void operator()(CURLSH *share) const { curl_share_cleanup(share); }
    };

    std::mutex locks[CURL_LOCK_DATA_LAST];
    std::unique_ptr<CURLSH, ShareCleanup> share;
    QByteArray certificateAuthorities;
    ZunoHttpConnectionPool connections;

    static void lock(CURL *, curl_lock_data data, curl_lock_access, void *self)
    {
        static_cast<Shared *>(self)->locks[data].lock();
    }
    static void unlock(CURL *, curl_lock_data data, void *self)
    {
        static_cast<Shared *>(self)->locks[data].unlock();
    }
};

namespace {

using Kind = ZunoHttpError::Kind;
using Clock = std::chrono::steady_clock;

constexpr long kMaxRedirects = 5;
// Hosts that never go through a proxy, whatever the environment says.
constexpr char kLoopbackHosts[] = "localhost,127.0.0.0/8,::1";

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool hasLineBreakOrNul(const QByteArray &bytes)
{
    return bytes.contains('\r') || bytes.contains('\n') || bytes.contains('\0');
}

bool hasHeader(const ZunoHttpRequest &request, const char *name)
{
    return std::any_of(request.headers.begin(), request.headers.end(),
        [name](const auto &field) { return field.first.compare(name, Qt::CaseInsensitive) == 0; });
}

// Whether a header may carry a credential: Authorization, Proxy-Authorization, Cookie, and the API keys,
// tokens and secrets that services put under names of their own.
bool mayCarrySecret(const QByteArray &name)
{
    static constexpr const char *kWords[]
        = { "auth", "cookie", "key", "token", "secret", "password", "session", "credential" };
    const QByteArray lower = name.toLower();
    return std::any_of(
        std::begin(kWords), std::end(kWords), [&](const char *word) { return lower.contains(word); });
}

// "scheme://host:port", the key the connection pool keeps connections under.
QByteArray originOf(const QUrl &url)
{
    const bool secure = url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    return url.scheme().toLower().toUtf8() + "://" + url.host(QUrl::FullyEncoded).toUtf8() + ':'
        + QByteArray::number(url.port(secure ? 443 : 80));
}

// The environment's no-proxy list with the loopback hosts added.
QByteArray noProxyList()
{
    QByteArray fromEnvironment = qgetenv("no_proxy").trimmed();
    if (fromEnvironment.isEmpty())
        fromEnvironment = qgetenv("NO_PROXY").trimmed();
    if (fromEnvironment == "*")
        return fromEnvironment;
    if (fromEnvironment.isEmpty())
        return kLoopbackHosts;
    return fromEnvironment + ',' + kLoopbackHosts;
}

bool isRedirectStatus(int status)
{
    return status >= 300 && status < 400 && status != 304;
}

ZunoHttpError errorFor(CURLcode code, const char *detailBuffer, bool refusedRedirect)
{
    const QString detail
        = QString::fromUtf8(detailBuffer && *detailBuffer ? detailBuffer : curl_easy_strerror(code));
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ZunoHttpError(Kind::cannotFindHost, detail);
    case CURLE_COULDNT_CONNECT:
        return ZunoHttpError(Kind::cannotConnect, detail);
    case CURLE_OPERATION_TIMEDOUT:
        return ZunoHttpError(Kind::timedOut, detail);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_USE_SSL_FAILED:
        return ZunoHttpError(Kind::secureConnectionFailed, detail);
    case CURLE_UNSUPPORTED_PROTOCOL:
        // Either a redirect to a scheme other than http(s), or an answer without a status line (HTTP/0.9).
        if (refusedRedirect)
            return ZunoHttpError(Kind::unsupportedURL, detail);
        return ZunoHttpError(Kind::badServerResponse, detail);
    case CURLE_URL_MALFORMAT:
        return ZunoHttpError(Kind::unsupportedURL, detail);
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
        return ZunoHttpError(Kind::badServerResponse, detail);
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return ZunoHttpError(Kind::connectionLost, detail);
    case CURLE_ABORTED_BY_CALLBACK:
        return ZunoHttpError(Kind::cancelled, detail);
    default:
        return ZunoHttpError(Kind::other, detail);
    }
}

// One transfer: an easy handle driven on the calling thread by a multi handle lent to it alone, whose
// cached connections it may reuse and leaves behind for the next transfer, and whose wait a stop request
// can wake at once.
class Transfer {
public:
    Transfer(
        const ZunoHttpRequest &request, const ZunoHttpStreamHandler *handler, ZunoHttpSession::Shared *shared)
        : m_request(request)
        , m_handler(handler)
        , m_shared(shared)
        , m_timeoutMs(std::max<long>(1, static_cast<long>(request.timeout.count())))
    {
        const std::optional<QUrl> url = ZunoWebURL::parse(request.url.toString(QUrl::FullyEncoded));
        if (!url)
            throw ZunoHttpError(Kind::unsupportedURL);
        m_url = url->toEncoded();
        m_origin = originOf(*url);
        m_startsSecure = url->scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
        if (hasLineBreakOrNul(request.method))
            throw ZunoHttpError(Kind::invalidHeader);
        for (const auto &[name, value] : request.headers) {
            if (name.isEmpty() || hasLineBreakOrNul(name) || hasLineBreakOrNul(value))
                throw ZunoHttpError(Kind::invalidHeader);
        }
        // Following a redirect with the request's credentials would hand them to the host it names, and
        // a redirected POST would change or repeat its effect: those get the 3xx back. libcurl drops only
        // Authorization and Cookie when a redirect leaves the host, not an API key under a name of its own,
        // so any header that may hold a secret keeps the request from following at all.
        m_follows = request.method == "GET"
            && std::none_of(request.headers.begin(), request.headers.end(),
                [](const auto &field) { return mayCarrySecret(field.first); });
    }

    ~Transfer()
    {
        if (m_headerList)
            curl_slist_free_all(m_headerList);
        if (m_easy)
            curl_easy_cleanup(m_easy);
    }

    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    ZunoHttpResponse run(std::stop_token stop)
    {
        m_easy = curl_easy_init();
        if (!m_easy)
            throw ZunoHttpError(Kind::other, QStringLiteral("Could not start a transfer"));
        configure();

        const ZunoHttpConnectionPool::Loan loan = m_shared->connections.lend(m_origin);
        CURLM *multi = loan.multi();
        if (!multi)
            throw ZunoHttpError(Kind::other, QStringLiteral("Could not start a transfer"));
        // Removed before the handle goes back: a transfer that did not end closes its connection then.
        struct Attachment {
            CURLM *multi;
            CURL *easy;
            ~Attachment() { curl_multi_remove_handle(multi, easy); }
        } attachment { multi, m_easy };
        loan.trackSockets(m_easy);
        if (curl_multi_add_handle(multi, m_easy) != CURLM_OK)
            throw ZunoHttpError(Kind::other, QStringLiteral("Could not start a transfer"));

        std::stop_callback onStop(stop, [this, multi] {
            m_stopped = true;
            curl_multi_wakeup(multi);
        });

        m_lastActivity = Clock::now();
        CURLcode result = CURLE_OK;
        for (;;) {
            if (m_stopped)
                throw ZunoHttpError(Kind::cancelled);
            int running = 0;
            const CURLMcode multiCode = curl_multi_perform(multi, &running);
            if (multiCode != CURLM_OK)
                throw ZunoHttpError(Kind::other, QString::fromUtf8(curl_multi_strerror(multiCode)));
            int queued = 0;
            if (CURLMsg *message = curl_multi_info_read(multi, &queued);
                message && message->msg == CURLMSG_DONE) {
                result = message->data.result;
                break;
            }
            if (m_stopped)
                throw ZunoHttpError(Kind::cancelled);
            noteSendQueueProgress(loan.sockets());
            // The idle watch: no byte moved either way for the request's time-out.
            const auto idle
                = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_lastActivity.load());
            if (idle.count() >= m_timeoutMs)
                throw ZunoHttpError(Kind::timedOut);
            const int waitMs = static_cast<int>(std::clamp<long>(m_timeoutMs - idle.count(), 1, 1000));
            curl_multi_poll(multi, nullptr, 0, waitMs, nullptr);
        }
        return finish(result);
    }

private:
    bool isStreaming() const { return m_handler != nullptr; }

    // Bytes handed to the kernel count as sent when curl writes them, but a large upload then waits in
    // the socket's send queue while the peer takes it: the queue shrinking is bytes moving too. The
    // multi handle drives this one transfer only, so its connections' sockets are this transfer's and
    // idle ones (whose queues stay empty).
    void noteSendQueueProgress(const std::vector<int> &sockets)
    {
        long queued = 0;
        for (const int socket : sockets) {
            int bytes = 0;
            if (::ioctl(socket, SIOCOUTQ, &bytes) == 0)
                queued += bytes;
        }
        if (queued != m_sendQueue) {
            m_sendQueue = queued;
            m_lastActivity = Clock::now();
        }
    }

    void configure()
    {
        curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
        curl_easy_setopt(m_easy, CURLOPT_URL, m_url.constData());
        curl_easy_setopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
        // Once on https, a redirect to plain http would hand the rest of the exchange to anyone on the path.
        curl_easy_setopt(m_easy, CURLOPT_REDIR_PROTOCOLS_STR, m_startsSecure ? "https" : "http,https");
        curl_easy_setopt(m_easy, CURLOPT_PATH_AS_IS, 1L);
        curl_easy_setopt(m_easy, CURLOPT_HTTP09_ALLOWED, 0L);
        curl_easy_setopt(m_easy, CURLOPT_FOLLOWLOCATION, m_follows ? 1L : 0L);
        curl_easy_setopt(m_easy, CURLOPT_MAXREDIRS, kMaxRedirects);
        curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS, m_timeoutMs);
        if (!isStreaming()) {
            // Only a backstop, grown with the body: silences are the idle watch's, in run().
            curl_easy_setopt(m_easy, CURLOPT_TIMEOUT_MS,
                std::max<long>(m_timeoutMs, static_cast<long>(m_request.sendTimeLimit().count())));
            curl_easy_setopt(m_easy, CURLOPT_ACCEPT_ENCODING, "");
        }
        curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYHOST, 2L);
        if (m_shared->share)
            curl_easy_setopt(m_easy, CURLOPT_SHARE, m_shared->share.get());
        if (!m_shared->certificateAuthorities.isEmpty())
            curl_easy_setopt(m_easy, CURLOPT_CAINFO, m_shared->certificateAuthorities.constData());
        m_noProxy = noProxyList();
        curl_easy_setopt(m_easy, CURLOPT_NOPROXY, m_noProxy.constData());
        curl_easy_setopt(m_easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);

        curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
        curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
        curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(m_easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(m_easy, CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
        curl_easy_setopt(m_easy, CURLOPT_XFERINFODATA, this);

        const QByteArray &method = m_request.method;
        const bool sendsBody
            = !m_request.body.isEmpty() || method == "POST" || method == "PUT" || method == "PATCH";
        if (method == "HEAD") {
            curl_easy_setopt(m_easy, CURLOPT_NOBODY, 1L);
        } else if (method == "GET" && !sendsBody) {
            curl_easy_setopt(m_easy, CURLOPT_HTTPGET, 1L);
        } else {
            if (sendsBody) {
                curl_easy_setopt(
                    m_easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_request.body.size()));
                curl_easy_setopt(m_easy, CURLOPT_POSTFIELDS, m_request.body.constData());
            }
            curl_easy_setopt(m_easy, CURLOPT_CUSTOMREQUEST, method.constData());
        }

        for (const auto &[name, value] : m_request.headers)
            appendHeader(value.isEmpty() ? name + ';' : name + ": " + value);
        // No "Expect: 100-continue": a body would wait a second for an answer many servers never send.
        if (!hasHeader(m_request, "Expect"))
            appendHeader("Expect:");
        // Without this the transport labels every body as a form.
        if (sendsBody && !hasHeader(m_request, "Content-Type"))
            appendHeader("Content-Type:");
        curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headerList);
    }

    void appendHeader(const QByteArray &line)
    {
        curl_slist *list = curl_slist_append(m_headerList, line.constData());
        if (!list)
            throw ZunoHttpError(Kind::other, QStringLiteral("Out of memory"));
        m_headerList = list;
    }

    static size_t onHeader(char *data, size_t size, size_t count, void *self)
    {
        auto *transfer = static_cast<Transfer *>(self);
        const size_t length = size * count;
        transfer->m_lastActivity = Clock::now();
        QByteArray line(data, static_cast<qsizetype>(length));
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith("HTTP/")) {
            // A new response: an interim 1xx, a redirect being followed, or the final one.
            transfer->m_response.headers.clear();
            const QList<QByteArray> parts = line.split(' ');
            transfer->m_response.statusCode = parts.size() > 1 ? parts[1].toInt() : 0;
            transfer->m_lastName.clear();
        } else if (line.isEmpty()) {
            if (transfer->isStreaming() && transfer->isFinalHead() && !transfer->deliverHead())
                return 0;
        } else if (line.startsWith(' ') || line.startsWith('\t')) {
            if (!transfer->m_lastName.isEmpty())
                transfer->m_response.headers.add(transfer->m_lastName, line.trimmed());
        } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
            transfer->m_lastName = line.left(colon).trimmed();
            transfer->m_response.headers.add(transfer->m_lastName, line.mid(colon + 1).trimmed());
        }
        return length;
    }

    static size_t onBody(char *data, size_t size, size_t count, void *self)
    {
        auto *transfer = static_cast<Transfer *>(self);
        const size_t length = size * count;
        transfer->m_lastActivity = Clock::now();
        if (transfer->isStreaming()) {
            if (!transfer->deliverHead())
                return 0;
            if (!transfer->call([&] {
                    return !transfer->m_handler->body
                        || transfer->m_handler->body(QByteArrayView(data, static_cast<qsizetype>(length)));
                }))
                return 0;
            return length;
        }
        QByteArray &body = transfer->m_response.body;
        if (body.size() + static_cast<std::int64_t>(length) > transfer->m_request.maxBodyBytes) {
            transfer->m_tooLarge = true;
            return 0;
        }
        body.append(data, static_cast<qsizetype>(length));
        return length;
    }

    static int onProgress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded)
    {
        auto *transfer = static_cast<Transfer *>(self);
        // Bytes going out count as activity too: a large upload is not silence.
        if (uploaded != transfer->m_uploaded) {
            transfer->m_uploaded = uploaded;
            transfer->m_lastActivity = Clock::now();
        }
        return transfer->m_stopped ? 1 : 0;
    }

    // Whether the last answer's Location names a plain http address.
    bool redirectsToHttp() const
    {
        const QUrl location = QUrl::fromEncoded(m_response.headers.value("Location"));
        return location.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0;
    }

    // Whether the head just read is the one the caller gets (not an interim answer nor a followed redirect).
    bool isFinalHead() const
    {
        const int status = m_response.statusCode;
        if (status < 200)
            return false;
        return !(m_follows && isRedirectStatus(status) && m_response.headers.contains("Location"));
    }

    // Hands the head to the stream handler once; false when the transfer is to end.
    bool deliverHead()
    {
        if (m_headDelivered)
            return !m_quietStop;
        m_headDelivered = true;
        return call([this] { return !m_handler->head || m_handler->head(m_response); });
    }

    // Runs a handler callback; false ends the transfer (quietly, or with the callback's exception).
    template <typename Callback> bool call(Callback callback)
    {
        if (m_quietStop)
            return false;
        try {
            if (callback())
                return true;
            m_quietStop = true;
        } catch (...) {
            m_handlerError = std::current_exception();
        }
        return false;
    }

    ZunoHttpResponse finish(CURLcode result)
    {
        if (m_handlerError)
            std::rethrow_exception(m_handlerError);
        if (m_tooLarge)
            throw ZunoHttpError(Kind::responseTooLarge);
        if (m_quietStop && (result == CURLE_WRITE_ERROR || result == CURLE_OK))
            return {};
        if (result != CURLE_OK) {
            const bool refusedRedirect = isRedirectStatus(m_response.statusCode);
            if (refusedRedirect && result == CURLE_UNSUPPORTED_PROTOCOL && m_startsSecure
                && redirectsToHttp())
                throw ZunoHttpError(Kind::insecureRedirect);
            throw errorFor(result, m_errorBuffer, refusedRedirect);
        }
        long status = 0;
        curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
        m_response.statusCode = static_cast<int>(status);
        if (isStreaming()) {
            deliverHead();
            if (m_handlerError)
                std::rethrow_exception(m_handlerError);
            return {};
        }
        return std::move(m_response);
    }

    const ZunoHttpRequest &m_request;
    const ZunoHttpStreamHandler *m_handler;
    ZunoHttpSession::Shared *m_shared;
    const long m_timeoutMs;
    QByteArray m_url;
    QByteArray m_origin;
    bool m_startsSecure = false;
    QByteArray m_noProxy;
    bool m_follows = false;
    CURL *m_easy = nullptr;
    curl_slist *m_headerList = nullptr;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};

    ZunoHttpResponse m_response;
    QByteArray m_lastName;
    bool m_headDelivered = false;
    bool m_quietStop = false;
    bool m_tooLarge = false;
    std::exception_ptr m_handlerError;
    curl_off_t m_uploaded = 0;
    long m_sendQueue = 0;
    std::atomic<Clock::time_point> m_lastActivity { Clock::now() };
    std::atomic<bool> m_stopped { false };
};

} // namespace

ZunoHttpSession::ZunoHttpSession(const QByteArray &certificateAuthorities)
    : d(std::make_unique<Shared>())
{
    initCurlOnce();
    d->certificateAuthorities = certificateAuthorities;
    d->share.reset(curl_share_init());
    if (CURLSH *share = d->share.get()) {
        curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &Shared::lock);
        curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &Shared::unlock);
        curl_share_setopt(share, CURLSHOPT_USERDATA, d.get());
        // Not connections: libcurl does not support one connection cache used by threads at once.
        for (const curl_lock_data data : { CURL_LOCK_DATA_DNS, CURL_LOCK_DATA_SSL_SESSION })
            curl_share_setopt(share, CURLSHOPT_SHARE, data);
    }
}

ZunoHttpSession::~ZunoHttpSession() = default;

std::shared_ptr<ZunoHttpSession> ZunoHttpSession::shared()
{
    static const std::shared_ptr<ZunoHttpSession> session = std::make_shared<ZunoHttpSession>();
    return session;
}

ZunoHttpResponse ZunoHttpSession::send(const ZunoHttpRequest &request, std::stop_token stop)
{
    Transfer transfer(request, nullptr, d.get());
    return transfer.run(std::move(stop));
}

void ZunoHttpSession::stream(
    const ZunoHttpRequest &request, const ZunoHttpStreamHandler &handler, std::stop_token stop)
{
    Transfer transfer(request, &handler, d.get());
    transfer.run(std::move(stop));
}
