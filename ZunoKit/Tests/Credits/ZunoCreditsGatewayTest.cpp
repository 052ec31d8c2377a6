#include "ZunoAIClient.h"
#include "ZunoAccountTokenFile.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsError.h"
#include "ZunoDecodingError.h"
#include "ZunoEncodingError.h"
#include "ZunoFakeGateway.h"
#include "ZunoHttpError.h"
#include "ZunoResidentMemory.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <future>
#include <limits>
#include <mutex>

using namespace std::chrono_literals;
using Json = nlohmann::json;
using Reply = ZunoFakeHttpServer::Reply;

namespace {

// The real session, recording every request it is given (time-outs included).
class RecordingSession : public ZunoHttpSession {
public:
    ZunoHttpResponse send(const ZunoHttpRequest &request, std::stop_token stop) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        return ZunoHttpSession::send(request, std::move(stop));
    }
    std::vector<ZunoHttpRequest> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<ZunoHttpRequest> m_requests;
};

const QString kToken = QString::fromLatin1(ZunoFakeGateway::kToken);

std::vector<QByteArray> headerNames(const ZunoHttpRequest &request)
{
    std::vector<QByteArray> names;
    for (const auto &field : request.headers)
        names.push_back(field.first);
    return names;
}

// The error `call` throws, or none.
template <typename Error> std::optional<Error> failureOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Error &error) {
        return error;
    }
    return std::nullopt;
}

std::optional<ZunoCreditsError> creditsFailure(const std::function<void()> &call)
{
    return failureOf<ZunoCreditsError>(call);
}

class ZunoCreditsGatewayTest : public ::testing::Test {
protected:
    ZunoCreditsGatewayTest()
    {
        for (const char *name : { "QUARNWELL_ACCOUNT_DIR", "DEZEVEVEZU_ACCOUNT_DIR", "QUARNWELL_API_URL" })
            environment.set(name, QByteArray());
    }

    ZunoCreditsAccountManager managerFor(const QString &gateway) const
    {
        return ZunoCreditsAccountManager(home.filePath("primary"), home.filePath("legacy"), gateway, session);
    }

    ZunoTestHome home;
    ZunoScopedEnvironment environment;
    ZunoFakeGateway gateway;
    std::shared_ptr<RecordingSession> session = std::make_shared<RecordingSession>();
    ZunoCreditsAccountManager manager = managerFor(gateway.baseURL());
};

} // namespace

