#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsError.h"
#include "ZunoDesktopServices.h"
#include "ZunoFakeGateway.h"
#include "ZunoFeedbackService.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <condition_variable>
#include <functional>
#include <future>
#include <limits>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using Json = nlohmann::json;
using Reply = ZunoFakeHttpServer::Reply;
using Health = ZunoCreditsHealthStatus;

namespace {

const QString kToken = QString::fromLatin1(ZunoFakeGateway::kToken);

// Time that moves only when told, or when a route sleeps. With `holdSleeps`, a sleep waits for its stop.
class VirtualClock final : public ZunoCreditsClock {
public:
    std::chrono::steady_clock::time_point steadyNow() const override
    {
        std::lock_guard lock(m_mutex);
        return m_steady;
    }
    QDateTime wallNow() const override
    {
        std::lock_guard lock(m_mutex);
        return m_wall;
    }
    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) override
    {
        std::unique_lock lock(m_mutex);
        if (m_holdSleeps) {
            ++m_heldSleeps;
            std::condition_variable_any never;
            never.wait(lock, stop, [] { return false; });
            return false;
        }
        m_sleeps.push_back(duration);
        m_steady += duration;
        m_wall = m_wall.addMSecs(duration.count());
        return !stop.stop_requested();
    }
    void advance(std::chrono::milliseconds duration)
    {
        std::lock_guard lock(m_mutex);
        m_steady += duration;
        m_wall = m_wall.addMSecs(duration.count());
    }
    void setWall(const QDateTime &wall)
    {
        std::lock_guard lock(m_mutex);
        m_wall = wall;
    }
    void holdSleeps()
    {
        std::lock_guard lock(m_mutex);
        m_holdSleeps = true;
    }
    int heldSleeps() const
    {
        std::lock_guard lock(m_mutex);
        return m_heldSleeps;
    }
    std::vector<std::chrono::milliseconds> sleeps() const
    {
        std::lock_guard lock(m_mutex);
        return m_sleeps;
    }

private:
    mutable std::mutex m_mutex;
    std::chrono::steady_clock::time_point m_steady { std::chrono::hours(1000) };
    QDateTime m_wall = QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC);
    std::vector<std::chrono::milliseconds> m_sleeps;
    bool m_holdSleeps = false;
    int m_heldSleeps = 0;
};

// Records what the store opens; with `playBrowser`, answers a connect page the way the portal would
// send the browser back.
class RecordingDesktop final : public ZunoDesktopServices {
public:
    ~RecordingDesktop() override
    {
        for (std::thread &browser : m_browsers)
            browser.join();
    }
    void revealFile(const QString &) override { }
    void openUrl(const QUrl &url) override
    {
        opened.append(url);
        if (!playBrowser || !url.path().endsWith(QLatin1String("/baglan")))
            return;
        const QUrlQuery query(url);
        const quint16 port = static_cast<quint16>(QUrl(query.queryItemValue("redirect_uri")).port());
        const QByteArray request = "GET /?code=" + QByteArray(ZunoFakeGateway::kConnectCode)
            + "&state=" + query.queryItemValue("state").toUtf8() + " HTTP/1.1\r\n\r\n";
        m_browsers.emplace_back([port, request] {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address {};
            address.sin_family = AF_INET;
            address.sin_port = htons(port);
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
                ::send(fd, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL);
                char chunk[4096];
                while (::recv(fd, chunk, sizeof chunk, 0) > 0) { }
            }
            ::close(fd);
        });
    }
    bool playBrowser = false;
    QList<QUrl> opened;

private:
    std::vector<std::thread> m_browsers;
};

// Spins the event loop (where the store's continuations run) until `condition` holds.
bool spinUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout = 20s)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

template <typename T> T await(QFuture<T> future)
{
    EXPECT_TRUE(spinUntil([&] { return future.isFinished(); }));
    if constexpr (!std::is_void_v<T>)
        return future.result();
}

bool refusesConnections(const QUrl &connectURL)
{
    const quint16 port
        = static_cast<quint16>(QUrl(QUrlQuery(connectURL).queryItemValue("redirect_uri")).port());
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool refused = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0;
    ::close(fd);
    return refused;
}

