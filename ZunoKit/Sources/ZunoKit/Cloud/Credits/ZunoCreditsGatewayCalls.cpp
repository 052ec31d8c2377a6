// The gateway half of the account manager: one request per call.

#include "ZunoCreditsAccountManager.h"

#include "ZunoBoundedJson.h"

#include "ZunoCreditsError.h"
#include "ZunoDecodingError.h"
#include "ZunoHttpError.h"
#include "ZunoHttpErrorBody.h"
#include "ZunoStrictJson.h"
#include "ZunoWebURL.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cmath>

namespace {

using Json = nlohmann::json;
using namespace std::chrono_literals;

constexpr auto kSignInTimeout = 15s;
constexpr auto kReadTimeout = 12s;
constexpr auto kBudgetTimeout = 15s;
constexpr auto kLogoutTimeout = 8s;
// Account answers are a few KiB; a larger one is refused before it is buffered or parsed.
constexpr std::int64_t kAccountMaxBodyBytes = 1024 * 1024;

bool isSuccess(int status)
{
    return status >= 200 && status <= 299;
}

ZunoHttpRequest makeRequest(const QByteArray &method, const QUrl &url, std::chrono::seconds timeout,
    const std::optional<Json> &body = std::nullopt, const std::optional<QString> &token = std::nullopt)
{
    ZunoHttpRequest request;
    request.method = method;
    request.url = url;
    request.timeout = timeout;
    request.maxBodyBytes = kAccountMaxBodyBytes;
    if (body) {
        request.setHeader("Content-Type", "application/json");
        request.body = QByteArray::fromStdString(body->dump());
    }
    if (token) {
        request.setHeader("Authorization", "Bearer " + token->toUtf8());
        request.setHeader("X-Tindrel-App", ZunoCreditsAccountManager::currentAppHeader().toUtf8());
    }
    return request;
}

// Sends; an answer that is not HTTP at all becomes the account's own error, other transport failures
// pass through.
ZunoHttpResponse send(ZunoHttpSession &session, const ZunoHttpRequest &request, std::stop_token stop)
{
    try {
        return session.send(request, std::move(stop));
    } catch (const ZunoHttpError &error) {
        if (error.kind() == ZunoHttpError::Kind::badServerResponse)
            throw ZunoCreditsError::serverError(0, QStringLiteral("No HTTP response"));
        throw;
    }
}

void checkStatus(const ZunoHttpResponse &response, bool authenticated)
{
    if (authenticated && response.statusCode == 401)
        throw ZunoCreditsError::unauthorized();
    if (!isSuccess(response.statusCode))
        throw ZunoCreditsError::serverError(
            response.statusCode, ZunoHttpErrorBody::readableText(response.body));
}

template <typename T> T decode(const QByteArray &body)
{
    const Json json = ZunoBoundedJson::parse(body);
    if (json.is_discarded())
        throw ZunoDecodingError("the body is not JSON");
    return json.get<T>();
}

// The body as a JSON object; anything else counts as an empty one.
Json lenientObject(const QByteArray &body)
{
    Json json = ZunoBoundedJson::parse(body);
    return json.is_object() ? json : Json::object();
}

// A non-empty "access_token" string of a 2xx answer.
std::optional<QString> grantedToken(const ZunoHttpResponse &response, const Json &object)
{
    if (!isSuccess(response.statusCode))
        return std::nullopt;
    const auto found = object.find("access_token");
    if (found == object.end() || !found->is_string() || found->get_ref<const std::string &>().empty())
        return std::nullopt;
    return QString::fromStdString(found->get<std::string>());
}

// A cap above 0 as a number, else null (which removes it). Infinity is above 0 but not a number JSON
// can carry, and null would silently remove the cap, so it is refused.
Json capValue(const std::optional<double> &value, const char *key)
{
    if (value && *value > 0)
        return ZunoStrictJson::finite(*value, key);
    return nullptr;
}

std::optional<ZunoAppBudgetStatus> budgetFrom(const Json &json)
{
    try {
        return json.get<ZunoAppBudgetStatus>();
    } catch (const ZunoDecodingError &) {
        return std::nullopt;
    }
}

QString trimmedAppName(const QString &app)
{
    const QString trimmed = app.trimmed();
    if (trimmed.isEmpty())
        throw ZunoCreditsError::serverError(400, QStringLiteral("Missing app identifier."));
    return trimmed;
}

} // namespace

