#pragma once

#include <QtGlobal>

#include <cmath>
#include <limits>

// Numbers of the studio document come from a file the user may edit by hand, so a NaN, an
// infinity or an absurd value can reach any code that sizes a window or converts to an integer.
// These helpers bound such a value where it is used, never in the model itself.
namespace CamSaturating {

// `value` limited to [lowest, highest]; NaN gives `lowest`.
inline double clamped(double value, double lowest, double highest)
{
    if (!(value > lowest))
        return lowest;
    return value > highest ? highest : value;
}

// `value` when finite, else `fallback`.
inline double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

// A double to a 64-bit integer without undefined behaviour: truncated towards zero, saturated at
// the integer limits, NaN as 0.
inline qint64 toInt64(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double kLimit = 9223372036854775808.0; // 2^63
    if (value >= kLimit)
        return std::numeric_limits<qint64>::max();
    if (value < -kLimit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(value);
}

// A double to the nearest 64-bit integer, halves away from zero, saturated at the integer limits; a
// value that is not finite gives 0.
inline qint64 roundedToInt64(double value)
{
    return std::isfinite(value) ? toInt64(std::round(value)) : 0;
}

// A double to an int, truncated towards zero and saturated at [lowest, highest]; NaN counts as 0.
inline int toInt(
    double value, int lowest = std::numeric_limits<int>::min(), int highest = std::numeric_limits<int>::max())
{
    if (std::isnan(value))
        value = 0;
    if (value <= lowest)
        return lowest;
    if (value >= highest)
        return highest;
    return static_cast<int>(value);
}

// A 64-bit integer (a port, a countdown) limited to [lowest, highest], as an int.
inline int clampedToInt(qint64 value, int lowest, int highest)
{
    if (value < lowest)
        return lowest;
    return value > highest ? highest : static_cast<int>(value);
}

} // namespace CamSaturating
