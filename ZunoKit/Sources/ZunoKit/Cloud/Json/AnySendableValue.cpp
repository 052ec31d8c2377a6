#include "AnySendableValue.h"

#include "ZunoDecodingError.h"
#include "ZunoEncodingError.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

using Json = nlohmann::json;

namespace {

// 2^63: the first double beyond the signed 64-bit range.
constexpr double kInt64Limit = 9223372036854775808.0;

bool withinInt64(double value)
{
    return std::isfinite(value) && value >= -kInt64Limit && value < kInt64Limit;
}

const AnySendableValue::Array &emptyArray()
{
    static const AnySendableValue::Array empty;
    return empty;
}

const AnySendableValue::Object &emptyObject()
{
    static const AnySendableValue::Object empty;
    return empty;
}

std::string joined(const std::string &path, const std::string &next)
{
    return path.empty() ? next : path + "." + next;
}

constexpr const char *kCaseNames[] = { "string", "number", "bool", "array", "object", "null" };

} // namespace

bool canonicallyEqual(const QString &a, const QString &b)
{
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

AnySendableValue::AnySendableValue() = default;

AnySendableValue AnySendableValue::string(const QString &text)
{
    AnySendableValue value;
    value.m_kind = Kind::string;
    value.m_text = text;
    return value;
}

AnySendableValue AnySendableValue::number(double number)
{
    AnySendableValue value;
    value.m_kind = Kind::number;
    value.m_number = number;
    return value;
}

AnySendableValue AnySendableValue::boolean(bool flag)
{
    AnySendableValue value;
    value.m_kind = Kind::boolean;
    value.m_bool = flag;
    return value;
}

AnySendableValue AnySendableValue::array(Array elements)
{
    AnySendableValue value;
    value.m_kind = Kind::array;
    value.m_array = std::make_shared<const Array>(std::move(elements));
    return value;
}

AnySendableValue AnySendableValue::object(Object members)
{
    AnySendableValue value;
    value.m_kind = Kind::object;
    value.m_object = std::make_shared<const Object>(std::move(members));
    return value;
}

const AnySendableValue::Array &AnySendableValue::elements() const
{
    return m_array ? *m_array : emptyArray();
}

const AnySendableValue::Object &AnySendableValue::members() const
{
    return m_object ? *m_object : emptyObject();
}

nlohmann::json AnySendableValue::toJson() const
{
    switch (m_kind) {
    case Kind::string:
        return m_text.toStdString();
    case Kind::number:
        return m_number;
    case Kind::boolean:
        return m_bool;
    case Kind::array: {
        Json array = Json::array();
        for (const AnySendableValue &element : elements())
            array.push_back(element.toJson());
        return array;
    }
    case Kind::object:
        return objectToJson(members());
    case Kind::null:
        break;
    }
    return nullptr;
}

AnySendableValue AnySendableValue::fromJson(const nlohmann::json &json)
{
    if (json.is_string())
        return string(QString::fromStdString(json.get<std::string>()));
    if (json.is_boolean())
        return boolean(json.get<bool>());
    if (json.is_number())
        return number(json.get<double>());
    if (json.is_array()) {
        Array elements;
        elements.reserve(static_cast<qsizetype>(json.size()));
        for (const Json &element : json)
            elements.append(fromJson(element));
        return array(std::move(elements));
    }
    if (json.is_object())
        return object(objectFromJson(json));
    return null();
}

AnySendableValue::Object AnySendableValue::objectFromJson(const nlohmann::json &json)
{
    Object members;
    if (!json.is_object())
        return members;
    for (const auto &[key, value] : json.items())
        members.emplace(QString::fromStdString(key), fromJson(value));
    return members;
}

nlohmann::json AnySendableValue::objectToJson(const Object &members)
{
    Json object = Json::object();
    for (const auto &[key, value] : members)
        object[key.toStdString()] = value.toJson();
    return object;
}

std::optional<QString> AnySendableValue::stringValue() const
{
    switch (m_kind) {
    case Kind::string:
        return m_text;
    case Kind::boolean:
        return m_bool ? QStringLiteral("true") : QStringLiteral("false");
    case Kind::number: {
        if (std::isnan(m_number))
            return QStringLiteral("nan");
        if (std::isinf(m_number))
            return m_number > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
        if (std::trunc(m_number) == m_number && withinInt64(m_number))
            return QString::number(static_cast<qint64>(m_number));
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, m_number);
        return QString::fromLatin1(buffer, result.ptr - buffer);
    }
    default:
        return std::nullopt;
    }
}

std::optional<bool> AnySendableValue::boolValue() const
{
    if (m_kind == Kind::boolean)
        return m_bool;
    if (m_kind == Kind::string) {
        const QString lower = m_text.toLower();
        return lower == QLatin1String("true") || lower == QLatin1String("1") || lower == QLatin1String("yes");
    }
    return std::nullopt;
}

