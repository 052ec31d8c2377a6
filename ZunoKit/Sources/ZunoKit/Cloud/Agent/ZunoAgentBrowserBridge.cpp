#include "ZunoAgentBrowserBridge.h"

#include "ZunoBoundedJson.h"
#include "ZunoHttpError.h"
#include "ZunoHttpSession.h"
#include "ZunoUtf8.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

constexpr qint64 kMaxTokenFileBytes = 64 * 1024;
constexpr qsizetype kMinTokenLength = 16;
constexpr char kAIClient[] = "vadezuzi";

std::chrono::milliseconds timeoutOf(double seconds)
{
    // A time-out that is not a positive number leaves none to wait: the request fails at once.
    if (!std::isfinite(seconds) || seconds <= 0)
        return std::chrono::milliseconds(1);
    return std::chrono::milliseconds(std::llround(std::min(seconds, 86400.0) * 1000.0));
}

QString stringMember(const nlohmann::json &object, const char *key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? QString::fromStdString(found->get<std::string>())
                                                       : QString();
}

std::string utf8(const QString &text)
{
    return text.toStdString();
}

} // namespace

ZunoAgentBrowserBridge::ZunoAgentBrowserBridge(
    int port, const std::optional<QString> &baseDirectory, std::shared_ptr<ZunoHttpSession> session)
    : m_port(port)
    , m_baseDirectory(baseDirectory.value_or(QDir::homePath() + QStringLiteral("/.zunoagentbrowser")))
    , m_session(session ? std::move(session) : ZunoHttpSession::shared())
{
}

ZunoAgentBrowserBridge::~ZunoAgentBrowserBridge()
{
    // The worker's stop token also cancels the transfer in flight, so the join is prompt.
    if (m_releaseWorker.joinable()) {
        m_releaseWorker.request_stop();
        m_releaseWorker.join();
    }
}

ZunoAgentBrowserBridge &ZunoAgentBrowserBridge::shared()
{
    static ZunoAgentBrowserBridge bridge(kDefaultPort);
    return bridge;
}

QString ZunoAgentBrowserBridge::tokenFilePath() const
{
    return QDir(m_baseDirectory).filePath(QStringLiteral("token"));
}

void ZunoAgentBrowserBridge::setListenerTableReader(ZunoLoopbackListener::FileReader reader)
{
    m_tableReader = std::move(reader);
}

