#include "ZunoStrictJson.h"

#include "ZunoEncodingError.h"
#include "ZunoJson.h"

#include <cmath>
#include <limits>

namespace {

[[noreturn]] void fail(const char *key, const char *problem)
{
    throw ZunoDecodingError(std::string(key) + ": " + problem);
}

} // namespace

namespace ZunoStrictJson {

const Json &object(const Json &value, const char *context)
{
    if (!value.is_object())
        fail(context, "expected an object");
    return value;
}

const Json &required(const Json &object, const char *key)
{
    const Json *value = optional(object, key);
    if (!value)
        fail(key, "missing or null");
    return *value;
}

const Json *optional(const Json &object, const char *key)
{
    if (!object.is_object())
        fail(key, "the container is not an object");
    const auto found = object.find(key);
    if (found == object.end() || found->is_null())
        return nullptr;
    return &*found;
}

QString string(const Json &value, const char *key)
{
    if (!value.is_string())
        fail(key, "expected a string");
    return QString::fromStdString(value.get_ref<const std::string &>());
}

bool boolean(const Json &value, const char *key)
{
    if (!value.is_boolean())
        fail(key, "expected true or false");
    return value.get<bool>();
}

qint64 integer(const Json &value, const char *key)
{
    if (value.is_number_unsigned()) {
        const std::uint64_t number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<qint64>::max()))
            fail(key, "integer out of range");
        return static_cast<qint64>(number);
    }
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    if (value.is_number_float()) {
        // 5.0 is the integer 5; a fraction, or a value beyond 64 bits, is not an integer.
        const double number = value.get<double>();
        constexpr double kLimit = 9223372036854775808.0; // 2^63
        if (std::isfinite(number) && number == std::trunc(number) && number >= -kLimit && number < kLimit)
            return static_cast<qint64>(number);
    }
    fail(key, "expected an integer");
}

double number(const Json &value, const char *key)
{
    if (!value.is_number())
        fail(key, "expected a number");
    const double number = value.get<double>();
    // The parser turns a literal beyond double range into infinity, which could never be written back.
    if (!std::isfinite(number))
        fail(key, "number out of range");
    return number;
}

QStringList strings(const Json &value, const char *key)
{
    if (!value.is_array())
        fail(key, "expected an array of strings");
    QStringList list;
    list.reserve(static_cast<qsizetype>(value.size()));
    for (const Json &item : value)
        list.append(string(item, key));
    return list;
}

Json finite(double number, const char *key)
{
    if (!std::isfinite(number))
        throw ZunoEncodingError(std::string(key) + ": a non-finite number cannot be written as JSON");
    return number;
}

} // namespace ZunoStrictJson
