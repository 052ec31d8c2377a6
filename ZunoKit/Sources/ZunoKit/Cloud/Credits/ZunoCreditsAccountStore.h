#pragma once

#include "ZunoAppBudgetStatus.h"
#include "ZunoBudgetWarning.h"
#include "ZunoCreditAccountProfile.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsClock.h"
#include "ZunoCreditsHealthStatus.h"
#include "ZunoDeviceSignInStart.h"
#include "ZunoGatewayAIProvider.h"
#include "ZunoLanguage.h"

#include <QDateTime>
#include <QFuture>
#include <QList>
#include <QObject>
#include <QUrl>

#include <map>
#include <memory>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

template <typename T> class QPromise;
struct ZunoCreditsRouteOutcome;

// What the credits views, the AI client and the agent watch: signed in or not, the profile and wallet,
// the gateway's AI providers, what is in progress and the last error. Lives on the main thread; every
// operation is called there, runs the manager's blocking calls on workers and publishes their results
// back on the main thread (`stateChanged`). Nothing throws: failures end in `lastError`, a false result
// or no change; a cancellation is never shown. At most one sign-in route runs; each route has a
// generation, and a superseded route touches nothing when it ends. The destructor stops every worker
// and waits for the sign-in routes.
class ZunoCreditsAccountStore : public QObject {
    Q_OBJECT

public:
    explicit ZunoCreditsAccountStore(std::shared_ptr<ZunoCreditsAccountManager> manager,
        std::shared_ptr<ZunoCreditsClock> clock = ZunoCreditsClock::system(), QObject *parent = nullptr);
    ~ZunoCreditsAccountStore() override;

    // The process's store, on the shared manager; also what a browser sign-in with `syncSharedStore`
    // refreshes. Main thread only.
    static ZunoCreditsAccountStore &shared();

    bool isSignedIn() const { return m_isSignedIn; }
    const std::optional<ZunoCreditAccountProfile> &profile() const { return m_profile; }
    const QList<ZunoGatewayAIProvider> &activeAIProviders() const { return m_activeAIProviders; }
    bool isRefreshing() const { return m_isRefreshing; }
    bool isSigningIn() const { return m_isSigningIn; }
    bool isSavingBudget() const { return m_isSavingBudget; }
    const std::optional<QUrl> &pendingConnectURL() const { return m_pendingConnectURL; }
    const std::optional<ZunoDeviceSignInStart> &pendingDeviceSignIn() const { return m_pendingDeviceSignIn; }
    const std::optional<QDateTime> &lastSyncedAt() const { return m_lastSyncedAt; }
    const std::optional<QString> &lastError() const { return m_lastError; }

    QString currentAppName() const;
    std::optional<ZunoAppBudgetStatus> currentAppBudget() const;
    QList<ZunoBudgetWarning> budgetWarnings() const;
    ZunoCreditsHealthStatus healthStatus() const;
    bool hasWarningOrAlert() const;

    // Returns at once while a refresh runs.
    QFuture<void> refresh();
    // Refreshes when the last sync (steady clock) is `maxAgeSeconds` old, or when the token file and
    // `isSignedIn` disagree (another application signed in or out). While a refresh runs, its future:
    // a continuation runs once that refresh has ended.
    QFuture<void> refreshIfStale(double maxAgeSeconds);
    // A blank name means this application. False at once while another budget call runs.
    QFuture<bool> saveAppBudget(const std::optional<QString> &app, std::optional<double> dailyLimitCredits,
        std::optional<double> monthlyLimitCredits, std::optional<double> lowBalanceThresholdCredits);
    QFuture<bool> deleteAppBudget(const std::optional<QString> &app);
    void startOneClickSignIn();
    void startDeviceSignIn();
    // Stops the running route without waiting for it.
    void cancelPendingSignIn();
    // Whether the store is signed in afterwards.
    QFuture<bool> saveManualToken(const QString &code);
    void openBudgetsPage(ZunoLanguage language);
    void openTopUpPage(ZunoLanguage language);
    QFuture<void> signOut();
    // A balance a chat answer reported; non-finite values and values beyond 64-bit micros count as absent.
    void applyLiveBillingBalance(std::optional<double> availableUSD, std::optional<double> creditsAvailable);

    // How long the browser route waits for the browser (180 s).
    void setBrowserSignInTimeout(double seconds) { m_browserTimeoutSeconds = seconds; }

    // What a browser sign-in with `syncSharedStore` runs on its worker: refreshes `shared()` on the main
    // thread and waits for it, or for `stop`. Does nothing on the main thread itself.
    static void syncShared(std::stop_token stop);

signals:
    void stateChanged();

private:
    // A refresh that runs after the one in flight, if any: sign-ins and budget changes need their result.
    QFuture<void> refreshAfterCurrent();
    QFuture<void> startRefresh();
    QString portalBase() const;
    QFuture<bool> runBudgetCall(std::function<void(std::stop_token)> call);
    // Starts a sign-in route on a worker thread of its own; its outcome comes back to `finishRoute`.
    void startRoute(std::function<ZunoCreditsRouteOutcome(std::stop_token stop, quint64 generation)> route);
    void finishRoute(quint64 generation, const ZunoCreditsRouteOutcome &outcome);
    void endRoute(quint64 generation);
    bool isCurrent(quint64 generation) const { return generation == m_generation && m_isSigningIn; }
    void setSynced();

    std::shared_ptr<ZunoCreditsAccountManager> m_manager;
    std::shared_ptr<ZunoCreditsClock> m_clock;
    std::stop_source m_lifetime;

    bool m_isSignedIn = false;
    std::optional<ZunoCreditAccountProfile> m_profile;
    QList<ZunoGatewayAIProvider> m_activeAIProviders;
    bool m_isRefreshing = false;
    bool m_isSigningIn = false;
    bool m_isSavingBudget = false;
    std::optional<QUrl> m_pendingConnectURL;
    std::optional<ZunoDeviceSignInStart> m_pendingDeviceSignIn;
    std::optional<QDateTime> m_lastSyncedAt;
    std::optional<std::chrono::steady_clock::time_point> m_lastSyncedSteady;
    std::optional<QString> m_lastError;

    double m_browserTimeoutSeconds = 180;
    quint64 m_generation = 0;
    quint64 m_signOuts = 0;
    std::map<quint64, std::jthread> m_routes;
    std::vector<std::shared_ptr<QPromise<void>>> m_waitingForRefresh;
    QFuture<void> m_runningRefresh; // the refresh in flight, while m_isRefreshing
};
