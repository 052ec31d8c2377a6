#pragma once

#include "ZunoDecodingError.h"
#include "ZunoEncodingError.h"
#include "ZunoStrictJson.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <nlohmann/json.hpp>

#include <optional>

// What the live-status records share: the strict JSON pieces that `ZunoStrictJson` lacks (internet
// dates, 32-bit and float numbers), clamps that keep a NaN (the record is then not written) and the
// freshness rule. Decoders throw `ZunoDecodingError`, encoders `ZunoEncodingError`.
namespace ZunoLiveStatusSupport {

using Json = nlohmann::json;

// "2026-03-01T09:15:00Z" or with an offset; fractional seconds and other layouts fail.
QDateTime date(const Json &object, const char *key);
Json dateJson(const QDateTime &date);

// A whole number within 32 bits (process identifiers): the value itself, or the member `key`.
qint32 int32Value(const Json &value, const char *key);
qint32 int32(const Json &object, const char *key);
QList<qint32> int32List(const Json &object, const char *key);
Json int32ListJson(const QList<qint32> &values);

// A finite number that a float holds without turning infinite.
float float32(const Json &value, const char *key);
Json float32Json(float value, const char *key);

// The member `key` of a lenient record, or `fallback` when it is missing or null; a wrong type fails.
template <typename T> T orDefault(const Json &object, const char *key, T fallback)
{
    return ZunoStrictJson::readOptional<T>(object, key).value_or(std::move(fallback));
}

// `value` below `minimum` becomes `minimum`; a NaN stays.
double atLeast(double value, double minimum);
// Within `minimum`...`maximum`; a NaN stays.
double clamped(double value, double minimum, double maximum);
// Within 0...1; a NaN becomes 0.
double unitInterval(double value);

// a + b, stopping at the 64-bit limits.
qint64 saturatingSum(qint64 a, qint64 b);

// Within `maxAgeSeconds` of `now` either way (a NaN age is never fresh), then the publisher alive.
bool isFresh(const QDateTime &timestamp, qint32 senderPID, const QDateTime &now, double maxAgeSeconds);

// Compact JSON of a record, or none when it holds a number JSON cannot express.
template <typename Record> std::optional<QByteArray> encoded(const Record &record)
{
    try {
        return QByteArray::fromStdString(record.toJson().dump());
    } catch (const ZunoEncodingError &) {
        return std::nullopt;
    } catch (const Json::exception &) {
        return std::nullopt;
    }
}

// The record in `bytes`, or none when they are not JSON or not that record.
template <typename Record> std::optional<Record> decoded(const QByteArray &bytes)
{
    try {
        return Record::fromJson(Json::parse(bytes.constBegin(), bytes.constEnd()));
    } catch (const ZunoDecodingError &) {
        return std::nullopt;
    } catch (const Json::exception &) {
        return std::nullopt;
    }
}

} // namespace ZunoLiveStatusSupport
