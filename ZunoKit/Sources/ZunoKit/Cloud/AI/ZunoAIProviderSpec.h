#pragma once

#include "ZunoAILocalizedText.h"

#include <QString>

#include <nlohmann/json_fwd.hpp>

// One provider of the model catalog; models point to it through `providerId`. The label fields
// (`apiFormat`, `authType`, `status`, `accentColor`) are the publisher's vocabulary.
struct ZunoAIProviderSpec {
    QString id;
    QString name;
    QString shortName;
    QString deployment;
    QString apiFormat;
    QString defaultBaseUrl;
    QString chatPath;
    QString modelsPath;
    QString authType;
    QString authHeader;
    bool requiresApiKey = false;
    QString apiKeyPrefix;
    QString website;
    QString apiKeyUrl;
    QString docsUrl;
    QString status;
    QString accentColor;
    qint64 sortOrder = 0;
    ZunoAILocalizedText description;

    // `deployment` is "local" in any letter case.
    bool isLocal() const;

    friend bool operator==(const ZunoAIProviderSpec &, const ZunoAIProviderSpec &) = default;
};

std::size_t qHash(const ZunoAIProviderSpec &provider, std::size_t seed = 0) noexcept;

void to_json(nlohmann::json &j, const ZunoAIProviderSpec &provider);
void from_json(const nlohmann::json &j, ZunoAIProviderSpec &provider);
