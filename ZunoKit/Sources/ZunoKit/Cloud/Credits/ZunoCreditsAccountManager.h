#pragma once

#include "ZunoAppBudgetStatus.h"
#include "ZunoCreditAccountProfile.h"
#include "ZunoDevicePollResult.h"
#include "ZunoDeviceSignInStart.h"
#include "ZunoGatewayAIModelsResponse.h"
#include "ZunoHttpSession.h"
#include "ZunoLanguage.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

// The way of every suite application to the maker's account gateway, and the keeper of the suite's
// shared token file ("account.json": one JSON object, one "account-token <gateway>" entry per gateway
// beside other applications' entries). The file is the only shared state: nothing is cached, so a
// sign-in by any application is seen at the next read. Thread-safe; fields are fixed at construction.
// Token operations never report failures (they are logged).
class ZunoCreditsAccountManager {
public:
    // Both without a trailing slash.
    static constexpr char kDefaultGatewayURL[] = "https://api.quarnwell.com";
    static constexpr char kDefaultPortalURL[] = "https://quarnwell.com";
    static constexpr char kGatewayURLDefaultsKey[] = "com.quarnwell.creditsGatewayURL";
    static constexpr char kGatewayURLEnvironmentVariable[] = "QUARNWELL_API_URL";
    static constexpr char kAccountDirectoryVariable[] = "QUARNWELL_ACCOUNT_DIR";
    static constexpr char kSiblingAccountDirectoryVariable[] = "DEZEVEVEZU_ACCOUNT_DIR";
    static constexpr char kAccountFileName[] = "account.json";
    static constexpr char kTokenKeyPrefix[] = "account-token ";

    // The legacy directory counts only together with an account directory. Touches nothing on disk.
    explicit ZunoCreditsAccountManager(const std::optional<QString> &accountDirectory = std::nullopt,
        const std::optional<QString> &legacyDirectory = std::nullopt,
        const std::optional<QString> &gatewayURLOverride = std::nullopt,
        std::shared_ptr<ZunoHttpSession> session = ZunoHttpSession::shared());

    static std::shared_ptr<ZunoCreditsAccountManager> shared();

    QString primaryAccountFile() const { return m_primaryAccountFile; }
    std::optional<QString> legacyAccountFile() const { return m_legacyAccountFile; }
    std::optional<QString> gatewayURLOverride() const { return m_gatewayURLOverride; }
    const std::shared_ptr<ZunoHttpSession> &session() const { return m_session; }

    // The first non-blank of: the override, $QUARNWELL_API_URL, the defaults key; trimmed of white space,
    // then of "/" at both ends. Else the built-in gateway. Read afresh on every call.
    static QString resolvedGatewayURL(const std::optional<QString> &override = std::nullopt);
    // "<application name>/<short version> Linux", naming the caller to the gateway.
    static QString currentAppHeader();

    // The token for the resolved gateway: the primary file's, else the legacy file's; trimmed, never blank.
    std::optional<QString> savedToken() const;
    // Stores the trimmed token for the resolved gateway in both files; a blank token changes nothing.
    // False when the primary file could not be written (the legacy file is a courtesy; its failures are
    // only logged).
    bool saveToken(const QString &token) const;
    // Removes the resolved gateway's token from both files; a file without it is not rewritten.
    void clearLocalToken() const;

    // Gateway calls: one request each, blocking (call them on a worker), ended early by `stop`. They
    // throw `ZunoCreditsError` (see each), `ZunoHttpError` for a transport failure (time-out, no
    // connection, cancelled), `ZunoDecodingError` for an answer of the wrong shape and
    // `ZunoEncodingError` for a value JSON cannot carry. An answer that is not HTTP at all is
    // serverError(0, "No HTTP response"); a status outside 2xx is serverError(status, body), or
    // `unauthorized` for 401 on the calls that send the token. Those take `tokenOverride` as given, else
    // the saved token (none: `notSignedIn`, nothing sent); a gateway address that is not a web address
    // is `invalidGatewayURL`.

    // Device sign-in, step one: "client" is the name the portal shows for this device.
    ZunoDeviceSignInStart startDeviceSignIn(const QString &clientName, std::stop_token stop = {}) const;
    // Device sign-in, step two: an approved poll saves the token before returning it.
    ZunoDevicePollResult pollDeviceSignIn(const QString &deviceCode, std::stop_token stop = {}) const;
    // Exchanges a browser connection code for a token, which is saved.
    QString redeemConnectCode(
        const QString &code, const QString &codeVerifier, std::stop_token stop = {}) const;
    ZunoCreditAccountProfile fetchProfile(
        const std::optional<QString> &tokenOverride = std::nullopt, std::stop_token stop = {}) const;
    // A limit of 0 or less, or none, removes that cap; the threshold is sent only when given. The answer's
    // budget, when it holds a readable one.
    std::optional<ZunoAppBudgetStatus> saveAppBudget(const QString &app,
        std::optional<double> dailyLimitCredits, std::optional<double> monthlyLimitCredits,
        std::optional<double> lowBalanceThresholdCredits,
        const std::optional<QString> &tokenOverride = std::nullopt, std::stop_token stop = {}) const;
    // The application name is sent as one path segment; "." and ".." are refused.
    void deleteAppBudget(const QString &app, const std::optional<QString> &tokenOverride = std::nullopt,
        std::stop_token stop = {}) const;
    ZunoGatewayAIModelsResponse fetchAvailableAIProviders(
        const std::optional<QString> &tokenOverride = std::nullopt, std::stop_token stop = {}) const;
    // Tells the gateway (ignoring any outcome) when a token is saved, then always forgets the token.
    void signOut() const;

    // One-click browser sign-in: listens on 127.0.0.1, hands the portal's connect page (with the PKCE
    // challenge, the state and the listener as redirect) to `onConnectURLReady` (on this thread) and,
    // when `openBrowser`, to the desktop's browser; waits up to `timeoutSeconds` for the browser's
    // callback, redeems its code (which saves the token) and answers the browser with a result page.
    // Blocking: call it on a worker. Throws `ZunoCreditsError` (signInTimedOut, signInCancelled when
    // `stop` is requested, signInFailed, invalidGatewayURL) or the redemption's error. Every descriptor
    // is closed on every way out.
    QString startOneClickSignIn(const QString &portalBase, double timeoutSeconds, bool openBrowser,
        bool syncSharedStore, const std::function<void(const QUrl &)> &onConnectURLReady = {},
        std::stop_token stop = {}) const;
    // How a successful sign-in with `syncSharedStore` refreshes the process's account store; installed
    // by the store. Called on the sign-in's worker; it must return when `stop` is requested.
    using SharedStoreSync = std::function<void(std::stop_token stop)>;
    static void setSharedStoreSync(SharedStoreSync sync);

    // "<portal>/kredi" (Turkish) or "<portal>/en/credits"; none when that is not a web address.
    static std::optional<QUrl> topUpURL(const QString &portalBase, ZunoLanguage language);
    // "<portal>/kullanim" (Turkish) or "<portal>/en/usage".
    static std::optional<QUrl> budgetsURL(const QString &portalBase, ZunoLanguage language);

private:
    QString tokenKey() const;
    QString requireToken(const std::optional<QString> &tokenOverride) const;
    QUrl endpoint(const QString &path) const;
    std::vector<QString> accountFiles() const;

    QString m_primaryAccountFile;
    std::optional<QString> m_legacyAccountFile;
    std::optional<QString> m_gatewayURLOverride;
    std::shared_ptr<ZunoHttpSession> m_session;
};