TEST_F(ZunoCreditsGatewayTest, EachCallSendsItsMethodPathTimeOutHeadersAndBody)
{
    manager.saveToken(kToken);
    struct Case {
        const char *name;
        std::function<void()> call;
        QByteArray method;
        QByteArray target;
        std::chrono::milliseconds timeout;
        bool authenticated;
        std::optional<Json> body;
    };
    const Case cases[] = {
        { "start device sign-in", [&] { manager.startDeviceSignIn(QStringLiteral("ZunoCam")); }, "POST",
            "/v1/device/code", 15s, false, Json { { "client", "ZunoCam Linux" } } },
        { "poll device sign-in",
            [&] { manager.pollDeviceSignIn(QString::fromLatin1(ZunoFakeGateway::kDeviceCode)); }, "POST",
            "/v1/device/token", 15s, false, Json { { "device_code", ZunoFakeGateway::kDeviceCode } } },
        { "redeem connection code",
            [&] {
                manager.redeemConnectCode(QString::fromLatin1(ZunoFakeGateway::kConnectCode), "verifier");
            },
            "POST", "/v1/connect/token", 15s, false,
            Json { { "code", ZunoFakeGateway::kConnectCode }, { "code_verifier", "verifier" } } },
        { "profile", [&] { manager.fetchProfile(); }, "GET", "/v1/me", 12s, true, std::nullopt },
        { "save budget", [&] { manager.saveAppBudget("ZunoCam", 100, 2000, 50); }, "PUT", "/v1/app-budgets",
            15s, true,
            Json { { "app", "ZunoCam" }, { "daily_limit_credits", 100.0 },
                { "monthly_limit_credits", 2000.0 }, { "low_balance_threshold_credits", 50.0 } } },
        { "delete budget", [&] { manager.deleteAppBudget("ZunoCam"); }, "DELETE", "/v1/app-budgets/ZunoCam",
            15s, true, std::nullopt },
        { "AI providers", [&] { manager.fetchAvailableAIProviders(); }, "GET", "/v1/ai/models", 12s, true,
            std::nullopt },
        { "logout", [&] { manager.signOut(); }, "POST", "/v1/logout", 8s, true, std::nullopt },
    };
    const QByteArray appHeader = ZunoCreditsAccountManager::currentAppHeader().toUtf8();
    for (const Case &c : cases) {
        const std::size_t before = session->requests().size();
        ASSERT_NO_THROW(c.call()) << c.name;
        ASSERT_EQ(session->requests().size(), before + 1) << c.name;
        const ZunoHttpRequest sent = session->requests().back();
        EXPECT_EQ(sent.method, c.method) << c.name;
        EXPECT_EQ(sent.timeout, c.timeout) << c.name;
        std::vector<QByteArray> expectedHeaders;
        if (c.body)
            expectedHeaders.push_back("Content-Type");
        if (c.authenticated) {
            expectedHeaders.push_back("Authorization");
            expectedHeaders.push_back("X-Tindrel-App");
        }
        EXPECT_EQ(headerNames(sent), expectedHeaders) << c.name;

        const ZunoFakeHttpServer::Request received = gateway.requests().back();
        EXPECT_EQ(received.method, c.method) << c.name;
        EXPECT_EQ(received.target, c.target) << c.name;
        if (c.authenticated) {
            EXPECT_EQ(received.header("Authorization"), "Bearer " + kToken.toUtf8()) << c.name;
            EXPECT_EQ(received.header("X-Tindrel-App"), appHeader) << c.name;
        }
        if (c.body) {
            EXPECT_EQ(received.header("Content-Type"), "application/json") << c.name;
            EXPECT_EQ(Json::parse(received.body.toStdString()), *c.body) << c.name;
        } else {
            EXPECT_TRUE(received.body.isEmpty()) << c.name;
            EXPECT_FALSE(received.header("Content-Type")) << c.name;
        }
    }
    EXPECT_TRUE(appHeader.endsWith(" Linux"));
}

TEST_F(ZunoCreditsGatewayTest, ChecksComeInOrderAndNothingIsSentOnFailure)
{
    const std::vector<std::pair<const char *, std::function<void(const ZunoCreditsAccountManager &)>>>
        authenticated {
            { "profile", [](const auto &m) { m.fetchProfile(); } },
            { "save budget", [](const auto &m) { m.saveAppBudget(" ", 1, 1, 1); } },
            { "delete budget", [](const auto &m) { m.deleteAppBudget(" "); } },
            { "AI providers", [](const auto &m) { m.fetchAvailableAIProviders(); } },
        };
    // No token comes first, even with a gateway address that is no web address.
    const ZunoCreditsAccountManager broken = managerFor(QStringLiteral("not a url"));
    for (const auto &[name, call] : authenticated)
        EXPECT_EQ(creditsFailure([&] { call(broken); })->kind(), ZunoCreditsError::Kind::notSignedIn) << name;

    // Then a blank application name, before the address is built.
    broken.saveToken(kToken);
    for (const auto &[name, call] : authenticated) {
        const std::optional<ZunoCreditsError> failure = creditsFailure([&] { call(broken); });
        ASSERT_TRUE(failure) << name;
        if (QByteArray(name).endsWith("budget"))
            EXPECT_EQ(*failure, ZunoCreditsError::serverError(400, QStringLiteral("Missing app identifier.")))
                << name;
        else
            EXPECT_EQ(failure->kind(), ZunoCreditsError::Kind::invalidGatewayURL) << name;
    }

    // Every call refuses an address that is not http(s) with a host; sign-out still forgets the token.
    for (const QString &base :
        { QStringLiteral("not a url"), QStringLiteral("ftp://127.0.0.1"), QStringLiteral("https://") }) {
        const ZunoCreditsAccountManager bad = managerFor(base);
        bad.saveToken(kToken);
        const std::vector<std::function<void()>> calls {
            [&] { bad.startDeviceSignIn("ZunoCam"); },
            [&] { bad.pollDeviceSignIn("d"); },
            [&] { bad.redeemConnectCode("c", "v"); },
            [&] { bad.fetchProfile(); },
            [&] { bad.saveAppBudget("ZunoCam", 1, 1, std::nullopt); },
            [&] { bad.deleteAppBudget("ZunoCam"); },
            [&] { bad.fetchAvailableAIProviders(kToken); },
        };
        for (const auto &call : calls)
            EXPECT_EQ(creditsFailure(call)->kind(), ZunoCreditsError::Kind::invalidGatewayURL)
                << base.toStdString();
    }
    EXPECT_TRUE(broken.savedToken());
    broken.signOut();
    EXPECT_FALSE(broken.savedToken());
    EXPECT_TRUE(session->requests().empty());
    EXPECT_TRUE(gateway.requests().empty());
}