QString ZunoCreditsAccountManager::requireToken(const std::optional<QString> &tokenOverride) const
{
    if (tokenOverride)
        return *tokenOverride;
    if (std::optional<QString> token = savedToken())
        return *token;
    throw ZunoCreditsError::notSignedIn();
}

QUrl ZunoCreditsAccountManager::endpoint(const QString &path) const
{
    const std::optional<QUrl> url = ZunoWebURL::parse(resolvedGatewayURL(m_gatewayURLOverride) + path);
    if (!url)
        throw ZunoCreditsError::invalidGatewayURL();
    return *url;
}

ZunoDeviceSignInStart ZunoCreditsAccountManager::startDeviceSignIn(
    const QString &clientName, std::stop_token stop) const
{
    const QUrl url = endpoint(QStringLiteral("/v1/device/code"));
    const Json body = { { "client", (clientName + QStringLiteral(" Linux")).toStdString() } };
    const ZunoHttpResponse response
        = send(*m_session, makeRequest("POST", url, kSignInTimeout, body), std::move(stop));
    checkStatus(response, false);
    return decode<ZunoDeviceSignInStart>(response.body);
}

ZunoDevicePollResult ZunoCreditsAccountManager::pollDeviceSignIn(
    const QString &deviceCode, std::stop_token stop) const
{
    const QUrl url = endpoint(QStringLiteral("/v1/device/token"));
    const Json body = { { "device_code", deviceCode.toStdString() } };
    const ZunoHttpResponse response
        = send(*m_session, makeRequest("POST", url, kSignInTimeout, body), std::move(stop));
    const Json object = lenientObject(response.body);
    if (const std::optional<QString> token = grantedToken(response, object)) {
        if (!saveToken(*token))
            throw ZunoCreditsError::tokenNotSaved(primaryAccountFile());
        return ZunoDevicePollResult::approved(*token);
    }
    if (const auto error = object.find("error"); error != object.end() && error->is_string()) {
        const std::string &code = error->get_ref<const std::string &>();
        if (code == "authorization_pending")
            return ZunoDevicePollResult::pending();
        if (code == "slow_down")
            return ZunoDevicePollResult::slowDown();
        if (code == "access_denied")
            return ZunoDevicePollResult::denied();
        if (code == "expired_token" || code == "invalid_grant")
            return ZunoDevicePollResult::expired();
    }
    throw ZunoCreditsError::serverError(response.statusCode, ZunoHttpErrorBody::readableText(response.body));
}

QString ZunoCreditsAccountManager::redeemConnectCode(
    const QString &code, const QString &codeVerifier, std::stop_token stop) const
{
    const QUrl url = endpoint(QStringLiteral("/v1/connect/token"));
    const Json body = { { "code", code.toStdString() }, { "code_verifier", codeVerifier.toStdString() } };
    const ZunoHttpResponse response
        = send(*m_session, makeRequest("POST", url, kSignInTimeout, body), std::move(stop));
    const std::optional<QString> token = grantedToken(response, lenientObject(response.body));
    if (!token)
        throw ZunoCreditsError::serverError(
            response.statusCode, ZunoHttpErrorBody::readableText(response.body));
    if (!saveToken(*token))
        throw ZunoCreditsError::tokenNotSaved(primaryAccountFile());
    return *token;
}

