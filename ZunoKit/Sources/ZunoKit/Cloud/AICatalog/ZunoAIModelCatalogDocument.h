#pragma once

#include "ZunoAIModelSpec.h"
#include "ZunoAIProviderSpec.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// The AI model catalog: every provider and model, in the publisher's order (the order decides which
// model a lookup finds first). Decoding is strict and all or nothing. Queries are pure functions.
struct ZunoAIModelCatalogDocument {
    qint64 schemaVersion = 0;
    QString catalogVersion;
    // Carried as text, never parsed.
    QString updatedAt;
    qint64 ttlSeconds = 0;
    QString source;
    QList<ZunoAIProviderSpec> providers;
    QList<ZunoAIModelSpec> models;

    // The first provider whose `id` equals `id` without regard to case; `id` is not trimmed.
    std::optional<ZunoAIProviderSpec> provider(const QString &id) const;

    // The first model, in document order, whose lower-cased `id`, `apiModelId` or one of `aliases`
    // equals the trimmed, lower-cased argument. A blank argument finds nothing. The walk is model by
    // model, so an earlier model's alias wins over a later model's `id`.
    std::optional<ZunoAIModelSpec> model(const QString &idOrAlias) const;

    // The models filter (named apart from the `models` field, which C++ cannot overload): the models,
    // in document order, that pass every given test: `providerId` and `deployment` equal
    // without regard to case (absent or empty passes all), `recommendedFor` listed exactly (letter
    // case counts), and the two capabilities when required. No argument is trimmed.
    QList<ZunoAIModelSpec> filteredModels(const std::optional<QString> &providerId = std::nullopt,
        const std::optional<QString> &deployment = std::nullopt,
        const std::optional<QString> &recommendedFor = std::nullopt, bool requiringToolCalling = false,
        bool requiringVision = false) const;

    // Strict decoding of UTF-8 JSON; throws `ZunoDecodingError` (malformed JSON included).
    static ZunoAIModelCatalogDocument decode(const QByteArray &data);
    // Compact UTF-8 JSON without absent optionals; throws `ZunoEncodingError` on a non-finite number.
    QByteArray encoded() const;

    friend bool operator==(const ZunoAIModelCatalogDocument &, const ZunoAIModelCatalogDocument &) = default;
};

void to_json(nlohmann::json &j, const ZunoAIModelCatalogDocument &document);
void from_json(const nlohmann::json &j, ZunoAIModelCatalogDocument &document);