int requestsTo(const ZunoFakeGateway &gateway, const QByteArray &target)
{
    int count = 0;
    for (const auto &request : const_cast<ZunoFakeGateway &>(gateway).requests())
        count += request.target == target ? 1 : 0;
    return count;
}

Reply jsonReply(int status, const Json &body)
{
    return Reply::text(status, QByteArray::fromStdString(body.dump()));
}

Json deviceStart(int interval, int expiresIn, const std::string &complete = "http://127.0.0.1:1/device?c=1")
{
    return { { "device_code", ZunoFakeGateway::kDeviceCode }, { "user_code", ZunoFakeGateway::kUserCode },
        { "verification_uri", "http://127.0.0.1:1/device" }, { "verification_uri_complete", complete },
        { "expires_in", expiresIn }, { "interval", interval } };
}

class ZunoCreditsAccountStoreTest : public ::testing::Test {
protected:
    ZunoCreditsAccountStoreTest()
    {
        for (const char *name : { "QUARNWELL_ACCOUNT_DIR", "DEZEVEVEZU_ACCOUNT_DIR", "QUARNWELL_API_URL" })
            environment.set(name, QByteArray());
        previousDesktop = ZunoDesktopServices::replaceShared(desktop);
    }
    ~ZunoCreditsAccountStoreTest() override
    {
        store.reset();
        ZunoDesktopServices::replaceShared(previousDesktop);
    }

    void signIn()
    {
        manager->saveToken(kToken);
        await(store->refresh());
        ASSERT_TRUE(store->isSignedIn());
    }

    ZunoTestHome home;
    ZunoScopedEnvironment environment;
    ZunoFakeGateway gateway;
    std::shared_ptr<RecordingDesktop> desktop = std::make_shared<RecordingDesktop>();
    std::shared_ptr<ZunoDesktopServices> previousDesktop;
    std::shared_ptr<ZunoCreditsAccountManager> manager = std::make_shared<ZunoCreditsAccountManager>(
        home.filePath("account"), std::nullopt, gateway.baseURL());
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    std::unique_ptr<ZunoCreditsAccountStore> store
        = std::make_unique<ZunoCreditsAccountStore>(manager, clock);
};

} // namespace

TEST_F(ZunoCreditsAccountStoreTest, RefreshPublishesTheAccount)
{
    EXPECT_EQ(store->healthStatus(), Health::disconnected);
    EXPECT_FALSE(store->isSignedIn() || store->profile() || store->lastSyncedAt() || store->isRefreshing());
    manager->saveToken(kToken);
    EXPECT_FALSE(store->isSignedIn());

    // Held, so that the refresh is still under way however fast its worker runs.
    gateway.holdAnswers(true);
    const QFuture<void> refreshing = store->refresh();
    EXPECT_TRUE(store->isRefreshing());
    EXPECT_TRUE(store->refresh().isFinished()); // a second one returns at once
    gateway.holdAnswers(false);
    await(refreshing);
    EXPECT_TRUE(store->isSignedIn());
    EXPECT_EQ(store->profile()->email, QStringLiteral("user@example.com"));
    ASSERT_EQ(store->activeAIProviders().size(), 1);
    EXPECT_EQ(store->lastSyncedAt(), clock->wallNow());
    EXPECT_EQ(store->healthStatus(), Health::healthy);
    EXPECT_FALSE(store->lastError());
    EXPECT_EQ(requestsTo(gateway, "/v1/me"), 1);

    // Another failure keeps the state; a provider-list failure keeps the old list.
    const QDateTime synced = *store->lastSyncedAt();
    clock->advance(1min);
    gateway.script("GET", "/v1/me", { Reply::text(500, "boom") });
    await(store->refresh());
    EXPECT_TRUE(store->isSignedIn());
    EXPECT_TRUE(store->profile());
    EXPECT_EQ(store->lastError(), QStringLiteral("HTTP 500: boom"));
    EXPECT_EQ(store->lastSyncedAt(), synced);
    gateway.script("GET", "/v1/me", { jsonReply(200, { { "name", "Renamed" }, { "available_micros", 1 } }) });
    gateway.script("GET", "/v1/ai/models", { Reply::text(503, "later") });
    await(store->refresh());
    EXPECT_EQ(store->profile()->name, QStringLiteral("Renamed"));
    EXPECT_EQ(store->activeAIProviders().size(), 1);
    EXPECT_FALSE(store->lastError());

    // A token the gateway refuses: signed out, the token kept, the reason shown.
    gateway.script("GET", "/v1/me", { Reply::text(401, "expired") });
    await(store->refresh());
    EXPECT_FALSE(store->isSignedIn());
    EXPECT_FALSE(store->profile());
    EXPECT_EQ(store->lastError(), ZunoCreditsError::unauthorized().errorDescription());
    EXPECT_EQ(manager->savedToken(), kToken);

    // No token: signed out quietly.
    manager->clearLocalToken();
    await(store->refresh());
    EXPECT_FALSE(store->isSignedIn());
    EXPECT_FALSE(store->lastError());
    EXPECT_TRUE(store->activeAIProviders().isEmpty());
}

