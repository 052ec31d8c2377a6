#pragma once

#include <QString>

#include <optional>

// Short secrets (tokens, keys) of the suite's applications in the user's keychain (the desktop's
// Secret Service), one item per service and account pair. Keeps no state; every call blocks on the
// session bus, so keep it off the main thread where that matters.
namespace ZunoKeychainStore {

// Stores the secret as UTF-8, replacing the pair's item (older copies in other collections included).
// Throws ZunoKeychainError when the keychain refuses (locked, unavailable), and the pair then keeps the
// item it had, or when an older copy elsewhere would not go.
void save(const QString &secret, const QString &service, const QString &account);
// The stored secret; nothing when there is none, it is not UTF-8, or the keychain cannot be read.
std::optional<QString> load(const QString &service, const QString &account);
// Whether the pair has an item, also one that would need the user to unlock it; never prompts.
bool exists(const QString &service, const QString &account);
// Removes the pair's item if there is one; reports nothing.
void remove(const QString &service, const QString &account);

} // namespace ZunoKeychainStore
