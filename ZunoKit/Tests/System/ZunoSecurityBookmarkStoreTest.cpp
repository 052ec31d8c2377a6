#include "ZunoSecurityBookmarkStore.h"

#include "ZunoBookmarkData.h"
#include "ZunoScopedAccess.h"
#include "ZunoTestHome.h"
#include "ZunoWithoutFileOverride.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace {

const QString kKey = QStringLiteral("com.quarnwell.test.folderBookmarks");

QString makeFile(const QString &path, const QByteArray &content = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}

// Replaces the file at `path` by a new one, as an atomic save does: same path, another inode.
void replaceFile(const QString &path)
{
    const QString temporary = path + QStringLiteral(".new");
    makeFile(temporary, "replaced");
    ASSERT_EQ(::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()), 0);
}

class ZunoSecurityBookmarkStoreTest : public ::testing::Test {
protected:
    ZunoTestHome home;
    QTemporaryDir settingsDir;
    ZunoDefaults defaults { settingsDir.filePath(QStringLiteral("bookmarks.conf")) };
    ZunoSecurityBookmarkStore store { kKey, defaults };

    QString homeFile(const QString &relative) { return makeFile(home.filePath(relative)); }
    QByteArray storedData(const QString &key) { return defaults.dictionary(kKey).value(key).toByteArray(); }

    void TearDown() override { store.stopAccessingAll(); }
};

} // namespace

TEST_F(ZunoSecurityBookmarkStoreTest, KeysNormaliseTildeDotsAndTrailingSlash)
{
    const QString folder = home.filePath(QStringLiteral("Documents/x"));
    QDir().mkpath(folder);
    const struct {
        const char *path;
        QString key;
    } cases[] = {
        { "~/Documents/x", folder },
        { "~/Documents/x/", folder },
        { "~/Documents/./x", folder },
        { "~/Documents/y/../x", folder },
        { "~", home.path() },
        { "/usr//lib/./", QStringLiteral("/usr/lib") },
        { "~root/a", QStringLiteral("/root/a") },
        { "~no-such-user-zuno/a", QDir::current().absoluteFilePath("~no-such-user-zuno/a") },
    };
    for (const auto &c : cases)
        EXPECT_EQ(ZunoSecurityBookmarkStore::pathKey(QString::fromUtf8(c.path)), c.key) << c.path;
    // A URL is taken as it is: no tilde expansion.
    EXPECT_EQ(
        ZunoSecurityBookmarkStore::urlKey(QStringLiteral("~/a")), QDir::current().absoluteFilePath("~/a"));

    for (const QString &saved :
        { folder + QLatin1Char('/'), home.path() + QStringLiteral("/Documents/./x") }) {
        store.saveBookmark(saved);
        EXPECT_EQ(store.savedPaths(), QStringList { folder });
        for (const char *asked : { "~/Documents/x", "~/Documents/x/", "~/Documents/./x" })
            EXPECT_TRUE(store.hasBookmark(QString::fromUtf8(asked))) << asked;
        store.removeBookmark(folder);
        EXPECT_FALSE(store.hasBookmark(QStringLiteral("~/Documents/x")));
    }
}

TEST_F(ZunoSecurityBookmarkStoreTest, SavedPathsSortedAndPersisted)
{
    EXPECT_TRUE(store.savedPaths().isEmpty());
    const QStringList files = { homeFile(QStringLiteral("b")), homeFile(QStringLiteral("a")),
        homeFile(QStringLiteral("B")), homeFile(QStringLiteral("a b")) };
    for (const QString &file : files)
        store.saveBookmark(file);
    QStringList sorted = files;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(store.savedPaths(), sorted);

    // Another store object over the same file sees them.
    ZunoDefaults reopened(defaults.filePath());
    ZunoSecurityBookmarkStore again(kKey, reopened);
    EXPECT_EQ(again.savedPaths(), sorted);
    EXPECT_EQ(again.resolveAllBookmarks(), sorted);
}

