#include "TeleprompterRemoteCommand.h"
#include "TeleprompterRemoteProtocol.h"
#include "TeleprompterRemoteState.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

using Command = TeleprompterRemoteCommand;
using namespace TeleprompterRemoteProtocol;

namespace {

TeleprompterRemoteState sampleState(double progress, std::optional<QString> activeId = QStringLiteral("A1"))
{
    return TeleprompterRemoteState(true, false, 150, 32, progress, activeId, QStringLiteral("Intro"),
        { { QStringLiteral("A1"), QStringLiteral("Intro"), 42 },
            { QStringLiteral("B2"), QStringLiteral("Outro"), 7 } });
}

} // namespace

TEST(TeleprompterRemoteState, ProgressIsClampedByTheInitializerOnly)
{
    const std::pair<double, double> cases[]
        = { { 1.7, 1 }, { -0.2, 0 }, { 0, 0 }, { 0.5, 0.5 }, { 1, 1 }, { INFINITY, 1 }, { -INFINITY, 0 } };
    for (const auto &[given, expected] : cases)
        EXPECT_EQ(sampleState(given).progress, expected) << given;
    EXPECT_TRUE(std::isnan(sampleState(NAN).progress));

    // Decoding keeps what it received.
    nlohmann::json json = sampleState(0.3).toJson();
    json["progress"] = 1.7;
    EXPECT_EQ(TeleprompterRemoteState::fromJson(json)->progress, 1.7);
}

TEST(TeleprompterRemoteState, EncodesCompactWithSortedKeys)
{
    EXPECT_EQ(makeStateResponse(sampleState(0.25)).body,
        R"({"activeScriptId":"A1","activeScriptTitle":"Intro","fontSize":32,"isPlaying":true,)"
        R"("isVisible":false,"progress":0.25,"scripts":[{"id":"A1","title":"Intro","wordCount":42},)"
        R"({"id":"B2","title":"Outro","wordCount":7}],"wpm":150})");
    // No selection: the key is left out, not written as null.
    const QByteArray noSelection = makeStateResponse(sampleState(0.25, std::nullopt)).body;
    EXPECT_FALSE(noSelection.contains("activeScriptId")) << noSelection.constData();
}

TEST(TeleprompterRemoteState, NonFiniteProgressIsServedAsZero)
{
    const QByteArray body = makeStateResponse(sampleState(NAN)).body;
    EXPECT_TRUE(body.contains(R"("progress":0)")) << body.constData();
    const auto decoded = TeleprompterRemoteState::fromJson(nlohmann::json::parse(body.toStdString()));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->progress, 0);
    EXPECT_EQ(decoded->scripts.size(), 2);
    // Inside an acknowledgement too.
    EXPECT_TRUE(makeCommandAckResponse(Command::play(), sampleState(NAN)).body.contains(R"("progress":0)"));
}

TEST(TeleprompterRemoteState, RoundTripsAndDecodesStrictly)
{
    for (const auto &state :
        { sampleState(0.75), sampleState(0, std::nullopt), TeleprompterRemoteState::fallback() }) {
        const auto decoded = TeleprompterRemoteState::fromJson(state.toJson());
        ASSERT_TRUE(decoded);
        EXPECT_EQ(*decoded, state);
    }
    const nlohmann::json valid = sampleState(0.75).toJson();
    struct Case {
        const char *name;
        std::function<void(nlohmann::json &)> change;
        bool decodes;
    };
    const Case cases[] = {
        { "missing wpm", [](auto &j) { j.erase("wpm"); }, false },
        { "missing scripts", [](auto &j) { j.erase("scripts"); }, false },
        { "wpm as text", [](auto &j) { j["wpm"] = "150"; }, false },
        { "fractional font size", [](auto &j) { j["fontSize"] = 12.5; }, false },
        { "integral float font size", [](auto &j) { j["fontSize"] = 12.0; }, true },
        { "playing as number", [](auto &j) { j["isPlaying"] = 1; }, false },
        { "null script id", [](auto &j) { j["activeScriptId"] = nullptr; }, true },
        { "numeric script id", [](auto &j) { j["activeScriptId"] = 5; }, false },
        { "summary without word count", [](auto &j) { j["scripts"][0].erase("wordCount"); }, false },
        { "extra key", [](auto &j) { j["extra"] = true; }, true },
    };
    for (const Case &c : cases) {
        nlohmann::json json = valid;
        c.change(json);
        EXPECT_EQ(TeleprompterRemoteState::fromJson(json).has_value(), c.decodes) << c.name;
    }
}