std::optional<QString> ZunoAgentBrowserBridge::readToken() const
{
    QFile file(tokenFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte more than allowed tells an over-large file from one exactly at the limit.
    const QByteArray bytes = file.read(kMaxTokenFileBytes + 1);
    if (bytes.size() > kMaxTokenFileBytes || file.error() != QFileDevice::NoError
        || !ZunoUtf8::isValid(bytes))
        return std::nullopt;
    const QString token = QString::fromUtf8(bytes).trimmed();
    if (token.toUcs4().size() < kMinTokenLength)
        return std::nullopt;
    return token;
}

ZunoAgentBrowserBridge::Health ZunoAgentBrowserBridge::checkHealth(std::stop_token stop) const
{
    Health health;
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/api/health").arg(m_port), QUrl::StrictMode);
    if (!url.isValid())
        return health;
    ZunoHttpRequest request;
    request.method = "GET";
    request.url = url;
    request.timeout = timeoutOf(1.5);
    ZunoHttpResponse response;
    try {
        response = m_session->send(request, stop);
    } catch (const ZunoHttpError &) {
        return health;
    }
    if (response.statusCode != 200)
        return health;
    const nlohmann::json reply = ZunoBoundedJson::parse(response.body);
    if (reply.is_discarded() || !reply.is_object())
        return health;
    const auto ok = reply.find("ok");
    const bool running = ok != reply.end()
        && ((ok->is_boolean() && ok->get<bool>()) || (ok->is_number() && ok->get<double>() == 1.0));
    if (!running)
        return health;
    health.running = true;
    const auto version = reply.find("version");
    if (version != reply.end() && version->is_string())
        health.version = QString::fromStdString(version->get<std::string>());
    return health;
}

void ZunoAgentBrowserBridge::checkPortOwner() const
{
    const uid_t self = getuid();
    for (const unsigned owner : ZunoLoopbackListener::ownerUids(quint16(m_port), m_tableReader)) {
        if (owner != self)
            throw ZunoAgentBrowserBridgeError(403,
                QStringLiteral("ZunoAgentBrowser port is held by another user; the token was not sent."));
    }
}

ZunoAgentBrowserBridge::Json ZunoAgentBrowserBridge::call(const QString &path, const QString &method,
    const std::optional<Json> &body, double timeoutSeconds, std::stop_token stop) const
{
    const std::optional<QString> token = readToken();
    if (!token)
        throw ZunoAgentBrowserBridgeError(
            401, QStringLiteral("ZunoAgentBrowser API token not found (~/.zunoagentbrowser/token)."));
    const QString fullPath = path.startsWith(u'/') ? path : u'/' + path;
    const QUrl url(QStringLiteral("http://127.0.0.1:%1").arg(m_port) + fullPath, QUrl::StrictMode);
    if (!url.isValid() || url.host() != QLatin1String("127.0.0.1") || url.port() != m_port)
        throw ZunoAgentBrowserBridgeError(400, QStringLiteral("Invalid ZunoAgentBrowser endpoint path."));

    ZunoHttpRequest request;
    request.method = method.toUtf8();
    request.url = url;
    request.timeout = timeoutOf(timeoutSeconds);
    request.setHeader("Authorization", "Bearer " + token->toUtf8());
    request.setHeader("Content-Type", "application/json");
    if (body && method != QLatin1String("GET")) {
        // Throws the writer's own error for text it cannot write.
        const std::string encoded = body->dump();
        request.body = QByteArray::fromStdString(encoded);
    }

    checkPortOwner();
    ZunoHttpResponse response;
    try {
        response = m_session->send(request, stop);
    } catch (const ZunoHttpError &error) {
        if (error.kind() == ZunoHttpError::Kind::badServerResponse)
            throw ZunoAgentBrowserBridgeError(502, QStringLiteral("No HTTP response from ZunoAgentBrowser."));
        throw;
    }

    Json reply = ZunoBoundedJson::parse(response.body);
    if (reply.is_discarded() || !reply.is_object())
        reply = Json::object();
    if (response.statusCode >= 200 && response.statusCode <= 299)
        return reply;
    const auto error = reply.find("error");
    const QString description = error != reply.end() && error->is_string()
        ? QString::fromStdString(error->get<std::string>())
        : QStringLiteral("HTTP %1").arg(response.statusCode);
    throw ZunoAgentBrowserBridgeError(response.statusCode, description);
}

QString ZunoAgentBrowserBridge::ephemeralWebLookup(
    const QString &url, const QString &agentId, std::stop_token stop)
{
    const Json opened = call(QStringLiteral("/api/agent/open"), QStringLiteral("POST"),
        Json { { "agentId", utf8(agentId) }, { "url", utf8(url) }, { "ephemeral", true },
            { "snapshot", true }, { "tokenMode", "max" }, { "focus", false }, { "aiClient", kAIClient } },
        30.0, stop);

    // From here on the profile is released however the lookup ends; not from a destructor, where a
    // failure to schedule it during an unwinding error would end the process.
    QString text;
    try {
        text = pageText(opened, url, agentId, stop);
    } catch (...) {
        scheduleRelease(agentId);
        throw;
    }
    scheduleRelease(agentId);
    return text;
}

QString ZunoAgentBrowserBridge::pageText(
    const Json &opened, const QString &url, const QString &agentId, std::stop_token stop) const
{
    const auto snapshot = opened.find("snapshot");
    if (snapshot != opened.end() && snapshot->is_object()) {
        const QString compact = stringMember(*snapshot, "compactText");
        if (!compact.isEmpty())
            return compact;
    }
    const Json reply = call(QStringLiteral("/api/agent/snapshot"), QStringLiteral("POST"),
        Json { { "agentId", utf8(agentId) }, { "format", "compact" } }, 30.0, stop);
    const QString compact = stringMember(reply, "compactText");
    if (!compact.isEmpty())
        return compact;
    const QString text = stringMember(reply, "text");
    if (!text.isEmpty())
        return text;
    return QStringLiteral("Loaded ") + url + QStringLiteral(" via ZunoAgentBrowser.");
}

void ZunoAgentBrowserBridge::scheduleRelease(const QString &agentId) noexcept
{
    try {
        {
            std::lock_guard lock(m_releasesMutex);
            m_pendingReleases.push_back(agentId);
            if (!m_releaseWorker.joinable())
                m_releaseWorker = std::jthread([this](std::stop_token stop) { runReleases(stop); });
        }
        m_releasesChanged.notify_all();
    } catch (...) {
        try {
            qWarning("The release of agent browser profile %s could not be started now; a queued release "
                     "goes out with the next lookup's",
                qPrintable(agentId));
        } catch (...) {
            // Out of memory even for the message: nothing more can be done here.
        }
    }
}

void ZunoAgentBrowserBridge::runReleases(std::stop_token stop)
{
    for (;;) {
        QString agentId;
        {
            std::unique_lock lock(m_releasesMutex);
            m_releaseInFlight = false;
            m_releasesChanged.notify_all();
            if (!m_releasesChanged.wait(lock, stop, [this] { return !m_pendingReleases.empty(); }))
                return;
            agentId = std::move(m_pendingReleases.front());
            m_pendingReleases.pop_front();
            m_releaseInFlight = true;
        }
        try {
            call(QStringLiteral("/api/agent/release"), QStringLiteral("POST"),
                Json { { "agentId", utf8(agentId) }, { "deleteProfile", true } }, 30.0, stop);
        } catch (const std::exception &error) {
            // Nobody waits for the clean-up; the agent browser drops stale profiles itself.
            qDebug("Agent browser profile %s was not released: %s", qPrintable(agentId), error.what());
        } catch (...) {
            qDebug("Agent browser profile %s was not released", qPrintable(agentId));
        }
    }
}

bool ZunoAgentBrowserBridge::waitForReleases(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_releasesMutex);
    return m_releasesChanged.wait_for(
        lock, timeout, [this] { return m_pendingReleases.empty() && !m_releaseInFlight; });
}

bool ZunoAgentBrowserBridge::openExternalLink(
    const QString &url, const QString &agentId, bool bringToFront, std::stop_token stop)
{
    if (!checkHealth(stop).running)
        return false;
    try {
        call(QStringLiteral("/api/agent/open"), QStringLiteral("POST"),
            Json { { "agentId", utf8(agentId) }, { "url", utf8(url) }, { "focus", bringToFront },
                { "aiClient", kAIClient } },
            8.0, stop);
    } catch (...) {
        return false;
    }
    try {
        call(QStringLiteral("/api/agent/release"), QStringLiteral("POST"),
            Json { { "agentId", utf8(agentId) } }, 4.0, stop);
    } catch (...) {
        // The link is open; a failed release changes nothing for the caller.
    }
    return true;
}
