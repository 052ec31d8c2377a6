#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <optional>

// Severity of a log line, ordered by declaration: the built-in comparison operators give the order
// (debug < info < warn < error).
enum class ZunoLogLevel { debug, info, warn, error };

namespace ZunoLogLevels {

// Every case in declaration order.
inline constexpr std::array<ZunoLogLevel, 4> allCases { ZunoLogLevel::debug, ZunoLogLevel::info,
    ZunoLogLevel::warn, ZunoLogLevel::error };

// Exact raw value only ("debug", "info", "warn", "error").
std::optional<ZunoLogLevel> fromRawValue(const QString &raw);

} // namespace ZunoLogLevels

QString rawValue(ZunoLogLevel level);
// The raw value upper-cased ("WARN").
QString label(ZunoLogLevel level);

// Coded as the raw value; decoding any other string throws.
void to_json(nlohmann::json &j, ZunoLogLevel level);
void from_json(const nlohmann::json &j, ZunoLogLevel &level);
