#include "TeleprompterRemoteProtocol.h"

#include "TeleprompterRemoteJson.h"

#include <QStringList>

#include <nlohmann/json.hpp>

#include <limits>

namespace {

const QString kJsonContentType = QStringLiteral("application/json; charset=utf-8");

struct HeaderSplit {
    qsizetype headerEnd = -1; // bytes of the header block
    qsizetype bodyStart = -1;
};

// The first "\r\n\r\n" anywhere in the buffer, else the first "\n\n".
HeaderSplit findHeaderEnd(const QByteArray &data)
{
    qsizetype at = data.indexOf("\r\n\r\n");
    if (at >= 0)
        return { at, at + 4 };
    at = data.indexOf("\n\n");
    if (at >= 0)
        return { at, at + 2 };
    return {};
}

bool isContinuationByte(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(const char *data, qsizetype size)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(data);
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (size - i < length)
            return false;
        if (bytes[i + 1] < low || bytes[i + 1] > high)
            return false;
        for (int k = 2; k < length; ++k) {
            if (!isContinuationByte(bytes[i + k]))
                return false;
        }
        i += length;
    }
    return true;
}

std::optional<QString> decodeUtf8(const char *data, qsizetype size)
{
    if (!isValidUtf8(data, size))
        return std::nullopt;
    return QString::fromUtf8(data, size);
}

// Decimal text with an optional sign and nothing else; out of range is no integer.
std::optional<qint64> readInteger(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-')) {
        negative = text[0] == u'-';
        i = 1;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulate negatively so that the minimum value fits.
    qint64 value = 0;
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (kMin + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == kMin)
            return std::nullopt;
        value = -value;
    }
    return value;
}

QStringView trimSpacesAndTabs(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.sliced(begin, end - begin);
}

// A header name is an HTTP token: no white space, no separators, not empty.
bool isHeaderName(QStringView name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool alphanumeric
            = (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
        if (!alphanumeric && !QStringView(u"!#$%&'*+-.^_`|~").contains(c))
            return false;
    }
    return true;
}

// The header map of a header block (its first line, the request line, is skipped); none when a line
// is not "name: value": a line folded onto the one before (it starts with a space or a tab), one
// without a colon, or one whose name is empty or holds white space. Skipping such a line would read
// the request otherwise than a proxy or the browser in front of us does, so the whole request is
// refused. `hostLines`, when given, counts the Host lines: a later one would silently replace an
// earlier one.
std::optional<QMap<QString, QString>> parseHeaders(const QString &headerText, int *hostLines = nullptr)
{
    QMap<QString, QString> headers;
    QString text = headerText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QList<QStringView> lines = QStringView(text).split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0 || !isHeaderName(line.first(colon)))
            return std::nullopt;
        const QString key = line.first(colon).toString().toLower();
        if (hostLines && key == u"host")
            ++*hostLines;
        headers.insert(key, trimSpacesAndTabs(line.sliced(colon + 1)).toString());
    }
    return headers;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Percent-decoding that fails on a malformed escape or on bytes that are not UTF-8.
std::optional<QString> percentDecoded(QStringView text)
{
    if (!text.contains(u'%'))
        return text.toString();
    const QByteArray utf8 = text.toUtf8();
    QByteArray decoded;
    decoded.reserve(utf8.size());
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8[i] != '%') {
            decoded += utf8[i];
            continue;
        }
        if (i + 2 >= utf8.size())
            return std::nullopt;
        const int high = hexValue(utf8[i + 1]);
        const int low = hexValue(utf8[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decodeUtf8(decoded.constData(), decoded.size());
}

// Splits at the first "=" that follows a non-empty part, dropping empty parts: "a=b=c" gives
// (a, b=c), "k=" and "k" give (k), "=v" gives (v), "=" gives nothing.
QList<QStringView> splitFirstEquals(QStringView piece)
{
    QList<QStringView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < piece.size(); ++i) {
        if (piece[i] != u'=')
            continue;
        if (i > start) {
            parts.append(piece.sliced(start, i - start));
            start = i + 1;
            break;
        }
        start = i + 1;
    }
    if (start < piece.size())
        parts.append(piece.sliced(start));
    return parts;
}

