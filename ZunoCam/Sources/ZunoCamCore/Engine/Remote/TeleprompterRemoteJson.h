#pragma once

// Strict readers for the remote's JSON documents: a key present with the wrong type fails,
// null counts as absent.

#include <QString>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <optional>

namespace TeleprompterRemoteJson {

// An integer, or a number with an exact integral value in the 64-bit range.
inline std::optional<qint64> integerValue(const nlohmann::json &value)
{
    if (value.is_number_integer() && !value.is_number_unsigned())
        return value.get<std::int64_t>();
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(INT64_MAX))
            return std::nullopt;
        return static_cast<qint64>(number);
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (!std::isfinite(number) || std::trunc(number) != number || number < -9223372036854775808.0
            || number >= 9223372036854775808.0)
            return std::nullopt;
        return static_cast<qint64>(number);
    }
    return std::nullopt;
}

inline const nlohmann::json *member(const nlohmann::json &object, const char *key)
{
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

inline std::optional<QString> requiredString(const nlohmann::json &object, const char *key)
{
    const nlohmann::json *value = member(object, key);
    if (!value || !value->is_string())
        return std::nullopt;
    return QString::fromStdString(value->get_ref<const std::string &>());
}

inline std::optional<bool> requiredBool(const nlohmann::json &object, const char *key)
{
    const nlohmann::json *value = member(object, key);
    if (!value || !value->is_boolean())
        return std::nullopt;
    return value->get<bool>();
}

inline std::optional<qint64> requiredInteger(const nlohmann::json &object, const char *key)
{
    const nlohmann::json *value = member(object, key);
    return value ? integerValue(*value) : std::nullopt;
}

inline std::optional<double> requiredDouble(const nlohmann::json &object, const char *key)
{
    const nlohmann::json *value = member(object, key);
    if (!value || !value->is_number())
        return std::nullopt;
    return value->get<double>();
}

// Absent or null gives none; a present value of another type clears `valid`.
inline std::optional<QString> optionalString(const nlohmann::json &object, const char *key, bool &valid)
{
    const nlohmann::json *value = member(object, key);
    if (!value || value->is_null())
        return std::nullopt;
    if (!value->is_string()) {
        valid = false;
        return std::nullopt;
    }
    return QString::fromStdString(value->get_ref<const std::string &>());
}

inline std::optional<qint64> optionalInteger(const nlohmann::json &object, const char *key, bool &valid)
{
    const nlohmann::json *value = member(object, key);
    if (!value || value->is_null())
        return std::nullopt;
    const auto number = integerValue(*value);
    if (!number)
        valid = false;
    return number;
}

} // namespace TeleprompterRemoteJson
