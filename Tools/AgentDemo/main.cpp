// Runs one agent turn through ZunoAgentChatEngine with three tools: "add" (a + b), "clock" (the time in
// UTC) and "confirm" (asks the user, which ends the turn). Prints "step: <summary> ok|failed" for each
// step, then "answer: …" and "steps: N"; exit 0, or 1 with the friendly error text.
//
// With no --endpoint and no --provider it runs against a stand-in on 127.0.0.1 that asks for "add" as a
// native tool call, then for "clock" as JSON in a fenced block, then answers.

#include "ZunoAgentChatEngine.h"
#include "ZunoFakeHttpServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>
#include <map>

namespace {

using Json = nlohmann::json;
using V = AnySendableValue;

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QByteArray answer(const Json &message)
{
    return QByteArray::fromStdString(
        Json { { "choices", Json::array({ { { "message", message } } }) } }.dump());
}

// The stand-in's three replies, in order.
void scriptStandIn(ZunoFakeHttpServer &server)
{
    const Json add = { { "id", "call-add" }, { "type", "function" },
        { "function", { { "name", "add" }, { "arguments", R"({"a":2,"b":3})" } } } };
    const std::vector<QByteArray> replies {
        answer({ { "role", "assistant" }, { "content", nullptr }, { "tool_calls", Json::array({ add }) } }),
        answer({ { "role", "assistant" },
            { "content", "I will check the time.\n```json\n{\"tool\":\"clock\",\"arguments\":{}}\n```" } }),
        answer(
            { { "role", "assistant" }, { "content", "2 + 3 = 5, and I have checked the clock for you." } }),
    };
    auto served = std::make_shared<std::size_t>(0);
    server.setHandler([replies, served](const ZunoFakeHttpServer::Request &) {
        const std::size_t index = std::min((*served)++, replies.size() - 1);
        return std::optional(ZunoFakeHttpServer::Reply::text(200, replies[index]));
    });
}

QList<ZunoAgentToolDefinition> tools()
{
    const auto number = V::object({ { "type", V::string("number") } });
    return {
        { "add", "Adds two numbers and returns the sum.",
            { { "type", V::string("object") },
                { "properties", V::object({ { "a", number }, { "b", number } }) },
                { "required", V::array({ V::string("a"), V::string("b") }) } } },
        { "clock", "Returns the current date and time in UTC.",
            { { "type", V::string("object") }, { "properties", V::object({}) } } },
        { "confirm", "Asks the user to confirm something before going on.",
            { { "type", V::string("object") },
                { "properties",
                    V::object({ { "question", V::object({ { "type", V::string("string") } }) } }) } } },
    };
}

ZunoAgentToolResult execute(const ZunoAgentToolCall &call)
{
    if (call.name == QLatin1String("add")) {
        const auto a = call.arguments.find(QStringLiteral("a"));
        const auto b = call.arguments.find(QStringLiteral("b"));
        if (a == call.arguments.end() || b == call.arguments.end() || a->second.kind() != V::Kind::number
            || b->second.kind() != V::Kind::number)
            return { false, QStringLiteral("add needs two numbers a and b."), false };
        return { true, *V::number(a->second.numberPayload() + b->second.numberPayload()).stringValue(),
            false };
    }
    if (call.name == QLatin1String("clock"))
        return { true, QDateTime::currentDateTimeUtc().toString(Qt::ISODate), false };
    if (call.name == QLatin1String("confirm"))
        return { true, QStringLiteral("Please confirm in the app before I go on."), true };
    return { false, QStringLiteral("Unknown tool: ") + call.name, false };
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("AgentDemo"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs one agent turn with the tools add, clock and confirm."));
    parser.addHelpOption();
    const QCommandLineOption providerOption(
        QStringLiteral("provider"), QStringLiteral("ollama, openai or credits."), QStringLiteral("P"));
    const QCommandLineOption endpointOption(
        QStringLiteral("endpoint"), QStringLiteral("The chat endpoint."), QStringLiteral("URL"));
    const QCommandLineOption modelOption(
        QStringLiteral("model"), QStringLiteral("The model."), QStringLiteral("M"));
    const QCommandLineOption keyOption(
        QStringLiteral("api-key"), QStringLiteral("An API key."), QStringLiteral("K"));
    const QCommandLineOption promptOption(QStringLiteral("prompt"), QStringLiteral("The request."),
        QStringLiteral("P"), QStringLiteral("What is 2 + 3, and what time is it? Use the tools."));
    const QCommandLineOption maxStepsOption(QStringLiteral("max-steps"),
        QStringLiteral("Tool steps allowed."), QStringLiteral("N"), QStringLiteral("6"));
    parser.addOptions(
        { providerOption, endpointOption, modelOption, keyOption, promptOption, maxStepsOption });
    parser.process(app);

    static const std::map<QString, ZunoAIProvider> providers { { QStringLiteral("ollama"),
                                                                   ZunoAIProvider::ollamaLocal },
        { QStringLiteral("openai"), ZunoAIProvider::openAI },
        { QStringLiteral("credits"), ZunoAIProvider::quarnwellCredits } };
    bool stepsOk = false;
    const int maxSteps = parser.value(maxStepsOption).toInt(&stepsOk);
    if (!stepsOk) {
        say(QStringLiteral("error: --max-steps takes a whole number"));
        return 1;
    }

    std::unique_ptr<ZunoFakeHttpServer> standIn;
    ZunoAIProvider provider = ZunoAIProvider::openAI;
    std::optional<QString> endpoint
        = parser.isSet(endpointOption) ? std::optional(parser.value(endpointOption)) : std::nullopt;
    if (parser.isSet(providerOption)) {
        const auto found = providers.find(parser.value(providerOption));
        if (found == providers.end()) {
            say(QStringLiteral("error: unknown provider ") + parser.value(providerOption));
            return 1;
        }
        provider = found->second;
    } else if (!endpoint) {
        standIn = std::make_unique<ZunoFakeHttpServer>();
        scriptStandIn(*standIn);
        endpoint = QString::fromLatin1(standIn->url("/v1/chat/completions"));
        say(QStringLiteral("endpoint: ") + *endpoint + QStringLiteral(" (stand-in)"));
    }
    const ZunoAIConfig config(provider, endpoint,
        parser.isSet(modelOption) ? std::optional(parser.value(modelOption)) : std::nullopt);
    const std::optional<QString> apiKey
        = parser.isSet(keyOption) ? std::optional(parser.value(keyOption)) : std::nullopt;

    const ZunoAgentChatEngine engine(ZunoHttpSession::shared(), ZunoCreditsAccountManager::shared());
    int steps = 0;
    try {
        const QString reply = engine.runAgentLoop(
            QStringLiteral(
                "You are a helpful assistant. Use the tools when they help; call one tool at a time."),
            {}, parser.value(promptOption), tools(), config, apiKey, maxSteps,
            [&](const ZunoAgentStepRecord &step) {
                ++steps;
                say(QStringLiteral("step: ") + step.summary
                    + (step.ok ? QStringLiteral(" ok") : QStringLiteral(" failed")));
            },
            execute);
        say(QStringLiteral("answer: ") + reply);
        say(QStringLiteral("steps: %1").arg(steps));
        return 0;
    } catch (const std::exception &error) {
        say(QStringLiteral("error: ")
            + ZunoAgentChatEngine::friendlyErrorMessage(error, ZunoLanguages::current()));
        return 1;
    }
}
