#include "AnySendableValue.h"
#include "ZunoAgentChatMessage.h"
#include "ZunoAgentToolDefinition.h"
#include "ZunoDecodingError.h"
#include "ZunoEncodingError.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

using Json = nlohmann::json;
using V = AnySendableValue;

TEST(AnySendableValue, FromTheGenericTree)
{
    const Json parsed = Json::parse(R"({"flag":true,"two":2,"ratio":1.5,"text":"2","zero":0,"none":null,
        "list":[1,"a",[false]],"big":18446744073709551615})");
    const V value = V::fromJson(parsed);
    ASSERT_EQ(value.kind(), V::Kind::object);
    const auto &m = value.members();
    EXPECT_EQ(m.at("flag"), V::boolean(true));
    EXPECT_EQ(m.at("two"), V::number(2));
    EXPECT_EQ(m.at("ratio"), V::number(1.5));
    EXPECT_EQ(m.at("text"), V::string("2"));
    EXPECT_EQ(m.at("zero"), V::number(0)); // numbers and booleans stay apart
    EXPECT_EQ(m.at("none"), V::null());
    EXPECT_EQ(m.at("list"), V::array({ V::number(1), V::string("a"), V::array({ V::boolean(false) }) }));
    EXPECT_EQ(m.at("big"), V::number(18446744073709551615.0));
    EXPECT_EQ(
        value.toJson(), Json::parse(R"({"flag":true,"two":2.0,"ratio":1.5,"text":"2","zero":0.0,"none":null,
        "list":[1.0,"a",[false]],"big":18446744073709551615.0})"));
}

TEST(AnySendableValue, Views)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        V value;
        std::optional<QString> string;
        std::optional<bool> flag;
        std::optional<qint64> integer;
    };
    const Case cases[] = {
        { V::number(3), "3", std::nullopt, 3 },
        { V::number(3.5), "3.5", std::nullopt, 3 },
        { V::number(-0.0), "0", std::nullopt, 0 },
        { V::number(2.9), "2.9", std::nullopt, 2 },
        { V::number(-2.9), "-2.9", std::nullopt, -2 },
        { V::number(0.1), "0.1", std::nullopt, 0 },
        { V::number(1e20), "1e+20", std::nullopt, std::nullopt },
        { V::number(-9223372036854775808.0), "-9223372036854775808", std::nullopt,
            std::numeric_limits<qint64>::min() },
        { V::number(9223372036854775808.0), "9223372036854775808", std::nullopt, std::nullopt },
        { V::number(inf), "inf", std::nullopt, std::nullopt },
        { V::number(-inf), "-inf", std::nullopt, std::nullopt },
        { V::number(std::nan("")), "nan", std::nullopt, std::nullopt },
        { V::boolean(false), "false", false, std::nullopt },
        { V::boolean(true), "true", true, std::nullopt },
        { V::string("YES"), "YES", true, std::nullopt },
        { V::string("no"), "no", false, std::nullopt },
        { V::string(" true"), " true", false, std::nullopt },
        { V::string("1"), "1", true, 1 },
        { V::string("+7"), "+7", false, 7 },
        { V::string("-12"), "-12", false, -12 },
        { V::string("7.0"), "7.0", false, std::nullopt },
        { V::string(" 7"), " 7", false, std::nullopt },
        { V::string("+"), "+", false, std::nullopt },
        { V::string("+-7"), "+-7", false, std::nullopt },
        { V::string(""), "", false, std::nullopt },
        { V::string("9223372036854775808"), "9223372036854775808", false, std::nullopt },
        { V::string("٣"), "٣", false, std::nullopt },
        { V::null(), std::nullopt, std::nullopt, std::nullopt },
        { V::array({}), std::nullopt, std::nullopt, std::nullopt },
        { V::object({}), std::nullopt, std::nullopt, std::nullopt },
    };
    for (const Case &c : cases) {
        const std::string name = c.value.toJson().dump();
        EXPECT_EQ(c.value.stringValue(), c.string) << name;
        EXPECT_EQ(c.value.boolValue(), c.flag) << name;
        EXPECT_EQ(c.value.intValue(), c.integer) << name;
    }
}

TEST(AnySendableValue, Equality)
{
    EXPECT_NE(V::number(std::nan("")), V::number(std::nan("")));
    EXPECT_EQ(V::number(0.0), V::number(-0.0));
    EXPECT_NE(V::number(1), V::boolean(true));
    EXPECT_NE(V::string(""), V::null());
    EXPECT_EQ(V::string(QStringLiteral("caf\u00e9")), V::string(QStringLiteral("cafe\u0301")));
    EXPECT_NE(V::array({ V::number(1) }), V::array({ V::number(1), V::null() }));
    EXPECT_NE(V::object({ { "a", V::null() } }), V::object({ { "b", V::null() } }));
}

