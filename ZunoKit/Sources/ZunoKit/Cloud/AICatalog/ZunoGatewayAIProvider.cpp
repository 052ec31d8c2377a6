#include "ZunoGatewayAIProvider.h"

#include "ZunoStrictJson.h"

using namespace ZunoStrictJson;

void from_json(const nlohmann::json &json, ZunoGatewayAIProvider &value)
{
    object(json, "ZunoGatewayAIProvider");
    value.id = read<QString>(json, "id");
    value.name = read<QString>(json, "name");
    value.description = read<QString>(json, "description");
    value.status = read<QString>(json, "status");
    value.priceMultiplier = read<double>(json, "price_multiplier");
    value.holdUSD = read<double>(json, "hold_usd");
    value.models = read<QStringList>(json, "models");
}

void to_json(nlohmann::json &json, const ZunoGatewayAIProvider &value)
{
    json = nlohmann::json::object();
    write(json, "id", value.id);
    write(json, "name", value.name);
    write(json, "description", value.description);
    write(json, "status", value.status);
    write(json, "price_multiplier", value.priceMultiplier);
    write(json, "hold_usd", value.holdUSD);
    write(json, "models", value.models);
}
