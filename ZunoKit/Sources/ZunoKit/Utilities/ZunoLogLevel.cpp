#include "ZunoLogLevel.h"

#include <nlohmann/json.hpp>

std::optional<ZunoLogLevel> ZunoLogLevels::fromRawValue(const QString &raw)
{
    for (ZunoLogLevel level : allCases) {
        if (rawValue(level) == raw)
            return level;
    }
    return std::nullopt;
}

QString rawValue(ZunoLogLevel level)
{
    switch (level) {
    case ZunoLogLevel::debug:
        return QStringLiteral("debug");
    case ZunoLogLevel::info:
        return QStringLiteral("info");
    case ZunoLogLevel::warn:
        return QStringLiteral("warn");
    case ZunoLogLevel::error:
        return QStringLiteral("error");
    }
    return {};
}

QString label(ZunoLogLevel level)
{
    return rawValue(level).toUpper();
}

void to_json(nlohmann::json &j, ZunoLogLevel level)
{
    j = rawValue(level).toStdString();
}

void from_json(const nlohmann::json &j, ZunoLogLevel &level)
{
    const auto parsed = ZunoLogLevels::fromRawValue(QString::fromStdString(j.get<std::string>()));
    if (!parsed)
        throw nlohmann::json::other_error::create(501, "unknown log level", &j);
    level = *parsed;
}
