#include "ZunoLiveStatusSupport.h"

#include "ZunoJson.h"
#include "ZunoStrictJson.h"
#include "ZunoSuiteTelemetryBus.h"

#include <cmath>
#include <limits>

namespace {

[[noreturn]] void fail(const char *key, const char *problem)
{
    throw ZunoDecodingError(std::string(key) + ": " + problem);
}

} // namespace

namespace ZunoLiveStatusSupport {

QDateTime date(const Json &object, const char *key)
{
    const QDateTime parsed = ZunoJson::parseInternetDate(ZunoStrictJson::read<QString>(object, key));
    if (!parsed.isValid())
        fail(key, "expected an internet date-time with whole seconds");
    return parsed;
}

Json dateJson(const QDateTime &date)
{
    return ZunoJson::internetDateJson(date);
}

qint32 int32Value(const Json &value, const char *key)
{
    const qint64 number = ZunoStrictJson::integer(value, key);
    if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
        fail(key, "expected a 32-bit integer");
    return static_cast<qint32>(number);
}

qint32 int32(const Json &object, const char *key)
{
    return int32Value(ZunoStrictJson::required(object, key), key);
}

QList<qint32> int32List(const Json &object, const char *key)
{
    const Json &array = ZunoStrictJson::required(object, key);
    if (!array.is_array())
        fail(key, "expected an array of integers");
    QList<qint32> values;
    values.reserve(static_cast<qsizetype>(array.size()));
    for (const Json &item : array)
        values.append(int32Value(item, key));
    return values;
}

Json int32ListJson(const QList<qint32> &values)
{
    Json array = Json::array();
    for (const qint32 value : values)
        array.push_back(value);
    return array;
}

float float32(const Json &value, const char *key)
{
    const double number = ZunoStrictJson::number(value, key);
    if (std::fabs(number) > static_cast<double>(std::numeric_limits<float>::max()))
        fail(key, "number out of float range");
    return static_cast<float>(number);
}

Json float32Json(float value, const char *key)
{
    return ZunoStrictJson::finite(static_cast<double>(value), key);
}

double atLeast(double value, double minimum)
{
    return value < minimum ? minimum : value;
}

double clamped(double value, double minimum, double maximum)
{
    if (value < minimum)
        return minimum;
    return value > maximum ? maximum : value;
}

double unitInterval(double value)
{
    return std::isnan(value) ? 0.0 : clamped(value, 0.0, 1.0);
}

qint64 saturatingSum(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (!__builtin_add_overflow(a, b, &sum))
        return sum;
    return a > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

bool isFresh(const QDateTime &timestamp, qint32 senderPID, const QDateTime &now, double maxAgeSeconds)
{
    if (!timestamp.isValid() || !now.isValid())
        return false;
    const double age = std::fabs(static_cast<double>(timestamp.msecsTo(now)) / 1000.0);
    if (!(age <= maxAgeSeconds))
        return false;
    return ZunoSuiteTelemetryBus::isPIDAlive(senderPID);
}

} // namespace ZunoLiveStatusSupport
