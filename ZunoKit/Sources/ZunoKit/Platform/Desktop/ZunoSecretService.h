#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Generic passwords in the desktop's Secret Service (gnome-keyring, KWallet) through libsecret: one
// item per (service, account) under the schema `kSchemaName`. Every call blocks on the session bus and
// may be made from any thread.
namespace ZunoSecretService {

inline constexpr char kSchemaName[] = "com.quarnwell.zunokit.GenericPassword";

struct Failure {
    QString domain; // the GLib error domain, e.g. "g-dbus-error-quark", "secret-error"
    int code = 0;
    QString message;
};

// Adds the item to the default collection (replacing one of the same pair there) and removes the pair's
// unlocked items from other collections, so that `lookup` finds this one; the label is what keyring
// managers show. Unlocking a locked default collection may prompt the user. A failure after the item
// was added (an older copy that would not go) is reported too: lookups might still read the old copy.
std::optional<Failure> store(
    const QString &service, const QString &account, const QByteArray &secret, const QString &label);
// The item's secret, or nothing on any failure. May prompt to unlock a locked collection.
std::optional<QByteArray> lookup(const QString &service, const QString &account);
// Whether an item of the pair exists, locked or not; never unlocks and never prompts.
bool contains(const QString &service, const QString &account);
// Deletes the pair's items; failures are ignored.
void clear(const QString &service, const QString &account);

} // namespace ZunoSecretService