TEST_F(ZunoCreditsGatewayTest, DevicePollOutcomes)
{
    using Kind = ZunoDevicePollResult::Kind;
    struct Case {
        int status;
        QByteArray body;
        std::optional<Kind> kind; // none: serverError with the status and body
    };
    const Case cases[] = {
        { 400, R"({"error":"authorization_pending"})", Kind::pending },
        { 500, R"({"error":"authorization_pending"})", Kind::pending },
        { 429, R"({"error":"slow_down"})", Kind::slowDown },
        { 403, R"({"error":"access_denied"})", Kind::denied },
        { 400, R"({"error":"expired_token"})", Kind::expired },
        { 400, R"({"error":"invalid_grant"})", Kind::expired },
        { 400, R"({"error":"Authorization_Pending"})", std::nullopt },
        { 400, R"({"error":"unknown"})", std::nullopt },
        { 400, R"({"error":7})", std::nullopt },
        { 200, R"({"access_token":""})", std::nullopt },
        { 200, "not json", std::nullopt },
        { 401, R"({"access_token":"t"})", std::nullopt },
        { 200, R"({"access_token":"tok","error":"slow_down"})", Kind::approved },
    };
    for (const Case &c : cases) {
        gateway.script("POST", "/v1/device/token", { Reply::text(c.status, c.body) });
        try {
            const ZunoDevicePollResult result = manager.pollDeviceSignIn("d");
            ASSERT_TRUE(c.kind) << c.body.constData();
            EXPECT_EQ(result.kind, *c.kind) << c.body.constData();
        } catch (const ZunoCreditsError &error) {
            EXPECT_FALSE(c.kind) << c.body.constData();
            EXPECT_EQ(error, ZunoCreditsError::serverError(c.status, QString::fromUtf8(c.body)))
                << c.body.constData();
        }
    }
}

