#pragma once

#include "ZunoDefaults.h"
#include "ZunoScopedAccess.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

// Keeps access to files and folders the user once chose, across launches: one bookmark per chosen path
// in one dictionary of a defaults store (path key -> bookmark bytes), resolved again later and renewed
// when stale, plus the bookkeeping of the scoped accesses this store has started. Paths and URLs are
// file-system paths; a path argument may start with "~", a URL argument is taken as it is.
//
// Thread-safe: the lock covers only the dictionary's read-modify-write and the active map; creating,
// resolving and starting or stopping access run outside it, so two callers racing to start one path
// may both start it (only one is recorded). Accesses still recorded when the store goes are not
// stopped: owners call `stopAccessingAll()` when done.
class ZunoSecurityBookmarkStore {
public:
    explicit ZunoSecurityBookmarkStore(
        const QString &storageKey, ZunoDefaults &defaults = ZunoDefaults::standard());
    ZunoSecurityBookmarkStore(const ZunoSecurityBookmarkStore &) = delete;
    ZunoSecurityBookmarkStore &operator=(const ZunoSecurityBookmarkStore &) = delete;

    // Creates and stores the item's bookmark under the URL's key; throws std::system_error when the
    // item cannot be bookmarked or the settings file cannot be written (nothing is stored then).
    void saveBookmark(const QString &url);
    bool hasBookmark(const QString &path) const;
    // Every stored key, ascending.
    QStringList savedPaths() const;
    // The item the path's bookmark names (renewing stale data), or nothing. Does not start access.
    std::optional<QString> resolveBookmark(const QString &path);
    // Every bookmark that resolves (renewing stale ones), sorted by path; the others are left out.
    QStringList resolveAllBookmarks();
    // The resolved item with access started and recorded (once per key: an active path returns its
    // recorded URL). Returned also when starting failed; it is then not recorded.
    std::optional<QString> startAccessing(const QString &path);
    // Every resolvable item, sorted by path, whether or not access started for it.
    QStringList startAccessingAllSavedBookmarks();
    void stopAccessing(const QString &path);
    void stopAccessingAll();
    // Stops access for the path, then deletes its bookmark.
    void removeBookmark(const QString &path);

    // Runs `body` with scoped access to `url` started, stopping it afterwards (also when `body` throws)
    // only when it did start. Returns what `body` returns.
    template <typename Body> std::invoke_result_t<Body> withScopedAccess(const QString &url, Body &&body)
    {
        struct Scope {
            QString url;
            bool started;
            ~Scope()
            {
                if (started)
                    ZunoScopedAccess::stop(url);
            }
        } scope { url, ZunoScopedAccess::start(url) };
        return std::forward<Body>(body)();
    }

    // The key of a path: a leading "~" expanded, made absolute, "." and ".." resolved, no trailing "/".
    static QString pathKey(const QString &path);
    // The key of a URL: as `pathKey`, without the tilde expansion.
    static QString urlKey(const QString &url);

    QString storageKey() const { return m_storageKey; }

private:
    QVariantMap readDictionary() const;
    void writeBookmark(const QString &url);
    std::optional<QString> resolveData(const QByteArray &data);

    ZunoDefaults &m_defaults;
    const QString m_storageKey;
    mutable std::mutex m_mutex;
    QMap<QString, QString> m_activeScopedURLs;
};
