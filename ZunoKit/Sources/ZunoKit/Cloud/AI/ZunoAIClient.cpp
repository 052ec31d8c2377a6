#include "ZunoAIClient.h"

#include "ZunoBoundedJson.h"
#include "ZunoChatJson.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoHttpError.h"
#include "ZunoHttpErrorBody.h"
#include "ZunoHttpLineReader.h"
#include "ZunoMainThread.h"
#include "ZunoWebURL.h"

#include <QStringDecoder>

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

using Json = nlohmann::json;

namespace {

using ZunoChatJson::member;

// The HTTP error status an error event in a stream carries ("status" or "code"), if any.
std::optional<int> eventStatus(const Json &error)
{
    if (!error.is_object())
        return std::nullopt;
    for (const char *key : { "status", "code" }) {
        const Json *value = member(error, key);
        if (value && value->is_number_integer()) {
            const auto number = value->get<std::int64_t>();
            if (number >= 400 && number <= 599)
                return static_cast<int>(number);
        }
    }
    return std::nullopt;
}

// A whole chat answer is at most a few hundred KiB of text.
constexpr std::int64_t kAnswerMaxBodyBytes = 4 * 1024 * 1024;

std::optional<QString> stringMember(const Json *object, const char *key)
{
    const Json *value = object ? member(*object, key) : nullptr;
    if (!value || !value->is_string())
        return std::nullopt;
    return QString::fromStdString(value->get<std::string>());
}

const Json *objectMember(const Json *object, const char *key)
{
    const Json *value = object ? member(*object, key) : nullptr;
    return value && value->is_object() ? value : nullptr;
}

// The first element of an array of objects; none when the array is missing or empty.
const Json *firstObject(const Json &object, const char *key)
{
    const Json *array = member(object, key);
    if (!array || !array->is_array() || array->empty() || !array->front().is_object())
        return nullptr;
    return &array->front();
}

// The string "text" values of an array of objects, joined.
std::optional<QString> joinedParts(const Json *content, const QString &separator)
{
    if (!content || !content->is_array())
        return std::nullopt;
    QStringList texts;
    for (const Json &part : *content) {
        if (const auto text = stringMember(&part, "text"))
            texts.append(*text);
    }
    return texts.join(separator);
}

// A decimal number in the C locale's form, whatever the process's locale.
std::optional<double> parseDecimal(const QString &text)
{
    std::string digits = text.trimmed().toStdString();
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-')
        digits.erase(0, 1);
    double value = 0;
    const char *end = digits.data() + digits.size();
    const auto [stopped, error] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || error != std::errc() || stopped != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// JSON numbers and number strings; booleans and everything else count as absent.
std::optional<double> parseFiniteDouble(const Json *value)
{
    if (!value)
        return std::nullopt;
    if (value->is_number()) {
        const double number = value->get<double>();
        return std::isfinite(number) ? std::optional(number) : std::nullopt;
    }
    if (value->is_string())
        return parseDecimal(QString::fromStdString(value->get<std::string>()));
    return std::nullopt;
}

std::optional<double> headerNumber(const ZunoHttpHeaders *http, const QByteArray &name)
{
    if (!http || !http->contains(name))
        return std::nullopt;
    return parseDecimal(QString::fromUtf8(http->value(name)));
}

// Answer text of a whole response, first match wins.
std::optional<QString> extractNonStreamingContent(const Json &object)
{
    if (const Json *choice = firstObject(object, "choices")) {
        const Json *message = objectMember(choice, "message");
        if (const auto content = stringMember(message, "content"))
            return content->trimmed();
        const auto parts = joinedParts(message ? member(*message, "content") : nullptr, QStringLiteral("\n"));
        if (parts && !parts->isEmpty())
            return parts->trimmed();
    }
    if (const auto content = stringMember(objectMember(&object, "message"), "content"))
        return content->trimmed();
    if (const auto response = stringMember(&object, "response"))
        return response->trimmed();
    return std::nullopt;
}

std::optional<QString> extractOllamaStreamDelta(const Json &object)
{
    if (const auto content = stringMember(objectMember(&object, "message"), "content"))
        return content;
    return stringMember(&object, "response");
}

std::optional<QString> extractOpenAIStreamDelta(const Json &object)
{
    const Json *choice = firstObject(object, "choices");
    if (!choice)
        return std::nullopt;
    const Json *delta = objectMember(choice, "delta");
    if (const auto content = stringMember(delta, "content"))
        return content;
    if (const auto parts = joinedParts(delta ? member(*delta, "content") : nullptr, QString()))
        return parts->isEmpty() ? std::nullopt : parts;
    if (const auto content = stringMember(objectMember(choice, "message"), "content"))
        return content;
    return stringMember(choice, "text");
}

// The body as UTF-8, or the empty string when it is not valid UTF-8.
QString strictUtf8(const QByteArray &data)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(data);
    return decoder.hasError() ? QString() : text;
}

// Bytes cut at an arbitrary place, without the incomplete UTF-8 sequence the cut may have left at the end.
QByteArray withoutCutSequence(QByteArray data)
{
    const qsizetype size = data.size();
    for (qsizetype back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(data[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const int needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (needed > back)
            data.truncate(size - back);
        break;
    }
    return data;
}

// What an error body or a stream's error event says, read from its JSON object.
struct ErrorFields {
    std::optional<QString> code;
    std::optional<QString> message;
    std::optional<QString> app;

    // The message, else the code, else `fallback`, cut to a message's length.
    QString shown(const QString &fallback) const
    {
        if (message && !message->isEmpty())
            return ZunoHttpErrorBody::shortened(*message);
        if (code && !code->isEmpty())
            return ZunoHttpErrorBody::shortened(*code);
        return fallback;
    }
};

ErrorFields errorFields(const Json &parsed)
{
    ErrorFields fields;
    if (!parsed.is_object())
        return fields;
    const Json *error = member(parsed, "error");
    const Json *errorObject = error && error->is_object() ? error : nullptr;
    if (error && error->is_string())
        fields.code = QString::fromStdString(error->get<std::string>());
    if (!fields.code)
        fields.code = stringMember(errorObject, "code");
    if (!fields.code)
        fields.code = stringMember(errorObject, "type");
    if (!fields.code)
        fields.code = stringMember(&parsed, "code");
    fields.message = stringMember(&parsed, "message");
    if (!fields.message)
        fields.message = stringMember(errorObject, "message");
    fields.app = stringMember(&parsed, "app");
    if (!fields.app)
        fields.app = stringMember(errorObject, "app");
    return fields;
}

// Whether an OpenAI-compatible event says the answer is over: its first choice has a finish reason.
bool hasFinishReason(const Json &object)
{
    const auto reason = stringMember(firstObject(object, "choices"), "finish_reason");
    return reason && !reason->isEmpty();
}

int defaultPort(const QUrl &url)
{
    return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
}

} // namespace

ZunoAIClient::ZunoAIClient(std::shared_ptr<ZunoHttpSession> session,
    std::shared_ptr<ZunoCreditsAccountManager> accountManager, BillingUpdate onBillingUpdate)
    : m_session(std::move(session))
    , m_accountManager(std::move(accountManager))
    , m_onBillingUpdate(std::move(onBillingUpdate))
{
}

bool ZunoAIClient::isLoopbackEndpoint(const QUrl &url)
{
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    if (host == QLatin1String("::1"))
        return true;
    // 127.0.0.0/8, written as four decimal parts (QUrl has already normalised other IPv4 forms).
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok);
        if (!ok || value > 255)
            return false;
    }
    return parts.front() == QLatin1String("127");
}