std::optional<qint64> AnySendableValue::intValue() const
{
    if (m_kind == Kind::number) {
        if (!withinInt64(m_number))
            return std::nullopt;
        return static_cast<qint64>(std::trunc(m_number));
    }
    if (m_kind != Kind::string)
        return std::nullopt;
    const QByteArray latin = m_text.toLatin1();
    if (m_text.size() != latin.size() || latin.isEmpty())
        return std::nullopt;
    qsizetype start = latin.front() == '+' || latin.front() == '-' ? 1 : 0;
    if (start == latin.size())
        return std::nullopt;
    for (qsizetype i = start; i < latin.size(); ++i) {
        if (latin[i] < '0' || latin[i] > '9')
            return std::nullopt;
    }
    // from_chars takes a minus but no plus.
    const char *begin = latin.constData() + (latin.front() == '+' ? 1 : 0);
    const char *end = latin.constData() + latin.size();
    qint64 value = 0;
    const auto [stopped, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stopped != end)
        return std::nullopt;
    return value;
}

nlohmann::json AnySendableValue::encoded() const
{
    Json payload = Json::object();
    switch (m_kind) {
    case Kind::string:
        payload["_0"] = m_text.toStdString();
        return Json { { "string", payload } };
    case Kind::number:
        if (!std::isfinite(m_number))
            throw ZunoEncodingError("number: a non-finite value cannot be written as JSON");
        payload["_0"] = m_number;
        return Json { { "number", payload } };
    case Kind::boolean:
        payload["_0"] = m_bool;
        return Json { { "bool", payload } };
    case Kind::array: {
        Json array = Json::array();
        for (const AnySendableValue &element : elements())
            array.push_back(element.encoded());
        payload["_0"] = std::move(array);
        return Json { { "array", payload } };
    }
    case Kind::object: {
        Json object = Json::object();
        for (const auto &[key, value] : members())
            object[key.toStdString()] = value.encoded();
        payload["_0"] = std::move(object);
        return Json { { "object", payload } };
    }
    case Kind::null:
        break;
    }
    return Json { { "null", Json::object() } };
}

AnySendableValue AnySendableValue::decoded(const nlohmann::json &json, const std::string &codingPath)
{
    if (!json.is_object())
        throw ZunoDecodingError(codingPath, "Expected to decode a keyed container but found another value.");
    const char *caseName = nullptr;
    int found = 0;
    for (const char *name : kCaseNames) {
        if (json.contains(name)) {
            caseName = name;
            ++found;
        }
    }
    if (found != 1)
        throw ZunoDecodingError(codingPath, "Invalid number of keys found, expected one.");
    const std::string casePath = joined(codingPath, caseName);
    const Json &container = json.at(caseName);
    if (!container.is_object())
        throw ZunoDecodingError(casePath, "Expected to decode a keyed container but found another value.");
    const std::string name = caseName;
    if (name == "null")
        return null();
    const std::string payloadPath = joined(casePath, "_0");
    const auto payload = container.find("_0");
    if (payload == container.end())
        throw ZunoDecodingError(payloadPath, "No value associated with key \"_0\".");
    const auto mismatch = [&](const char *expected) {
        return ZunoDecodingError(
            payloadPath, std::string("Expected to decode ") + expected + " but found another value.");
    };
    if (name == "string") {
        if (!payload->is_string())
            throw mismatch("a string");
        return string(QString::fromStdString(payload->get<std::string>()));
    }
    if (name == "number") {
        if (!payload->is_number())
            throw mismatch("a number");
        return number(payload->get<double>());
    }
    if (name == "bool") {
        if (!payload->is_boolean())
            throw mismatch("a bool");
        return boolean(payload->get<bool>());
    }
    if (name == "array") {
        if (!payload->is_array())
            throw mismatch("an array");
        Array elements;
        for (std::size_t i = 0; i < payload->size(); ++i)
            elements.append(decoded((*payload)[i], payloadPath + "[" + std::to_string(i) + "]"));
        return array(std::move(elements));
    }
    if (!payload->is_object())
        throw mismatch("a keyed container");
    Object members;
    for (const auto &[key, value] : payload->items())
        members.emplace(QString::fromStdString(key), decoded(value, joined(payloadPath, key)));
    return object(std::move(members));
}

bool operator==(const AnySendableValue &a, const AnySendableValue &b)
{
    if (a.m_kind != b.m_kind)
        return false;
    switch (a.m_kind) {
    case AnySendableValue::Kind::string:
        return canonicallyEqual(a.m_text, b.m_text);
    case AnySendableValue::Kind::number:
        return a.m_number == b.m_number;
    case AnySendableValue::Kind::boolean:
        return a.m_bool == b.m_bool;
    case AnySendableValue::Kind::array:
        return a.elements() == b.elements();
    case AnySendableValue::Kind::object: {
        const auto &left = a.members();
        const auto &right = b.members();
        if (left.size() != right.size())
            return false;
        for (const auto &[key, value] : left) {
            const auto found = right.find(key);
            if (found == right.end() || !(found->second == value))
                return false;
        }
        return true;
    }
    case AnySendableValue::Kind::null:
        return true;
    }
    return false;
}
