#include "ZunoAgentChatEngine.h"

#include "ZunoGraphemes.h"
#include "ZunoHttpError.h"
#include "ZunoHttpErrorText.h"
#include "ZunoJson.h"
#include "ZunoText.h"

#include <QDateTime>

#include <algorithm>

using Json = nlohmann::json;

namespace {

void checkStop(const std::stop_token &stop)
{
    if (stop.stop_requested())
        throw ZunoHttpError(ZunoHttpError::Kind::cancelled);
}

// Only the copy fed back to the model is cut.
QString fedBackOutput(const QString &output)
{
    if (ZunoGraphemes::count(output) <= ZunoAgentChatEngine::kToolOutputCharacters)
        return output;
    return ZunoGraphemes::prefix(output, ZunoAgentChatEngine::kToolOutputCharacters)
        + QStringLiteral("\n…[truncated]");
}

// `number` in `text` with no digit right before or after it ("1234" is not in "12345").
bool containsWholeNumber(const QString &text, QLatin1String number)
{
    for (qsizetype at = text.indexOf(number); at >= 0; at = text.indexOf(number, at + 1)) {
        const qsizetype after = at + number.size();
        const bool digitBefore = at > 0 && text.at(at - 1).isDigit();
        const bool digitAfter = after < text.size() && text.at(after).isDigit();
        if (!digitBefore && !digitAfter)
            return true;
    }
    return false;
}

bool lessByCodePoint(const QString &a, const QString &b)
{
    const QList<uint> left = a.toUcs4();
    const QList<uint> right = b.toUcs4();
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
}

} // namespace

ZunoAgentChatEngine::ZunoAgentChatEngine(std::shared_ptr<ZunoHttpSession> session,
    std::shared_ptr<ZunoCreditsAccountManager> accountManager, BillingUpdate onBillingUpdate)
    : m_session(std::move(session))
    , m_accountManager(std::move(accountManager))
    , m_onBillingUpdate(std::move(onBillingUpdate))
{
}

QString ZunoAgentChatEngine::runAgentLoop(const QString &systemPrompt,
    const QList<ZunoAgentChatMessage> &history, const QString &userMessage,
    const QList<ZunoAgentToolDefinition> &tools, const ZunoAIConfig &config,
    const std::optional<QString> &apiKey, int maxSteps, const ToolStep &onToolStep,
    const ExecuteTool &executeTool, std::stop_token stop) const
{
    Json messages = Json::array();
    messages.push_back({ { "role", "system" }, { "content", systemPrompt.toStdString() } });
    // The last messages only; a skipped one is not replaced by an older one.
    for (qsizetype i = std::max<qsizetype>(0, history.size() - kHistoryWindow); i < history.size(); ++i) {
        const ZunoAgentChatMessage &earlier = history[i];
        if (earlier.isError || earlier.text.trimmed().isEmpty())
            continue;
        messages.push_back(
            { { "role", earlier.role == ZunoAgentChatMessage::Role::assistant ? "assistant" : "user" },
                { "content", ZunoGraphemes::prefix(earlier.text, kHistoryCharacters).toStdString() } });
    }
    messages.push_back({ { "role", "user" }, { "content", userMessage.toStdString() } });

    Json toolList = Json::array();
    for (const ZunoAgentToolDefinition &tool : tools)
        toolList.push_back(tool.toOpenAIDictionary());
    const int stepLimit = std::clamp(maxSteps, 1, kMaxStepsLimit);

    for (int step = 0;;) {
        checkStop(stop);
        const SingleTurnResult reply = sendSingleTurn(messages, toolList, config, apiKey, true, stop);
        // The native form only when native calls parsed; a fallback call is answered in text.
        const bool native = !reply.echoed.empty();
        QList<ZunoAgentToolCall> calls = reply.calls;
        if (calls.isEmpty()) {
            if (auto fallback = parseFallbackJSONToolCall(reply.text))
                calls.append(*fallback);
        }
        if (calls.isEmpty()) {
            const QString answer = reply.text.trimmed();
            return answer.isEmpty() ? zunoText(QStringLiteral("Done."), QStringLiteral("Tamamlandı."))
                                    : answer;
        }

        Json assistant = { { "role", "assistant" } };
        if (native) {
            assistant["tool_calls"] = reply.echoed;
            if (!reply.text.isEmpty())
                assistant["content"] = reply.text.toStdString();
        } else {
            assistant["content"] = reply.text.toStdString();
        }
        messages.push_back(std::move(assistant));

        for (const ZunoAgentToolCall &call : calls) {
            checkStop(stop);
            const ZunoAgentToolResult result = executeTool(call);
            const QString fedBack = fedBackOutput(result.output);
            if (onToolStep) {
                onToolStep({ QUuid::createUuid(), call.name, summarizeCall(call), result.ok,
                    QDateTime::currentDateTimeUtc() });
            }
            if (native) {
                messages.push_back({ { "role", "tool" }, { "tool_call_id", call.id.toStdString() },
                    { "name", call.name.toStdString() }, { "content", fedBack.toStdString() } });
            } else {
                messages.push_back({ { "role", "user" },
                    { "content",
                        (QStringLiteral("[Tool result for ") + call.name + QStringLiteral("]:\n") + fedBack)
                            .toStdString() } });
            }
            // The user has to act first: later calls of this step must not run.
            if (result.requiresHumanAction)
                return result.output;
        }

        if (++step == stepLimit) {
            return zunoText(
                QStringLiteral("Reached maximum tool steps for this turn. Ask a follow-up to continue."),
                QStringLiteral(
                    "Bu tur için maksimum araç adımına ulaşıldı. Devam etmek için yeni bir talimat "
                    "verebilirsiniz."));
        }
    }
}