TEST_F(ZunoCreditsGatewayTest, ApprovedPollAndRedeemedCodeSaveTheToken)
{
    gateway.script("POST", "/v1/device/token",
        { Reply::text(400, R"({"error":"authorization_pending"})"),
            Reply::text(400, R"({"error":"authorization_pending"})"),
            Reply::text(200, R"({"access_token":"device-token"})") });
    const ZunoDeviceSignInStart start = manager.startDeviceSignIn("ZunoCam");
    EXPECT_EQ(start.userCode, QString::fromLatin1(ZunoFakeGateway::kUserCode));
    EXPECT_EQ(manager.pollDeviceSignIn(start.deviceCode).kind, ZunoDevicePollResult::Kind::pending);
    EXPECT_EQ(manager.pollDeviceSignIn(start.deviceCode).kind, ZunoDevicePollResult::Kind::pending);
    EXPECT_FALSE(manager.savedToken());
    EXPECT_EQ(manager.pollDeviceSignIn(start.deviceCode), ZunoDevicePollResult::approved("device-token"));
    const QString key = QStringLiteral("account-token ") + gateway.baseURL();
    EXPECT_EQ(ZunoAccountTokenFile::value(manager.primaryAccountFile(), key), QStringLiteral("device-token"));
    EXPECT_EQ(ZunoAccountTokenFile::value(*manager.legacyAccountFile(), key), QStringLiteral("device-token"));

    EXPECT_EQ(manager.redeemConnectCode(QString::fromLatin1(ZunoFakeGateway::kConnectCode), "v"), kToken);
    EXPECT_EQ(manager.savedToken(), kToken);

    const struct {
        int status;
        QByteArray body;
    } refusals[] = { { 200, "{}" }, { 200, R"({"access_token":""})" }, { 201, "[1]" },
        { 401, R"({"access_token":"x"})" }, { 400, R"({"error":"invalid_grant"})" } };
    for (const auto &refusal : refusals) {
        gateway.script("POST", "/v1/connect/token", { Reply::text(refusal.status, refusal.body) });
        EXPECT_EQ(creditsFailure([&] { manager.redeemConnectCode("c", "v"); }),
            ZunoCreditsError::serverError(refusal.status, QString::fromUtf8(refusal.body)));
    }
    EXPECT_EQ(manager.savedToken(), kToken);
}

TEST_F(ZunoCreditsGatewayTest, BudgetBodiesAndAnswers)
{
    manager.saveToken(kToken);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        const char *name;
        std::optional<double> daily;
        std::optional<double> monthly;
        std::optional<double> threshold;
        Json body;
    };
    const Case cases[] = {
        { "0 and absent are both null, no threshold key", 0, std::nullopt, std::nullopt,
            { { "app", "ZunoCam" }, { "daily_limit_credits", nullptr },
                { "monthly_limit_credits", nullptr } } },
        { "negative, NaN and a threshold of 0 are null", -5, nan, 0,
            { { "app", "ZunoCam" }, { "daily_limit_credits", nullptr }, { "monthly_limit_credits", nullptr },
                { "low_balance_threshold_credits", nullptr } } },
        { "minus infinity is not above 0", -infinity, std::nullopt, std::nullopt,
            { { "app", "ZunoCam" }, { "daily_limit_credits", nullptr },
                { "monthly_limit_credits", nullptr } } },
        { "positive values as numbers", 2.5, 100, 10,
            { { "app", "ZunoCam" }, { "daily_limit_credits", 2.5 }, { "monthly_limit_credits", 100.0 },
                { "low_balance_threshold_credits", 10.0 } } },
    };
    for (const Case &c : cases) {
        const std::optional<ZunoAppBudgetStatus> saved
            = manager.saveAppBudget(" ZunoCam\n", c.daily, c.monthly, c.threshold);
        EXPECT_EQ(Json::parse(gateway.requests().back().body.toStdString()), c.body) << c.name;
        ASSERT_TRUE(saved) << c.name;
        EXPECT_EQ(saved->app, QStringLiteral("ZunoCam"));
    }
    EXPECT_EQ(gateway.budgets().at("ZunoCam")["daily_limit_credits"], 2.5);

    // Infinity would be written as null and remove the cap: refused, nothing sent.
    const std::size_t sent = gateway.requests().size();
    EXPECT_THROW(manager.saveAppBudget("ZunoCam", infinity, 1, std::nullopt), ZunoEncodingError);
    EXPECT_THROW(manager.saveAppBudget("ZunoCam", 1, 1, infinity), ZunoEncodingError);
    EXPECT_EQ(gateway.requests().size(), sent);

    const struct {
        QByteArray body;
        std::optional<bool> exceeded; // none: no status
    } answers[] = {
        { "", std::nullopt },
        { "not json", std::nullopt },
        { R"({"ok":true})", std::nullopt },
        { R"({"app":"ZunoCam","exceeded":true})", true },
        { R"({"budget":{"app":"ZunoCam"}})", false },
        { R"({"budget":"unreadable","app_budget":{"app":"ZunoCam"}})", std::nullopt },
        { R"({"app_budget":{"app":"ZunoCam","exceeded":true}})", true },
    };
    for (const auto &answer : answers) {
        gateway.script("PUT", "/v1/app-budgets", { Reply::text(200, answer.body) });
        const std::optional<ZunoAppBudgetStatus> status
            = manager.saveAppBudget("ZunoCam", 1, 1, std::nullopt);
        EXPECT_EQ(status.has_value(), answer.exceeded.has_value()) << answer.body.constData();
        if (status && answer.exceeded) {
            EXPECT_EQ(status->exceeded, *answer.exceeded) << answer.body.constData();
        }
    }
}

