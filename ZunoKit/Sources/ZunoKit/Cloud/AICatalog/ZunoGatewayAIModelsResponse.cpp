#include "ZunoGatewayAIModelsResponse.h"

#include "ZunoStrictJson.h"

using namespace ZunoStrictJson;

void from_json(const nlohmann::json &json, ZunoGatewayAIModelsResponse &value)
{
    object(json, "ZunoGatewayAIModelsResponse");
    value.creditUnitMicros = read<qint64>(json, "credit_unit_micros");
    value.providers = readList<ZunoGatewayAIProvider>(json, "providers");
    value.aliases = read<QStringList>(json, "aliases");
}

void to_json(nlohmann::json &json, const ZunoGatewayAIModelsResponse &value)
{
    json = nlohmann::json::object();
    write(json, "credit_unit_micros", value.creditUnitMicros);
    write(json, "providers", value.providers);
    write(json, "aliases", value.aliases);
}
