#pragma once

#include <QString>

#include <cstdint>

// Sizes, rates and durations in one fixed style: decimal units, fixed decimals, a full stop as the
// decimal separator whatever the process locale.
namespace ZunoByteFormatter {

QString format(std::int64_t bytes);
QString formatRate(double bytesPerSecond);
// NaN, infinite and out-of-range seconds read as 0.
QString formatDuration(double seconds);
// One quoted CSV field that a spreadsheet will not run as a formula.
QString csvSafeField(const QString &value);
double savingsPercent(std::int64_t original, std::int64_t optimized);

} // namespace ZunoByteFormatter
