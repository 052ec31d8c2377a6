#include "ZunoAICatalogOrigin.h"

#include "ZunoStrictJson.h"

namespace {

constexpr const char *kRawValues[] = { "remote", "localCache", "bundled" };

} // namespace

std::optional<ZunoAICatalogOrigin> ZunoAICatalogOrigins::fromRawValue(const QString &raw)
{
    for (int i = 0; i < 3; ++i) {
        if (raw == QLatin1String(kRawValues[i]))
            return static_cast<ZunoAICatalogOrigin>(i);
    }
    return std::nullopt;
}

QString rawValue(ZunoAICatalogOrigin origin)
{
    return QString::fromLatin1(kRawValues[static_cast<int>(origin)]);
}

void to_json(nlohmann::json &j, ZunoAICatalogOrigin origin)
{
    j = rawValue(origin);
}

void from_json(const nlohmann::json &j, ZunoAICatalogOrigin &origin)
{
    const std::optional<ZunoAICatalogOrigin> parsed
        = ZunoAICatalogOrigins::fromRawValue(ZunoStrictJson::string(j, "origin"));
    if (!parsed)
        throw ZunoDecodingError("origin: unknown value");
    origin = *parsed;
}