QMap<QString, QString> parseQueryString(QStringView text)
{
    QMap<QString, QString> fields;
    for (const QStringView piece : text.split(u'&', Qt::SkipEmptyParts)) {
        const QList<QStringView> parts = splitFirstEquals(piece);
        if (parts.isEmpty())
            continue;
        const QString key = percentDecoded(parts[0]).value_or(parts[0].toString());
        const QString value
            = parts.size() > 1 ? percentDecoded(parts[1]).value_or(parts[1].toString()) : QString();
        fields.insert(key, value);
    }
    return fields;
}

std::optional<QString> firstOf(
    const QMap<QString, QString> &fields, const QString &key, const QString &alternative)
{
    auto it = fields.constFind(key);
    if (it != fields.constEnd())
        return *it;
    it = fields.constFind(alternative);
    if (it != fields.constEnd())
        return *it;
    return std::nullopt;
}

struct CommandRequestPayload {
    std::optional<QString> command;
    std::optional<QString> action;
    std::optional<QString> scriptId;
    std::optional<QString> id;
    std::optional<qint64> delta;
};

// None when the body is not a JSON object or a known key has the wrong type.
std::optional<CommandRequestPayload> decodePayload(const QByteArray &body)
{
    const nlohmann::json json = nlohmann::json::parse(body.constBegin(), body.constEnd(), nullptr, false);
    if (!json.is_object())
        return std::nullopt;
    using namespace TeleprompterRemoteJson;
    bool valid = true;
    CommandRequestPayload payload;
    payload.command = optionalString(json, "command", valid);
    payload.action = optionalString(json, "action", valid);
    payload.scriptId = optionalString(json, "scriptId", valid);
    payload.id = optionalString(json, "id", valid);
    payload.delta = optionalInteger(json, "delta", valid);
    if (!valid)
        return std::nullopt;
    return payload;
}

// A fresh compact dump with sorted keys, or the fixed fallback when encoding fails.
QByteArray encode(const nlohmann::json &json, const char *fallback)
{
    try {
        return QByteArray::fromStdString(json.dump());
    } catch (const nlohmann::json::exception &) {
        return QByteArray(fallback);
    }
}

const QByteArray &pageBytes()
{
    static const QByteArray bytes = TeleprompterRemoteProtocol::remoteWebPageHTML().toUtf8();
    return bytes;
}

bool isPrivateIPv4(const QString &address)
{
    if (address.startsWith(u"192.168.") || address.startsWith(u"10."))
        return true;
    QList<qint64> numbers;
    for (const QStringView piece : QStringView(address).split(u'.', Qt::SkipEmptyParts)) {
        if (const auto number = readInteger(piece))
            numbers.append(*number);
    }
    return numbers.size() == 4 && numbers[0] == 172 && numbers[1] >= 16 && numbers[1] <= 31;
}

// Linux interface names: wired (eth*, en*: eno1, enp3s0, ens33, enx...) first, then wireless
// (wl*) and mobile broadband (ww*), then names we do not know, and last the bridges, container
// links, tunnels and virtual adapters, whose addresses a phone on the LAN cannot reach.
int interfaceScore(const QString &name)
{
    static const char *const kVirtualPrefixes[] = {
        "br",
        "virbr",
        "docker",
        "veth",
        "vnet",
        "vmnet",
        "vboxnet",
        "lxc",
        "lxd",
        "incus",
        "podman",
        "cni",
        "flannel",
        "cali",
        "cilium",
        "weave",
        "kube",
        "vxlan",
        "tun",
        "tap",
        "wg",
        "tailscale",
        "zt",
        "utun",
        "ppp",
        "ipsec",
        "gpd",
        "nordlynx",
        "proton",
        "dummy",
        "ifb",
    };
    for (const char *prefix : kVirtualPrefixes) {
        if (name.startsWith(QLatin1String(prefix)))
            return 50;
    }
    if (name.startsWith(u"eth") || name.startsWith(u"en"))
        return 0;
    if (name.startsWith(u"wl"))
        return 10;
    if (name.startsWith(u"ww"))
        return 20;
    return 30;
}

} // namespace

