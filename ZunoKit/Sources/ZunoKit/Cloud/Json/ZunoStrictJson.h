#pragma once

#include "ZunoDecodingError.h"
#include "ZunoJson.h"

#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <optional>

// Strict, all-or-nothing reading of JSON documents whose keys are their field names. Every failure
// throws `ZunoDecodingError` naming the key. "Required" means present and not null; "optional" means
// missing or null gives no value, while a present value of the wrong type still fails.
namespace ZunoStrictJson {

using Json = nlohmann::json;

// The value itself must be an object.
const Json &object(const Json &value, const char *context);
// The member under `key`, present and not null.
const Json &required(const Json &object, const char *key);
// The member under `key`, or nullptr when it is missing or null.
const Json *optional(const Json &object, const char *key);

QString string(const Json &value, const char *key);
bool boolean(const Json &value, const char *key);
// A whole number within 64 bits, written as 5 or 5.0; 5.5 fails.
qint64 integer(const Json &value, const char *key);
// Any finite JSON number (a literal beyond double range, such as 1e400, fails).
double number(const Json &value, const char *key);
QStringList strings(const Json &value, const char *key);

// Readers by type, for the templates below; a type of its own is decoded with its `from_json`,
// and a failure inside it gains the key as a prefix.
template <typename T> struct Reader {
    static T read(const Json &value, const char *key)
    {
        try {
            return value.get<T>();
        } catch (const ZunoDecodingError &error) {
            throw ZunoDecodingError(std::string(key) + "." + error.what());
        }
    }
};
template <> struct Reader<QString> {
    static QString read(const Json &value, const char *key) { return string(value, key); }
};
template <> struct Reader<bool> {
    static bool read(const Json &value, const char *key) { return boolean(value, key); }
};
template <> struct Reader<qint64> {
    static qint64 read(const Json &value, const char *key) { return integer(value, key); }
};
template <> struct Reader<double> {
    static double read(const Json &value, const char *key) { return number(value, key); }
};
template <> struct Reader<QStringList> {
    static QStringList read(const Json &value, const char *key) { return strings(value, key); }
};

template <typename T> T read(const Json &object, const char *key)
{
    return Reader<T>::read(required(object, key), key);
}

template <typename T> std::optional<T> readOptional(const Json &object, const char *key)
{
    const Json *value = optional(object, key);
    if (!value)
        return std::nullopt;
    return Reader<T>::read(*value, key);
}

// A list of values of a type of its own; a failing element is named by its index.
template <typename T> QList<T> readList(const Json &object, const char *key)
{
    const Json &value = required(object, key);
    if (!value.is_array())
        throw ZunoDecodingError(std::string(key) + ": expected an array");
    QList<T> list;
    list.reserve(static_cast<qsizetype>(value.size()));
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string element = std::string(key) + "[" + std::to_string(i) + "]";
        list.append(Reader<T>::read(value[i], element.c_str()));
    }
    return list;
}

// As `readList`, or none when the key is missing or null.
template <typename T> std::optional<QList<T>> readOptionalList(const Json &object, const char *key)
{
    if (!optional(object, key))
        return std::nullopt;
    return readList<T>(object, key);
}

// Writing: a number JSON cannot express throws `ZunoEncodingError` (nlohmann would write null).
Json finite(double number, const char *key);

template <typename T> void write(Json &object, const char *key, const T &value)
{
    object[key] = value;
}
inline void write(Json &object, const char *key, double value)
{
    object[key] = finite(value, key);
}
inline void write(Json &object, const char *key, const QStringList &value)
{
    Json array = Json::array();
    for (const QString &item : value)
        array.push_back(item);
    object[key] = std::move(array);
}
// Absent values are left out, never written as null.
template <typename T> void writeOptional(Json &object, const char *key, const std::optional<T> &value)
{
    if (value)
        write(object, key, *value);
}

} // namespace ZunoStrictJson
