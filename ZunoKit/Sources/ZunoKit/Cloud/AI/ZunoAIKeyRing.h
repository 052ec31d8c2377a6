#pragma once

#include "ZunoAIConfig.h"
#include "ZunoAIKeyHooks.h"

#include <QString>

#include <optional>

// API keys of OpenAI-compatible services, one per endpoint origin, in the desktop's keyring. A key is
// stored for the service it was entered for, so a host hands a client only the key of the config's own
// origin and never sends it elsewhere. Every call but the origin ones blocks on the session bus.
namespace ZunoAIKeyRing {

// The keyring service the keys are stored under; the origin is the account.
inline constexpr const char *kService = "com.quarnwell.ai.api-key";

// scheme://host[:port], lower-cased, the scheme's default port left out; none for an address that is not
// an http(s) URL with a host.
std::optional<QString> origin(const QString &endpointURL);
// The origin of the config's endpoint; a blank or refused endpoint gives the provider default's origin.
QString originFor(const ZunoAIConfig &config);

bool exists(const QString &origin);
std::optional<QString> load(const QString &origin);
// False when the keyring refused the key (locked, no Secret Service) or the origin is empty.
bool save(const QString &origin, const QString &key);
// True when no item remains for the origin.
bool remove(const QString &origin);
// The key stored for the config's origin, if any.
std::optional<QString> keyFor(const ZunoAIConfig &config);
// The settings card's key functions on this ring (no ZunoMind hand-over).
ZunoAIKeyHooks cardHooks();

} // namespace ZunoAIKeyRing