std::optional<QString> ZunoAIClient::bearerCredential(ZunoAIProvider provider, const QUrl &endpoint,
    const std::optional<QString> &apiKey, const ZunoCreditsAccountManager *accountManager)
{
    std::optional<QString> key;
    if (apiKey && !apiKey->trimmed().isEmpty())
        key = apiKey->trimmed();
    switch (provider) {
    case ZunoAIProvider::ollamaLocal:
        return std::nullopt;
    case ZunoAIProvider::openAI:
        // A server on this computer needs no key.
        if (!key && !isLoopbackEndpoint(endpoint))
            throw ZunoAIClientError::missingAPIKey();
        return key;
    case ZunoAIProvider::quarnwellCredits:
        break;
    }
    if (key)
        return key;
    // The account token belongs to one gateway; another host never sees it.
    const auto gateway = accountManager ? ZunoWebURL::parse(ZunoCreditsAccountManager::resolvedGatewayURL(
                             accountManager->gatewayURLOverride()))
                                        : std::nullopt;
    if (!gateway || gateway->scheme().toLower() != endpoint.scheme().toLower()
        || gateway->host() != endpoint.host() || defaultPort(*gateway) != defaultPort(endpoint))
        throw ZunoAIClientError::missingAPIKey();
    const auto token = accountManager->savedToken();
    if (!token || token->trimmed().isEmpty())
        throw ZunoAIClientError::missingAPIKey();
    return token;
}

