#include "ZunoAgentCoding.h"

#include "ZunoDecodingError.h"

#include <QTimeZone>

#include <nlohmann/json.hpp>

#include <cmath>

namespace ZunoAgentCoding {

namespace {

// 2001-01-01T00:00:00Z in milliseconds since 1970.
constexpr qint64 kReferenceMsecs = 978'307'200'000;

ZunoDecodingError mismatch(const std::string &codingPath, const char *expected)
{
    return ZunoDecodingError(
        codingPath, std::string("Expected to decode ") + expected + " but found another value.");
}

} // namespace

std::string path(const std::string &container, const char *key)
{
    return container.empty() ? std::string(key) : container + "." + key;
}

const nlohmann::json &object(const nlohmann::json &json, const std::string &codingPath)
{
    if (!json.is_object())
        throw mismatch(codingPath, "a keyed container");
    return json;
}

const nlohmann::json &required(const nlohmann::json &object, const char *key, const std::string &codingPath)
{
    const auto found = object.find(key);
    if (found == object.end() || found->is_null())
        throw ZunoDecodingError(path(codingPath, key), "No value associated with this key.");
    return *found;
}

QString string(const nlohmann::json &object, const char *key, const std::string &codingPath)
{
    const nlohmann::json &value = required(object, key, codingPath);
    if (!value.is_string())
        throw mismatch(path(codingPath, key), "a string");
    return QString::fromStdString(value.get<std::string>());
}

bool boolean(const nlohmann::json &object, const char *key, const std::string &codingPath)
{
    const nlohmann::json &value = required(object, key, codingPath);
    if (!value.is_boolean())
        throw mismatch(path(codingPath, key), "a bool");
    return value.get<bool>();
}

QUuid uuid(const nlohmann::json &object, const char *key, const std::string &codingPath)
{
    const QString text = string(object, key, codingPath);
    const QUuid value = text.size() == 36 ? QUuid::fromString(text) : QUuid();
    if (value.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000"))
        throw ZunoDecodingError(path(codingPath, key), "Attempted to decode UUID from invalid UUID string.");
    return value;
}

QDateTime date(const nlohmann::json &object, const char *key, const std::string &codingPath)
{
    const nlohmann::json &value = required(object, key, codingPath);
    if (!value.is_number() || !std::isfinite(value.get<double>()))
        throw mismatch(path(codingPath, key), "a number");
    return dateFromReferenceSeconds(value.get<double>());
}

double referenceSeconds(const QDateTime &date)
{
    return static_cast<double>(date.toMSecsSinceEpoch() - kReferenceMsecs) / 1000.0;
}

QDateTime dateFromReferenceSeconds(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(kReferenceMsecs + std::llround(seconds * 1000.0), Qt::UTC);
}

} // namespace ZunoAgentCoding
