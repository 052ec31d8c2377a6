#include "ZunoLoopbackHTTP.h"

#include "ZunoCreditsError.h"
#include "ZunoText.h"
#include "ZunoUtf8.h"

#include <QMap>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Closes on every way out unless released.
class UniqueFD {
public:
    explicit UniqueFD(int fd = -1)
        : m_fd(fd)
    {
    }
    ~UniqueFD()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    UniqueFD(const UniqueFD &) = delete;
    UniqueFD &operator=(const UniqueFD &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

[[noreturn]] void failWith(const QString &en, const QString &tr)
{
    throw ZunoCreditsError::signInFailed(zunoText(en, tr));
}

QString escaped(const QString &text)
{
    QString result = text;
    result.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    result.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    result.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    result.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return result;
}

void setTimeouts(int fd, milliseconds limit)
{
    timeval value {};
    value.tv_sec = static_cast<time_t>(limit.count() / 1000);
    value.tv_usec = static_cast<suseconds_t>((limit.count() % 1000) * 1000);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &value, sizeof value);
}

// Errors accept(2) reports for one connection that failed before it was taken: try the next one.
bool isConnectionError(int error)
{
    switch (error) {
    case EINTR:
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case ECONNABORTED:
    case EPROTO:
    case ENETDOWN:
    case ENOPROTOOPT:
    case EHOSTDOWN:
    case ENONET:
    case EHOSTUNREACH:
    case EOPNOTSUPP:
    case ENETUNREACH:
        return true;
    default:
        return false;
    }
}

// Running short of descriptors or memory passes: wait a little and try again.
bool isResourceError(int error)
{
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

// Name-to-value pairs of the query; items without "=" are skipped, the last of a name wins, "+" stays.
QMap<QString, QString> queryItems(const QUrl &url)
{
    QMap<QString, QString> items;
    const QString query = url.query(QUrl::FullyEncoded);
    for (const QString &item : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        items.insert(QUrl::fromPercentEncoding(item.left(equals).toUtf8()),
            QUrl::fromPercentEncoding(item.mid(equals + 1).toUtf8()));
    }
    return items;
}

void answer(int clientFD, int status, const char *accent, const QString &title, const QString &message)
{
    ZunoLoopbackHTTP::writeRawResponse(
        clientFD, ZunoLoopbackHTTP::resultResponse(status, QLatin1String(accent), title, message));
}

constexpr char kSuccessAccent[] = "#3ee6a8";
constexpr char kWarningAccent[] = "#ffb84d";
constexpr char kFailureAccent[] = "#ff647c";

// Clients read at once; past this the longest-waiting one is dropped for the newcomer.
constexpr std::size_t kMaxClients = 32;

// A client whose request line is still arriving.
struct PendingClient {
    explicit PendingClient(int fd, Clock::time_point deadline)
        : fd(fd)
        , deadline(deadline)
    {
    }
    UniqueFD fd;
    Clock::time_point deadline;
    QByteArray bytes;
    bool ended = false;

    // Whether the request line is whole (or can grow no more).
    bool isComplete() const
    {
        return ended || bytes.size() >= ZunoLoopbackHTTP::kMaxRequestBytes
            || (bytes.contains("\r\n") && ZunoUtf8::isValid(bytes));
    }

    // Takes what has arrived, without waiting.
    void readAvailable()
    {
        char chunk[ZunoLoopbackHTTP::kMaxRequestBytes];
        for (;;) {
            const qsizetype room = ZunoLoopbackHTTP::kMaxRequestBytes - bytes.size();
            if (room <= 0)
                return;
            const ssize_t got = ::recv(fd.get(), chunk, static_cast<size_t>(room), MSG_DONTWAIT);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (got <= 0) {
                ended = true;
                return;
            }
            bytes.append(chunk, got);
            if (isComplete())
                return;
        }
    }
};

} // namespace

namespace ZunoLoopbackHTTP {

std::pair<int, quint16> bindEphemeralLoopback()
{
    UniqueFD fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.get() < 0)
        failWith(QStringLiteral("Could not open local loopback socket."),
            QStringLiteral("Yerel bağlantı soketi açılamadı."));
    const int on = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(fd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        failWith(QStringLiteral("Could not bind loopback callback port."),
            QStringLiteral("Yerel geri çağrı portu bağlanamadı."));
    if (::listen(fd.get(), 8) != 0)
        failWith(QStringLiteral("Could not listen on loopback callback port."),
            QStringLiteral("Yerel geri çağrı portu dinlenemedi."));
    sockaddr_in bound {};
    socklen_t length = sizeof bound;
    if (::getsockname(fd.get(), reinterpret_cast<sockaddr *>(&bound), &length) != 0
        || ntohs(bound.sin_port) == 0)
        failWith(QStringLiteral("Could not determine assigned loopback port."),
            QStringLiteral("Atanan yerel port okunamadı."));
    const quint16 port = ntohs(bound.sin_port);
    return { fd.release(), port };
}

std::optional<QString> readRequestTarget(int clientFD, milliseconds limit)
{
    // One deadline for the whole request: a client dribbling a byte at a time cannot hold the loop.
    const auto deadline = Clock::now() + limit;
    QByteArray bytes;
    char chunk[kMaxRequestBytes];
    while (bytes.size() < kMaxRequestBytes) {
        const auto remaining = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0)
            break;
        pollfd entry { clientFD, POLLIN, 0 };
        const int ready = ::poll(&entry, 1, static_cast<int>(remaining.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t got = ::recv(clientFD, chunk, static_cast<size_t>(kMaxRequestBytes - bytes.size()), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        bytes.append(chunk, got);
        if (bytes.contains("\r\n") && ZunoUtf8::isValid(bytes))
            break;
    }
    return requestTargetIn(bytes);
}

std::optional<QString> requestTargetIn(const QByteArray &bytes)
{
    if (!ZunoUtf8::isValid(bytes))
        return std::nullopt;
    // A request line cut off by the deadline or the size limit is no request: its code could be cut too.
    const QString text = QString::fromUtf8(bytes);
    const qsizetype lineEnd = text.indexOf(QStringLiteral("\r\n"));
    if (lineEnd < 0)
        return std::nullopt;
    const QString requestLine = text.left(lineEnd);
    const QStringList pieces = requestLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return std::nullopt;
    return pieces[1];
}

void writeRawResponse(int clientFD, const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t written = ::send(
            clientFD, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        sent += written;
    }
}

QByteArray resultResponse(int status, const QString &accent, const QString &title, const QString &message)
{
    const QString body = QStringLiteral(
        "<!doctype html>\n"
        "<html lang=\"en\">\n"
        "<head><meta charset=\"utf-8\"><title>%1</title></head>\n"
        "<body style=\"font-family:-apple-system,BlinkMacSystemFont,system-ui,sans-serif;"
        "background:#0d0e1a;color:#f8fafc;padding:48px;text-align:center;line-height:1.5\">\n"
        "<div style=\"max-width:460px;margin:0 auto;padding:28px;border-radius:16px;"
        "background:rgba(255,255,255,0.06);border:1px solid rgba(255,255,255,0.14)\">\n"
        "<h2 style=\"color:%2;margin:0 0 12px 0\">%1</h2>\n"
        "<p style=\"color:rgba(255,255,255,0.78);margin:0\">%3</p>\n"
        "</div>\n"
        "</body>\n"
        "</html>")
                             .arg(escaped(title), accent, escaped(message));
    const QByteArray bytes = body.toUtf8();
    const QByteArray reason = status == 200 ? "OK" : "Bad Request";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason
        + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " + QByteArray::number(bytes.size())
        + "\r\nConnection: close\r\n\r\n" + bytes;
}

ZunoLoopbackCallbackHit blockingAcceptLoop(int listenFD, const QString &expectedState, double timeoutSeconds,
    ZunoLoopbackCancelSignal &cancel, const LoopOptions &options)
{
    const auto deadline = Clock::now()
        + std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(std::max(0.0, timeoutSeconds)));
    const ZunoLanguage language = ZunoLanguages::current();
    const auto text = [language](const char *en, const char *tr) {
        return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), language);
    };
    const auto acceptOne = [&options](int fd) {
        return options.accept ? options.accept(fd) : ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    };