TEST_F(ZunoCreditsGatewayTest, DeleteAddressesOneSegment)
{
    manager.saveToken(kToken);
    ASSERT_TRUE(manager.saveAppBudget("a b/c", 1, std::nullopt, std::nullopt));
    manager.deleteAppBudget(" a b/c ");
    EXPECT_EQ(gateway.requests().back().target, "/v1/app-budgets/a%20b%2Fc");
    EXPECT_TRUE(gateway.budgets().empty());
    manager.deleteAppBudget(QStringLiteral("Çekim?#%"));
    EXPECT_EQ(gateway.requests().back().target, "/v1/app-budgets/%C3%87ekim%3F%23%25");

    const std::size_t sent = gateway.requests().size();
    for (const char *name : { ".", "..", " .. " }) {
        EXPECT_EQ(creditsFailure([&] { manager.deleteAppBudget(name); }),
            ZunoCreditsError::serverError(400, QStringLiteral("Invalid app identifier.")))
            << name;
    }
    EXPECT_EQ(gateway.requests().size(), sent);
    manager.deleteAppBudget("...");
    EXPECT_EQ(gateway.requests().back().target, "/v1/app-budgets/...");
}

TEST_F(ZunoCreditsGatewayTest, UnauthorizedOnlyWhereTheTokenIsSent)
{
    const std::optional<QString> wrong = QStringLiteral("stale-token");
    const std::vector<std::function<void()>> authenticated {
        [&] { manager.fetchProfile(wrong); },
        [&] { manager.saveAppBudget("ZunoCam", 1, 1, std::nullopt, wrong); },
        [&] { manager.deleteAppBudget("ZunoCam", wrong); },
        [&] { manager.fetchAvailableAIProviders(wrong); },
    };
    for (const auto &call : authenticated)
        EXPECT_EQ(creditsFailure(call), ZunoCreditsError::unauthorized());
    EXPECT_EQ(gateway.requests().back().header("Authorization"), "Bearer stale-token");

    for (const char *path : { "/v1/device/code", "/v1/device/token", "/v1/connect/token" })
        gateway.script("POST", path, { Reply::text(401, "expired") });
    EXPECT_EQ(creditsFailure([&] { manager.startDeviceSignIn("ZunoCam"); }),
        ZunoCreditsError::serverError(401, QStringLiteral("expired")));
    EXPECT_EQ(creditsFailure([&] { manager.pollDeviceSignIn("d"); }),
        ZunoCreditsError::serverError(401, QStringLiteral("expired")));
    EXPECT_EQ(creditsFailure([&] { manager.redeemConnectCode("c", "v"); }),
        ZunoCreditsError::serverError(401, QStringLiteral("expired")));

    // Other statuses carry the body, or nothing when it is not UTF-8.
    gateway.script(
        "GET", "/v1/me", { Reply::text(503, "down for maintenance"), Reply::text(500, "\xFF\xFE") });
    EXPECT_EQ(creditsFailure([&] { manager.fetchProfile(kToken); }),
        ZunoCreditsError::serverError(503, QStringLiteral("down for maintenance")));
    EXPECT_EQ(
        creditsFailure([&] { manager.fetchProfile(kToken); }), ZunoCreditsError::serverError(500, QString()));
}