TEST_F(ZunoCreditsAccountStoreTest, RefreshIfStaleFollowsTheSharedFileAndTheSteadyClock)
{
    signIn();
    const ZunoCreditsAccountManager otherApplication(
        home.filePath("account"), std::nullopt, gateway.baseURL());
    clock->advance(2min);
    await(store->refreshIfStale(300));
    EXPECT_EQ(requestsTo(gateway, "/v1/me"), 1);

    otherApplication.clearLocalToken();
    await(store->refreshIfStale(300));
    EXPECT_FALSE(store->isSignedIn());
    otherApplication.saveToken(kToken);
    await(store->refreshIfStale(300));
    EXPECT_TRUE(store->isSignedIn());
    const int fetched = requestsTo(gateway, "/v1/me");

    // A wall clock set back a day does not make the store look fresh.
    clock->setWall(clock->wallNow().addDays(-1));
    clock->advance(299s);
    await(store->refreshIfStale(300));
    EXPECT_EQ(requestsTo(gateway, "/v1/me"), fetched);
    clock->advance(1s);
    await(store->refreshIfStale(300));
    EXPECT_EQ(requestsTo(gateway, "/v1/me"), fetched + 1);
}

TEST_F(ZunoCreditsAccountStoreTest, HealthStatus)
{
    struct Case {
        const char *name;
        Json profile;
        Health health;
    };
    const Json budget = { { "app", "ZunoCam" }, { "daily_limit_credits", 100 } };
    const Case cases[] = {
        { "plain", { { "available_micros", 5'000'000 } }, Health::healthy },
        { "nothing available", { { "available_micros", 0 } }, Health::critical },
        { "exceeded budget",
            { { "available_micros", 5'000'000 },
                { "current_app_budget", { { "app", "ZunoCam" }, { "exceeded", true } } } },
            Health::critical },
        { "critical in capitals",
            { { "available_micros", 5'000'000 },
                { "budget_warnings",
                    { { { "kind", "k" }, { "severity", "CRITICAL" }, { "message", "m" } } } } },
            Health::critical },
        { "low balance", { { "available_micros", 5'000'000 }, { "low_balance", true } }, Health::warning },
        { "exactly 80 % of the daily limit",
            { { "available_micros", 5'000'000 },
                { "current_app_budget",
                    { { "app", "ZunoCam" }, { "daily_limit_credits", 100 },
                        { "spent_today_credits", 80 } } } },
            Health::warning },
        { "79 % is fine",
            { { "available_micros", 5'000'000 },
                { "current_app_budget",
                    { { "app", "ZunoCam" }, { "daily_limit_credits", 100 },
                        { "spent_today_credits", 79 } } } },
            Health::healthy },
        { "any warning",
            { { "available_micros", 5'000'000 },
                { "budget_warnings", { { { "kind", "k" }, { "severity", "info" }, { "message", "m" } } } } },
            Health::warning },
    };
    manager->saveToken(kToken);
    for (const Case &c : cases) {
        gateway.setProfile(c.profile);
        await(store->refresh());
        EXPECT_EQ(store->healthStatus(), c.health) << c.name;
        EXPECT_EQ(store->hasWarningOrAlert(), c.health == Health::warning || c.health == Health::critical)
            << c.name;
    }
}

