#pragma once

#include "ZunoAIChatStream.h"
#include "ZunoAIClientError.h"
#include "ZunoAIConfig.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoHttpHeaders.h"
#include "ZunoHttpRequest.h"
#include "ZunoHttpSession.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <nlohmann/json_fwd.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

// Sends one system prompt and one user prompt to a chat-completion endpoint (a local Ollama server, an
// OpenAI-compatible service or the credits gateway) and returns the answer whole or piece by piece. For
// the credits gateway it signs with the shared account's token, names the application and hands every
// balance the gateway reports to `onBillingUpdate`, or without one to the shared account store.
// A copyable value without mutable state; every call may run on any thread.
class ZunoAIClient {
public:
    // Runs on the requesting thread (for a stream, the stream's worker) before the answer is returned or
    // the stream finishes.
    using BillingUpdate
        = std::function<void(std::optional<double> availableUSD, std::optional<double> creditsAvailable)>;

    struct BillingBalance {
        std::optional<double> availableUSD;
        std::optional<double> creditsAvailable;

        bool isEmpty() const { return !availableUSD && !creditsAvailable; }
        friend bool operator==(const BillingBalance &, const BillingBalance &) = default;
    };

    static constexpr std::chrono::seconds kRequestTimeout { 90 };
    // For a stream: the longest silence between arriving bytes.
    static constexpr std::chrono::seconds kStreamIdleTimeout { 180 };
    // How much of a failed stream's error body is read.
    static constexpr qsizetype kStreamErrorBodyBytes = 8192;

    explicit ZunoAIClient(std::shared_ptr<ZunoHttpSession> session = ZunoHttpSession::shared(),
        std::shared_ptr<ZunoCreditsAccountManager> accountManager = ZunoCreditsAccountManager::shared(),
        BillingUpdate onBillingUpdate = {});

    const std::shared_ptr<ZunoHttpSession> &session() const { return m_session; }
    const std::shared_ptr<ZunoCreditsAccountManager> &accountManager() const { return m_accountManager; }

    // The whole answer, trimmed (possibly empty). Blocking. Throws `ZunoAIClientError`, `ZunoHttpError`
    // for a transport failure, or `ZunoEncodingError` for a prompt JSON cannot carry.
    QString complete(const QString &systemPrompt, const QString &userPrompt, const ZunoAIConfig &config,
        const std::optional<QString> &apiKey = std::nullopt, std::stop_token stop = {}) const;
    // The answer as pieces in arrival order, never trimmed or empty. The request starts at once on the
    // stream's worker; its errors end the stream, and so does `incompleteResponse` when the transfer ends
    // before the answer's end marker (after the pieces that did arrive). Cancelling ends it normally.
    std::unique_ptr<ZunoAIChatStream> completeStreaming(const QString &systemPrompt,
        const QString &userPrompt, const ZunoAIConfig &config,
        const std::optional<QString> &apiKey = std::nullopt) const;

    // Classifies a failed answer: the spending cap and missing credits (402), else `httpError` with the
    // server's message or code, else its body as `ZunoHttpErrorBody` reads it (a web page reads as none).
    static ZunoAIClientError parseHTTPError(int statusCode, const QByteArray &data);
    // The balance in a body's "quarnwell_billing" object, else in the response headers.
    static BillingBalance extractBillingBalance(
        const ZunoHttpHeaders *http, const nlohmann::json *jsonObject);
    // Hands a balance to `onBillingUpdate` on this thread, or without one posts it to the shared account
    // store on the main thread without waiting (a reader on the main thread must not wait for its own store).
    static void deliverBillingBalance(const BillingBalance &balance, const BillingUpdate &onBillingUpdate);
    // A local server on this computer (localhost, 127.0.0.0/8, ::1) needs no key.
    static bool isLoopbackEndpoint(const QUrl &url);
    // The bearer credential for a request to `endpoint` (already a web address), the one rule for every
    // caller of these endpoints: Ollama none; OpenAI-compatible the trimmed key, none on a loopback host
    // without one; the credits gateway the trimmed key, else the manager's saved token, but only for an
    // endpoint on the gateway that token belongs to (scheme, host and port). Throws `missingAPIKey`.
    static std::optional<QString> bearerCredential(ZunoAIProvider provider, const QUrl &endpoint,
        const std::optional<QString> &apiKey, const ZunoCreditsAccountManager *accountManager);

private:
    ZunoHttpRequest buildRequest(const QString &systemPrompt, const QString &userPrompt,
        const ZunoAIConfig &config, const std::optional<QString> &apiKey, bool stream) const;
    void streamAnswer(const QString &systemPrompt, const QString &userPrompt, const ZunoAIConfig &config,
        const std::optional<QString> &apiKey, const ZunoAIChatStream::Yield &yield,
        std::stop_token stop) const;
    void notifyBillingUpdate(const BillingBalance &balance) const;

    std::shared_ptr<ZunoHttpSession> m_session;
    std::shared_ptr<ZunoCreditsAccountManager> m_accountManager;
    BillingUpdate m_onBillingUpdate;
};