TEST(TeleprompterRemoteCommand, NamesDefaultsAndClamps)
{
    struct Case {
        const char *name;
        std::optional<QString> id;
        std::optional<qint64> delta;
        std::optional<Command> expected;
    };
    const QString id128(128, u'x');
    // 128 user-perceived characters of two code units each.
    const QString accented128 = QString(128, u'e').replace(QStringLiteral("e"), QStringLiteral("e\u0301"));
    const Case cases[] = {
        { " Wpm_Up ", {}, 0, Command::wpmUp(1) },
        { " Wpm_Up ", {}, 500, Command::wpmUp(60) },
        { " Wpm_Up ", {}, {}, Command::wpmUp(10) },
        { "wpm_down", {}, 25, Command::wpmDown(25) },
        { "wpm_down", {}, std::numeric_limits<qint64>::min(), Command::wpmDown(1) },
        { "font_down", {}, -3, Command::fontDown(1) },
        { "font_down", {}, {}, Command::fontDown(2) },
        { "font_up", {}, 13, Command::fontUp(12) },
        { "\tPLAY\n", {}, {}, Command::play() },
        { "pause", QStringLiteral("x"), 5, Command::pause() },
        { "toggle", {}, {}, Command::toggle() },
        { "reset", {}, {}, Command::reset() },
        { "wpm-up", {}, {}, std::nullopt },
        { "start", {}, {}, std::nullopt },
        { "   ", {}, {}, std::nullopt },
        { "", {}, {}, std::nullopt },
        { "select_script", QStringLiteral("  Ab-1 "), {}, Command::selectScript(QStringLiteral("Ab-1")) },
        { "select_script", id128, {}, Command::selectScript(id128) },
        { "select_script", id128 + u'x', {}, std::nullopt },
        { "select_script", QString(accented128), {}, Command::selectScript(accented128) },
        { "select_script", accented128 + u'e', {}, std::nullopt },
        { "select_script", QStringLiteral("    "), {}, std::nullopt },
        { "select_script", {}, {}, std::nullopt },
    };
    for (const Case &c : cases)
        EXPECT_EQ(Command::make(QString::fromUtf8(c.name), c.id, c.delta), c.expected) << c.name;
}

TEST(TeleprompterRemoteCommand, WireNames)
{
    const std::pair<Command, const char *> cases[] = {
        { Command::wpmUp(1), "wpm_up" },
        { Command::wpmDown(1), "wpm_down" },
        { Command::fontUp(1), "font_up" },
        { Command::fontDown(1), "font_down" },
        { Command::selectScript("a"), "select_script" },
        { Command::play(), "play" },
        { Command::pause(), "pause" },
        { Command::toggle(), "toggle" },
        { Command::reset(), "reset" },
    };
    for (const auto &[command, name] : cases) {
        EXPECT_EQ(command.wireName(), name);
        EXPECT_EQ(Command::make(command.wireName(), QStringLiteral("a"), 1)->kind(), command.kind());
    }
}

TEST(TeleprompterRemoteDocuments, AcknowledgementsAndErrors)
{
    EXPECT_EQ(
        makeCommandAckResponse(Command::toggle(), std::nullopt).body, R"({"command":"toggle","ok":true})");
    const QByteArray withState = makeCommandAckResponse(Command::reset(), sampleState(0.5)).body;
    EXPECT_TRUE(withState.startsWith(R"({"command":"reset","ok":true,"state":{"activeScriptId":"A1",)"))
        << withState.constData();

    const TeleprompterHTTPResponse error = makeErrorResponse(404, "Not Found", "Endpoint not found: /\"x\"");
    EXPECT_EQ(error.statusCode, 404);
    EXPECT_EQ(error.reasonPhrase, "Not Found");
    EXPECT_EQ(error.contentType, "application/json; charset=utf-8");
    EXPECT_EQ(error.body, R"({"error":"Endpoint not found: /\"x\"","ok":false})");
}
