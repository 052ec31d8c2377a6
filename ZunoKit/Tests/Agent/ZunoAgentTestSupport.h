#pragma once

#include "ZunoAgentChatEngine.h"
#include "ZunoFakeHttpServer.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <mutex>
#include <vector>

// An engine on a fresh account folder whose gateway is a loopback server answering with a script of
// replies (the last one repeated), recording every request, executed call, step and balance.
class ZunoAgentTestBase : public ::testing::Test {
protected:
    using Json = nlohmann::json;
    using Reply = ZunoFakeHttpServer::Reply;

    ZunoAgentTestBase()
    {
        for (const char *name : { "QUARNWELL_ACCOUNT_DIR", "DEZEVEVEZU_ACCOUNT_DIR", "QUARNWELL_API_URL" })
            environment.set(name, QByteArray());
        server.setHandler([this](const ZunoFakeHttpServer::Request &) -> std::optional<Reply> {
            std::lock_guard lock(mutex);
            if (replies.empty())
                return std::nullopt;
            const std::size_t index = std::min(answered++, replies.size() - 1);
            return replies[index];
        });
    }

    void script(std::vector<Reply> list)
    {
        std::lock_guard lock(mutex);
        replies = std::move(list);
        answered = 0;
    }
    void scriptJson(const std::vector<Json> &bodies)
    {
        std::vector<Reply> list;
        for (const Json &body : bodies)
            list.push_back(Reply::text(200, QByteArray::fromStdString(body.dump())));
        script(std::move(list));
    }

    // A chat-completions reply.
    static Json reply(const Json &content, const Json &toolCalls = nullptr)
    {
        Json message = { { "role", "assistant" }, { "content", content } };
        if (!toolCalls.is_null())
            message["tool_calls"] = toolCalls;
        return { { "choices", { { { "message", message } } } } };
    }
    static Json call(const Json &id, const std::string &name, const Json &arguments = Json::object())
    {
        Json entry = { { "type", "function" },
            { "function", { { "name", name }, { "arguments", arguments.dump() } } } };
        if (!id.is_null())
            entry["id"] = id;
        return entry;
    }

    ZunoAIConfig config(ZunoAIProvider provider = ZunoAIProvider::openAI) const
    {
        return ZunoAIConfig(provider, QString::fromLatin1(server.url("/v1/chat")), QStringLiteral("m"));
    }

    // Runs a turn with tools "add", "clock" and "confirm"; "confirm" needs the user.
    QString run(const QString &userMessage = QStringLiteral("go"), int maxSteps = 8,
        const std::optional<QString> &key = QStringLiteral("key"),
        const ZunoAIConfig *configuration = nullptr, const QList<ZunoAgentChatMessage> &history = {},
        std::stop_token stop = {})
    {
        const QList<ZunoAgentToolDefinition> tools { { "add", "Adds a and b.", {} },
            { "clock", "The time.", {} }, { "confirm", "Asks the user.", {} } };
        return engine.runAgentLoop(
            QStringLiteral("system"), history, userMessage, tools, configuration ? *configuration : config(),
            key, maxSteps, [this](const ZunoAgentStepRecord &step) { steps.push_back(step); },
            [this](const ZunoAgentToolCall &call) {
                executed.push_back(call);
                if (onExecute)
                    onExecute(call);
                if (call.name == "confirm")
                    return ZunoAgentToolResult { true, humanOutput, true };
                return ZunoAgentToolResult { call.name != "fail", toolOutput, false };
            },
            stop);
    }

    // The JSON body of request `index`.
    Json body(std::size_t index) const { return Json::parse(server.requests().at(index).body.toStdString()); }

    ZunoTestHome home;
    ZunoScopedEnvironment environment;
    ZunoFakeHttpServer server;
    std::mutex mutex;
    std::vector<Reply> replies;
    std::size_t answered = 0;
    std::shared_ptr<ZunoCreditsAccountManager> manager = std::make_shared<ZunoCreditsAccountManager>(
        home.filePath(QStringLiteral("account")), std::nullopt, QString::fromLatin1(server.url("")));
    std::vector<ZunoAIClient::BillingBalance> balances;
    ZunoAgentChatEngine engine { ZunoHttpSession::shared(), manager,
        [this](std::optional<double> usd, std::optional<double> credits) {
            balances.push_back({ usd, credits });
        } };
    std::vector<ZunoAgentStepRecord> steps;
    std::vector<ZunoAgentToolCall> executed;
    std::function<void(const ZunoAgentToolCall &)> onExecute;
    QString toolOutput = QStringLiteral("5");
    QString humanOutput = QStringLiteral("Please confirm the payment."); // what "confirm" answers
};

template <typename Error, typename Call> std::optional<Error> failureOf(Call call)
{
    try {
        call();
    } catch (const Error &error) {
        return error;
    }
    return std::nullopt;
}