ZunoHttpRequest ZunoAIClient::buildRequest(const QString &systemPrompt, const QString &userPrompt,
    const ZunoAIConfig &config, const std::optional<QString> &apiKey, bool stream) const
{
    const auto url = ZunoWebURL::parse(config.endpointURL);
    if (!url)
        throw ZunoAIClientError::invalidEndpoint();

    const std::optional<QString> credential
        = bearerCredential(config.provider, *url, apiKey, m_accountManager.get());

    ZunoHttpRequest request;
    request.method = "POST";
    request.url = *url;
    request.timeout
        = stream ? std::chrono::milliseconds(kStreamIdleTimeout) : std::chrono::milliseconds(kRequestTimeout);
    request.maxBodyBytes = kAnswerMaxBodyBytes;
    request.setHeader("Content-Type", "application/json");
    if (stream && config.provider != ZunoAIProvider::ollamaLocal)
        request.setHeader("Accept", "text/event-stream");
    if (credential)
        request.setHeader("Authorization", "Bearer " + credential->toUtf8());
    if (config.provider == ZunoAIProvider::quarnwellCredits)
        request.setHeader("X-Tindrel-App", ZunoCreditsAccountManager::currentAppHeader().toUtf8());

    Json body = Json::object();
    body["model"] = config.model.toStdString();
    body["messages"] = Json::array({
        Json { { "role", "system" }, { "content", systemPrompt.toStdString() } },
        Json { { "role", "user" }, { "content", userPrompt.toStdString() } },
    });
    if (stream)
        body["stream"] = true;
    else if (config.provider == ZunoAIProvider::ollamaLocal)
        body["stream"] = false;
    request.body = QByteArray::fromStdString(body.dump());
    return request;
}

QString ZunoAIClient::complete(const QString &systemPrompt, const QString &userPrompt,
    const ZunoAIConfig &config, const std::optional<QString> &apiKey, std::stop_token stop) const
{
    const ZunoHttpRequest request = buildRequest(systemPrompt, userPrompt, config, apiKey, false);
    ZunoHttpResponse response;
    try {
        response = m_session->send(request, std::move(stop));
    } catch (const ZunoHttpError &error) {
        if (error.kind() == ZunoHttpError::Kind::badServerResponse)
            throw ZunoAIClientError::emptyResponse();
        throw;
    }
    if (!ZunoChatJson::isSuccessStatus(response.statusCode))
        throw parseHTTPError(response.statusCode, response.body);

    const Json parsed = ZunoBoundedJson::parse(response.body);
    const Json *object = parsed.is_object() ? &parsed : nullptr;
    // The balance counts even when the answer turns out empty.
    if (config.provider == ZunoAIProvider::quarnwellCredits) {
        const BillingBalance balance = extractBillingBalance(&response.headers, object);
        if (!balance.isEmpty())
            notifyBillingUpdate(balance);
    }
    if (object) {
        if (auto content = extractNonStreamingContent(*object))
            return *content;
    }
    throw ZunoAIClientError::emptyResponse();
}

