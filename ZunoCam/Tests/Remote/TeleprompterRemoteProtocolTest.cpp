#include "TeleprompterRemoteProtocol.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using Command = TeleprompterRemoteCommand;
using namespace TeleprompterRemoteProtocol;

namespace {

TeleprompterHTTPRequest parsed(const QByteArray &bytes)
{
    const auto request = parseHTTPRequest(bytes);
    EXPECT_TRUE(request) << bytes.left(200).constData();
    return request.value_or(TeleprompterHTTPRequest {});
}

QByteArray post(const QByteArray &target, const QByteArray &body, const QByteArray &extraHeaders = {})
{
    return "POST " + target + " HTTP/1.1\r\nHost: x\r\n" + extraHeaders
        + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

std::string errorText(const TeleprompterHTTPResponse &response)
{
    return nlohmann::json::parse(response.body.toStdString()).at("error").get<std::string>();
}

} // namespace

TEST(TeleprompterRemoteProtocol, Completeness)
{
    const QByteArray fortyBody(40, 'a');
    const std::pair<QByteArray, bool> cases[] = {
        { "GET / HTTP/1.1\r\n\r\n", true },
        { "GET / HTTP/1.1\nHost: x\n\n", true },
        { "GET / HTTP/1.1\r\nHost: x\r\n", false },
        { "", false },
        { "POST /api/command HTTP/1.1\r\nContent-Length: 40\r\n\r\n" + QByteArray(10, 'a'), false },
        { "POST /api/command HTTP/1.1\r\nContent-Length: 40\r\n\r\n" + fortyBody, true },
        { "POST /api/command HTTP/1.1\r\nContent-Length: 40\r\n\r\n" + fortyBody + "more", true },
        { "POST / HTTP/1.1\r\nContent-Length: abc\r\n\r\n", true },
        { "POST / HTTP/1.1\r\nContent-Length: -5\r\n\r\n", true },
        { "POST / HTTP/1.1\r\nContent-Length:\r\n\r\n", true },
        { "POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n", true },
        { "POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n", true },
        { "POST / HTTP/1.1\r\nCONTENT-LENGTH:  +3 \r\n\r\nab", false },
        // A head the parser refuses waits for no body.
        { "POST / HTTP/1.1\r\nContent-Length: 40\r\nGarbage\r\n\r\n", true },
        { "POST / HTTP/1.1\r\nContent-Length : 40\r\n\r\n", true },
        // A header block that is not UTF-8 is complete; the parser rejects it.
        { "GET /\xff HTTP/1.1\r\nContent-Length: 10\r\n\r\n", true },
    };
    for (const auto &[bytes, complete] : cases)
        EXPECT_EQ(isCompleteHTTPRequest(bytes), complete) << bytes.constData();
}

TEST(TeleprompterRemoteProtocol, ParsesRequests)
{
    const TeleprompterHTTPRequest simple = parsed("GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(simple.method, "GET");
    EXPECT_EQ(simple.path, "/");
    EXPECT_TRUE(simple.query.isEmpty());
    EXPECT_TRUE(simple.headers.isEmpty());
    EXPECT_TRUE(simple.body.isEmpty());

    const TeleprompterHTTPRequest bare = parsed("get /api/state\nHost:\t example \nX-A: 1\nx-a: 2\n\n");
    EXPECT_EQ(bare.method, "GET");
    EXPECT_EQ(bare.path, "/api/state");
    EXPECT_EQ(bare.headers.value("host"), "example");
    EXPECT_EQ(bare.headers.value("x-a"), "2");
    EXPECT_EQ(bare.headers.size(), 2);

    EXPECT_EQ(parsed(post("/api/command", QByteArray(40, 'b')) + "surplus").body, QByteArray(40, 'b'));
    for (const QByteArray length : { "abc", "-1", "" }) {
        const QByteArray bytes = "POST / HTTP/1.1\r\nContent-Length: " + length + "\r\n\r\nwhole body";
        EXPECT_EQ(parsed(bytes).body, "whole body") << length.constData();
    }
}

TEST(TeleprompterRemoteProtocol, RejectsWhatIsNoRequest)
{
    const QByteArray head = "GET / HTTP/1.1\r\nX: ";
    const QByteArray tail = "\r\n\r\n";
    const QByteArray exactly = head + QByteArray(maxRequestBytes - head.size() - tail.size(), 'a') + tail;
    ASSERT_EQ(exactly.size(), 65536);
    EXPECT_TRUE(parseHTTPRequest(exactly));
    EXPECT_FALSE(parseHTTPRequest(exactly + "b"));

    const QByteArray rejected[] = {
        "",
        "GET / HTTP/1.1\r\n",
        "GET\r\n\r\n",
        "\r\n\r\n",
        "\nGET / HTTP/1.1\n\n",
        "GET /\xc3\x28 HTTP/1.1\r\n\r\n",
        "GET /\xed\xa0\x80 HTTP/1.1\r\n\r\n",
        // Which computer is meant stays open.
        "GET / HTTP/1.1\r\nHost: evil.example\r\nHost: 127.0.0.1\r\n\r\n",
        "GET / HTTP/1.1\nhost: 127.0.0.1\nX: 1\nHOST: 127.0.0.1\n\n",
        // Lines that are not "name: value": refused, not skipped, as a proxy in front may read them
        // otherwise. A line folded onto the one before...
        "GET / HTTP/1.1\r\nHost: 127.0.0.1:8791\r\n evil.example\r\n\r\n",
        "GET / HTTP/1.1\r\nHost: 127.0.0.1:8791\r\n\tevil.example\r\n\r\n",
        "GET / HTTP/1.1\r\n Host: 127.0.0.1\r\n\r\n",
        // ...one without a colon...
        "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nGarbage\r\n\r\n",
        "GET / HTTP/1.1\nGarbage\n\n",
        // ...and names that are empty or hold white space.
        "GET / HTTP/1.1\r\nHost : 127.0.0.1\r\n\r\n",
        "GET / HTTP/1.1\r\nHost\t: 127.0.0.1\r\n\r\n",
        "GET / HTTP/1.1\r\n: x\r\n\r\n",
        "GET / HTTP/1.1\r\nX Forwarded: x\r\n\r\n",
        "GET / HTTP/1.1\r\nX-\xc3\xbc: x\r\n\r\n",
    };
    for (const QByteArray &bytes : rejected)
        EXPECT_FALSE(parseHTTPRequest(bytes)) << bytes.toPercentEncoding().constData();
}

TEST(TeleprompterRemoteProtocol, DecodesQueryFields)
{
    const TeleprompterHTTPRequest request = parsed(
        "GET /api/state?a=%ZZ&b=x+y&c=%C3%BC&d=1=2&e=&f&=g&=&&h=1&h=2&%41=%42&i=%E2%82 HTTP/1.1\r\n\r\n");
    EXPECT_EQ(request.path, "/api/state");
    const QMap<QString, QString> expected {
        { "a", "%ZZ" },
        { "b", "x+y" },
        { "c", QString::fromUtf8("ü") },
        { "d", "1=2" },
        { "e", "" },
        { "f", "" },
        { "g", "" },
        { "h", "2" },
        { "A", "B" },
        { "i", "%E2%82" },
    };
    EXPECT_EQ(request.query, expected);
    // The path is not decoded.
    EXPECT_EQ(parsed("GET /a%20b?x HTTP/1.1\r\n\r\n").path, "/a%20b");
}

TEST(TeleprompterRemoteProtocol, ReadsCommandsInOrder)
{
    struct Case {
        const char *name;
        QByteArray request;
        std::optional<Command> expected;
    };
    const Case cases[] = {
        { "query with delta", post("/api/command?command=wpm_up&delta=25", ""), Command::wpmUp(25) },
        { "query action", post("/api/command?action=font_up&delta=x", ""), Command::fontUp(2) },
        { "json beats query", post("/api/command?command=reset", R"({"command":"toggle"})"),
            Command::toggle() },
        { "json id with query name", post("/api/command?command=select_script&id=Y", R"({"id":"X"})"),
            Command::selectScript("X") },
        { "json command beats action", post("/api/command", R"({"command":"pause","action":"play"})"),
            Command::pause() },
        { "json scriptId beats id",
            post("/api/command", R"({"command":"select_script","scriptId":"S","id":"I"})"),
            Command::selectScript("S") },
        { "json delta", post("/api/command", R"({"command":"wpm_down","delta":500})"), Command::wpmDown(60) },
        { "json nulls are absent", post("/api/command?command=play", R"({"command":null,"delta":null})"),
            Command::play() },
        { "json name stops gathering", post("/api/command?delta=5", R"({"command":"font_up"})"),
            Command::fontUp(2) },
        { "form delta is not read", post("/api/command", "command=font_up&delta=5"), Command::fontUp(2) },
        { "query delta is read", post("/api/command?command=font_up&delta=5", ""), Command::fontUp(5) },
        { "form script id", post("/api/command", "action=select_script&scriptId=%20Z%20"),
            Command::selectScript("Z") },
        { "plain body", post("/api/command", "Play\n"), Command::play() },
        { "string delta is not json", post("/api/command", R"({"command":"wpm_up","delta":"5"})"),
            std::nullopt },
        { "numeric command is not json", post("/api/command", R"({"command":5})"), std::nullopt },
        { "json without name", post("/api/command", R"({"delta":5})"), std::nullopt },
        { "form without name", post("/api/command", "delta=5"), std::nullopt },
        { "empty body", post("/api/command", ""), std::nullopt },
        { "white body", post("/api/command", " \r\n "), std::nullopt },
        { "body not utf-8",
            post("/api/command",
                "pl\xff"
                "ay"),
            std::nullopt },
        { "unknown name", post("/api/command", "start"), std::nullopt },
        { "empty query name", post("/api/command?command=", "play"), std::nullopt },
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseCommand(parsed(c.request)), c.expected) << c.name;
}

TEST(TeleprompterRemoteProtocol, Routes)
{
    const TeleprompterRemoteState state = TeleprompterRemoteState::fallback();
    struct Case {
        QByteArray request;
        int status;
        const char *contentType;
        std::optional<Command> command;
        const char *error;
    };
    const char *json = "application/json; charset=utf-8";
    const Case cases[] = {
        { "OPTIONS /anything HTTP/1.1\r\n\r\n", 204, "text/plain; charset=utf-8", {}, nullptr },
        { "GET / HTTP/1.1\r\n\r\n", 200, "text/html; charset=utf-8", {}, nullptr },
        { "GET /index.html HTTP/1.1\r\n\r\n", 200, "text/html; charset=utf-8", {}, nullptr },
        { "GET /api/state?x=1 HTTP/1.1\r\n\r\n", 200, json, {}, nullptr },
        { post("/api/command", "toggle"), 200, json, Command::toggle(), nullptr },
        { post("/api/command", "nonsense"), 400, json, {}, "Invalid or missing teleprompter command." },
        { "GET /API/STATE HTTP/1.1\r\n\r\n", 404, json, {}, "Endpoint not found: /API/STATE" },
        { "GET /api/state/ HTTP/1.1\r\n\r\n", 404, json, {}, "Endpoint not found: /api/state/" },
        { post("/", "play"), 404, json, {}, "Endpoint not found: /" },
        { "GET /api/command?command=play HTTP/1.1\r\n\r\n", 404, json, {},
            "Endpoint not found: /api/command" },
        { "HEAD / HTTP/1.1\r\n\r\n", 404, json, {}, "Endpoint not found: /" },
    };
    for (const Case &c : cases) {
        const TeleprompterRemoteRouteResult result = route(parsed(c.request), state);
        SCOPED_TRACE(c.request.constData());
        EXPECT_EQ(result.response.statusCode, c.status);
        EXPECT_EQ(result.response.contentType, c.contentType);
        EXPECT_EQ(result.command, c.command);
        if (c.error) {
            EXPECT_EQ(errorText(result.response), c.error);
        }
    }
    EXPECT_EQ(route(parsed("GET /api/state HTTP/1.1\r\n\r\n"), state).response, makeStateResponse(state));
    EXPECT_EQ(route(parsed("GET / HTTP/1.1\r\n\r\n"), state).response.body, remoteWebPageHTML().toUtf8());
    EXPECT_EQ(route(parsed(post("/api/command", "play")), state).response,
        makeCommandAckResponse(Command::play(), std::nullopt));
}

TEST(TeleprompterRemoteProtocol, SerializesTheResponseHead)
{
    const QByteArray options = route(parsed("OPTIONS / HTTP/1.1\r\n\r\n"), {}).response.serialized();
    EXPECT_EQ(options,
        "HTTP/1.1 204 No Content\r\n"
        "Content-Type: text/plain; charset=utf-8\r\n"
        "Content-Length: 0\r\n"
        "Cache-Control: no-store, no-cache, must-revalidate\r\n"
        "Access-Control-Allow-Methods: GET, POST, OPTIONS\r\n"
        "Access-Control-Allow-Headers: Content-Type\r\n"
        "Connection: close\r\n"
        "\r\n");
    const TeleprompterHTTPResponse error
        = makeErrorResponse(413, "Payload Too Large", "Request exceeded maximum allowed size.");
    const QByteArray wire = error.serialized();
    EXPECT_TRUE(
        wire.startsWith("HTTP/1.1 413 Payload Too Large\r\nContent-Type: application/json; charset=utf-8\r\n"
                        "Content-Length: "
            + QByteArray::number(error.body.size()) + "\r\n"));
    EXPECT_TRUE(wire.endsWith("\r\n\r\n" + error.body));
    // Script titles must not be readable from other origins.
    EXPECT_FALSE(wire.contains("Access-Control-Allow-Origin"));
}

TEST(TeleprompterRemoteProtocol, PageIsSelfContainedAndCarriesItsControls)
{
    const QString page = remoteWebPageHTML();
    for (const char *id : { "subtitle", "langBtn", "stateDot", "stateLabel", "connPill", "activeTitle",
             "progressFill", "progressLabel", "progressPct", "toggleBtn", "resetBtn", "resetLabel",
             "wpmTitle", "wpmDown", "wpmVal", "wpmUp", "fontTitle", "fontDown", "fontVal", "fontUp",
             "scriptsTitle", "scriptsCount", "scriptsList" })
        EXPECT_TRUE(page.contains(QStringLiteral("id=\"%1\"").arg(id))) << id;
    EXPECT_TRUE(page.contains("<title>ZunoCam Remote</title>"));
    EXPECT_TRUE(page.contains(QString::fromUtf8("Teleprompter LAN Kumandası")));
    EXPECT_FALSE(page.contains("http://"));
    EXPECT_FALSE(page.contains("https://"));
    EXPECT_FALSE(page.contains("innerHTML"));
}

TEST(TeleprompterRemoteAddress, PicksTheBestLocalAddress)
{
    using Entry = TeleprompterNetworkInterfaceAddress;
    const auto up = [](const char *name, const char *address) {
        return Entry { name, address, true, true, false };
    };
    struct Case {
        const char *name;
        QList<Entry> interfaces;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        { "first of equals", { up("en0", "192.168.1.20"), up("en1", "10.0.0.5") }, "192.168.1.20" },
        { "wired before wireless", { up("wlp2s0", "192.168.1.20"), up("enp3s0", "192.168.1.30") },
            "192.168.1.30" },
        { "bridge loses", { up("br0", "192.168.2.1"), up("en5", "172.20.0.3") }, "172.20.0.3" },
        { "container loses", { up("docker0", "172.17.0.1"), up("wlan0", "192.168.0.4") }, "192.168.0.4" },
        { "public loses to tunnel", { up("eth0", "100.64.0.1"), up("tun0", "10.1.1.1") }, "10.1.1.1" },
        { "172.32 is not private", { up("eth0", "172.32.0.1"), up("wg0", "172.31.0.1") }, "172.31.0.1" },
        { "link-local and loopback", { up("eth0", "169.254.3.4"), up("lo1", "127.0.0.2") }, std::nullopt },
        { "down or not running",
            { Entry { "eth0", "192.168.1.2", false, true, false },
                Entry { "eth1", "192.168.1.3", true, false, false },
                Entry { "eth2", "192.168.1.4", true, true, true } },
            std::nullopt },
        { "nothing", {}, std::nullopt },
    };
    for (const Case &c : cases)
        EXPECT_EQ(pickLocalLANIPv4(c.interfaces), c.expected) << c.name;
}

TEST(TeleprompterRemoteAddress, BuildsTheShownURL)
{
    EXPECT_EQ(buildRemoteURL(8791, QStringLiteral("10.0.0.9")), "http://10.0.0.9:8791");
    EXPECT_EQ(buildRemoteURL(1024, QString()), "http://:1024");
    const QString discovered = buildRemoteURL(8791);
    EXPECT_EQ(discovered, "http://" + discoverLocalLANIPv4().value_or("127.0.0.1") + ":8791");
}
