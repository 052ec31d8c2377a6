#include "ZunoAIConfig.h"

#include "ZunoStrictJson.h"

ZunoAIConfig::ZunoAIConfig(
    ZunoAIProvider provider, const std::optional<QString> &endpointURL, const std::optional<QString> &model)
    : provider(provider)
    , endpointURL(endpointURL.value_or(defaultEndpoint(provider)))
    , model(model.value_or(defaultModel(provider)))
{
}

ZunoAIConfig ZunoAIConfig::fromJson(const nlohmann::json &json)
{
    const auto &object = ZunoStrictJson::object(json, "AI configuration");
    ZunoAIProvider provider;
    from_json(ZunoStrictJson::required(object, "provider"), provider);
    return ZunoAIConfig(provider, ZunoStrictJson::read<QString>(object, "endpointURL"),
        ZunoStrictJson::read<QString>(object, "model"));
}

nlohmann::json ZunoAIConfig::toJson() const
{
    nlohmann::json json = nlohmann::json::object();
    json["provider"] = provider;
    json["endpointURL"] = endpointURL.toStdString();
    json["model"] = model.toStdString();
    return json;
}

void to_json(nlohmann::json &json, const ZunoAIConfig &config)
{
    json = config.toJson();
}