TEST_F(ZunoCreditsAccountStoreTest, LiveBillingBalance)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    store->applyLiveBillingBalance(nan, infinity);
    EXPECT_FALSE(store->isSignedIn() || store->profile() || store->lastSyncedAt());
    store->applyLiveBillingBalance(1e300, std::nullopt); // beyond 64-bit micros: absent
    EXPECT_FALSE(store->profile());

    store->applyLiveBillingBalance(1.5, std::nullopt);
    ASSERT_TRUE(store->profile());
    EXPECT_TRUE(store->isSignedIn());
    EXPECT_EQ(store->profile()->availableMicros, 1'500'000);
    EXPECT_EQ(store->profile()->balanceMicros, 1'500'000);
    EXPECT_EQ(store->profile()->creditUnitMicros, 1000);
    EXPECT_TRUE(store->profile()->lowBalance);
    EXPECT_EQ(store->profile()->portalUrl, QStringLiteral("https://quarnwell.com"));
    EXPECT_EQ(store->lastSyncedAt(), clock->wallNow());

    store = std::make_unique<ZunoCreditsAccountStore>(manager, clock);
    store->applyLiveBillingBalance(std::nullopt, 2500);
    EXPECT_EQ(store->profile()->availableMicros, 2'500'000);
    EXPECT_FALSE(store->profile()->lowBalance);

    // With a profile, through its own update; an overflowing USD value falls back to credits.
    clock->advance(1min);
    const QDateTime before = *store->lastSyncedAt();
    store->applyLiveBillingBalance(nan, -infinity);
    EXPECT_EQ(store->lastSyncedAt(), before);
    store->applyLiveBillingBalance(1e300, 3000);
    EXPECT_EQ(store->profile()->availableMicros, 3'000'000);
    EXPECT_EQ(store->lastSyncedAt(), clock->wallNow());
}

TEST_F(ZunoCreditsAccountStoreTest, DeviceRouteTiming)
{
    // Interval 1 and expiry 30 become 3 s and 60 s.
    gateway.script("POST", "/v1/device/code", { jsonReply(200, deviceStart(1, 30, "file:///x.desktop")) });
    gateway.script("POST", "/v1/device/token", { jsonReply(400, { { "error", "authorization_pending" } }) });
    store->startDeviceSignIn();
    EXPECT_TRUE(store->isSigningIn());
    ASSERT_TRUE(spinUntil([&] { return !store->isSigningIn(); }));
    EXPECT_EQ(store->lastError(), QStringLiteral("Device approval code expired."));
    const std::vector<std::chrono::milliseconds> sleeps = clock->sleeps();
    EXPECT_EQ(sleeps.size(), 20u);
    EXPECT_TRUE(std::all_of(sleeps.begin(), sleeps.end(), [](auto s) { return s == 3s; }));
    EXPECT_EQ(requestsTo(gateway, "/v1/device/token"), 20);
    // The file address is never opened; the plain web one is.
    ASSERT_EQ(desktop->opened.size(), 1);
    EXPECT_EQ(desktop->opened[0], QUrl("http://127.0.0.1:1/device"));
    EXPECT_FALSE(store->pendingDeviceSignIn());

    // Slow-downs from 5: 8, 11, 14, 17, then 20 at most.
    store = std::make_unique<ZunoCreditsAccountStore>(manager, clock);
    const std::size_t slept = clock->sleeps().size();
    gateway.script("POST", "/v1/device/code", { jsonReply(200, deviceStart(5, 600)) });
    const Reply slowDown = jsonReply(400, { { "error", "slow_down" } });
    gateway.script("POST", "/v1/device/token",
        { slowDown, slowDown, slowDown, slowDown, slowDown, slowDown,
            jsonReply(400, { { "error", "access_denied" } }) });
    store->startDeviceSignIn();
    ASSERT_TRUE(spinUntil([&] { return !store->isSigningIn(); }));
    const std::vector<std::chrono::milliseconds> all = clock->sleeps();
    const std::vector<std::chrono::milliseconds> slowed(all.begin() + static_cast<long>(slept), all.end());
    const std::vector<std::chrono::milliseconds> expected { 5s, 8s, 11s, 14s, 17s, 20s, 20s };
    EXPECT_EQ(slowed, expected);
    EXPECT_EQ(store->lastError(), QStringLiteral("Device connection was denied."));
}

