#pragma once

#include "ZunoGatewayAIProvider.h"

#include <QList>
#include <QStringList>

#include <nlohmann/json_fwd.hpp>

// The body of the gateway's model list call. Every field is required.
struct ZunoGatewayAIModelsResponse {
    qint64 creditUnitMicros = 0;
    QList<ZunoGatewayAIProvider> providers;
    QStringList aliases;

    friend bool operator==(const ZunoGatewayAIModelsResponse &, const ZunoGatewayAIModelsResponse &)
        = default;
};

void from_json(const nlohmann::json &json, ZunoGatewayAIModelsResponse &value);
void to_json(nlohmann::json &json, const ZunoGatewayAIModelsResponse &value);