TEST_F(ZunoSecurityBookmarkStoreTest, MistypedEntriesReadAsEmptyAndAreReplaced)
{
    const QString file = homeFile(QStringLiteral("f"));
    for (const QVariant &bad : { QVariant(QStringLiteral("not a dictionary")),
             QVariant(QVariantMap { { file, QByteArray("ok") }, { QStringLiteral("/x"), 42 } }) }) {
        EXPECT_TRUE(defaults.setValue(kKey, bad));
        EXPECT_TRUE(store.savedPaths().isEmpty());
        EXPECT_FALSE(store.hasBookmark(file));
        EXPECT_EQ(store.resolveBookmark(file), std::nullopt);
        store.saveBookmark(file);
        EXPECT_EQ(store.savedPaths(), QStringList { file });
    }
}

TEST_F(ZunoSecurityBookmarkStoreTest, SavingSomethingMissingThrowsAndStoresNothing)
{
    EXPECT_THROW(store.saveBookmark(home.filePath(QStringLiteral("missing"))), std::system_error);
    EXPECT_TRUE(store.savedPaths().isEmpty());
}

// The settings file cannot be written (a folder stands at its path): the save throws and nothing
// looks saved.
TEST_F(ZunoSecurityBookmarkStoreTest, SavingIntoAnUnwritableSettingsFileThrows)
{
    const QString blocked = settingsDir.filePath(QStringLiteral("blocked.conf"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    ZunoDefaults unwritable(blocked);
    ZunoSecurityBookmarkStore blockedStore(kKey, unwritable);
    const QString file = homeFile(QStringLiteral("Documents/report.txt"));
    EXPECT_THROW(blockedStore.saveBookmark(file), std::system_error);
    EXPECT_FALSE(blockedStore.hasBookmark(file));
    EXPECT_TRUE(blockedStore.savedPaths().isEmpty());
}

TEST_F(ZunoSecurityBookmarkStoreTest, ReplacedItemIsStaleAndRenewed)
{
    const QString file = homeFile(QStringLiteral("doc.txt"));
    store.saveBookmark(file);
    const QByteArray original = storedData(file);
    ASSERT_FALSE(ZunoBookmarkData::resolve(original)->isStale);

    replaceFile(file);
    ASSERT_TRUE(ZunoBookmarkData::resolve(original)->isStale);
    EXPECT_EQ(store.resolveBookmark(QStringLiteral("~/doc.txt")), std::optional(file));
    const QByteArray renewed = storedData(file);
    EXPECT_NE(renewed, original);
    EXPECT_FALSE(ZunoBookmarkData::resolve(renewed)->isStale);

    // resolveAll renews too.
    replaceFile(file);
    EXPECT_EQ(store.resolveAllBookmarks(), QStringList { file });
    EXPECT_FALSE(ZunoBookmarkData::resolve(storedData(file))->isStale);
}

TEST_F(ZunoSecurityBookmarkStoreTest, UnresolvableBookmarksYieldNothingAndStay)
{
    const QString kept = homeFile(QStringLiteral("kept"));
    const QString gone = homeFile(QStringLiteral("gone"));
    store.saveBookmark(gone);
    store.saveBookmark(kept);
    QFile::remove(gone);
    EXPECT_EQ(store.resolveBookmark(gone), std::nullopt);
    EXPECT_EQ(store.resolveBookmark(home.filePath(QStringLiteral("never-saved"))), std::nullopt);
    EXPECT_EQ(store.resolveAllBookmarks(), QStringList { kept });
    EXPECT_TRUE(store.hasBookmark(gone));

    // Data that is not a bookmark does not resolve either.
    EXPECT_TRUE(defaults.setValue(kKey, QVariantMap { { kept, QByteArray("{\"path\": 3}") } }));
    EXPECT_EQ(store.resolveBookmark(kept), std::nullopt);
}

TEST_F(ZunoSecurityBookmarkStoreTest, AccessStartsOncePerPathUntilStopped)
{
    const QString file = homeFile(QStringLiteral("a"));
    store.saveBookmark(file);
    EXPECT_EQ(store.startAccessing(QStringLiteral("~/a")), std::optional(file));
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 1);
    EXPECT_EQ(store.startAccessing(file + QLatin1Char('/')), std::optional(file));
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 1) << "an active path is not started again";

    store.stopAccessing(QStringLiteral("~/a"));
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 0);
    store.stopAccessing(QStringLiteral("~/a")); // nothing recorded: nothing stopped
    EXPECT_EQ(store.startAccessing(file), std::optional(file));
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 1);

    store.stopAccessingAll();
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 0);
    EXPECT_EQ(store.startAccessing(home.filePath(QStringLiteral("never-saved"))), std::nullopt);
}

