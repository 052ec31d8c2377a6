#pragma once

#include <QString>
#include <QStringList>

#include <nlohmann/json_fwd.hpp>

// One cloud AI provider offered through the gateway. Every field is required.
struct ZunoGatewayAIProvider {
    QString id;
    QString name;
    QString description;
    QString status;
    double priceMultiplier = 0;
    double holdUSD = 0;
    QStringList models;

    friend bool operator==(const ZunoGatewayAIProvider &, const ZunoGatewayAIProvider &) = default;
};

void from_json(const nlohmann::json &json, ZunoGatewayAIProvider &value);
void to_json(nlohmann::json &json, const ZunoGatewayAIProvider &value);
