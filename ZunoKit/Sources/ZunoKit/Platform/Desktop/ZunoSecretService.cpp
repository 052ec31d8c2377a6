#include "ZunoSecretService.h"

// Qt's `signals` keyword collides with GLib's headers; nothing here declares Qt signals. The search by
// D-Bus paths, which lists locked and unlocked items apart, sits behind libsecret's unstable marker.
#undef signals
#define SECRET_API_SUBJECT_TO_CHANGE
#include <libsecret/secret.h>

#include <memory>

namespace {

const SecretSchema *schema()
{
    static const SecretSchema value = {
        ZunoSecretService::kSchemaName,
        SECRET_SCHEMA_NONE,
        {
            { "service", SECRET_SCHEMA_ATTRIBUTE_STRING },
            { "account", SECRET_SCHEMA_ATTRIBUTE_STRING },
            { nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING },
        },
        0,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
    };
    return &value;
}

struct ErrorDeleter {
    void operator()(GError *error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorDeleter>;

struct ValueDeleter {
    void operator()(SecretValue *value) const { secret_value_unref(value); }
};

struct HashTableDeleter {
    void operator()(GHashTable *table) const { g_hash_table_unref(table); }
};

struct ObjectDeleter {
    void operator()(gpointer object) const { g_object_unref(object); }
};

struct PathsDeleter {
    void operator()(gchar **paths) const { g_strfreev(paths); }
};
using Paths = std::unique_ptr<gchar *, PathsDeleter>;

ZunoSecretService::Failure failureOf(const GError *error, const char *otherwise)
{
    if (!error)
        return { QStringLiteral("secret-error"), 0, QString::fromUtf8(otherwise) };
    return { QString::fromUtf8(g_quark_to_string(error->domain)), error->code,
        QString::fromUtf8(error->message) };
}

std::unique_ptr<GHashTable, HashTableDeleter> pairAttributes(
    const QByteArray &service, const QByteArray &account)
{
    return std::unique_ptr<GHashTable, HashTableDeleter>(secret_attributes_build(
        schema(), "service", service.constData(), "account", account.constData(), nullptr));
}

// The pair's items in every collection, locked ones apart, as the bare search lists them without touching
// them: no unlock, no session, no prompt. None when the search failed (its error in `error`).
struct ItemPaths {
    Paths unlocked;
    Paths locked;
};

std::optional<ItemPaths> searchPaths(SecretService *proxy, GHashTable *attributes, ErrorPtr &error)
{
    gchar **unlocked = nullptr;
    gchar **locked = nullptr;
    GError *raw = nullptr;
    const gboolean searched = secret_service_search_for_dbus_paths_sync(
        proxy, schema(), attributes, nullptr, &unlocked, &locked, &raw);
    ItemPaths paths { Paths(unlocked), Paths(locked) };
    error.reset(raw);
    if (!searched)
        return std::nullopt;
    return paths;
}

bool listed(gchar **paths, const gchar *path)
{
    for (gchar **each = paths; each && *each; ++each) {
        if (g_strcmp0(*each, path) == 0)
            return true;
    }
    return false;
}

// Stores write to the default collection, but lookups search every collection: once the default has
// changed, an older copy of the pair in another collection could still be the one read. So after a
// store, the pair's unlocked items outside the default collection go. Locked ones stay (removing them
// would need an unlock and a prompt), but lookups take an unlocked item before a locked one, so they are
// not read while the stored item exists. (Reading the default collection first instead would bring an
// older copy back the day that collection is the default again.)
std::optional<ZunoSecretService::Failure> removeCopiesOutsideDefault(
    const QByteArray &service, const QByteArray &account)
{
    GError *raw = nullptr;
    std::unique_ptr<SecretService, ObjectDeleter> proxy(
        secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &raw));
    ErrorPtr serviceError(raw);
    if (!proxy)
        return failureOf(serviceError.get(), "The Secret Service is not available.");
    raw = nullptr;
    std::unique_ptr<SecretCollection, ObjectDeleter> collection(secret_collection_for_alias_sync(
        proxy.get(), SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, &raw));
    ErrorPtr aliasError(raw);
    if (!collection)
        return failureOf(aliasError.get(), "There is no default collection.");

    const auto attributes = pairAttributes(service, account);
    if (!attributes)
        return failureOf(nullptr, "The item's attributes are not valid.");
    raw = nullptr;
    const Paths kept(secret_collection_search_for_dbus_paths_sync(
        collection.get(), schema(), attributes.get(), nullptr, &raw));
    ErrorPtr keptError(raw);
    // The default changed while storing: removing the others could remove the stored item itself.
    if (!kept || !kept.get()[0])
        return failureOf(keptError.get(), "The default collection changed while the item was stored.");

    ErrorPtr searchError;
    const auto found = searchPaths(proxy.get(), attributes.get(), searchError);
    if (!found)
        return failureOf(searchError.get(), "The keyring could not be searched.");
    for (gchar **path = found->unlocked.get(); path && *path; ++path) {
        if (listed(kept.get(), *path))
            continue;
        raw = nullptr;
        const gboolean deleted = secret_service_delete_item_dbus_path_sync(proxy.get(), *path, nullptr, &raw);
        ErrorPtr deleteError(raw);
        if (!deleted)
            return failureOf(deleteError.get(), "An older copy in another collection could not be removed.");
    }
    return std::nullopt;
}

} // namespace

namespace ZunoSecretService {

std::optional<Failure> store(
    const QString &service, const QString &account, const QByteArray &secret, const QString &label)
{
    const QByteArray s = service.toUtf8();
    const QByteArray a = account.toUtf8();
    const QByteArray l = label.toUtf8();
    std::unique_ptr<SecretValue, ValueDeleter> value(
        secret_value_new(secret.constData(), secret.size(), "text/plain"));
    GError *raw = nullptr;
    const gboolean stored
        = secret_password_store_binary_sync(schema(), SECRET_COLLECTION_DEFAULT, l.constData(), value.get(),
            nullptr, &raw, "service", s.constData(), "account", a.constData(), nullptr);
    ErrorPtr error(raw);
    if (!stored || error)
        return failureOf(error.get(), "The item was not stored.");
    return removeCopiesOutsideDefault(s, a);
}

std::optional<QByteArray> lookup(const QString &service, const QString &account)
{
    const QByteArray s = service.toUtf8();
    const QByteArray a = account.toUtf8();
    GError *raw = nullptr;
    std::unique_ptr<SecretValue, ValueDeleter> value(secret_password_lookup_binary_sync(
        schema(), nullptr, &raw, "service", s.constData(), "account", a.constData(), nullptr));
    ErrorPtr error(raw);
    if (error || !value)
        return std::nullopt;
    gsize length = 0;
    const gchar *bytes = secret_value_get(value.get(), &length);
    return QByteArray(bytes, qsizetype(length));
}

bool contains(const QString &service, const QString &account)
{
    GError *raw = nullptr;
    std::unique_ptr<SecretService, ObjectDeleter> proxy(
        secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &raw));
    ErrorPtr serviceError(raw);
    if (!proxy)
        return false;

    const auto attributes = pairAttributes(service.toUtf8(), account.toUtf8());
    if (!attributes)
        return false;
    ErrorPtr searchError;
    const auto paths = searchPaths(proxy.get(), attributes.get(), searchError);
    return paths
        && ((paths->unlocked && paths->unlocked.get()[0]) || (paths->locked && paths->locked.get()[0]));
}

void clear(const QString &service, const QString &account)
{
    const QByteArray s = service.toUtf8();
    const QByteArray a = account.toUtf8();
    GError *raw = nullptr;
    secret_password_clear_sync(
        schema(), nullptr, &raw, "service", s.constData(), "account", a.constData(), nullptr);
    ErrorPtr error(raw);
}

} // namespace ZunoSecretService
