#include "ZunoSecurityBookmarkStore.h"

#include "ZunoBookmarkData.h"
#include "ZunoPaths.h"

#include <QDir>

#include <algorithm>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

// "~" and "~/..." are the user's home; "~name/..." is that user's home when there is such a user.
QString expandTilde(const QString &path)
{
    if (!path.startsWith(QLatin1Char('~')))
        return path;
    const qsizetype slash = path.indexOf(QLatin1Char('/'));
    const QString user = path.mid(1, slash < 0 ? -1 : slash - 1);
    const QString rest = slash < 0 ? QString() : path.mid(slash);
    if (user.isEmpty())
        return ZunoPaths::home() + rest;
    const QByteArray name = user.toLocal8Bit();
    passwd entry {};
    passwd *found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwnam_r(name.constData(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return path;
    return QFile::decodeName(found->pw_dir) + rest;
}

} // namespace

ZunoSecurityBookmarkStore::ZunoSecurityBookmarkStore(const QString &storageKey, ZunoDefaults &defaults)
    : m_defaults(defaults)
    , m_storageKey(storageKey)
{
}

QString ZunoSecurityBookmarkStore::urlKey(const QString &url)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(url));
}

QString ZunoSecurityBookmarkStore::pathKey(const QString &path)
{
    return urlKey(expandTilde(path));
}

// A missing entry, one that is not a dictionary, or one with a value that is not bytes reads as empty.
QVariantMap ZunoSecurityBookmarkStore::readDictionary() const
{
    const QVariantMap dictionary = m_defaults.dictionary(m_storageKey);
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        if (it.value().typeId() != QMetaType::QByteArray)
            return {};
    }
    return dictionary;
}

void ZunoSecurityBookmarkStore::writeBookmark(const QString &url)
{
    const QString key = urlKey(url);
    const QByteArray data = ZunoBookmarkData::create(key);
    std::lock_guard lock(m_mutex);
    QVariantMap dictionary = readDictionary();
    dictionary.insert(key, data);
    if (!m_defaults.setValue(m_storageKey, dictionary))
        throw std::system_error(std::make_error_code(std::errc::io_error),
            "cannot store the bookmark of " + key.toStdString() + " in "
                + m_defaults.filePath().toStdString());
}

void ZunoSecurityBookmarkStore::saveBookmark(const QString &url)
{
    writeBookmark(url);
}

bool ZunoSecurityBookmarkStore::hasBookmark(const QString &path) const
{
    const QString key = pathKey(path);
    std::lock_guard lock(m_mutex);
    return readDictionary().contains(key);
}

QStringList ZunoSecurityBookmarkStore::savedPaths() const
{
    std::lock_guard lock(m_mutex);
    QStringList keys = readDictionary().keys();
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::optional<QString> ZunoSecurityBookmarkStore::resolveData(const QByteArray &data)
{
    const auto resolution = ZunoBookmarkData::resolve(data);
    if (!resolution)
        return std::nullopt;
    if (resolution->isStale) {
        try {
            writeBookmark(resolution->path);
        } catch (const std::exception &) {
            // Renewal is best effort; the stale data still resolves.
        }
    }
    return resolution->path;
}

std::optional<QString> ZunoSecurityBookmarkStore::resolveBookmark(const QString &path)
{
    const QString key = pathKey(path);
    QByteArray data;
    {
        std::lock_guard lock(m_mutex);
        const QVariantMap dictionary = readDictionary();
        const auto it = dictionary.constFind(key);
        if (it == dictionary.cend())
            return std::nullopt;
        data = it.value().toByteArray();
    }
    return resolveData(data);
}

QStringList ZunoSecurityBookmarkStore::resolveAllBookmarks()
{
    QVariantMap dictionary;
    {
        std::lock_guard lock(m_mutex);
        dictionary = readDictionary();
    }
    QStringList urls;
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        if (const auto url = resolveData(it.value().toByteArray()))
            urls << *url;
    }
    std::sort(urls.begin(), urls.end());
    return urls;
}

std::optional<QString> ZunoSecurityBookmarkStore::startAccessing(const QString &path)
{
    const QString key = pathKey(path);
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_activeScopedURLs.constFind(key);
        if (it != m_activeScopedURLs.cend())
            return it.value();
    }
    const auto url = resolveBookmark(path);
    if (!url)
        return std::nullopt;
    if (ZunoScopedAccess::start(*url)) {
        std::lock_guard lock(m_mutex);
        m_activeScopedURLs.insert(key, *url);
    }
    return url;
}

QStringList ZunoSecurityBookmarkStore::startAccessingAllSavedBookmarks()
{
    const QStringList urls = resolveAllBookmarks();
    for (const QString &url : urls) {
        const QString key = urlKey(url);
        {
            std::lock_guard lock(m_mutex);
            if (m_activeScopedURLs.contains(key))
                continue;
        }
        if (ZunoScopedAccess::start(url)) {
            std::lock_guard lock(m_mutex);
            m_activeScopedURLs.insert(key, url);
        }
    }
    return urls;
}

void ZunoSecurityBookmarkStore::stopAccessing(const QString &path)
{
    const QString key = pathKey(path);
    std::optional<QString> url;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_activeScopedURLs.find(key);
        if (it == m_activeScopedURLs.end())
            return;
        url = it.value();
        m_activeScopedURLs.erase(it);
    }
    ZunoScopedAccess::stop(*url);
}

void ZunoSecurityBookmarkStore::stopAccessingAll()
{
    QMap<QString, QString> active;
    {
        std::lock_guard lock(m_mutex);
        active.swap(m_activeScopedURLs);
    }
    for (const QString &url : std::as_const(active))
        ZunoScopedAccess::stop(url);
}

void ZunoSecurityBookmarkStore::removeBookmark(const QString &path)
{
    const QString key = pathKey(path);
    stopAccessing(path);
    std::lock_guard lock(m_mutex);
    QVariantMap dictionary = readDictionary();
    dictionary.remove(path);
    dictionary.remove(key);
    // A failed write is logged by the store, which keeps the bookmark it still has on disk.
    static_cast<void>(m_defaults.setValue(m_storageKey, dictionary));
}