TEST_F(ZunoCreditsAccountStoreTest, DeviceRouteOutcomes)
{
    gateway.script("POST", "/v1/device/code", { jsonReply(200, deviceStart(5, 600)) });
    gateway.script("POST", "/v1/device/token", { jsonReply(400, { { "error", "expired_token" } }) });
    store->startDeviceSignIn();
    ASSERT_TRUE(spinUntil([&] { return !store->isSigningIn(); }));
    EXPECT_EQ(store->lastError(), QStringLiteral("Device approval code expired."));

    gateway.script("POST", "/v1/device/token",
        { jsonReply(400, { { "error", "authorization_pending" } }),
            jsonReply(200, { { "access_token", kToken.toStdString() } }) });
    store->startDeviceSignIn();
    EXPECT_FALSE(store->lastError());
    ASSERT_TRUE(spinUntil([&] { return store->pendingDeviceSignIn().has_value() || !store->isSigningIn(); }));
    ASSERT_TRUE(spinUntil([&] { return !store->isSigningIn(); }));
    EXPECT_TRUE(store->isSignedIn());
    EXPECT_EQ(manager->savedToken(), kToken);
    EXPECT_FALSE(store->lastError());
    EXPECT_FALSE(store->pendingDeviceSignIn());

    gateway.script("POST", "/v1/device/code", { Reply::text(503, "busy") });
    store->startDeviceSignIn();
    ASSERT_TRUE(spinUntil([&] { return !store->isSigningIn(); }));
    EXPECT_EQ(store->lastError(), QStringLiteral("HTTP 503: busy"));
}

TEST_F(ZunoCreditsAccountStoreTest, BrowserRoute)
{
    desktop->playBrowser = true;
    std::optional<QUrl> published;
    QObject::connect(store.get(), &ZunoCreditsAccountStore::stateChanged, store.get(), [&] {
        if (store->pendingConnectURL())
            published = store->pendingConnectURL();
    });
    // A portal address that is no web address is never used: the default portal is.
    gateway.setProfile({ { "available_micros", 5'000'000 }, { "portal_url", "file:///x.desktop" } });
    signIn();
    manager->clearLocalToken();
    store->startOneClickSignIn();
    ASSERT_TRUE(spinUntil([&] { return !store->isSigningIn(); }));
    ASSERT_TRUE(published);
    EXPECT_TRUE(published->toString().startsWith(QStringLiteral("https://quarnwell.com/baglan?")));
    EXPECT_FALSE(store->pendingConnectURL());
    EXPECT_TRUE(store->isSignedIn());
    EXPECT_EQ(manager->savedToken(), kToken);
    EXPECT_FALSE(store->lastError());

    store->openTopUpPage(ZunoLanguage::en);
    store->openBudgetsPage(ZunoLanguage::tr);
    EXPECT_EQ(desktop->opened.mid(desktop->opened.size() - 2),
        (QList<QUrl> { QUrl("https://quarnwell.com/en/credits"), QUrl("https://quarnwell.com/kullanim") }));

    // Nobody comes back: the time-out's text.
    desktop->playBrowser = false;
    store->setBrowserSignInTimeout(0.3);
    store->startOneClickSignIn();
    ASSERT_TRUE(spinUntil([&] { return !store->isSigningIn(); }));
    EXPECT_EQ(store->lastError(), ZunoCreditsError::signInTimedOut().errorDescription());

    // A cancel shows nothing.
    store->setBrowserSignInTimeout(600);
    published.reset();
    store->startOneClickSignIn();
    ASSERT_TRUE(spinUntil([&] { return published.has_value(); }));
    store->cancelPendingSignIn();
    EXPECT_FALSE(store->isSigningIn());
    EXPECT_FALSE(store->pendingConnectURL());
    ASSERT_TRUE(spinUntil([&] { return refusesConnections(*published); }));
    spinUntil([] { return false; }, 200ms);
    EXPECT_FALSE(store->lastError());
}

