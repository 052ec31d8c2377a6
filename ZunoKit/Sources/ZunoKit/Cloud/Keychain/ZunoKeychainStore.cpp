#include "ZunoKeychainStore.h"

#include "ZunoKeychainError.h"
#include "ZunoSecretService.h"

#include <QByteArrayView>

namespace ZunoKeychainStore {

void save(const QString &secret, const QString &service, const QString &account)
{
    const QByteArray bytes = secret.toUtf8();
    // Stored over the old item, never after deleting it: a refused store keeps the saved key.
    // The Secret Service wants a label; keyring managers show the service as the item's name.
    if (const auto failure = ZunoSecretService::store(service, account, bytes, service))
        throw ZunoKeychainError(failure->domain, failure->code, failure->message);
}

std::optional<QString> load(const QString &service, const QString &account)
{
    const auto bytes = ZunoSecretService::lookup(service, account);
    if (!bytes || !QByteArrayView(*bytes).isValidUtf8())
        return std::nullopt;
    return QString::fromUtf8(*bytes);
}

bool exists(const QString &service, const QString &account)
{
    return ZunoSecretService::contains(service, account);
}

void remove(const QString &service, const QString &account)
{
    ZunoSecretService::clear(service, account);
}

} // namespace ZunoKeychainStore
