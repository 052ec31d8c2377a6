// Walks the credits road on the real account store, manager and AI client: sign-in (device code by
// default), the wallet, a chat completion streamed piece by piece, and the balance the chat reported.
// With no --gateway it runs against a stand-in gateway on 127.0.0.1 and a fresh temporary account folder,
// so no real sign-in is touched. No real browser is ever opened: addresses are printed (and, on the
// stand-in's browser route, the browser's callback is played).
//
// Lines for scripts: "device code: …", "poll: …", "signed in: yes|no", "account: …", "chat> " with the
// pieces, "pieces: N", "balance after chat: … credits". Exit 0 on success, 1 with the error's text.

#include "ZunoAIClient.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoDesktopServices.h"
#include "ZunoFakeGateway.h"
#include "ZunoHttpError.h"
#include "ZunoHttpErrorText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMap>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrlQuery>

#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Runs the event loop until `done` or the time is up.
bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

// Prints every address in place of opening it; on the stand-in's browser route it also plays the browser,
// answering the sign-in's loopback callback with the stand-in's connection code.
class DemoDesktop : public ZunoDesktopServices {
public:
    explicit DemoDesktop(bool playBrowser)
        : m_playBrowser(playBrowser)
    {
    }

    void revealFile(const QString &path) override { say(QStringLiteral("reveal: ") + path); }

    void openUrl(const QUrl &url) override
    {
        say(QStringLiteral("open in browser: ") + url.toString());
        const QUrlQuery query(url);
        const QString redirect = query.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded);
        if (!m_playBrowser || redirect.isEmpty())
            return;
        QUrl callback(redirect + QStringLiteral("/"));
        QUrlQuery answer;
        answer.addQueryItem(QStringLiteral("code"), QString::fromLatin1(ZunoFakeGateway::kConnectCode));
        answer.addQueryItem(
            QStringLiteral("state"), query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded));
        callback.setQuery(answer);
        std::lock_guard lock(m_mutex);
        m_browsers.emplace_back([callback] {
            ZunoHttpRequest request;
            request.url = callback;
            try {
                const ZunoHttpResponse response = ZunoHttpSession::shared()->send(request);
                say(QStringLiteral("browser: callback answered HTTP %1").arg(response.statusCode));
            } catch (const ZunoHttpError &error) {
                say(QStringLiteral("browser: ") + QString::fromUtf8(error.what()));
            }
        });
    }

private:
    bool m_playBrowser;
    std::mutex m_mutex;
    std::vector<std::jthread> m_browsers;
};

QString healthName(ZunoCreditsHealthStatus status)
{
    switch (status) {
    case ZunoCreditsHealthStatus::disconnected:
        return QStringLiteral("disconnected");
    case ZunoCreditsHealthStatus::healthy:
        return QStringLiteral("healthy");
    case ZunoCreditsHealthStatus::warning:
        return QStringLiteral("warning");
    case ZunoCreditsHealthStatus::critical:
        return QStringLiteral("critical");
    }
    return {};
}

int fail(const QString &text)
{
    say(QStringLiteral("error: ") + text);
    return 1;
}

// The error's own text, in the current language where it has one.
QString describe(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const ZunoAIClientError &failure) {
        return failure.errorDescription();
    } catch (const ZunoHttpError &failure) {
        return ZunoHttpErrorText::description(failure, ZunoLanguages::current());
    } catch (const std::exception &failure) {
        return QString::fromUtf8(failure.what());
    }
}

