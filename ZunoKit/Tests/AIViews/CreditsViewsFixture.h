#pragma once

// The real credits store on the loopback fake gateway, in a temporary home, with the desktop replaced by
// one that records what would be opened.

#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoDesktopServices.h"
#include "ZunoFakeGateway.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <QTest>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <memory>

namespace CreditsViews {

using Json = nlohmann::json;
using Reply = ZunoFakeHttpServer::Reply;

// Generous: the machine may be loaded.
inline constexpr int kWaitMs = 20000;

class RecordingDesktop final : public ZunoDesktopServices {
public:
    void revealFile(const QString &) override { }
    void openUrl(const QUrl &url) override { opened.append(url); }
    QList<QUrl> opened;
};

inline Reply jsonReply(int status, const Json &body)
{
    return Reply::text(
        status, QByteArray::fromStdString(body.dump()), { { "Content-Type", "application/json" } });
}

inline Json profile(qint64 available, qint64 unit = 1000)
{
    return { { "user_id", "user-1" }, { "email", "user@example.com" }, { "name", "Test User" },
        { "available_micros", available }, { "held_micros", 0 }, { "credit_unit_micros", unit } };
}

template <typename T> T await(QFuture<T> future)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, kWaitMs));
    if constexpr (!std::is_void_v<T>)
        return future.result();
}

class Fixture : public ::testing::Test {
protected:
    Fixture()
    {
        for (const char *name : { "QUARNWELL_ACCOUNT_DIR", "DEZEVEVEZU_ACCOUNT_DIR", "QUARNWELL_API_URL" })
            environment.set(name, QByteArray());
        previousDesktop = ZunoDesktopServices::replaceShared(desktop);
    }
    ~Fixture() override
    {
        store->cancelPendingSignIn();
        store.reset();
        ZunoDesktopServices::replaceShared(previousDesktop);
    }

    void signIn(const Json &body = profile(12'500'000))
    {
        gateway.setProfile(body);
        manager->saveToken(QString::fromLatin1(ZunoFakeGateway::kToken));
        refreshNow();
        ASSERT_TRUE(store->isSignedIn());
    }

    // A refresh of its own, after one a view started on showing.
    void refreshNow()
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !store->isRefreshing(); }, kWaitMs));
        await(store->refresh());
    }

    // A device sign-in that waits for approval until the test ends it.
    void holdDeviceApproval()
    {
        gateway.script(
            "POST", "/v1/device/token", { jsonReply(400, { { "error", "authorization_pending" } }) });
    }

    ZunoTestHome home;
    ZunoScopedEnvironment environment;
    ZunoFakeGateway gateway;
    std::shared_ptr<RecordingDesktop> desktop = std::make_shared<RecordingDesktop>();
    std::shared_ptr<ZunoDesktopServices> previousDesktop;
    std::shared_ptr<ZunoCreditsAccountManager> manager = std::make_shared<ZunoCreditsAccountManager>(
        home.filePath("account"), std::nullopt, gateway.baseURL());
    std::unique_ptr<ZunoCreditsAccountStore> store = std::make_unique<ZunoCreditsAccountStore>(manager);
};

} // namespace CreditsViews
