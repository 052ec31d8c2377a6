#pragma once

#include "ZunoAICatalogOrigin.h"

#include <QByteArray>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// The record of the catalog's last sync, stored beside the cached document. Times are ISO 8601 text
// in UTC with whole seconds and a "Z".
struct ZunoAIModelSyncMeta {
    std::optional<QString> etag;
    std::optional<QString> lastSyncedAt;
    // The last successful check (a not-modified answer or an accepted download).
    std::optional<QString> lastCheckedAt;
    QString sourceUrl;
    std::optional<QString> catalogVersion;
    ZunoAICatalogOrigin origin = ZunoAICatalogOrigin::bundled;

    // Strict decoding; throws `ZunoDecodingError` ("sourceUrl" and "origin" are required).
    static ZunoAIModelSyncMeta decode(const QByteArray &data);
    // Pretty-printed with sorted keys, absent fields left out.
    QByteArray encodedPretty() const;

    friend bool operator==(const ZunoAIModelSyncMeta &, const ZunoAIModelSyncMeta &) = default;
};

void to_json(nlohmann::json &j, const ZunoAIModelSyncMeta &meta);
void from_json(const nlohmann::json &j, ZunoAIModelSyncMeta &meta);
