#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <mutex>
#include <optional>

class QSettings;

// The per-application settings store: one settings file per application,
// $XDG_CONFIG_HOME/Quarnwell/<App>.conf. Thread-safe; every write is flushed at once so another
// instance or process reads it back. A write that cannot reach the file is logged and undone in
// memory, so the store never shows a value that the next start would not find.
class ZunoDefaults {
public:
    explicit ZunoDefaults(const QString &filePath);
    ~ZunoDefaults();
    ZunoDefaults(const ZunoDefaults &) = delete;
    ZunoDefaults &operator=(const ZunoDefaults &) = delete;

    // The running application's store. The file is located from the environment at each call, so a
    // test that moves XDG_CONFIG_HOME gets a fresh store.
    static ZunoDefaults &standard();
    static QString standardFilePath();

    QVariant value(const QString &key) const;
    bool contains(const QString &key) const;
    // False (and logged) when the file could not be written; the store then keeps what it held.
    [[nodiscard]] bool setValue(const QString &key, const QVariant &value);
    [[nodiscard]] bool remove(const QString &key);

    // A string, or empty when absent or not a string.
    QString string(const QString &key) const;
    // A dictionary stored under `key`, or empty when absent or not a dictionary.
    QVariantMap dictionary(const QString &key) const;

    QString filePath() const { return m_filePath; }

private:
    bool write(const QString &key, const std::optional<QVariant> &value);

    QString m_filePath;
    mutable std::mutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
};