ZunoCreditAccountProfile ZunoCreditsAccountManager::fetchProfile(
    const std::optional<QString> &tokenOverride, std::stop_token stop) const
{
    const QString token = requireToken(tokenOverride);
    const QUrl url = endpoint(QStringLiteral("/v1/me"));
    const ZunoHttpResponse response
        = send(*m_session, makeRequest("GET", url, kReadTimeout, std::nullopt, token), std::move(stop));
    checkStatus(response, true);
    return decode<ZunoCreditAccountProfile>(response.body);
}

std::optional<ZunoAppBudgetStatus> ZunoCreditsAccountManager::saveAppBudget(const QString &app,
    std::optional<double> dailyLimitCredits, std::optional<double> monthlyLimitCredits,
    std::optional<double> lowBalanceThresholdCredits, const std::optional<QString> &tokenOverride,
    std::stop_token stop) const
{
    const QString token = requireToken(tokenOverride);
    const QString name = trimmedAppName(app);
    const QUrl url = endpoint(QStringLiteral("/v1/app-budgets"));
    Json body = { { "app", name.toStdString() },
        { "daily_limit_credits", capValue(dailyLimitCredits, "daily_limit_credits") },
        { "monthly_limit_credits", capValue(monthlyLimitCredits, "monthly_limit_credits") } };
    if (lowBalanceThresholdCredits)
        body["low_balance_threshold_credits"]
            = capValue(lowBalanceThresholdCredits, "low_balance_threshold_credits");
    const ZunoHttpResponse response
        = send(*m_session, makeRequest("PUT", url, kBudgetTimeout, body, token), std::move(stop));
    checkStatus(response, true);

    const Json json = ZunoBoundedJson::parse(response.body);
    if (json.is_discarded())
        return std::nullopt;
    if (std::optional<ZunoAppBudgetStatus> whole = budgetFrom(json))
        return whole;
    if (!json.is_object())
        return std::nullopt;
    for (const char *key : { "budget", "app_budget" }) {
        if (const auto found = json.find(key); found != json.end())
            return budgetFrom(*found);
    }
    return std::nullopt;
}

void ZunoCreditsAccountManager::deleteAppBudget(
    const QString &app, const std::optional<QString> &tokenOverride, std::stop_token stop) const
{
    const QString token = requireToken(tokenOverride);
    const QString name = trimmedAppName(app);
    // A dot segment would be resolved away by servers and proxies: the DELETE would reach another resource.
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        throw ZunoCreditsError::serverError(400, QStringLiteral("Invalid app identifier."));
    // The path characters without "/", "?" and "#": the name stays one segment.
    const QByteArray encoded = QUrl::toPercentEncoding(name, "!$&'()*+,;=:@");
    const QUrl url = endpoint(QStringLiteral("/v1/app-budgets/") + QString::fromLatin1(encoded));
    const ZunoHttpResponse response
        = send(*m_session, makeRequest("DELETE", url, kBudgetTimeout, std::nullopt, token), std::move(stop));
    checkStatus(response, true);
}

ZunoGatewayAIModelsResponse ZunoCreditsAccountManager::fetchAvailableAIProviders(
    const std::optional<QString> &tokenOverride, std::stop_token stop) const
{
    const QString token = requireToken(tokenOverride);
    const QUrl url = endpoint(QStringLiteral("/v1/ai/models"));
    const ZunoHttpResponse response
        = send(*m_session, makeRequest("GET", url, kReadTimeout, std::nullopt, token), std::move(stop));
    checkStatus(response, true);
    return decode<ZunoGatewayAIModelsResponse>(response.body);
}

void ZunoCreditsAccountManager::signOut() const
{
    if (const std::optional<QString> token = savedToken()) {
        const std::optional<QUrl> url
            = ZunoWebURL::parse(resolvedGatewayURL(m_gatewayURLOverride) + QStringLiteral("/v1/logout"));
        if (url) {
            try {
                m_session->send(makeRequest("POST", *url, kLogoutTimeout, std::nullopt, token));
            } catch (const std::exception &) {
                // The gateway forgets the token by itself in time; the local token goes either way.
            }
        }
    }
    clearLocalToken();
}
