#include "ZunoAIKeyRing.h"

#include "ZunoKeychainError.h"
#include "ZunoKeychainStore.h"
#include "ZunoWebURL.h"

namespace ZunoAIKeyRing {

namespace {

QString service()
{
    return QString::fromLatin1(kService);
}

} // namespace

std::optional<QString> origin(const QString &endpointURL)
{
    const auto url = ZunoWebURL::parse(endpointURL.trimmed());
    if (!url)
        return std::nullopt;
    const QString scheme = url->scheme().toLower();
    QString result = scheme + QStringLiteral("://") + url->host().toLower();
    const int defaultPort = scheme == QLatin1String("https") ? 443 : 80;
    const int port = url->port();
    if (port != -1 && port != defaultPort)
        result += QLatin1Char(':') + QString::number(port);
    return result;
}

QString originFor(const ZunoAIConfig &config)
{
    if (const auto own = origin(config.endpointURL))
        return *own;
    return origin(defaultEndpoint(config.provider)).value_or(QString());
}

bool exists(const QString &origin)
{
    return !origin.isEmpty() && ZunoKeychainStore::exists(service(), origin);
}

std::optional<QString> load(const QString &origin)
{
    if (origin.isEmpty())
        return std::nullopt;
    return ZunoKeychainStore::load(service(), origin);
}

bool save(const QString &origin, const QString &key)
{
    if (origin.isEmpty() || key.isEmpty())
        return false;
    try {
        ZunoKeychainStore::save(key, service(), origin);
    } catch (const ZunoKeychainError &) {
        return false;
    }
    return true;
}

bool remove(const QString &origin)
{
    if (origin.isEmpty())
        return false;
    ZunoKeychainStore::remove(service(), origin);
    return !ZunoKeychainStore::exists(service(), origin);
}

std::optional<QString> keyFor(const ZunoAIConfig &config)
{
    return load(originFor(config));
}

ZunoAIKeyHooks cardHooks()
{
    ZunoAIKeyHooks hooks;
    hooks.hasSavedKey = [](const QString &origin) { return exists(origin); };
    hooks.saveKey = [](const QString &origin, const QString &key) { return save(origin, key); };
    hooks.clearKey = [](const QString &origin) { return remove(origin); };
    return hooks;
}

} // namespace ZunoAIKeyRing
