#include "ZunoByteFormatter.h"

#include <charconv>
#include <cmath>
#include <iterator>

namespace {

// printf's "%.Nf" with a full stop: std::to_chars rounds the exact binary value as printf does (an
// exact tie such as 1.25 goes to the even digit, "1.2"), and never follows LC_NUMERIC, which Qt
// sets from the environment.
QString fixed(double value, int decimals, const char *unit)
{
    // Room for the largest double written out in full (309 digits) and its decimals.
    char buffer[400];
    const auto result
        = std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buffer, result.ptr - buffer) + QLatin1Char(' ') + QLatin1String(unit);
}

std::int64_t roundHalfAwayFromZero(double value)
{
    return static_cast<std::int64_t>(std::round(value));
}

} // namespace

namespace ZunoByteFormatter {

QString format(std::int64_t bytes)
{
    if (bytes <= 999)
        return QString::number(std::max<std::int64_t>(bytes, 0)) + QStringLiteral(" B");
    const double n = static_cast<double>(bytes);
    if (bytes < 1000000)
        return fixed(n / 1000.0, 1, "KB");
    if (bytes < 1000000000)
        return fixed(n / 1000000.0, 1, "MB");
    if (bytes < 1000000000000)
        return fixed(n / 1e9, 2, "GB");
    return fixed(n / 1e12, 2, "TB");
}

QString formatRate(double bytesPerSecond)
{
    const double x = (std::isnan(bytesPerSecond) || bytesPerSecond < 0) ? 0.0 : bytesPerSecond;
    if (x < 1000)
        return QString::number(roundHalfAwayFromZero(x)) + QStringLiteral(" B/s");
    if (x < 1e6)
        return fixed(x / 1000.0, 1, "KB/s");
    if (x < 1e9)
        return fixed(x / 1e6, 1, "MB/s");
    return fixed(x / 1e9, 2, "GB/s");
}

QString formatDuration(double seconds)
{
    const double rounded = std::round(seconds);
    // Outside the 64-bit range (and NaN) there is no integer to format.
    const bool representable = std::isfinite(rounded) && rounded > -9.2e18 && rounded < 9.2e18;
    const std::int64_t r = representable ? static_cast<std::int64_t>(rounded) : 0;
    const std::int64_t t = std::max<std::int64_t>(r, 0);
    const std::int64_t h = t / 3600;
    const std::int64_t m = (t - h * 3600) / 60;
    const std::int64_t s = t % 60;
    const auto two = [](std::int64_t v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (r < 3600)
        return two(m) + QLatin1Char(':') + two(s);
    return QString::number(h) + QLatin1Char(':') + two(m) + QLatin1Char(':') + two(s);
}

QString csvSafeField(const QString &value)
{
    QString field = value;
    // The first Unicode scalar decides, not the first grapheme: "=" followed by a combining mark is
    // still a formula to a spreadsheet. The guarded characters are ASCII, so the first UTF-16 unit
    // is that scalar whenever it matters.
    static const QString guarded = QStringLiteral("=+-@\t\r");
    if (!value.isEmpty() && guarded.contains(value.front()))
        field.prepend(QLatin1Char('\''));
    field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

double savingsPercent(std::int64_t original, std::int64_t optimized)
{
    if (original <= 0)
        return 0;
    return static_cast<double>(original - optimized) / static_cast<double>(original) * 100.0;
}

} // namespace ZunoByteFormatter