std::unique_ptr<ZunoAIChatStream> ZunoAIClient::completeStreaming(const QString &systemPrompt,
    const QString &userPrompt, const ZunoAIConfig &config, const std::optional<QString> &apiKey) const
{
    return std::make_unique<ZunoAIChatStream>(
        [client = *this, systemPrompt, userPrompt, config, apiKey](
            const ZunoAIChatStream::Yield &yield, std::stop_token stop) {
            client.streamAnswer(systemPrompt, userPrompt, config, apiKey, yield, std::move(stop));
        });
}

void ZunoAIClient::streamAnswer(const QString &systemPrompt, const QString &userPrompt,
    const ZunoAIConfig &config, const std::optional<QString> &apiKey, const ZunoAIChatStream::Yield &yield,
    std::stop_token stop) const
{
    const ZunoHttpRequest request = buildRequest(systemPrompt, userPrompt, config, apiKey, true);
    const bool credits = config.provider == ZunoAIProvider::quarnwellCredits;
    const bool ollama = config.provider == ZunoAIProvider::ollamaLocal;

    int status = 0;
    QByteArray errorBody;
    BillingBalance held;
    // Whether the answer's end marker arrived: "[DONE]" or a finish reason, Ollama's "done". A transfer
    // that ends without one, even cleanly, carries only part of the answer.
    bool answerEnded = false;
    ZunoHttpLineReader reader;

    // False when the reading is over.
    const auto handleLine = [&](const QString &rawLine) {
        if (stop.stop_requested())
            return false;
        const QString line = rawLine.trimmed();
        if (line.isEmpty())
            return true;
        QString payload;
        if (ollama) {
            payload = line;
        } else {
            for (const char *skipped : { ":", "event:", "id:", "retry:" }) {
                if (line.startsWith(QLatin1String(skipped)))
                    return true;
            }
            if (line.startsWith(QLatin1String("data:")))
                payload = line.mid(5).trimmed();
            else if (line.startsWith(QLatin1Char('{')))
                payload = line;
            else
                return true;
            if (payload == QLatin1String("[DONE]")) {
                answerEnded = true;
                return false;
            }
        }
        const QByteArray utf8 = payload.toUtf8();
        const Json object = ZunoBoundedJson::parse(utf8);
        if (!object.is_object())
            return true;
        // A server that fails after the answer began says so in an event of its own; ending as if the
        // answer were whole would pass a cut answer off as complete. The stream's own status is a
        // success, so an event without an HTTP status of its own is reported in its words alone.
        if (const Json *error = member(object, "error"); error && !error->is_null()) {
            if (const auto errorStatus = eventStatus(*error))
                throw parseHTTPError(*errorStatus, utf8);
            throw ZunoAIClientError::streamError(
                errorFields(object).shown(ZunoHttpErrorBody::shortened(payload)));
        }
        if (ollama) {
            const auto piece = extractOllamaStreamDelta(object);
            if (piece && !piece->isEmpty())
                yield(*piece);
            const Json *done = member(object, "done");
            if (done && done->is_boolean() && done->get<bool>()) {
                answerEnded = true;
                return false;
            }
            return true;
        }
        if (credits) {
            const BillingBalance reading = extractBillingBalance(nullptr, &object);
            if (reading.availableUSD)
                held.availableUSD = reading.availableUSD;
            if (reading.creditsAvailable)
                held.creditsAvailable = reading.creditsAvailable;
        }
        const auto piece = extractOpenAIStreamDelta(object);
        if (piece && !piece->isEmpty())
            yield(*piece);
        // Events after the finish reason (usage, a balance) are still read, up to "[DONE]" or the end.
        if (hasFinishReason(object))
            answerEnded = true;
        return true;
    };

    bool readingOver = false;
    bool lineTooLong = false;
    ZunoHttpStreamHandler handler;
    handler.head = [&](const ZunoHttpResponse &head) {
        status = head.statusCode;
        if (ZunoChatJson::isSuccessStatus(status) && credits)
            held = extractBillingBalance(&head.headers, nullptr);
        return true;
    };
    handler.body = [&](QByteArrayView bytes) {
        if (!ZunoChatJson::isSuccessStatus(status)) {
            errorBody.append(bytes.first(std::min(bytes.size(), kStreamErrorBodyBytes - errorBody.size())));
            return errorBody.size() < kStreamErrorBodyBytes;
        }
        QStringList lines;
        try {
            lines = reader.feed(bytes);
        } catch (const ZunoHttpError &) {
            lineTooLong = true;
            throw;
        }
        for (const QString &line : lines) {
            if (!handleLine(line)) {
                readingOver = true;
                return false;
            }
        }
        return true;
    };
    try {
        m_session->stream(request, handler, stop);
    } catch (const ZunoHttpError &error) {
        // A line past the reader's limit is an answer that could not be read, not an empty one: pieces of
        // it may already be on the screen.
        if (error.kind() == ZunoHttpError::Kind::badServerResponse && !lineTooLong)
            throw ZunoAIClientError::emptyResponse();
        throw;
    }
    if (stop.stop_requested())
        return;
    if (status == 0)
        throw ZunoAIClientError::emptyResponse();
    if (!ZunoChatJson::isSuccessStatus(status)) {
        if (errorBody.size() >= kStreamErrorBodyBytes)
            errorBody = withoutCutSequence(errorBody);
        throw parseHTTPError(status, errorBody);
    }
    if (!readingOver) {
        if (const auto last = reader.finish())
            handleLine(*last);
    }
    if (stop.stop_requested())
        return;
    // The pieces already delivered stay with the caller, who shows them and then this error.
    if (!answerEnded)
        throw ZunoAIClientError::incompleteResponse();
    if (credits && !held.isEmpty())
        notifyBillingUpdate(held);
}

