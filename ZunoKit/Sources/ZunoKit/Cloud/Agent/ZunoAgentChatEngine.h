#pragma once

#include "ZunoAIClient.h"
#include "ZunoAIConfig.h"
#include "ZunoAgentChatMessage.h"
#include "ZunoAgentStepRecord.h"
#include "ZunoAgentToolCall.h"
#include "ZunoAgentToolDefinition.h"
#include "ZunoAgentToolResult.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoHttpSession.h"
#include "ZunoLanguage.h"

#include <QList>
#include <QString>

#include <nlohmann/json.hpp>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

// Runs one user turn of a tool-using conversation: asks the model, runs the tools it calls one after
// another through the host, feeds the results back, and repeats until the model answers without tools, a
// tool needs the user, or the step limit is reached. A copyable value; one engine may run any number of
// turns at once. Blocking: call `runAgentLoop` on a worker.
class ZunoAgentChatEngine {
public:
    using BillingUpdate = ZunoAIClient::BillingUpdate;
    // Both run on the calling thread, strictly one after another.
    using ToolStep = std::function<void(const ZunoAgentStepRecord &step)>;
    using ExecuteTool = std::function<ZunoAgentToolResult(const ZunoAgentToolCall &call)>;

    static constexpr std::chrono::seconds kRequestTimeout { 90 };
    static constexpr qsizetype kHistoryWindow = 10;
    static constexpr int kMaxStepsLimit = 14;
    // Lengths in user-perceived characters.
    static constexpr qsizetype kHistoryCharacters = 2400;
    static constexpr qsizetype kToolOutputCharacters = 6000;
    static constexpr qsizetype kSummaryValueCharacters = 36;

    // Without `onBillingUpdate`, a credits balance goes to the shared account store.
    ZunoAgentChatEngine(std::shared_ptr<ZunoHttpSession> session,
        std::shared_ptr<ZunoCreditsAccountManager> accountManager, BillingUpdate onBillingUpdate = {});

    // The turn's answer. Throws what a chat turn throws (`ZunoAIClientError`, `ZunoHttpError`), and
    // `ZunoHttpError` cancelled when `stop` is requested (checked before every request and every tool).
    QString runAgentLoop(const QString &systemPrompt, const QList<ZunoAgentChatMessage> &history,
        const QString &userMessage, const QList<ZunoAgentToolDefinition> &tools, const ZunoAIConfig &config,
        const std::optional<QString> &apiKey, int maxSteps, const ToolStep &onToolStep,
        const ExecuteTool &executeTool, std::stop_token stop = {}) const;

    struct NativeToolCalls {
        QList<ZunoAgentToolCall> calls;
        // The reply's "tool_calls" as received, malformed entries included (for inspection only).
        nlohmann::json raw = nlohmann::json::array();
        // The entries that became calls, each with its call's id: what the next request echoes. A missing,
        // empty or repeated id is replaced by a fresh one, so every tool result answers exactly one call.
        nlohmann::json echoed = nlohmann::json::array();
    };
    static NativeToolCalls parseNativeToolCalls(const nlohmann::json &message);
    // A call written as one JSON object {"tool":…,"arguments":{…}}, alone or in a ```json fence.
    static std::optional<ZunoAgentToolCall> parseFallbackJSONToolCall(const QString &text);
    // User text for an error of the loop. Errors other than the client's are matched on their English
    // description, so the advice does not depend on the interface language.
    static QString friendlyErrorMessage(const std::exception &error, ZunoLanguage language);
    // The one-line summary of a step: "tool(a=x, b=1)", at most two arguments, secrets hidden.
    static QString summarizeCall(const ZunoAgentToolCall &call);

private:
    struct SingleTurnResult {
        QString text;
        QList<ZunoAgentToolCall> calls;
        nlohmann::json raw = nlohmann::json::array();
        nlohmann::json echoed = nlohmann::json::array();
    };
    SingleTurnResult sendSingleTurn(const nlohmann::json &messages, const nlohmann::json &tools,
        const ZunoAIConfig &config, const std::optional<QString> &apiKey, bool allowTools,
        std::stop_token stop) const;

    std::shared_ptr<ZunoHttpSession> m_session;
    std::shared_ptr<ZunoCreditsAccountManager> m_accountManager;
    BillingUpdate m_onBillingUpdate;
};
