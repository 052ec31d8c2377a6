#pragma once

// nlohmann::json adapters for the Qt value types used in stored documents and wire formats.
// QUuid is written upper-case without braces; QDateTime as ISO 8601 in UTC with a "Z" (whole
// seconds; fractions are accepted on reading). A wrong type or an unreadable value throws
// nlohmann::json::type_error / other_error, so strict decoders fail where they should.
// The suite's files use the strict internet date-time form instead (`internetDateFromJson`).

#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <QUuid>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <limits>

namespace ZunoJson {

inline QString uuidString(const QUuid &uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

inline QString isoDateString(const QDateTime &date)
{
    return date.toUTC().toString(Qt::ISODate);
}

inline QString isoDateStringWithMilliseconds(const QDateTime &date)
{
    return date.toUTC().toString(Qt::ISODateWithMs);
}

// An ISO 8601 date, with or without fractional seconds; invalid when it does not parse.
inline QDateTime parseIsoDate(const QString &text)
{
    QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!date.isValid())
        date = QDateTime::fromString(text, Qt::ISODate);
    return date.isValid() ? date.toUTC() : QDateTime();
}

// A JSON number that is a whole number in the signed 64-bit range (2.0 counts, 2.5 does not); a
// fraction, a number out of range or any other type throws, where a plain get<std::int64_t>() would
// truncate, wrap or take a boolean.
inline std::int64_t strictInteger(const nlohmann::json &value)
{
    if (value.is_number_integer()) {
        if (value.is_number_unsigned()
            && value.get<std::uint64_t>() > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            throw nlohmann::json::out_of_range::create(406, "integer out of range", &value);
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        const double number = value.get<double>();
        // 2^63 itself is out of range; every double below it converts exactly.
        if (std::trunc(number) == number && number >= -9223372036854775808.0
            && number < 9223372036854775808.0)
            return static_cast<std::int64_t>(number);
    }
    throw nlohmann::json::type_error::create(302, "expected an integer", &value);
}

// The internet date-time form of ISO 8601 that the suite's files carry: written in UTC with whole
// seconds and "Z" ("2026-03-01T09:30:00Z").
inline QString internetDateString(const QDateTime &date)
{
    return isoDateString(date);
}

// Reads only "yyyy-MM-ddTHH:mm:ss" followed by "Z" or an offset "+HH:MM" / "-HH:MM"; fractional
// seconds and every other layout are refused (invalid result). The result is in UTC.
inline QDateTime parseInternetDate(const QString &text)
{
    // Anchored at the very end: "$" alone would let a trailing line break through.
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})(?:Z|([+-])([0-9]{2}"
                       "):([0-9]{2}))")));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    const auto number = [&](int group) { return match.capturedView(group).toInt(); };
    const QDate date(number(1), number(2), number(3));
    const QTime time(number(4), number(5), number(6));
    if (!date.isValid() || !time.isValid())
        return {};
    int offsetSeconds = 0;
    if (match.hasCaptured(7)) {
        if (number(8) > 23 || number(9) > 59)
            return {};
        offsetSeconds
            = (number(8) * 3600 + number(9) * 60) * (match.capturedView(7) == QLatin1String("-") ? -1 : 1);
    }
    return QDateTime(date, time, Qt::UTC).addSecs(-offsetSeconds);
}

inline nlohmann::json internetDateJson(const QDateTime &date)
{
    return internetDateString(date).toStdString();
}

// Throws type_error for a value that is not a string and other_error for any other layout.
inline QDateTime internetDateFromJson(const nlohmann::json &j)
{
    const QDateTime parsed = parseInternetDate(QString::fromStdString(j.get<std::string>()));
    if (!parsed.isValid())
        throw nlohmann::json::other_error::create(501, "not an internet date-time", &j);
    return parsed;
}

} // namespace ZunoJson

NLOHMANN_JSON_NAMESPACE_BEGIN

template <> struct adl_serializer<QString> {
    static void to_json(json &j, const QString &s) { j = s.toStdString(); }
    static void from_json(const json &j, QString &s) { s = QString::fromStdString(j.get<std::string>()); }
};

template <> struct adl_serializer<QUuid> {
    static void to_json(json &j, const QUuid &u) { j = ZunoJson::uuidString(u).toStdString(); }
    static void from_json(const json &j, QUuid &u)
    {
        const QUuid parsed = QUuid::fromString(QString::fromStdString(j.get<std::string>()));
        if (parsed.isNull())
            throw json::other_error::create(501, "invalid UUID string", &j);
        u = parsed;
    }
};

template <> struct adl_serializer<QDateTime> {
    static void to_json(json &j, const QDateTime &d) { j = ZunoJson::isoDateString(d).toStdString(); }
    static void from_json(const json &j, QDateTime &d)
    {
        const QDateTime parsed = ZunoJson::parseIsoDate(QString::fromStdString(j.get<std::string>()));
        if (!parsed.isValid())
            throw json::other_error::create(501, "invalid ISO 8601 date", &j);
        d = parsed;
    }
};

NLOHMANN_JSON_NAMESPACE_END