void ZunoAIClient::notifyBillingUpdate(const BillingBalance &balance) const
{
    deliverBillingBalance(balance, m_onBillingUpdate);
}

void ZunoAIClient::deliverBillingBalance(const BillingBalance &balance, const BillingUpdate &onBillingUpdate)
{
    if (onBillingUpdate) {
        onBillingUpdate(balance.availableUSD, balance.creditsAvailable);
        return;
    }
    // Handed over, not waited for: a reader on the main thread must not wait for its own store.
    ZunoMainThread::post(nullptr, [balance] {
        ZunoCreditsAccountStore::shared().applyLiveBillingBalance(
            balance.availableUSD, balance.creditsAvailable);
    });
}

ZunoAIClientError ZunoAIClient::parseHTTPError(int statusCode, const QByteArray &data)
{
    const ErrorFields fields = errorFields(ZunoBoundedJson::parse(data));
    static const QString budgetCode = QStringLiteral("app_budget_exceeded");
    if (statusCode == 402) {
        if ((fields.code && fields.code->toLower() == budgetCode)
            || strictUtf8(data).toLower().contains(budgetCode))
            return ZunoAIClientError::appBudgetExceeded(fields.app, fields.message);
        return ZunoAIClientError::insufficientCredits(fields.message);
    }
    return ZunoAIClientError::httpError(statusCode, fields.shown(ZunoHttpErrorBody::readableText(data)));
}

ZunoAIClient::BillingBalance ZunoAIClient::extractBillingBalance(
    const ZunoHttpHeaders *http, const nlohmann::json *jsonObject)
{
    BillingBalance balance;
    if (const Json *billing = jsonObject ? objectMember(jsonObject, "quarnwell_billing") : nullptr) {
        balance.availableUSD = parseFiniteDouble(member(*billing, "available_usd"));
        if (!balance.availableUSD) {
            if (const auto micros = parseFiniteDouble(member(*billing, "available_micros")))
                balance.availableUSD = *micros / 1'000'000.0;
        }
        balance.creditsAvailable = parseFiniteDouble(member(*billing, "credits_available"));
    }
    if (!balance.availableUSD)
        balance.availableUSD = headerNumber(http, "X-Tindrel-Available-Usd");
    if (!balance.creditsAvailable)
        balance.creditsAvailable = headerNumber(http, "X-Tindrel-Credits-Available");
    return balance;
}