TEST(AnySendableValue, WrappedForm)
{
    const V nested
        = V::object({ { "name", V::string("x") }, { "n", V::number(2.5) }, { "flag", V::boolean(true) },
            { "none", V::null() }, { "list", V::array({ V::number(1), V::object({}) }) } });
    EXPECT_EQ(V::decoded(nested.encoded()), nested);
    EXPECT_EQ(V::string("x").encoded(), Json::parse(R"({"string":{"_0":"x"}})"));
    EXPECT_EQ(V::null().encoded(), Json::parse(R"({"null":{}})"));
    EXPECT_EQ(V::object({ { "k", V::string("v") } }).encoded(),
        Json::parse(R"({"object":{"_0":{"k":{"string":{"_0":"v"}}}}})"));
    EXPECT_EQ(V::decoded(Json::parse(R"({"null":{}})")), V::null());
    EXPECT_EQ(V::decoded(Json::parse(R"({"other":1,"number":{"_0":3,"extra":true}})")), V::number(3));
    EXPECT_THROW(V::number(std::numeric_limits<double>::infinity()).encoded(), ZunoEncodingError);
    EXPECT_THROW(V::array({ V::number(std::nan("")) }).encoded(), ZunoEncodingError);

    struct Failure {
        const char *json;
        std::string path;
        std::string description; // empty: any
    };
    const Failure failures[] = {
        { R"({"string":{"_0":"x"},"bool":{"_0":true}})", "", "Invalid number of keys found, expected one." },
        { R"({})", "", "Invalid number of keys found, expected one." },
        { R"({"array":{"_0":[{"number":{"_0":1}},{}]}})", "array._0[1]",
            "Invalid number of keys found, expected one." },
        { R"({"string":{}})", "string._0", "" },
        { R"({"number":{"_0":"1"}})", "number._0", "" },
        { R"({"bool":{"_0":1}})", "bool._0", "" },
        { R"({"object":{"_0":{"k":{"null":1}}}})", "object._0.k.null", "" },
        { R"(["string"])", "", "" },
    };
    for (const Failure &f : failures) {
        try {
            V::decoded(Json::parse(f.json));
            ADD_FAILURE() << f.json;
        } catch (const ZunoDecodingError &error) {
            EXPECT_EQ(error.codingPath(), f.path) << f.json;
            if (!f.description.empty()) {
                EXPECT_EQ(error.description(), f.description) << f.json;
            }
        }
    }
}

TEST(ZunoAgentRecords, ToolEntryAndCoding)
{
    const ZunoAgentToolDefinition bare { "clock", "Tells the time.", {} };
    EXPECT_EQ(bare.toOpenAIDictionary(),
        Json::parse(
            R"({"type":"function","function":{"name":"clock","description":"Tells the time.","parameters":{}}})"));
    const ZunoAgentToolDefinition add { "add", "Adds.",
        { { "type", V::string("object") }, { "required", V::array({ V::string("a") }) } } };
    EXPECT_EQ(add.toOpenAIDictionary()["function"]["parameters"],
        Json::parse(R"({"type":"object","required":["a"]})"));

    // 2001-01-02T00:00:00.5Z is 86400.5 seconds after the reference date.
    const QDateTime when
        = QDateTime::fromString(QStringLiteral("2001-01-02T00:00:00.500Z"), Qt::ISODateWithMs);
    const ZunoAgentStepRecord step { QUuid::createUuid(), "add", "add(a=2, b=3)", true, when };
    const ZunoAgentChatMessage message { QUuid::createUuid(), ZunoAgentChatMessage::Role::assistant, "5",
        { step, step }, false, when };
    const Json json = message.toJson();
    EXPECT_EQ(json["timestamp"], 86400.5);
    EXPECT_EQ(json["steps"][0]["timestamp"], 86400.5);
    EXPECT_EQ(json["role"], "assistant");
    EXPECT_EQ(QString::fromStdString(json["id"].get<std::string>()),
        message.id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(ZunoAgentChatMessage::fromJson(json), message);

    Json lowerId = json;
    lowerId["id"] = QString::fromStdString(json["id"].get<std::string>()).toLower().toStdString();
    EXPECT_EQ(ZunoAgentChatMessage::fromJson(lowerId).id, message.id);

    const auto without = [&](const char *key) {
        Json copy = json;
        copy.erase(key);
        return copy;
    };
    Json badRole = json;
    badRole["role"] = "User";
    Json badId = json;
    badId["id"] = "{" + json["id"].get<std::string>() + "}";
    Json badStep = json;
    badStep["steps"][1]["ok"] = "yes";
    Json isoTime = json;
    isoTime["timestamp"] = "2001-01-02T00:00:00Z";
    for (const Json &bad : { without("steps"), without("isError"), badRole, badId, badStep, isoTime })
        EXPECT_THROW(ZunoAgentChatMessage::fromJson(bad), ZunoDecodingError) << bad.dump();
    EXPECT_EQ(ZunoAgentChatMessage::roleFromRawValue("user"), ZunoAgentChatMessage::Role::user);
    EXPECT_FALSE(ZunoAgentChatMessage::roleFromRawValue("Assistant"));
}
