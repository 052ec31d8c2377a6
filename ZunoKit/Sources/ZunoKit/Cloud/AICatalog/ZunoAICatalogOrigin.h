#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// Where the current catalog document came from: downloaded, read from the cache file without stored
// metadata, or the built-in copy.
enum class ZunoAICatalogOrigin { remote, localCache, bundled };

namespace ZunoAICatalogOrigins {

// Exact, case-sensitive raw value only ("remote", "localCache", "bundled").
std::optional<ZunoAICatalogOrigin> fromRawValue(const QString &raw);

} // namespace ZunoAICatalogOrigins

QString rawValue(ZunoAICatalogOrigin origin);

// Coded as the raw value; any other text throws `ZunoDecodingError`.
void to_json(nlohmann::json &j, ZunoAICatalogOrigin origin);
void from_json(const nlohmann::json &j, ZunoAICatalogOrigin &origin);
