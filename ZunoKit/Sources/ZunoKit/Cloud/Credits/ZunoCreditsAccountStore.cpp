#include "ZunoCreditsAccountStore.h"

#include "ZunoBundle.h"
#include "ZunoCreditsError.h"
#include "ZunoDecodingError.h"
#include "ZunoDesktopServices.h"
#include "ZunoEncodingError.h"
#include "ZunoFeedbackService.h"
#include "ZunoHttpError.h"
#include "ZunoHttpErrorText.h"
#include "ZunoMainThread.h"
#include "ZunoText.h"
#include "ZunoWebURL.h"
#include "ZunoWhileAlive.h"

#include <QCoreApplication>
#include <QPromise>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>

// The end of one sign-in route: approved (a refresh follows), or the text to show (none: nothing, as
// for a cancellation).
struct ZunoCreditsRouteOutcome {
    bool approved = false;
    std::optional<QString> error;
};

namespace {

using namespace std::chrono_literals;
using RouteOutcome = ZunoCreditsRouteOutcome;

constexpr auto kMinimumDeviceWait = 60s;
// Far beyond any real sign-in; keeps an absurd "expires_in" or "interval" from overflowing the clock.
constexpr auto kMaximumDeviceWait = std::chrono::seconds(24 * 3600);
constexpr auto kMinimumPollInterval = 3s;
constexpr auto kSlowDownStep = 3s;
constexpr auto kMaximumSlowDownInterval = 20s;
constexpr double kNoProfileLowBalanceMicros = 2'000'000;

// The text a failure shows, or none for a cancellation.
std::optional<QString> failureText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const ZunoCreditsError &failure) {
        if (failure.kind() == ZunoCreditsError::Kind::signInCancelled)
            return std::nullopt;
        return failure.errorDescription();
    } catch (const ZunoHttpError &failure) {
        if (failure.kind() == ZunoHttpError::Kind::cancelled)
            return std::nullopt;
        return ZunoHttpErrorText::description(failure, ZunoLanguages::current());
    } catch (const ZunoDecodingError &failure) {
        return failure.errorDescription();
    } catch (const ZunoEncodingError &failure) {
        return failure.errorDescription();
    } catch (const std::exception &failure) {
        return QString::fromLocal8Bit(failure.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

QString deniedText()
{
    return zunoText(
        QStringLiteral("Device connection was denied."), QStringLiteral("Cihaz bağlantısı reddedildi."));
}

QString expiredText()
{
    return zunoText(
        QStringLiteral("Device approval code expired."), QStringLiteral("Onay kodunun süresi doldu."));
}

// A finite value whose micro amount fits in 64 bits, else none.
std::optional<double> countable(std::optional<double> value, double scale)
{
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    const double micros = std::round(*value * scale);
    constexpr double kLimit = 9223372036854775808.0; // 2^63
    if (!std::isfinite(micros) || micros < -kLimit || micros >= kLimit)
        return std::nullopt;
    return value;
}

QString applicationName()
{
    return ZunoFeedbackService::resolvedCurrentAppName(ZunoBundle::main(), QStringLiteral("Quarnwell"));
}

RouteOutcome pollDevice(ZunoCreditsAccountManager &manager, ZunoCreditsClock &clock,
    const ZunoDeviceSignInStart &start, std::stop_token stop)
{
    std::chrono::milliseconds interval = std::clamp<std::chrono::milliseconds>(
        std::chrono::seconds(start.interval), kMinimumPollInterval, kMaximumDeviceWait);
    const auto deadline = clock.steadyNow()
        + std::clamp<std::chrono::milliseconds>(
            std::chrono::seconds(std::min<qint64>(start.expiresIn, kMaximumDeviceWait.count())),
            kMinimumDeviceWait, kMaximumDeviceWait);
    while (clock.steadyNow() < deadline) {
        if (stop.stop_requested() || !clock.sleepFor(interval, stop) || stop.stop_requested())
            return {};
        switch (manager.pollDeviceSignIn(start.deviceCode, stop).kind) {
        case ZunoDevicePollResult::Kind::pending:
            break;
        case ZunoDevicePollResult::Kind::slowDown:
            interval
                = std::min<std::chrono::milliseconds>(interval + kSlowDownStep, kMaximumSlowDownInterval);
            break;
        case ZunoDevicePollResult::Kind::denied:
            return { false, deniedText() };
        case ZunoDevicePollResult::Kind::expired:
            return { false, expiredText() };
        case ZunoDevicePollResult::Kind::approved:
            return { true, std::nullopt };
        }
    }
    return { false, expiredText() };
}

// Runs `call` on a worker; the failure it threw, if any.
QFuture<std::exception_ptr> runCatching(std::function<void()> call)
{
    return QtConcurrent::run([call = std::move(call)]() -> std::exception_ptr {
        try {
            call();
        } catch (...) {
            return std::current_exception();
        }
        return nullptr;
    });
}

[[maybe_unused]] const bool kSharedStoreSyncInstalled = [] {
    ZunoCreditsAccountManager::setSharedStoreSync(&ZunoCreditsAccountStore::syncShared);
    return true;
}();

} // namespace

ZunoCreditsAccountStore::ZunoCreditsAccountStore(std::shared_ptr<ZunoCreditsAccountManager> manager,
    std::shared_ptr<ZunoCreditsClock> clock, QObject *parent)
    : QObject(parent)
    , m_manager(std::move(manager))
    , m_clock(std::move(clock))
{
}

ZunoCreditsAccountStore::~ZunoCreditsAccountStore()
{
    // Workers hold no pointer to the store; the routes do, so they are stopped and joined here.
    m_lifetime.request_stop();
    for (auto &[generation, route] : m_routes)
        route.request_stop();
    m_routes.clear();
}

ZunoCreditsAccountStore &ZunoCreditsAccountStore::shared()
{
    // Lives for the process, like the shared manager it stands on.
    static ZunoCreditsAccountStore *store = new ZunoCreditsAccountStore(ZunoCreditsAccountManager::shared());
    return *store;
}

void ZunoCreditsAccountStore::syncShared(std::stop_token stop)
{
    if (!QCoreApplication::instance() || ZunoMainThread::isMainThread())
        return;
    struct Waiter {
        std::mutex mutex;
        std::condition_variable_any done;
        bool finished = false;
    };
    const auto waiter = std::make_shared<Waiter>();
    ZunoMainThread::post(nullptr, [waiter] {
        ZunoCreditsAccountStore::shared().refreshAfterCurrent().then([waiter] {
            std::lock_guard lock(waiter->mutex);
            waiter->finished = true;
            waiter->done.notify_all();
        });
    });
    std::unique_lock lock(waiter->mutex);
    waiter->done.wait(lock, stop, [&waiter] { return waiter->finished; });
}

QString ZunoCreditsAccountStore::currentAppName() const
{
    if (m_profile && m_profile->currentAppBudget && !m_profile->currentAppBudget->app.isEmpty())
        return m_profile->currentAppBudget->app;
    return applicationName();
}

std::optional<ZunoAppBudgetStatus> ZunoCreditsAccountStore::currentAppBudget() const
{
    if (!m_profile)
        return std::nullopt;
    if (m_profile->currentAppBudget)
        return m_profile->currentAppBudget;
    if (!m_profile->appBudgets)
        return std::nullopt;
    const QString name = applicationName();
    for (const ZunoAppBudgetStatus &budget : *m_profile->appBudgets) {
        if (budget.app.compare(name, Qt::CaseInsensitive) == 0)
            return budget;
    }
    return std::nullopt;
}

QList<ZunoBudgetWarning> ZunoCreditsAccountStore::budgetWarnings() const
{
    return m_profile && m_profile->budgetWarnings ? *m_profile->budgetWarnings : QList<ZunoBudgetWarning>();
}

ZunoCreditsHealthStatus ZunoCreditsAccountStore::healthStatus() const
{
    if (!m_isSignedIn || !m_profile)
        return ZunoCreditsHealthStatus::disconnected;
    const std::optional<ZunoAppBudgetStatus> budget = currentAppBudget();
    const QList<ZunoBudgetWarning> warnings = budgetWarnings();
    const bool anyCritical = std::any_of(
        warnings.begin(), warnings.end(), [](const ZunoBudgetWarning &w) { return w.isCritical(); });
    if (m_profile->availableMicros <= 0 || (budget && budget->exceeded) || anyCritical)
        return ZunoCreditsHealthStatus::critical;
    const auto atLeast80 = [](const std::optional<double> &ratio) { return ratio && *ratio >= 0.8; };
    if (m_profile->lowBalance
        || (budget
            && (budget->nearLimit || atLeast80(budget->effectiveDailyRatio())
                || atLeast80(budget->effectiveMonthlyRatio())))
        || !warnings.isEmpty())
        return ZunoCreditsHealthStatus::warning;
    return ZunoCreditsHealthStatus::healthy;
}

bool ZunoCreditsAccountStore::hasWarningOrAlert() const
{
    const ZunoCreditsHealthStatus status = healthStatus();
    return status == ZunoCreditsHealthStatus::warning || status == ZunoCreditsHealthStatus::critical;
}

void ZunoCreditsAccountStore::setSynced()
{
    m_lastSyncedAt = m_clock->wallNow();
    m_lastSyncedSteady = m_clock->steadyNow();
}

QFuture<void> ZunoCreditsAccountStore::refresh()
{
    if (m_isRefreshing)
        return QtFuture::makeReadyFuture();
    return startRefresh();
}

QFuture<void> ZunoCreditsAccountStore::refreshAfterCurrent()
{
    if (!m_isRefreshing)
        return startRefresh();
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    m_waitingForRefresh.push_back(promise);
    return promise->future();
}

QFuture<void> ZunoCreditsAccountStore::startRefresh()
{
    m_isRefreshing = true;
    emit stateChanged();
    struct Result {
        bool hasToken = false;
        std::optional<ZunoCreditAccountProfile> profile;
        std::optional<QList<ZunoGatewayAIProvider>> providers;
        std::exception_ptr error;
        bool unauthorized = false;
    };
    const quint64 signOuts = m_signOuts;
    m_runningRefresh
        = zunoThenWhileAlive(QtConcurrent::run([manager = m_manager, stop = m_lifetime.get_token()] {
              Result result;
              try {
                  if (!manager->savedToken())
                      return result;
                  result.hasToken = true;
                  result.profile = manager->fetchProfile(std::nullopt, stop);
              } catch (const ZunoCreditsError &error) {
                  result.unauthorized = error.kind() == ZunoCreditsError::Kind::unauthorized;
                  result.error = std::current_exception();
                  return result;
              } catch (...) {
                  result.error = std::current_exception();
                  return result;
              }
              try {
                  result.providers = manager->fetchAvailableAIProviders(std::nullopt, stop).providers;
              } catch (...) {
                  // The previous list stays.
              }
              return result;
          }),
            this, [this, signOuts](const Result &result) {
                // A sign-out since this refresh began wins over what it read.
                if (signOuts == m_signOuts) {
                    if (!result.hasToken) {
                        m_isSignedIn = false;
                        m_profile.reset();
                        m_activeAIProviders.clear();
                        setSynced();
                        m_lastError.reset();
                    } else if (result.profile) {
                        m_profile = result.profile;
                        m_isSignedIn = true;
                        setSynced();
                        m_lastError.reset();
                        if (result.providers)
                            m_activeAIProviders = *result.providers;
                    } else {
                        if (result.unauthorized) {
                            m_isSignedIn = false;
                            m_profile.reset();
                        }
                        if (const std::optional<QString> text = failureText(result.error))
                            m_lastError = text;
                    }
                }
                m_isRefreshing = false;
                emit stateChanged();
                if (!m_waitingForRefresh.empty()) {
                    const auto waiting = std::exchange(m_waitingForRefresh, {});
                    zunoThenWhileAlive(startRefresh(), this, [waiting] {
                        for (const auto &promise : waiting)
                            promise->finish();
                    });
                }
            });
    return m_runningRefresh;
}

QFuture<void> ZunoCreditsAccountStore::refreshIfStale(double maxAgeSeconds)
{
    // What follows this call (a catalog refresh after the account's) follows the refresh under way.
    if (m_isRefreshing)
        return m_runningRefresh;
    const auto maxAge = std::chrono::duration<double>(maxAgeSeconds);
    if (!m_lastSyncedSteady || m_clock->steadyNow() - *m_lastSyncedSteady >= maxAge)
        return refresh();
    return zunoThenWhileAlive(QtConcurrent::run([manager = m_manager]() -> std::optional<bool> {
        try {
            return manager->savedToken().has_value();
        } catch (...) {
            return std::nullopt;
        }
    }),
        this,
        [this](std::optional<bool> hasToken) {
            // Another application of the suite signed in or out through the shared token file.
            if (hasToken && *hasToken != m_isSignedIn)
                return refresh();
            return QtFuture::makeReadyFuture();
        })
        .unwrap();
}

QFuture<bool> ZunoCreditsAccountStore::runBudgetCall(std::function<void(std::stop_token)> call)
{
    m_isSavingBudget = true;
    emit stateChanged();
    return zunoThenWhileAlive(
        runCatching([call = std::move(call), stop = m_lifetime.get_token()] { call(stop); }), this,
        [this](std::exception_ptr error) {
            if (error) {
                if (const std::optional<QString> text = failureText(error))
                    m_lastError = text;
                m_isSavingBudget = false;
                emit stateChanged();
                return QtFuture::makeReadyFuture(false);
            }
            m_lastError.reset();
            emit stateChanged();
            return zunoThenWhileAlive(refreshAfterCurrent(), this, [this] {
                m_isSavingBudget = false;
                emit stateChanged();
                return true;
            });
        })
        .unwrap();
}

QFuture<bool> ZunoCreditsAccountStore::saveAppBudget(const std::optional<QString> &app,
    std::optional<double> dailyLimitCredits, std::optional<double> monthlyLimitCredits,
    std::optional<double> lowBalanceThresholdCredits)
{
    if (m_isSavingBudget)
        return QtFuture::makeReadyFuture(false);
    const QString trimmed = app.value_or(QString()).trimmed();
    const QString name = trimmed.isEmpty() ? currentAppName() : trimmed;
    return runBudgetCall([manager = m_manager, name, dailyLimitCredits, monthlyLimitCredits,
                             lowBalanceThresholdCredits](std::stop_token stop) {
        manager->saveAppBudget(
            name, dailyLimitCredits, monthlyLimitCredits, lowBalanceThresholdCredits, std::nullopt, stop);
    });
}

QFuture<bool> ZunoCreditsAccountStore::deleteAppBudget(const std::optional<QString> &app)
{
    if (m_isSavingBudget)
        return QtFuture::makeReadyFuture(false);
    const QString trimmed = app.value_or(QString()).trimmed();
    const QString name = trimmed.isEmpty() ? currentAppName() : trimmed;
    return runBudgetCall([manager = m_manager, name](
                             std::stop_token stop) { manager->deleteAppBudget(name, std::nullopt, stop); });
}

QString ZunoCreditsAccountStore::portalBase() const
{
    // An address from the gateway is used only when it is a web address: anything else could start an
    // application through the desktop's handler.
    if (m_profile && ZunoWebURL::parse(m_profile->portalUrl))
        return m_profile->portalUrl;
    return QString::fromLatin1(ZunoCreditsAccountManager::kDefaultPortalURL);
}

void ZunoCreditsAccountStore::cancelPendingSignIn()
{
    if (const auto route = m_routes.find(m_generation); route != m_routes.end())
        route->second.request_stop();
    // The stopped route's end belongs to an old generation and touches nothing.
    ++m_generation;
    m_isSigningIn = false;
    m_pendingConnectURL.reset();
    m_pendingDeviceSignIn.reset();
    emit stateChanged();
}

void ZunoCreditsAccountStore::startRoute(std::function<RouteOutcome(std::stop_token, quint64)> route)
{
    cancelPendingSignIn();
    const quint64 generation = ++m_generation;
    m_isSigningIn = true;
    m_lastError.reset();
    emit stateChanged();
    m_routes.emplace(
        generation, std::jthread([this, generation, route = std::move(route)](std::stop_token stop) {
            RouteOutcome outcome;
            try {
                outcome = route(stop, generation);
            } catch (...) {
                outcome.error = failureText(std::current_exception());
            }
            ZunoMainThread::post(this, [this, generation, outcome] { finishRoute(generation, outcome); });
        }));
}

void ZunoCreditsAccountStore::finishRoute(quint64 generation, const RouteOutcome &outcome)
{
    if (const auto route = m_routes.find(generation); route != m_routes.end()) {
        route->second.join();
        m_routes.erase(route);
    }
    if (!isCurrent(generation))
        return;
    if (outcome.approved) {
        m_pendingConnectURL.reset();
        m_pendingDeviceSignIn.reset();
        emit stateChanged();
        // The route stays signing in during the refresh that follows its success.
        zunoThenWhileAlive(refreshAfterCurrent(), this, [this, generation] { endRoute(generation); });
        return;
    }
    if (outcome.error)
        m_lastError = outcome.error;
    endRoute(generation);
}

void ZunoCreditsAccountStore::endRoute(quint64 generation)
{
    if (!isCurrent(generation))
        return;
    m_isSigningIn = false;
    m_pendingConnectURL.reset();
    m_pendingDeviceSignIn.reset();
    emit stateChanged();
}

void ZunoCreditsAccountStore::startOneClickSignIn()
{
    const QString base = portalBase();
    const double timeout = m_browserTimeoutSeconds;
    startRoute([this, manager = m_manager, base, timeout](std::stop_token stop, quint64 generation) {
        const auto publish = [this, generation](const QUrl &url) {
            ZunoMainThread::post(this, [this, generation, url] {
                if (!isCurrent(generation))
                    return;
                m_pendingConnectURL = url;
                emit stateChanged();
            });
        };
        manager->startOneClickSignIn(base, timeout, true, false, publish, stop);
        return RouteOutcome { true, std::nullopt };
    });
}

void ZunoCreditsAccountStore::startDeviceSignIn()
{
    startRoute([this, manager = m_manager, clock = m_clock, clientName = applicationName()](
                   std::stop_token stop, quint64 generation) {
        const ZunoDeviceSignInStart start = manager->startDeviceSignIn(clientName, stop);
        ZunoMainThread::post(this, [this, generation, start] {
            if (!isCurrent(generation))
                return;
            m_pendingDeviceSignIn = start;
            emit stateChanged();
            for (const QString &candidate : { start.verificationURIComplete, start.verificationURI }) {
                if (const std::optional<QUrl> url = ZunoWebURL::parse(candidate)) {
                    ZunoDesktopServices::shared()->openUrl(*url);
                    break;
                }
            }
        });
        return pollDevice(*manager, *clock, start, stop);
    });
}

QFuture<bool> ZunoCreditsAccountStore::saveManualToken(const QString &code)
{
    const QString trimmed = code.trimmed();
    if (trimmed.isEmpty()) {
        m_lastError = zunoText(QStringLiteral("Please paste a valid Quarnwell token."),
            QStringLiteral("Lütfen geçerli bir Quarnwell jetonu yapıştırın."));
        emit stateChanged();
        return QtFuture::makeReadyFuture(false);
    }
    cancelPendingSignIn();
    return zunoThenWhileAlive(runCatching([manager = m_manager, trimmed] {
        if (!manager->saveToken(trimmed))
            throw ZunoCreditsError::tokenNotSaved(manager->primaryAccountFile());
    }),
        this,
        [this](std::exception_ptr failure) {
            return zunoThenWhileAlive(refreshAfterCurrent(), this, [this, failure] {
                // The refresh clears the error of a signed-out account; a save that failed still shows.
                if (failure) {
                    m_lastError = failureText(failure);
                    emit stateChanged();
                }
                return m_isSignedIn;
            });
        })
        .unwrap();
}

void ZunoCreditsAccountStore::openBudgetsPage(ZunoLanguage language)
{
    if (const std::optional<QUrl> url = ZunoCreditsAccountManager::budgetsURL(portalBase(), language))
        ZunoDesktopServices::shared()->openUrl(*url);
}

void ZunoCreditsAccountStore::openTopUpPage(ZunoLanguage language)
{
    if (const std::optional<QUrl> url = ZunoCreditsAccountManager::topUpURL(portalBase(), language))
        ZunoDesktopServices::shared()->openUrl(*url);
}

QFuture<void> ZunoCreditsAccountStore::signOut()
{
    cancelPendingSignIn();
    ++m_signOuts;
    return zunoThenWhileAlive(
        runCatching([manager = m_manager] { manager->signOut(); }), this, [this](std::exception_ptr) {
            m_isSignedIn = false;
            m_profile.reset();
            m_activeAIProviders.clear();
            setSynced();
            m_lastError.reset();
            emit stateChanged();
        });
}

void ZunoCreditsAccountStore::applyLiveBillingBalance(
    std::optional<double> availableUSD, std::optional<double> creditsAvailable)
{
    const double unit
        = m_profile ? static_cast<double>(std::max<qint64>(1, m_profile->creditUnitMicros)) : 1000.0;
    const std::optional<double> usd = countable(availableUSD, 1'000'000.0);
    const std::optional<double> credits = countable(creditsAvailable, unit);
    if (!usd && !credits)
        return;
    if (m_profile) {
        m_profile = m_profile->updatingBalance(usd, credits);
    } else {
        const double rounded = usd ? std::round(*usd * 1'000'000.0) : std::round(*credits * 1000.0);
        const qint64 amount = std::max<qint64>(0, static_cast<qint64>(rounded));
        ZunoCreditAccountProfile minimal;
        minimal.balanceMicros = amount;
        minimal.availableMicros = amount;
        minimal.heldMicros = 0;
        minimal.creditUnitMicros = 1000;
        minimal.lowBalance = static_cast<double>(amount) < kNoProfileLowBalanceMicros;
        minimal.portalUrl = QString::fromLatin1(ZunoCreditsAccountManager::kDefaultPortalURL);
        m_profile = minimal;
    }
    m_isSignedIn = true;
    setSynced();
    emit stateChanged();
}
