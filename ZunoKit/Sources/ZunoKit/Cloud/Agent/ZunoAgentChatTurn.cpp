// One chat turn of the agent engine: the request, the Ollama retry without tools, the live balance and
// the three reply shapes.

#include "ZunoAgentChatEngine.h"

#include "ZunoBoundedJson.h"

#include "ZunoChatJson.h"
#include "ZunoHttpError.h"
#include "ZunoJson.h"
#include "ZunoWebURL.h"

#include <QSet>

using Json = nlohmann::json;

namespace {

using ZunoChatJson::member;

// A whole chat answer is at most a few hundred KiB of text.
constexpr std::int64_t kAnswerMaxBodyBytes = 4 * 1024 * 1024;

QString newCallId()
{
    return ZunoJson::uuidString(QUuid::createUuid());
}

// Text of a message's "content": a string, or the string "text" values of its parts joined by line breaks.
QString contentText(const Json &message, bool readParts)
{
    const Json *content = member(message, "content");
    if (!content)
        return {};
    if (content->is_string())
        return QString::fromStdString(content->get<std::string>());
    if (!readParts || !content->is_array())
        return {};
    QStringList texts;
    for (const Json &part : *content) {
        if (const Json *text = member(part, "text"); text && text->is_string())
            texts.append(QString::fromStdString(text->get<std::string>()));
    }
    return texts.join(QLatin1Char('\n'));
}

bool isArrayOfObjects(const Json &value)
{
    if (!value.is_array())
        return false;
    for (const Json &element : value) {
        if (!element.is_object())
            return false;
    }
    return true;
}

} // namespace

ZunoAgentChatEngine::NativeToolCalls ZunoAgentChatEngine::parseNativeToolCalls(const nlohmann::json &message)
{
    NativeToolCalls result;
    const Json *toolCalls = member(message, "tool_calls");
    if (!toolCalls || !isArrayOfObjects(*toolCalls))
        return result;
    result.raw = *toolCalls;
    QSet<QString> usedIds;
    for (const Json &element : *toolCalls) {
        const Json *function = member(element, "function");
        const Json *name = function ? member(*function, "name") : nullptr;
        if (!function || !function->is_object() || !name || !name->is_string())
            continue;
        ZunoAgentToolCall call;
        call.name = QString::fromStdString(name->get<std::string>());
        const Json *id = member(element, "id");
        if (id && id->is_string() && !id->get<std::string>().empty()
            && !usedIds.contains(QString::fromStdString(id->get<std::string>())))
            call.id = QString::fromStdString(id->get<std::string>());
        else
            call.id = newCallId();
        usedIds.insert(call.id);

        if (const Json *arguments = member(*function, "arguments")) {
            if (arguments->is_string()) {
                const Json parsed = Json::parse(arguments->get<std::string>(), nullptr, false);
                if (parsed.is_object())
                    call.arguments = AnySendableValue::objectFromJson(parsed);
            } else if (arguments->is_object()) {
                call.arguments = AnySendableValue::objectFromJson(*arguments);
            }
        }
        Json echoed = element;
        echoed["id"] = call.id.toStdString();
        result.echoed.push_back(std::move(echoed));
        result.calls.append(std::move(call));
    }
    return result;
}

ZunoAgentChatEngine::SingleTurnResult ZunoAgentChatEngine::sendSingleTurn(const nlohmann::json &messages,
    const nlohmann::json &tools, const ZunoAIConfig &config, const std::optional<QString> &apiKey,
    bool allowTools, std::stop_token stop) const
{
    const auto url = ZunoWebURL::parse(config.endpointURL);
    if (!url)
        throw ZunoAIClientError::invalidEndpoint();
    const std::optional<QString> credential
        = ZunoAIClient::bearerCredential(config.provider, *url, apiKey, m_accountManager.get());
    const bool credits = config.provider == ZunoAIProvider::quarnwellCredits;
    const bool ollama = config.provider == ZunoAIProvider::ollamaLocal;

    ZunoHttpRequest request;
    request.method = "POST";
    request.url = *url;
    request.timeout = kRequestTimeout;
    request.maxBodyBytes = kAnswerMaxBodyBytes;
    request.setHeader("Content-Type", "application/json");
    if (credential)
        request.setHeader("Authorization", "Bearer " + credential->toUtf8());
    if (credits)
        request.setHeader("X-Tindrel-App", ZunoCreditsAccountManager::currentAppHeader().toUtf8());
    Json body = { { "model", config.model.toStdString() }, { "messages", messages }, { "stream", false } };
    const bool sendsTools = allowTools && !tools.empty();
    if (sendsTools) {
        body["tools"] = tools;
        if (!ollama)
            body["tool_choice"] = "auto";
    }
    request.body = QByteArray::fromStdString(body.dump());

    ZunoHttpResponse response;
    try {
        response = m_session->send(request, stop);
    } catch (const ZunoHttpError &error) {
        if (error.kind() == ZunoHttpError::Kind::badServerResponse)
            throw ZunoAIClientError::emptyResponse();
        throw;
    }
    if (!ZunoChatJson::isSuccessStatus(response.statusCode)) {
        // Some local models refuse tools outright: ask once more without them.
        if (ollama && allowTools && response.statusCode == 400
            && QString::fromUtf8(response.body).toLower().contains(QLatin1String("tool")))
            return sendSingleTurn(messages, Json::array(), config, apiKey, false, stop);
        throw ZunoAIClient::parseHTTPError(response.statusCode, response.body);
    }

    const Json reply = ZunoBoundedJson::parse(response.body);
    if (!reply.is_object())
        throw ZunoAIClientError::emptyResponse();
    if (credits) {
        const auto balance = ZunoAIClient::extractBillingBalance(&response.headers, &reply);
        if (!balance.isEmpty())
            ZunoAIClient::deliverBillingBalance(balance, m_onBillingUpdate);
    }

    SingleTurnResult result;
    const Json *choices = member(reply, "choices");
    const Json *message = nullptr;
    bool readParts = false;
    if (choices && isArrayOfObjects(*choices) && !choices->empty()) {
        if (const Json *first = member(choices->front(), "message"); first && first->is_object()) {
            message = first;
            readParts = true;
        }
    }
    if (!message) {
        if (const Json *ollamaMessage = member(reply, "message"); ollamaMessage && ollamaMessage->is_object())
            message = ollamaMessage;
    }
    if (message) {
        result.text = contentText(*message, readParts);
        NativeToolCalls native = parseNativeToolCalls(*message);
        result.calls = std::move(native.calls);
        result.raw = std::move(native.raw);
        result.echoed = std::move(native.echoed);
        return result;
    }
    if (const Json *generated = member(reply, "response"); generated && generated->is_string()) {
        result.text = QString::fromStdString(generated->get<std::string>());
        return result;
    }
    throw ZunoAIClientError::emptyResponse();
}