void printWallet(const ZunoCreditsAccountStore &store)
{
    const auto &profile = store.profile();
    if (!profile) {
        say(QStringLiteral("account: (no profile)"));
        return;
    }
    say(QStringLiteral("account: ") + profile->email.value_or(QStringLiteral("(no e-mail)")));
    say(QStringLiteral("available: %1 credits ($%2)")
            .arg(profile->creditsAvailable(), 0, 'f', 3)
            .arg(profile->availableUSD(), 0, 'f', 4));
    say(QStringLiteral("health: ") + healthName(store.healthStatus()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("CreditsChatDemo"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Signs in to the credits gateway, shows the wallet, streams a chat and shows the balance after it."));
    parser.addHelpOption();
    const QCommandLineOption gatewayOption(QStringLiteral("gateway"),
        QStringLiteral("A gateway instead of the loopback stand-in."), QStringLiteral("URL"));
    const QCommandLineOption accountDirOption(QStringLiteral("account-dir"),
        QStringLiteral("The account folder (default: a fresh temporary one)."), QStringLiteral("DIR"));
    const QCommandLineOption routeOption(QStringLiteral("route"), QStringLiteral("device, browser or paste."),
        QStringLiteral("ROUTE"), QStringLiteral("device"));
    const QCommandLineOption tokenOption(
        QStringLiteral("token"), QStringLiteral("The token for --route paste."), QStringLiteral("T"));
    const QCommandLineOption manualOption(QStringLiteral("manual-callback"),
        QStringLiteral("Browser route: print the connect address and wait for a real browser."));
    const QCommandLineOption providerOption(QStringLiteral("provider"),
        QStringLiteral("credits, ollama or openai."), QStringLiteral("P"), QStringLiteral("credits"));
    const QCommandLineOption endpointOption(
        QStringLiteral("endpoint"), QStringLiteral("The chat endpoint."), QStringLiteral("URL"));
    const QCommandLineOption modelOption(
        QStringLiteral("model"), QStringLiteral("The model."), QStringLiteral("M"));
    const QCommandLineOption keyOption(
        QStringLiteral("api-key"), QStringLiteral("An API key."), QStringLiteral("K"));
    const QCommandLineOption promptOption(QStringLiteral("prompt"), QStringLiteral("What to ask."),
        QStringLiteral("P"), QStringLiteral("Say hello in five words."));
    const QCommandLineOption noStreamOption(
        QStringLiteral("no-stream"), QStringLiteral("Ask for the whole answer."));
    const QCommandLineOption signOutOption(
        QStringLiteral("sign-out"), QStringLiteral("Sign out at the end."));
    parser.addOptions(
        { gatewayOption, accountDirOption, routeOption, tokenOption, manualOption, providerOption,
            endpointOption, modelOption, keyOption, promptOption, noStreamOption, signOutOption });
    parser.process(app);

    const QString route = parser.value(routeOption);
    if (route != QLatin1String("device") && route != QLatin1String("browser")
        && route != QLatin1String("paste"))
        return fail(QStringLiteral("unknown route: ") + route);
    if (route == QLatin1String("paste") && parser.value(tokenOption).trimmed().isEmpty())
        return fail(QStringLiteral("--route paste needs --token"));
    static const QMap<QString, ZunoAIProvider> providers { { QStringLiteral("credits"),
                                                               ZunoAIProvider::quarnwellCredits },
        { QStringLiteral("ollama"), ZunoAIProvider::ollamaLocal },
        { QStringLiteral("openai"), ZunoAIProvider::openAI } };
    if (!providers.contains(parser.value(providerOption)))
        return fail(QStringLiteral("unknown provider: ") + parser.value(providerOption));
    const ZunoAIProvider provider = providers.value(parser.value(providerOption));

    // The stand-in gateway: the device poll answers "pending" once, then approves.
    std::unique_ptr<ZunoFakeGateway> fake;
    QString gateway = parser.value(gatewayOption);
    if (gateway.isEmpty()) {
        fake = std::make_unique<ZunoFakeGateway>();
        gateway = fake->baseURL();
        const QByteArray base = gateway.toUtf8();
        const ZunoFakeHttpServer::Fields json { { "Content-Type", "application/json" } };
        fake->script("POST", "/v1/device/code",
            { ZunoFakeHttpServer::Reply::text(200,
                "{\"device_code\":\"" + QByteArray(ZunoFakeGateway::kDeviceCode) + "\",\"user_code\":\""
                    + ZunoFakeGateway::kUserCode + "\",\"verification_uri\":\"" + base
                    + "/device\",\"verification_uri_complete\":\"" + base
                    + "/device?code=" + ZunoFakeGateway::kUserCode + "\",\"expires_in\":600,\"interval\":1}",
                json) });
        fake->script("POST", "/v1/device/token",
            { ZunoFakeHttpServer::Reply::text(400, R"({"error":"authorization_pending"})", json),
                ZunoFakeHttpServer::Reply::text(200,
                    "{\"access_token\":\"" + QByteArray(ZunoFakeGateway::kToken)
                        + "\",\"token_type\":\"bearer\"}",
                    json) });
    }
    QTemporaryDir temporaryAccount;
    QString accountDir = parser.value(accountDirOption);
    if (accountDir.isEmpty()) {
        if (!temporaryAccount.isValid())
            return fail(QStringLiteral("cannot make a temporary account folder"));
        accountDir = temporaryAccount.path();
    }
    // Before anything reads them: the shared manager, store and the default credits endpoint all follow.
    qputenv(ZunoCreditsAccountManager::kGatewayURLEnvironmentVariable, gateway.toUtf8());
    qputenv(ZunoCreditsAccountManager::kAccountDirectoryVariable, accountDir.toUtf8());
    say(QStringLiteral("gateway: ") + gateway);
    say(QStringLiteral("account folder: ") + accountDir);

    const auto desktop = std::make_shared<DemoDesktop>(fake && !parser.isSet(manualOption));
    ZunoDesktopServices::replaceShared(desktop);
    ZunoCreditsAccountStore &store = ZunoCreditsAccountStore::shared();

    // Each device poll the stand-in answers.
    QTimer pollWatch;
    std::size_t pollsSeen = 0;
    const auto reportPolls = [&] {
        if (!fake)
            return;
        std::size_t polls = 0;
        for (const auto &request : fake->requests())
            polls += request.target == "/v1/device/token" ? 1 : 0;
        for (; pollsSeen < polls; ++pollsSeen)
            say(pollsSeen == 0 ? QStringLiteral("poll: authorization_pending")
                               : QStringLiteral("poll: approved"));
    };
    QObject::connect(&pollWatch, &QTimer::timeout, reportPolls);
    pollWatch.start(50);

    bool routeDone = true;
    if (route == QLatin1String("device")) {
        store.startDeviceSignIn();
        if (!waitUntil([&] { return store.pendingDeviceSignIn() || !store.isSigningIn(); },
                std::chrono::seconds(30)))
            return fail(QStringLiteral("no device code"));
        if (const auto &start = store.pendingDeviceSignIn()) {
            say(QStringLiteral("device code: ") + start->userCode);
            say(QStringLiteral("verify at: ") + start->verificationURI);
        }
        routeDone = waitUntil([&] { return !store.isSigningIn(); }, std::chrono::minutes(15));
    } else if (route == QLatin1String("browser")) {
        store.startOneClickSignIn();
        routeDone = waitUntil([&] { return !store.isSigningIn(); }, std::chrono::minutes(4));
    } else {
        const QFuture<bool> saved = store.saveManualToken(parser.value(tokenOption));
        routeDone = waitUntil([&] { return saved.isFinished(); }, std::chrono::minutes(1));
    }
    pollWatch.stop();
    reportPolls();
    QCoreApplication::processEvents();
    say(QStringLiteral("signed in: ") + (routeDone && store.isSignedIn() ? "yes" : "no"));
    if (!routeDone || !store.isSignedIn())
        return fail(store.lastError().value_or(QStringLiteral("the sign-in did not finish")));

    const QFuture<void> refreshed = store.refresh();
    waitUntil([&] { return refreshed.isFinished() && !store.isRefreshing(); }, std::chrono::minutes(1));
    if (store.lastError())
        return fail(*store.lastError());
    printWallet(store);

    const ZunoAIConfig config(provider,
        parser.isSet(endpointOption) ? std::optional(parser.value(endpointOption)) : std::nullopt,
        parser.isSet(modelOption) ? std::optional(parser.value(modelOption)) : std::nullopt);
    const std::optional<QString> apiKey
        = parser.isSet(keyOption) ? std::optional(parser.value(keyOption)) : std::nullopt;
    const QString systemPrompt = QStringLiteral("You are a friendly assistant. Answer briefly.");
    // No callback: a credits balance goes to the shared store, as in the applications.
    const ZunoAIClient client;
    int pieces = 0;
    std::printf("chat> ");
    std::fflush(stdout);
    try {
        if (parser.isSet(noStreamOption)) {
            std::printf(
                "%s", qPrintable(client.complete(systemPrompt, parser.value(promptOption), config, apiKey)));
            pieces = 1;
        } else {
            const auto stream
                = client.completeStreaming(systemPrompt, parser.value(promptOption), config, apiKey);
            while (const auto piece = stream->next()) {
                std::printf("%s", qPrintable(*piece));
                std::fflush(stdout);
                ++pieces;
            }
        }
    } catch (...) {
        std::printf("\n");
        return fail(describe(std::current_exception()));
    }
    std::printf("\n");
    say(QStringLiteral("pieces: %1").arg(pieces));

    // The balance was handed to the main thread before the answer ended.
    QCoreApplication::processEvents();
    if (const auto &profile = store.profile())
        say(QStringLiteral("balance after chat: %1 credits").arg(profile->creditsAvailable(), 0, 'f', 3));
    else
        say(QStringLiteral("balance after chat: unknown credits"));

    if (parser.isSet(signOutOption)) {
        const QFuture<void> signedOut = store.signOut();
        waitUntil([&] { return signedOut.isFinished(); }, std::chrono::seconds(30));
        say(QStringLiteral("signed in: ") + (store.isSignedIn() ? "yes" : "no"));
    }
    ZunoDesktopServices::replaceShared(nullptr);
    return 0;
}
