#pragma once

#include "ZunoLanguage.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>

// Why installing a custom override pack failed; the previous overrides stay in force.
class ZunoLocalizationPackError : public std::runtime_error {
public:
    enum class Kind { readFailed, decompressionFailed, decodingFailed };
    ZunoLocalizationPackError(Kind kind, const std::string &message)
        : std::runtime_error(message)
        , m_kind(kind)
    {
    }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// The language packs, their templates and the custom override pack behind `zunoText`.
//
// English and Turkish come from the call site; every other language from "<code>.json.lzfse" or
// "<code>.json" packs in a fixed list of folders, loaded on first use and cached per language until
// `reloadCatalogs()` or `registerSearchDirectory()`. Resolution never fails: a miss gives the English
// text. Thread-safe: one lock guards the overrides, the cache and the folder list, and is never held
// during file access, decoding or matching.
class ZunoLocalizationStore {
public:
    // A store that searches only the standard folders.
    ZunoLocalizationStore();
    // A store that searches `searchDirectories` (first entry first) before the standard folders.
    explicit ZunoLocalizationStore(const QStringList &searchDirectories);
    ~ZunoLocalizationStore();
    ZunoLocalizationStore(const ZunoLocalizationStore &) = delete;
    ZunoLocalizationStore &operator=(const ZunoLocalizationStore &) = delete;

    // The process-wide store that `zunoText` uses.
    static ZunoLocalizationStore &shared();

    // Override, then English or Turkish, then the language's pack, then its fallback parent's pack,
    // then English.
    QString resolve(
        const std::optional<QString> &key, const QString &en, const QString &tr, ZunoLanguage language) const;
    QString string(const QString &key, const QString &en, const QString &tr, ZunoLanguage language) const
    {
        return resolve(key, en, tr, language);
    }

    // Loads and caches a language's packs now (nothing for English and Turkish).
    void preloadIfNeeded(ZunoLanguage language) const;
    // Searches `directory` before every other folder (unless already listed); empties the cache.
    void registerSearchDirectory(const QString &directory);
    // Empties the cache, so packs are read again on next use.
    void reloadCatalogs();

    // Installs a file (flat object of text to text, or a pack whose strings are taken; ".lzfse"
    // compressed or plain) as the override pack, replacing any earlier one. Throws
    // ZunoLocalizationPackError.
    void loadJSONPack(const QString &filePath);
    void clearCustomPack();

    // $XDG_DATA_HOME/Quarnwell/Localizations (not created).
    static QString sharedSuiteLocalizationsDirectory();
    // Its "Custom" folder.
    static QString customLanguagePacksDirectory();
    // The source tree's language packs, for a program started from the build tree it was built in
    // (`programDirectory` is its folder); empty for an installed program, which never reads the tree.
    static QString developmentDirectory(const QString &programDirectory);

    // The folders searched, earliest winning: the registered ones (latest first), the custom folder,
    // the application's resources, the shared folder and, for a program started from its build tree,
    // the framework's resources in its source tree. Only absolute folders: a relative one is left out.
    QStringList candidateDirectories() const;

private:
    struct Catalog;
    std::shared_ptr<const Catalog> catalog(ZunoLanguage language) const;

    mutable std::mutex m_lock;
    QHash<QString, QString> m_customOverrides;
    mutable QHash<QString, std::shared_ptr<const Catalog>> m_loadedCatalogs;
    QStringList m_extraSearchDirectories;
};