TEST_F(ZunoCreditsAccountStoreTest, Budgets)
{
    signIn();
    gateway.holdAnswers(true); // else a fast save may be over before it is looked at
    const QFuture<bool> saving = store->saveAppBudget(QStringLiteral("   "), 10, std::nullopt, std::nullopt);
    EXPECT_TRUE(store->isSavingBudget());
    const QFuture<bool> refused = store->deleteAppBudget(QStringLiteral("Other"));
    ASSERT_TRUE(refused.isFinished());
    EXPECT_FALSE(refused.result());
    gateway.holdAnswers(false);
    EXPECT_TRUE(await(saving));
    EXPECT_FALSE(store->isSavingBudget());
    const QString appName = ZunoFeedbackService::resolvedCurrentAppName(ZunoBundle::main(), "Quarnwell");
    EXPECT_EQ(Json::parse(gateway.requests().at(gateway.requests().size() - 3).body.toStdString())["app"],
        appName.toStdString());
    // The refresh that followed shows the new cap as this application's budget.
    ASSERT_TRUE(store->currentAppBudget());
    EXPECT_EQ(store->currentAppBudget()->dailyLimitCredits, 10);

    EXPECT_TRUE(await(store->deleteAppBudget(std::nullopt)));
    EXPECT_FALSE(store->currentAppBudget());

    gateway.script("PUT", "/v1/app-budgets", { Reply::text(500, "no") });
    EXPECT_FALSE(await(store->saveAppBudget(QStringLiteral("ZunoCam"), 1, 1, std::nullopt)));
    EXPECT_EQ(store->lastError(), QStringLiteral("HTTP 500: no"));
}

TEST_F(ZunoCreditsAccountStoreTest, PastedCodes)
{
    EXPECT_FALSE(await(store->saveManualToken(QStringLiteral(" \n "))));
    EXPECT_EQ(store->lastError(), QStringLiteral("Please paste a valid Quarnwell token."));
    EXPECT_FALSE(QFileInfo::exists(manager->primaryAccountFile()));
    EXPECT_TRUE(await(store->saveManualToken(QStringLiteral("  ") + kToken)));
    EXPECT_EQ(manager->savedToken(), kToken);
    EXPECT_FALSE(await(store->saveManualToken(QStringLiteral("not-a-token"))));
}

TEST_F(ZunoCreditsAccountStoreTest, SupersededRouteLeavesTheNewOneRunning)
{
    clock->holdSleeps();
    gateway.script("POST", "/v1/device/code", { jsonReply(200, deviceStart(5, 600)) });
    std::optional<QUrl> published;
    QObject::connect(store.get(), &ZunoCreditsAccountStore::stateChanged, store.get(), [&] {
        if (store->pendingConnectURL())
            published = store->pendingConnectURL();
    });
    store->startOneClickSignIn();
    ASSERT_TRUE(spinUntil([&] { return published.has_value(); }));
    store->startDeviceSignIn();
    // The browser route ends (its port closes) while the device route sleeps.
    ASSERT_TRUE(spinUntil([&] { return refusesConnections(*published) && clock->heldSleeps() == 1; }));
    spinUntil([] { return false; }, 300ms);
    EXPECT_TRUE(store->isSigningIn());
    EXPECT_TRUE(store->pendingDeviceSignIn());
    EXPECT_FALSE(store->lastError());
    store->cancelPendingSignIn();
    EXPECT_FALSE(store->isSigningIn());
}

TEST_F(ZunoCreditsAccountStoreTest, ApprovalDuringASlowRefreshEndsSignedIn)
{
    manager->saveToken(QStringLiteral("stale-token"));
    gateway.script("GET", "/v1/me",
        { Reply::text(401, "expired").delayed(1500ms),
            jsonReply(200, { { "available_micros", 5'000'000 } }) });
    gateway.script("POST", "/v1/device/code", { jsonReply(200, deviceStart(5, 600)) });
    gateway.script(
        "POST", "/v1/device/token", { jsonReply(200, { { "access_token", kToken.toStdString() } }) });
    const QFuture<void> slow = store->refresh();
    ASSERT_TRUE(gateway.server().waitForRequests(1));
    store->startDeviceSignIn();
    ASSERT_TRUE(
        spinUntil([&] { return !store->isSigningIn() && slow.isFinished() && !store->isRefreshing(); }));
    EXPECT_TRUE(store->isSignedIn());
    EXPECT_TRUE(store->profile());
}

