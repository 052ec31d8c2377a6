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
    if (stored && !error)
        return std::nullopt;
    if (!error)
        return Failure { QStringLiteral("secret-error"), 0, QStringLiteral("The item was not stored.") };
    return Failure { QString::fromUtf8(g_quark_to_string(error->domain)), error->code,
        QString::fromUtf8(error->message) };
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

    const QByteArray s = service.toUtf8();
    const QByteArray a = account.toUtf8();
    std::unique_ptr<GHashTable, HashTableDeleter> attributes(
        secret_attributes_build(schema(), "service", s.constData(), "account", a.constData(), nullptr));
    if (!attributes)
        return false;
    // The bare search lists locked items apart from unlocked ones without touching them: no unlock,
    // no session, no prompt.
    gchar **unlocked = nullptr;
    gchar **locked = nullptr;
    raw = nullptr;
    const gboolean searched = secret_service_search_for_dbus_paths_sync(
        proxy.get(), schema(), attributes.get(), nullptr, &unlocked, &locked, &raw);
    ErrorPtr searchError(raw);
    const bool found = searched && ((unlocked && unlocked[0]) || (locked && locked[0]));
    g_strfreev(unlocked);
    g_strfreev(locked);
    return found;
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