bool TeleprompterRemoteProtocol::isCompleteHTTPRequest(const QByteArray &data)
{
    const HeaderSplit split = findHeaderEnd(data);
    if (split.headerEnd < 0)
        return false;
    return data.size() - split.bodyStart >= announcedBodyLength(QByteArrayView(data).first(split.headerEnd));
}

qint64 TeleprompterRemoteProtocol::announcedBodyLength(QByteArrayView headerBlock)
{
    const auto headerText = decodeUtf8(headerBlock.data(), headerBlock.size());
    if (!headerText)
        return 0;
    // A block the parser refuses waits for no body: the refusal can go out at once.
    const auto headers = parseHeaders(*headerText);
    if (!headers)
        return 0;
    const auto it = headers->constFind(QStringLiteral("content-length"));
    if (it == headers->constEnd())
        return 0;
    const auto length = readInteger(*it);
    return length && *length > 0 ? *length : 0;
}

std::optional<TeleprompterHTTPRequest> TeleprompterRemoteProtocol::parseHTTPRequest(const QByteArray &data)
{
    if (data.isEmpty() || data.size() > maxRequestBytes)
        return std::nullopt;
    const HeaderSplit split = findHeaderEnd(data);
    if (split.headerEnd < 0)
        return std::nullopt;
    auto headerText = decodeUtf8(data.constData(), split.headerEnd);
    if (!headerText)
        return std::nullopt;
    headerText->replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const qsizetype lineEnd = headerText->indexOf(u'\n');
    const QStringView requestLine
        = QStringView(*headerText).first(lineEnd < 0 ? headerText->size() : lineEnd);
    if (requestLine.isEmpty())
        return std::nullopt;
    const QList<QStringView> pieces = requestLine.split(u' ', Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return std::nullopt;

    TeleprompterHTTPRequest request;
    request.method = pieces[0].toString().toUpper();
    const QStringView target = pieces[1];
    const qsizetype question = target.indexOf(u'?');
    if (question >= 0) {
        request.path = target.first(question).toString();
        request.query = parseQueryString(target.sliced(question + 1));
    } else {
        request.path = target.toString();
    }
    int hostLines = 0;
    auto headers = parseHeaders(*headerText, &hostLines);
    // Two Host lines leave it open which computer is meant (HTTP/1.1 answers such a request 400).
    if (!headers || hostLines > 1)
        return std::nullopt;
    request.headers = std::move(*headers);
    request.body = data.sliced(split.bodyStart);
    const auto it = request.headers.constFind(QStringLiteral("content-length"));
    if (it != request.headers.constEnd()) {
        const auto length = readInteger(*it);
        if (length && *length >= 0 && *length < request.body.size())
            request.body.truncate(*length);
    }
    return request;
}

std::optional<TeleprompterRemoteCommand> TeleprompterRemoteProtocol::parseCommand(
    const TeleprompterHTTPRequest &request)
{
    const QString kCommand = QStringLiteral("command"), kAction = QStringLiteral("action");
    const QString kScriptId = QStringLiteral("scriptId"), kId = QStringLiteral("id");
    std::optional<QString> name;
    std::optional<QString> scriptId;
    std::optional<qint64> delta;

    if (!request.body.isEmpty()) {
        if (const auto payload = decodePayload(request.body)) {
            name = payload->command ? payload->command : payload->action;
            scriptId = payload->scriptId ? payload->scriptId : payload->id;
            delta = payload->delta;
        }
    }
    if (!name) {
        name = firstOf(request.query, kCommand, kAction);
        if (!scriptId)
            scriptId = firstOf(request.query, kScriptId, kId);
        if (!delta) {
            const auto it = request.query.constFind(QStringLiteral("delta"));
            if (it != request.query.constEnd())
                delta = readInteger(*it);
        }
    }
    if (!name) {
        const auto text = decodeUtf8(request.body.constData(), request.body.size());
        if (!text)
            return std::nullopt;
        const QString trimmed = text->trimmed();
        if (trimmed.isEmpty())
            return std::nullopt;
        if (!trimmed.contains(u'=')) {
            name = trimmed;
        } else {
            const QMap<QString, QString> form = parseQueryString(trimmed);
            name = firstOf(form, kCommand, kAction);
            if (!scriptId)
                scriptId = firstOf(form, kScriptId, kId);
            if (!name)
                return std::nullopt;
        }
    }
    return TeleprompterRemoteCommand::make(*name, scriptId, delta);
}

TeleprompterRemoteRouteResult TeleprompterRemoteProtocol::route(
    const TeleprompterHTTPRequest &request, const TeleprompterRemoteState &currentState)
{
    const QString &method = request.method;
    const QString &path = request.path;
    if (method == u"OPTIONS")
        return { { 204, QStringLiteral("No Content"), QStringLiteral("text/plain; charset=utf-8"), {} },
            std::nullopt };
    if (method == u"GET" && (path == u"/" || path == u"/index.html"))
        return { { 200, QStringLiteral("OK"), QStringLiteral("text/html; charset=utf-8"), pageBytes() },
            std::nullopt };
    if (method == u"GET" && path == u"/api/state")
        return { makeStateResponse(currentState), std::nullopt };
    if (method == u"POST" && path == u"/api/command") {
        if (const auto command = parseCommand(request))
            return { makeCommandAckResponse(*command, std::nullopt), command };
        return { makeErrorResponse(400, QStringLiteral("Bad Request"),
                     QStringLiteral("Invalid or missing teleprompter command.")),
            std::nullopt };
    }
    return { makeErrorResponse(
                 404, QStringLiteral("Not Found"), QStringLiteral("Endpoint not found: ") + path),
        std::nullopt };
}

TeleprompterHTTPResponse TeleprompterRemoteProtocol::makeStateResponse(const TeleprompterRemoteState &state)
{
    return { 200, QStringLiteral("OK"), kJsonContentType, encode(state.toJson(), "{}") };
}

TeleprompterHTTPResponse TeleprompterRemoteProtocol::makeCommandAckResponse(
    const TeleprompterRemoteCommand &command, const std::optional<TeleprompterRemoteState> &updatedState)
{
    nlohmann::json json { { "ok", true }, { "command", command.wireName().toStdString() } };
    if (updatedState)
        json["state"] = updatedState->toJson();
    return { 200, QStringLiteral("OK"), kJsonContentType, encode(json, R"({"ok":true})") };
}

TeleprompterHTTPResponse TeleprompterRemoteProtocol::makeErrorResponse(
    int statusCode, const QString &reason, const QString &message)
{
    const nlohmann::json json { { "ok", false }, { "error", message.toStdString() } };
    return { statusCode, reason, kJsonContentType, encode(json, R"({"ok":false})") };
}

std::optional<QString> TeleprompterRemoteProtocol::discoverLocalLANIPv4()
{
    const auto interfaces = TeleprompterNetworkInterfaces::ipv4Addresses();
    if (!interfaces)
        return std::nullopt;
    return pickLocalLANIPv4(*interfaces);
}

std::optional<QString> TeleprompterRemoteProtocol::pickLocalLANIPv4(
    const QList<TeleprompterNetworkInterfaceAddress> &interfaces)
{
    std::optional<QString> best;
    int bestScore = std::numeric_limits<int>::max();
    for (const TeleprompterNetworkInterfaceAddress &entry : interfaces) {
        if (!entry.isUp || !entry.isRunning || entry.isLoopback)
            continue;
        if (entry.address.startsWith(u"169.254.") || entry.address.startsWith(u"127."))
            continue;
        const int score = (isPrivateIPv4(entry.address) ? 0 : 100) + interfaceScore(entry.name);
        if (score < bestScore) {
            bestScore = score;
            best = entry.address;
        }
    }
    return best;
}

QString TeleprompterRemoteProtocol::buildRemoteURL(quint16 port, const std::optional<QString> &host)
{
    const QString shownHost = host ? *host : discoverLocalLANIPv4().value_or(QStringLiteral("127.0.0.1"));
    return QStringLiteral("http://") + shownHost + u':' + QString::number(port);
}
