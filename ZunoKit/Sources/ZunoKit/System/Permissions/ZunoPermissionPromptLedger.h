#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantMap>

#include <mutex>

class ZunoDefaults;

// Remembers which permission prompts were already shown: one dictionary in the settings store
// under `storageKey`, prompt key -> seconds since 1970 (UTC). An entry that is missing, not a
// dictionary, or holds anything but numbers reads as empty. Thread-safe: each ledger serialises its
// operations, so `claimOneTimePrompt` is an atomic test-and-set among the ledger's callers.
class ZunoPermissionPromptLedger {
public:
    ZunoPermissionPromptLedger(const QString &storageKey, ZunoDefaults &defaults);

    bool hasPrompted(const QString &key) const;
    // Every write returns false when the settings file could not be written (the store logs it and
    // keeps what it held).

    // Stores `at` under the key, replacing an earlier time.
    bool markPrompted(const QString &key, const QDateTime &at = QDateTime::currentDateTimeUtc());
    // Stores `at` and returns true when the key is absent and the claim was written; otherwise
    // changes nothing, false.
    bool claimOneTimePrompt(const QString &key, const QDateTime &at = QDateTime::currentDateTimeUtc());
    // Removes the key and writes the dictionary back, also when nothing was removed.
    bool reset(const QString &key);
    // Removes the whole entry.
    bool resetAll();

private:
    QVariantMap load() const;
    bool store(const QVariantMap &prompts);

    ZunoDefaults &m_defaults;
    QString m_storageKey;
    mutable std::mutex m_mutex;
};
