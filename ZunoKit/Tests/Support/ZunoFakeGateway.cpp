#include "ZunoFakeGateway.h"

#include <QUrl>

namespace {

using Json = nlohmann::json;

constexpr char kBudgetsPath[] = "/v1/app-budgets";

Json parse(const QByteArray &body)
{
    Json json = Json::parse(body.begin(), body.end(), nullptr, false);
    return json.is_object() ? json : Json::object();
}

} // namespace

const std::vector<QByteArray> &ZunoFakeGateway::chatPieces()
{
    static const std::vector<QByteArray> pieces { "Hello", " from", " the", " fake", " gateway." };
    return pieces;
}

ZunoFakeGateway::ZunoFakeGateway()
    : m_profile({ { "user_id", "user-1" }, { "email", "user@example.com" }, { "name", "Test User" },
        { "available_micros", 5'000'000 }, { "held_micros", 250'000 }, { "credit_unit_micros", 1000 } })
{
    m_server.setHandler([this](const Request &request) { return answer(request); });
}

ZunoFakeGateway::~ZunoFakeGateway()
{
    holdAnswers(false);
    m_server.stop();
}

void ZunoFakeGateway::holdAnswers(bool held)
{
    {
        std::lock_guard lock(m_holdMutex);
        m_held = held;
    }
    m_holdChanged.notify_all();
}

QString ZunoFakeGateway::baseURL() const
{
    return QString::fromLatin1(m_server.url(""));
}

void ZunoFakeGateway::script(const QByteArray &method, const QByteArray &path, std::vector<Reply> replies)
{
    std::lock_guard lock(m_mutex);
    m_scripts[{ method, path }] = std::move(replies);
    m_scriptCalls[{ method, path }] = 0;
}

void ZunoFakeGateway::setProfile(nlohmann::json profile)
{
    std::lock_guard lock(m_mutex);
    m_profile = std::move(profile);
}

std::map<QString, nlohmann::json> ZunoFakeGateway::budgets() const
{
    std::lock_guard lock(m_mutex);
    return m_budgets;
}

ZunoFakeGateway::Reply ZunoFakeGateway::json(int status, const nlohmann::json &body) const
{
    return Reply::text(
        status, QByteArray::fromStdString(body.dump()), { { "Content-Type", "application/json" } });
}

bool ZunoFakeGateway::authorized(const Request &request) const
{
    return request.header("Authorization") == QByteArray("Bearer ") + kToken;
}

std::optional<ZunoFakeGateway::Reply> ZunoFakeGateway::answer(const Request &request)
{
    {
        std::unique_lock hold(m_holdMutex);
        m_holdChanged.wait(hold, [this] { return !m_held; });
    }
    const qsizetype query = request.target.indexOf('?');
    const QByteArray path = query < 0 ? request.target : request.target.left(query);
    const QByteArray &method = request.method;
    std::lock_guard lock(m_mutex);

    if (const auto found = m_scripts.find({ method, path });
        found != m_scripts.end() && !found->second.empty()) {
        std::size_t &calls = m_scriptCalls[{ method, path }];
        const std::size_t index = std::min(calls++, found->second.size() - 1);
        return found->second[index];
    }

    const Json body = parse(request.body);
    const Json unauthorized = { { "error", "unauthorized" } };
    if (method == "POST" && path == "/v1/device/code") {
        const QByteArray base = m_server.url("");
        return json(200,
            { { "device_code", kDeviceCode }, { "user_code", kUserCode },
                { "verification_uri", (base + "/device").toStdString() },
                { "verification_uri_complete", (base + "/device?code=" + kUserCode).toStdString() },
                { "expires_in", 600 }, { "interval", 5 } });
    }
    if (method == "POST" && path == "/v1/device/token") {
        if (body.value("device_code", std::string()) == kDeviceCode)
            return json(200, { { "access_token", kToken }, { "token_type", "bearer" } });
        return json(400, { { "error", "invalid_grant" } });
    }
    if (method == "POST" && path == "/v1/connect/token") {
        if (body.value("code", std::string()) == kConnectCode
            && !body.value("code_verifier", std::string()).empty())
            return json(200, { { "access_token", kToken } });
        return json(400, { { "error", "invalid_grant" } });
    }
    if (!authorized(request))
        return json(401, unauthorized);
    if (method == "GET" && path == "/v1/me") {
        Json profile = m_profile;
        Json budgets = Json::array();
        for (const auto &[app, budget] : m_budgets)
            budgets.push_back(budget);
        profile["app_budgets"] = budgets;
        return json(200, profile);
    }
    if (method == "PUT" && path == kBudgetsPath) {
        const std::string app = body.value("app", std::string());
        if (app.empty())
            return json(400, { { "error", "missing app" } });
        Json budget = { { "app", app }, { "spent_today_credits", 0 }, { "spent_month_credits", 0 } };
        for (const char *key :
            { "daily_limit_credits", "monthly_limit_credits", "low_balance_threshold_credits" }) {
            if (body.contains(key) && !body[key].is_null())
                budget[key] = body[key];
        }
        m_budgets[QString::fromStdString(app)] = budget;
        return json(200, { { "budget", budget } });
    }
    if (method == "DELETE" && path.startsWith(QByteArray(kBudgetsPath) + '/')) {
        const QString app = QUrl::fromPercentEncoding(path.mid(qsizetype(sizeof kBudgetsPath)));
        m_budgets.erase(app);
        return Reply::text(204, {});
    }
    if (method == "GET" && path == "/v1/ai/models") {
        return json(200,
            { { "credit_unit_micros", 1000 }, { "aliases", { "fast", "smart" } },
                { "providers",
                    { { { "id", "openai" }, { "name", "OpenAI" }, { "description", "GPT models" },
                        { "status", "available" }, { "price_multiplier", 1.25 }, { "hold_usd", 0.05 },
                        { "models", { "gpt-4o-mini" } } } } } });
    }
    if (method == "POST" && path == "/v1/ai/chat/completions")
        return chat(body);
    if (method == "POST" && path == "/v1/logout")
        return Reply::text(204, {});
    return std::nullopt;
}

ZunoFakeGateway::Reply ZunoFakeGateway::chat(const nlohmann::json &body)
{
    const qint64 unit = std::max<qint64>(1, m_profile.value("credit_unit_micros", qint64(1000)));
    const qint64 left = std::max<qint64>(0, m_profile.value("available_micros", qint64(0)) - kChatCostMicros);
    m_profile["available_micros"] = left;
    const double usd = double(left) / 1'000'000.0;
    const double credits = double(left) / double(unit);
    const Json billing = { { "available_micros", left }, { "credits_available", credits } };
    const QByteArray usdHeader = QByteArray::number(usd, 'f', 6);
    const QByteArray creditsHeader = QByteArray::number(credits, 'f', 3);

    QByteArray whole;
    for (const QByteArray &piece : chatPieces())
        whole += piece;
    if (!body.value("stream", false)) {
        const Json answer
            = { { "choices",
                    { { { "message", { { "role", "assistant" }, { "content", whole.toStdString() } } } } } },
                  { "quarnwell_billing", billing } };
        return json(200, answer)
            .withHeader("X-Tindrel-Available-Usd", usdHeader)
            .withHeader("X-Tindrel-Credits-Available", creditsHeader);
    }
    std::vector<QByteArray> events;
    const auto &pieces = chatPieces();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Json event = { { "choices", { { { "delta", { { "content", pieces[i].toStdString() } } } } } } };
        if (i + 1 == pieces.size())
            event["quarnwell_billing"] = billing;
        events.push_back("data: " + QByteArray::fromStdString(event.dump()) + "\n\n");
    }
    events.push_back("data: [DONE]\n\n");
    Reply reply = Reply::chunkedBody(std::move(events), kChatEventPause);
    reply.withHeader("Content-Type", "text/event-stream")
        .withHeader("X-Tindrel-Available-Usd", usdHeader)
        .withHeader("X-Tindrel-Credits-Available", creditsHeader);
    return reply;
}