TEST_F(ZunoCreditsAccountStoreTest, SignOutDuringASlowRefreshEndsSignedOut)
{
    signIn();
    gateway.script("GET", "/v1/me", { jsonReply(200, { { "available_micros", 7 } }).delayed(1s) });
    const QFuture<void> slow = store->refresh();
    await(store->signOut());
    await(slow);
    EXPECT_FALSE(store->isSignedIn());
    EXPECT_FALSE(store->profile());
    EXPECT_FALSE(manager->savedToken());
}

TEST_F(ZunoCreditsAccountStoreTest, DestroyingTheStoreStopsItsRoutes)
{
    clock->holdSleeps();
    gateway.script("POST", "/v1/device/code", { jsonReply(200, deviceStart(5, 600)) });
    store->startDeviceSignIn();
    ASSERT_TRUE(spinUntil([&] { return clock->heldSleeps() == 1; }));
    store.reset(); // returns once the sleeping route has stopped

    store = std::make_unique<ZunoCreditsAccountStore>(manager, clock);
    std::optional<QUrl> published;
    QObject::connect(store.get(), &ZunoCreditsAccountStore::stateChanged, store.get(), [&] {
        if (store->pendingConnectURL())
            published = store->pendingConnectURL();
    });
    store->startOneClickSignIn();
    ASSERT_TRUE(spinUntil([&] { return published.has_value(); }));
    store.reset();
    EXPECT_TRUE(refusesConnections(*published));
}

TEST(ZunoCreditsAccountStoreShared, BrowserSignInCanRefreshTheSharedStoreFirst)
{
    ZunoTestHome home;
    ZunoFakeGateway gateway;
    ZunoScopedEnvironment environment;
    environment.set("QUARNWELL_ACCOUNT_DIR", home.filePath("shared").toUtf8());
    environment.set("QUARNWELL_API_URL", gateway.baseURL().toUtf8());
    const auto manager = ZunoCreditsAccountManager::shared();
    const auto browser = std::make_shared<RecordingDesktop>();
    browser->playBrowser = true;
    auto signingIn = std::async(std::launch::async, [&] {
        return manager->startOneClickSignIn(QStringLiteral("https://quarnwell.com"), 30, false, true,
            [&](const QUrl &url) { browser->openUrl(url); });
    });
    ASSERT_TRUE(spinUntil([&] { return signingIn.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(signingIn.get(), kToken);
    // Refreshed before the sign-in returned.
    EXPECT_TRUE(ZunoCreditsAccountStore::shared().isSignedIn());
}

TEST_F(ZunoCreditsAccountStoreTest, ASignInThatCannotBeSavedSaysWhere)
{
    // The account folder is a link to nowhere: no token file can be written there.
    ASSERT_TRUE(QFile::link(home.filePath("nowhere"), home.filePath("account")));
    const QString path = manager->primaryAccountFile();

    EXPECT_FALSE(await(store->saveManualToken(kToken)));
    EXPECT_FALSE(store->isSignedIn());
    EXPECT_EQ(store->lastError(), QStringLiteral("Could not save the sign-in in ") + path);
    EXPECT_EQ(ZunoCreditsError::tokenNotSaved(path).description(ZunoLanguage::tr),
        QStringLiteral("Oturum açma bilgisi ") + path + QStringLiteral(" konumuna kaydedilemedi"));

    // An approved device poll and a redeemed browser code say the same instead of reporting success.
    const std::function<void()> calls[] = {
        [&] { manager->pollDeviceSignIn(QString::fromLatin1(ZunoFakeGateway::kDeviceCode)); },
        [&] { manager->redeemConnectCode(QString::fromLatin1(ZunoFakeGateway::kConnectCode), "v"); },
    };
    for (const auto &call : calls) {
        std::optional<ZunoCreditsError> failure;
        try {
            call();
        } catch (const ZunoCreditsError &error) {
            failure = error;
        }
        EXPECT_EQ(failure, ZunoCreditsError::tokenNotSaved(path));
    }
}