    // What one whole request line gets: an answer, and the hit when it is our own callback.
    const auto handle = [&](PendingClient &client) -> std::optional<ZunoLoopbackCallbackHit> {
        const std::optional<QString> target = requestTargetIn(client.bytes);
        if (!target)
            return std::nullopt;
        const int fd = client.fd.get();
        const QUrl url(QStringLiteral("http://127.0.0.1") + *target, QUrl::StrictMode);
        if (!url.isValid()) {
            answer(fd, 400, kFailureAccent, text("Invalid request", "Geçersiz istek"),
                text(
                    "You can close this tab and try again.", "Bu sekmeyi kapatıp yeniden deneyebilirsiniz."));
            return std::nullopt;
        }
        if (url.path() == QLatin1String("/favicon.ico") || url.path() == QLatin1String("/robots.txt")) {
            writeRawResponse(fd, "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
            return std::nullopt;
        }
        const QMap<QString, QString> items = queryItems(url);
        const QString code = items.value(QStringLiteral("code")).trimmed();
        const QString state = items.value(QStringLiteral("state")).trimmed();
        const bool stateMatches = !state.isEmpty() && state == expectedState;
        const auto answerMismatch = [&] {
            answer(fd, 400, kFailureAccent, text("Connection verification failed", "Bağlantı doğrulanamadı"),
                text("Security state mismatch. Please close this tab and try again.",
                    "Güvenlik durumu uyuşmadı. Bu sekmeyi kapatıp yeniden deneyebilirsiniz."));
        };
        if (const QString error = items.value(QStringLiteral("error")); !error.isEmpty()) {
            // Any page the browser runs can call this port; only our own connect page knows the state.
            if (!stateMatches) {
                answerMismatch();
                return std::nullopt;
            }
            const QString description = items.value(QStringLiteral("error_description"), error);
            answer(fd, 400, kFailureAccent, text("Connection declined", "Bağlantı reddedildi"), description);
            throw ZunoCreditsError::signInFailed(description);
        }
        if (code.isEmpty()) {
            answer(fd, 400, kWarningAccent, text("Missing authorization code", "Yetkilendirme kodu eksik"),
                text("You can close this tab and try connecting again.",
                    "Bu sekmeyi kapatıp yeniden bağlanmayı deneyebilirsiniz."));
            return std::nullopt;
        }
        if (!stateMatches) {
            // A callback without a state never came from our own connect page.
            answerMismatch();
            throw ZunoCreditsError::signInFailed(text("OAuth state mismatch during loopback sign-in.",
                "Geri çağrı güvenlik doğrulaması başarısız oldu."));
        }
        return ZunoLoopbackCallbackHit { code, client.fd.release() };
    };

    if (cancel.isCancelled())
        throw ZunoCreditsError::signInCancelled();
    // Every client is read under the one poll, each within its own limit: a silent one holds nobody up.
    std::vector<std::unique_ptr<PendingClient>> clients;
    std::vector<pollfd> entries;
    for (;;) {
        const auto now = Clock::now();
        const auto remaining = std::chrono::duration_cast<milliseconds>(deadline - now);
        if (remaining.count() <= 0)
            throw ZunoCreditsError::signInTimedOut();
        auto wake = deadline;
        for (const auto &client : clients)
            wake = std::min(wake, client->deadline);
        const auto untilWake = std::chrono::duration_cast<milliseconds>(wake - now) + milliseconds(1);
        const int wait = static_cast<int>(std::clamp<qint64>(untilWake.count(), 1, 60000));

        entries.clear();
        entries.push_back({ listenFD, POLLIN, 0 });
        const bool watchesCancel = cancel.readFD() >= 0;
        entries.push_back({ watchesCancel ? cancel.readFD() : -1, POLLIN, 0 });
        for (const auto &client : clients)
            entries.push_back({ client->fd.get(), POLLIN, 0 });
        const int ready = ::poll(entries.data(), static_cast<nfds_t>(entries.size()), wait);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            throw ZunoCreditsError::signInFailed(QStringLiteral("Loopback poll error (%1).").arg(errno));
        }
        if (cancel.isCancelled() || (watchesCancel && (entries[1].revents & (POLLIN | POLLERR | POLLHUP))))
            throw ZunoCreditsError::signInCancelled();

        // Clients first, in arrival order: a request already here is not kept waiting by new arrivals.
        const auto checked = Clock::now();
        for (std::size_t i = 0; i < clients.size();) {
            PendingClient &client = *clients[i];
            if (entries[i + 2].revents & (POLLIN | POLLERR | POLLHUP))
                client.readAvailable();
            if (!client.isComplete() && checked < client.deadline) {
                ++i;
                continue;
            }
            if (std::optional<ZunoLoopbackCallbackHit> hit = handle(client))
                return *hit;
            clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i + 2));
        }
        if (cancel.isCancelled())
            throw ZunoCreditsError::signInCancelled();
        if (!(entries[0].revents & POLLIN))
            continue;

        const int accepted = acceptOne(listenFD);
        if (accepted < 0) {
            const int error = errno;
            if (isResourceError(error)) {
                const auto pause = std::min<milliseconds>(
                    milliseconds(100), std::chrono::duration_cast<milliseconds>(deadline - Clock::now()));
                if (pause.count() > 0)
                    std::this_thread::sleep_for(pause);
            } else if (!isConnectionError(error)) {
                throw ZunoCreditsError::signInFailed(
                    QStringLiteral("Loopback accept error (%1).").arg(error));
            }
            continue;
        }
        setTimeouts(accepted, options.clientLimit);
        if (clients.size() >= kMaxClients)
            clients.erase(clients.begin());
        clients.push_back(std::make_unique<PendingClient>(accepted, Clock::now() + options.clientLimit));
    }
}

} // namespace ZunoLoopbackHTTP