TEST_F(ZunoSecurityBookmarkStoreTest, StartAccessingAllReturnsEveryResolvableItem)
{
    const QString active = homeFile(QStringLiteral("active"));
    const QString fresh = homeFile(QStringLiteral("fresh"));
    const QString gone = homeFile(QStringLiteral("gone"));
    for (const QString &file : { active, fresh, gone })
        store.saveBookmark(file);
    QFile::remove(gone);
    ASSERT_TRUE(store.startAccessing(active));

    EXPECT_EQ(store.startAccessingAllSavedBookmarks(), (QStringList { active, fresh }));
    EXPECT_EQ(ZunoScopedAccess::activeCount(active), 1);
    EXPECT_EQ(ZunoScopedAccess::activeCount(fresh), 1);
    store.stopAccessingAll();
    EXPECT_EQ(ZunoScopedAccess::activeCount(active), 0);
    EXPECT_EQ(ZunoScopedAccess::activeCount(fresh), 0);
}

// Access cannot start to a file this process may not read. Root reads past file modes, so the calls
// run on a thread that has given that up.
TEST_F(ZunoSecurityBookmarkStoreTest, AccessThatCannotStartIsReturnedButNotRecorded)
{
    const QString file = homeFile(QStringLiteral("locked"));
    store.saveBookmark(file);
    ASSERT_TRUE(QFile::setPermissions(file, QFile::WriteOwner));
    int accessError = 0;
    std::optional<QString> started;
    QStringList startedAll;
    ASSERT_TRUE(zunoRunWithoutFileOverride([&] {
        if (::access(QFile::encodeName(file).constData(), R_OK) != 0)
            accessError = errno;
        started = store.startAccessing(file);
        startedAll = store.startAccessingAllSavedBookmarks();
    }));
    ASSERT_EQ(accessError, EACCES) << "the file must be unreadable to the calls";
    EXPECT_EQ(started, std::optional(file));
    EXPECT_EQ(startedAll, QStringList { file });
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 0);
    // Readable again, the same store starts it: nothing of the refusal was kept.
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_EQ(store.startAccessing(file), std::optional(file));
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 1);
}

TEST_F(ZunoSecurityBookmarkStoreTest, RemoveStopsAccessAndDeletesBothKeyForms)
{
    const QString file = homeFile(QStringLiteral("r"));
    const QString other = homeFile(QStringLiteral("other"));
    store.saveBookmark(other);

    // Never saved: the dictionary is written back unchanged.
    store.removeBookmark(QStringLiteral("~/never"));
    EXPECT_EQ(store.savedPaths(), QStringList { other });

    store.saveBookmark(file);
    ASSERT_TRUE(store.startAccessing(file));
    // An entry stored under the path exactly as written goes as well.
    QVariantMap dictionary = defaults.dictionary(kKey);
    dictionary.insert(QStringLiteral("~/r"), QByteArray("raw"));
    EXPECT_TRUE(defaults.setValue(kKey, dictionary));
    store.removeBookmark(QStringLiteral("~/r"));
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 0);
    EXPECT_EQ(store.savedPaths(), QStringList { other });
}

TEST_F(ZunoSecurityBookmarkStoreTest, WithScopedAccessStopsOnlyWhatItStarted)
{
    const QString file = homeFile(QStringLiteral("w"));
    EXPECT_EQ(store.withScopedAccess(file, [&] { return ZunoScopedAccess::activeCount(file); }), 1);
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 0);

    EXPECT_THROW(store.withScopedAccess(file, [&]() -> int { throw std::runtime_error("body failed"); }),
        std::runtime_error);
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 0) << "stopped after the body threw";

    // A start that fails is not stopped: an access someone else holds stays.
    const QString missing = home.filePath(QStringLiteral("missing"));
    bool ran = false;
    store.withScopedAccess(missing, [&] { ran = true; });
    EXPECT_TRUE(ran);
    ASSERT_TRUE(ZunoScopedAccess::start(file));
    QFile::remove(file);
    store.withScopedAccess(file, [] {});
    EXPECT_EQ(ZunoScopedAccess::activeCount(file), 1);
    ZunoScopedAccess::stop(file);
}