std::optional<ZunoAgentToolCall> ZunoAgentChatEngine::parseFallbackJSONToolCall(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (!trimmed.contains(QLatin1String("\"tool\"")))
        return std::nullopt;
    static const QLatin1String openFence("```json");
    static const QLatin1String closeFence("```");
    QString candidate;
    const qsizetype open = trimmed.indexOf(openFence);
    const qsizetype close = open >= 0 ? trimmed.indexOf(closeFence, open + openFence.size()) : -1;
    if (close >= 0) {
        candidate = trimmed.mid(open + openFence.size(), close - open - openFence.size()).trimmed();
    } else if (trimmed.startsWith(QLatin1Char('{')) && trimmed.endsWith(QLatin1Char('}'))) {
        candidate = trimmed;
    } else {
        return std::nullopt;
    }
    const QByteArray utf8 = candidate.toUtf8();
    const Json object = Json::parse(utf8.constData(), utf8.constData() + utf8.size(), nullptr, false);
    if (!object.is_object())
        return std::nullopt;
    const auto tool = object.find("tool");
    if (tool == object.end() || !tool->is_string())
        return std::nullopt;
    const QString name = QString::fromStdString(tool->get<std::string>()).trimmed();
    if (name.isEmpty())
        return std::nullopt;
    ZunoAgentToolCall call;
    call.id = ZunoJson::uuidString(QUuid::createUuid());
    call.name = name;
    if (const auto arguments = object.find("arguments"); arguments != object.end() && arguments->is_object())
        call.arguments = AnySendableValue::objectFromJson(*arguments);
    return call;
}

QString ZunoAgentChatEngine::summarizeCall(const ZunoAgentToolCall &call)
{
    if (call.arguments.empty())
        return call.name;
    QStringList keys;
    for (const auto &[key, value] : call.arguments)
        keys.append(key);
    std::sort(keys.begin(), keys.end(), lessByCodePoint);
    QStringList pairs;
    for (qsizetype i = 0; i < std::min<qsizetype>(2, keys.size()); ++i) {
        const QString &key = keys[i];
        const QString lower = key.toLower();
        QString value;
        if (lower.contains(QLatin1String("password")) || lower.contains(QLatin1String("secret"))
            || lower.contains(QLatin1String("token"))) {
            value = QStringLiteral("••••");
        } else {
            value = call.arguments.at(key).stringValue().value_or(QStringLiteral("…"));
            if (ZunoGraphemes::count(value) > kSummaryValueCharacters)
                value = ZunoGraphemes::prefix(value, kSummaryValueCharacters) + QStringLiteral("…");
        }
        pairs.append(key + QLatin1Char('=') + value);
    }
    return call.name + QLatin1Char('(') + pairs.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString ZunoAgentChatEngine::friendlyErrorMessage(const std::exception &error, ZunoLanguage language)
{
    if (const auto *clientError = dynamic_cast<const ZunoAIClientError *>(&error))
        return clientError->localizedDescription(language);
    QString description;
    QString english;
    if (const auto *httpError = dynamic_cast<const ZunoHttpError *>(&error)) {
        description = ZunoHttpErrorText::description(*httpError, language);
        english = ZunoHttpErrorText::description(*httpError, ZunoLanguage::en) + QLatin1Char(' ')
            + httpError->detail();
    } else {
        description = QString::fromUtf8(error.what());
        english = description;
    }
    const QString lower = english.toLower();
    if (containsWholeNumber(lower, QLatin1String("11434"))
        || containsWholeNumber(lower, QLatin1String("1234"))
        || lower.contains(QLatin1String("could not connect"))
        || lower.contains(QLatin1String("connection refused"))) {
        return zunoText(
            QStringLiteral("Could not reach your local AI server (Ollama / LM Studio). Start it or switch to "
                           "Quarnwell Credits in AI Settings."),
            QStringLiteral(
                "Yerel AI motoruna (Ollama / LM Studio) ulaşılamadı. Uygulamanın açık olduğundan emin olun "
                "veya AI Ayarları'ndan Quarnwell Kredisi seçin."),
            language);
    }
    if (containsWholeNumber(lower, QLatin1String("401")) || lower.contains(QLatin1String("unauthorized"))
        || lower.contains(QLatin1String("invalid_api_key"))) {
        return zunoText(
            QStringLiteral("Authentication failed. Check your Quarnwell sign-in or API key in Settings → AI "
                           "Assistant."),
            QStringLiteral(
                "Kimlik doğrulama başarısız. Ayarlar → AI Asistan bölümünden Quarnwell oturumunuzu veya API "
                "anahtarınızı kontrol edin."),
            language);
    }
    return description;
}