TEST_F(ZunoCreditsGatewayTest, AnswersAreDecodedStrictly)
{
    manager.saveToken(kToken);
    const ZunoCreditAccountProfile profile = manager.fetchProfile();
    EXPECT_EQ(profile.email, QStringLiteral("user@example.com"));
    EXPECT_EQ(profile.balanceMicros, 5'250'000);
    EXPECT_EQ(profile.appBudgets, QList<ZunoAppBudgetStatus>());
    const ZunoGatewayAIModelsResponse models = manager.fetchAvailableAIProviders();
    ASSERT_EQ(models.providers.size(), 1);
    EXPECT_EQ(models.providers[0].id, QStringLiteral("openai"));

    gateway.script("GET", "/v1/me",
        { Reply::text(200, "{\"email\": "), Reply::text(200, R"({"email": 5})"), Reply::text(200, "") });
    for (int i = 0; i < 3; ++i)
        EXPECT_THROW(manager.fetchProfile(), ZunoDecodingError);
    gateway.script("POST", "/v1/device/code", { Reply::text(200, R"({"device_code":"d"})") });
    EXPECT_THROW(manager.startDeviceSignIn("ZunoCam"), ZunoDecodingError);
}

TEST_F(ZunoCreditsGatewayTest, BadServers)
{
    manager.saveToken(kToken);
    gateway.script("GET", "/v1/me",
        { Reply::shortBody(500, R"({"email":)"), Reply::closeWithoutAnswer(),
            Reply::text(200, R"({"name":"Slow"})").delayed(1s), Reply::hold() });
    EXPECT_EQ(failureOf<ZunoHttpError>([&] { manager.fetchProfile(); })->kind(),
        ZunoHttpError::Kind::connectionLost);
    EXPECT_EQ(creditsFailure([&] { manager.fetchProfile(); }),
        ZunoCreditsError::serverError(0, QStringLiteral("No HTTP response")));
    EXPECT_EQ(manager.fetchProfile().name, QStringLiteral("Slow"));

    std::stop_source stop;
    auto hanging = std::async(std::launch::async, [&] {
        return failureOf<ZunoHttpError>([&] { manager.fetchProfile(std::nullopt, stop.get_token()); });
    });
    ASSERT_TRUE(gateway.server().waitForRequests(4));
    stop.request_stop();
    // Far below the call's own 12 s time-out; generous for a loaded machine.
    ASSERT_EQ(hanging.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(hanging.get()->kind(), ZunoHttpError::Kind::cancelled);
}

TEST_F(ZunoCreditsGatewayTest, SignOutForgetsTheTokenEvenWithTheGatewayDown)
{
    manager.saveToken(kToken);
    manager.signOut();
    EXPECT_FALSE(manager.savedToken());
    EXPECT_EQ(gateway.requests().back().target, "/v1/logout");

    QString closedBase;
    {
        ZunoFakeGateway stopped;
        closedBase = stopped.baseURL();
    }
    const ZunoCreditsAccountManager offline = managerFor(closedBase);
    offline.saveToken(QStringLiteral("offline-token"));
    offline.signOut();
    const QString key = QStringLiteral("account-token ") + closedBase;
    EXPECT_FALSE(ZunoAccountTokenFile::value(offline.primaryAccountFile(), key));
    EXPECT_FALSE(ZunoAccountTokenFile::value(*offline.legacyAccountFile(), key));
    EXPECT_EQ(session->requests().back().url.path(), QStringLiteral("/v1/logout"));

    // Without a saved token nothing is sent.
    const std::size_t sent = session->requests().size();
    offline.signOut();
    EXPECT_EQ(session->requests().size(), sent);
}

TEST_F(ZunoCreditsGatewayTest, ErrorPagesBecomeShortTextsOnTheAccountAndTheChatRoutes)
{
    manager.saveToken(kToken);
    const QByteArray page = "<!DOCTYPE html>\n<html><head><title>502 Bad Gateway</title></head><body>"
        + QByteArray(216 * 1024, 'x') + "</body></html>";
    const Reply pageReply = Reply::text(502, page, { { "Content-Type", "text/html" } });
    const QString longText = QString(400, u'ş');
    const Reply textReply = Reply::text(500, "  " + longText.toUtf8() + "  ");
    gateway.script("GET", "/v1/me", { pageReply, textReply });
    gateway.script("POST", "/v1/ai/chat/completions", { pageReply, pageReply, textReply, textReply });

    const ZunoAIClient client(
        session, std::make_shared<ZunoCreditsAccountManager>(manager), [](auto, auto) {});
    const ZunoAIConfig chat(ZunoAIProvider::quarnwellCredits, gateway.baseURL() + "/v1/ai/chat/completions");
    const std::function<void()> streamed = [&] {
        const auto stream = client.completeStreaming("s", "u", chat);
        while (stream->next()) { }
    };
    const std::function<void()> whole = [&] { client.complete("s", "u", chat); };

    // A web page reads as its status alone, whichever route it answers.
    const std::optional<ZunoCreditsError> html = creditsFailure([&] { manager.fetchProfile(); });
    ASSERT_TRUE(html);
    EXPECT_EQ(*html, ZunoCreditsError::serverError(502, QString()));
    EXPECT_EQ(html->errorDescription(), QStringLiteral("HTTP 502"));
    for (const auto &call : { whole, streamed }) {
        const auto chatError = failureOf<ZunoAIClientError>(call);
        ASSERT_TRUE(chatError);
        EXPECT_EQ(*chatError, ZunoAIClientError::httpError(502, QString()));
        EXPECT_EQ(chatError->errorDescription(), QStringLiteral("HTTP 502"));
    }

    // Plain text is kept, cut to 300 characters on both routes.
    EXPECT_EQ(creditsFailure([&] { manager.fetchProfile(); }),
        ZunoCreditsError::serverError(500, longText.left(300)));
    for (const auto &call : { whole, streamed })
        EXPECT_EQ(failureOf<ZunoAIClientError>(call), ZunoAIClientError::httpError(500, longText.left(300)));
}

TEST_F(ZunoCreditsGatewayTest, AFloodOfBracketsIsRefusedWithoutBeingHeld)
{
    manager.saveToken(kToken);
    const QByteArray mebibyte(1024 * 1024, '[');
    gateway.script("GET", "/v1/me",
        { Reply::chunkedBody(std::vector<QByteArray>(16, mebibyte)), Reply::text(200, mebibyte.chopped(1)) });

    std::optional<ZunoHttpError> flood;
    std::optional<ZunoDecodingError> nested;
    const qint64 growth = ZunoResidentMemory::peakGrowthDuring([&] {
        flood = failureOf<ZunoHttpError>([&] { manager.fetchProfile(); });
        nested = failureOf<ZunoDecodingError>([&] { manager.fetchProfile(); });
    });
    ASSERT_TRUE(flood);
    EXPECT_EQ(flood->kind(), ZunoHttpError::Kind::responseTooLarge);
    EXPECT_TRUE(nested);
    if (growth < 0)
        GTEST_SKIP() << "the kernel does not let the peak resident size be reset";
    // An account answer is capped at 1 MiB and its nesting bounded; 32 MiB leaves room for the
    // allocator and the server's own copies, far below a parsed million-deep array.
    EXPECT_LT(growth, 32 * 1024 * 1024);
}
