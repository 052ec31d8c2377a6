// The browser half of the account manager: the one-click sign-in through a loopback callback.

#include "ZunoCreditsAccountManager.h"

#include "ZunoCreditsError.h"
#include "ZunoDesktopServices.h"
#include "ZunoLoopbackHTTP.h"
#include "ZunoMainThread.h"
#include "ZunoPKCECrypto.h"
#include "ZunoServiceURL.h"
#include "ZunoText.h"
#include "ZunoWebURL.h"

#include <QUrlQuery>

#include <mutex>
#include <unistd.h>

namespace {

std::mutex &syncMutex()
{
    static std::mutex mutex;
    return mutex;
}

ZunoCreditsAccountManager::SharedStoreSync &syncHook()
{
    static ZunoCreditsAccountManager::SharedStoreSync hook;
    return hook;
}

// The listener, the cancel signal and the browser's connection, closed on every way out.
struct SignInResources {
    int listenFD = -1;
    int clientFD = -1;
    ZunoLoopbackCancelSignal cancel;

    ~SignInResources()
    {
        if (clientFD >= 0)
            ::close(clientFD);
        if (listenFD >= 0)
            ::close(listenFD);
        cancel.close();
    }
};

} // namespace

void ZunoCreditsAccountManager::setSharedStoreSync(SharedStoreSync sync)
{
    std::lock_guard lock(syncMutex());
    syncHook() = std::move(sync);
}

QString ZunoCreditsAccountManager::startOneClickSignIn(const QString &portalBase, double timeoutSeconds,
    bool openBrowser, bool syncSharedStore, const std::function<void(const QUrl &)> &onConnectURLReady,
    std::stop_token stop) const
{
    const QString verifier = ZunoPKCECrypto::randomBase64URL(32);
    const QString challenge = ZunoPKCECrypto::sha256Base64URL(verifier);
    const QString state = ZunoPKCECrypto::randomBase64URL(16);
    SignInResources resources;
    const auto [listenFD, port] = ZunoLoopbackHTTP::bindEphemeralLoopback();
    resources.listenFD = listenFD;

    QUrlQuery query;
    query.addQueryItem(
        QStringLiteral("redirect_uri"), QStringLiteral("http://127.0.0.1:") + QString::number(port));
    query.addQueryItem(QStringLiteral("code_challenge"), challenge);
    query.addQueryItem(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
    query.addQueryItem(QStringLiteral("state"), state);
    query.addQueryItem(QStringLiteral("client"), currentAppHeader());
    const std::optional<QUrl> connectURL = ZunoWebURL::parse(ZunoServiceURL::withoutEdgeSlashes(portalBase)
        + QStringLiteral("/baglan?") + query.toString(QUrl::FullyEncoded));
    if (!connectURL)
        throw ZunoCreditsError::invalidGatewayURL();

    if (onConnectURLReady)
        onConnectURLReady(*connectURL);
    if (openBrowser) {
        ZunoMainThread::post(nullptr, [url = *connectURL] { ZunoDesktopServices::shared()->openUrl(url); });
    }

    ZunoLoopbackCallbackHit hit;
    {
        std::stop_callback onStop(stop, [&resources] { resources.cancel.cancel(); });
        hit = ZunoLoopbackHTTP::blockingAcceptLoop(
            resources.listenFD, state, timeoutSeconds, resources.cancel);
    }
    resources.clientFD = hit.clientFD;

    const ZunoLanguage language = ZunoLanguages::current();
    QString token;
    try {
        token = redeemConnectCode(hit.code, verifier, stop);
    } catch (...) {
        ZunoLoopbackHTTP::writeRawResponse(resources.clientFD,
            ZunoLoopbackHTTP::resultResponse(400, QStringLiteral("#ff647c"),
                zunoText(QStringLiteral("Connection code expired or invalid"),
                    QStringLiteral("Bağlantı kodu geçersiz veya süresi doldu"), language),
                zunoText(QStringLiteral("Please return to your Quarnwell app and click Connect again."),
                    QStringLiteral("Lütfen Quarnwell uygulamanıza dönüp yeniden Bağlan düğmesine tıklayın."),
                    language)));
        throw;
    }
    ZunoLoopbackHTTP::writeRawResponse(resources.clientFD,
        ZunoLoopbackHTTP::resultResponse(200, QStringLiteral("#3ee6a8"),
            zunoText(QStringLiteral("✓ Quarnwell Account Connected"),
                QStringLiteral("✓ Quarnwell Hesabı Bağlandı"), language),
            zunoText(QStringLiteral("Your shared credits are ready across all Quarnwell apps. You can close "
                                    "this browser tab."),
                QStringLiteral(
                    "Ortak kredileriniz tüm Quarnwell uygulamalarında kullanıma hazır. Bu tarayıcı sekmesini "
                    "kapatabilirsiniz."),
                language)));
    if (syncSharedStore) {
        SharedStoreSync sync;
        {
            std::lock_guard lock(syncMutex());
            sync = syncHook();
        }
        if (sync)
            sync(stop);
    }
    return token;
}
