#include "ZunoCreditsAccountManager.h"
#include "ZunoDefaults.h"
#include "ZunoPaths.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"
#include "ZunoWithoutFileOverride.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using Json = nlohmann::json;
const QString kDefaultKey = QStringLiteral("account-token https://api.quarnwell.com");

// A fresh home with none of the account variables set.
class ZunoCreditsAccountManagerTest : public ::testing::Test {
protected:
    ZunoCreditsAccountManagerTest()
    {
        for (const char *name : { "QUARNWELL_ACCOUNT_DIR", "DEZEVEVEZU_ACCOUNT_DIR", "QUARNWELL_API_URL" })
            environment.set(name, QByteArray());
    }

    QString folder(const QString &name) const { return home.filePath(name); }

    ZunoTestHome home;
    ZunoScopedEnvironment environment;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Json readJson(const QString &path)
{
    return Json::parse(readAll(path).toStdString());
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

unsigned modeOf(const QString &path)
{
    struct stat info { };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 0777) : 01000;
}

} // namespace

TEST_F(ZunoCreditsAccountManagerTest, AccountFileLocations)
{
    const QString support = ZunoPaths::applicationSupport();
    const QString defaultPrimary = support + "/Quarnwell/account.json";
    const QString defaultLegacy = support + "/com.dezevevEZU.dezevevEZU/account.json";
    struct Case {
        const char *name;
        QByteArray quarnwellVariable; // null: unset
        QByteArray siblingVariable;
        QString primary;
        std::optional<QString> legacy;
    };
    const Case cases[] = {
        { "neither variable", {}, {}, defaultPrimary, defaultLegacy },
        { "blank first variable hides the second", " \n", "/tmp/sibling", defaultPrimary, defaultLegacy },
        { "empty first variable hides the second", "", "/tmp/sibling", defaultPrimary, defaultLegacy },
        { "only the sibling variable", {}, "/tmp/sibling", "/tmp/sibling/account.json", std::nullopt },
        { "first variable used untrimmed", " /tmp/acc ", "/tmp/sibling", " /tmp/acc /account.json",
            std::nullopt },
    };
    for (const Case &c : cases) {
        ZunoScopedEnvironment scoped;
        scoped.set("QUARNWELL_ACCOUNT_DIR", c.quarnwellVariable);
        scoped.set("DEZEVEVEZU_ACCOUNT_DIR", c.siblingVariable);
        const ZunoCreditsAccountManager manager;
        EXPECT_EQ(manager.primaryAccountFile(), c.primary) << c.name;
        EXPECT_EQ(manager.legacyAccountFile(), c.legacy) << c.name;
    }

    // Given folders win over the environment; the legacy folder counts only beside an account folder.
    ZunoScopedEnvironment scoped("QUARNWELL_ACCOUNT_DIR", "/tmp/ignored");
    const ZunoCreditsAccountManager given(QStringLiteral("/a"), QStringLiteral("/b"));
    EXPECT_EQ(given.primaryAccountFile(), QStringLiteral("/a/account.json"));
    EXPECT_EQ(given.legacyAccountFile(), QStringLiteral("/b/account.json"));
    const ZunoCreditsAccountManager onlyLegacy(std::nullopt, QStringLiteral("/b"));
    EXPECT_EQ(onlyLegacy.primaryAccountFile(), QStringLiteral("/tmp/ignored/account.json"));
    EXPECT_FALSE(onlyLegacy.legacyAccountFile());
}

TEST_F(ZunoCreditsAccountManagerTest, GatewayResolution)
{
    EXPECT_EQ(ZunoCreditsAccountManager::resolvedGatewayURL(), QStringLiteral("https://api.quarnwell.com"));
    ASSERT_TRUE(ZunoDefaults::standard().setValue(
        ZunoCreditsAccountManager::kGatewayURLDefaultsKey, QStringLiteral(" https://d.example/ ")));
    EXPECT_EQ(ZunoCreditsAccountManager::resolvedGatewayURL(), QStringLiteral("https://d.example"));
    environment.set("QUARNWELL_API_URL", "  https://env.example//\n");
    EXPECT_EQ(ZunoCreditsAccountManager::resolvedGatewayURL(), QStringLiteral("https://env.example"));
    EXPECT_EQ(ZunoCreditsAccountManager::resolvedGatewayURL(QStringLiteral("  \t ")),
        QStringLiteral("https://env.example"));
    EXPECT_EQ(ZunoCreditsAccountManager::resolvedGatewayURL(QStringLiteral(" https://o.example/v1/ ")),
        QStringLiteral("https://o.example/v1"));
    environment.set("QUARNWELL_API_URL", " ");
    EXPECT_EQ(ZunoCreditsAccountManager::resolvedGatewayURL(), QStringLiteral("https://d.example"));
    EXPECT_TRUE(ZunoDefaults::standard().remove(ZunoCreditsAccountManager::kGatewayURLDefaultsKey));
}

TEST_F(ZunoCreditsAccountManagerTest, AppHeaderAndPortalLinks)
{
    const QString header = ZunoCreditsAccountManager::currentAppHeader();
    EXPECT_TRUE(header.endsWith(QStringLiteral(" Linux"))) << header.toStdString();
    EXPECT_TRUE(header.contains(QLatin1Char('/')));

    for (const QString &base :
        { QStringLiteral("https://quarnwell.com"), QStringLiteral("https://quarnwell.com//") }) {
        EXPECT_EQ(
            ZunoCreditsAccountManager::topUpURL(base, ZunoLanguage::tr), QUrl("https://quarnwell.com/kredi"));
        EXPECT_EQ(ZunoCreditsAccountManager::budgetsURL(base, ZunoLanguage::tr),
            QUrl("https://quarnwell.com/kullanim"));
        for (const ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::de, ZunoLanguage::az }) {
            EXPECT_EQ(ZunoCreditsAccountManager::topUpURL(base, language),
                QUrl("https://quarnwell.com/en/credits"));
            EXPECT_EQ(ZunoCreditsAccountManager::budgetsURL(base, language),
                QUrl("https://quarnwell.com/en/usage"));
        }
    }
    EXPECT_FALSE(ZunoCreditsAccountManager::topUpURL(QStringLiteral("not a url"), ZunoLanguage::en));
}

TEST_F(ZunoCreditsAccountManagerTest, SaveCreatesPrivateFilesInBothDefaultLocations)
{
    const ZunoCreditsAccountManager manager;
    EXPECT_FALSE(manager.savedToken());
    manager.saveToken(QStringLiteral("  tok-1 \n"));
    EXPECT_EQ(manager.savedToken(), QStringLiteral("tok-1"));
    for (const QString &file : { manager.primaryAccountFile(), *manager.legacyAccountFile() }) {
        EXPECT_EQ(readJson(file), Json({ { kDefaultKey.toStdString(), "tok-1" } })) << file.toStdString();
        EXPECT_EQ(modeOf(file), 0600u);
        EXPECT_EQ(modeOf(QFileInfo(file).absolutePath()), 0700u);
    }
    // A blank token neither saves nor clears.
    const QByteArray before = readAll(manager.primaryAccountFile());
    manager.saveToken(QStringLiteral(" \t\n"));
    EXPECT_EQ(readAll(manager.primaryAccountFile()), before);

    // An existing folder is narrowed to 0700.
    const QString open = folder("open");
    QDir().mkpath(open);
    ::chmod(QFile::encodeName(open).constData(), 0755);
    ZunoCreditsAccountManager(open).saveToken(QStringLiteral("t"));
    EXPECT_EQ(modeOf(open), 0700u);
}

TEST_F(ZunoCreditsAccountManagerTest, LegacyFileServesWhenThePrimaryHasNoToken)
{
    const ZunoCreditsAccountManager manager(folder("primary"), folder("legacy"));
    writeFile(manager.primaryAccountFile(), R"({"account-token https://api.quarnwell.com": "  "})");
    writeFile(*manager.legacyAccountFile(), R"({"account-token https://api.quarnwell.com": "legacy-token"})");
    EXPECT_EQ(manager.savedToken(), QStringLiteral("legacy-token"));
    writeFile(manager.primaryAccountFile(), "garbage");
    EXPECT_EQ(manager.savedToken(), QStringLiteral("legacy-token"));
    writeFile(
        manager.primaryAccountFile(), R"({"account-token https://api.quarnwell.com": 5, "other": "x"})");
    EXPECT_EQ(manager.savedToken(), QStringLiteral("legacy-token"));
}

TEST_F(ZunoCreditsAccountManagerTest, GatewaysSideBySideAndForeignEntriesSurvive)
{
    const QString dir = folder("acc");
    const Json foreign = { { "n", 1 }, { "o", { { "a", true } } }, { "list", { 1, "two", nullptr } },
        { "s", "sibling's" }, { "f", 0.1 } };
    writeFile(dir + "/account.json", QByteArray::fromStdString(foreign.dump()));

    const ZunoCreditsAccountManager first(dir, std::nullopt, QStringLiteral("https://one.example/"));
    const ZunoCreditsAccountManager second(dir, std::nullopt, QStringLiteral("https://two.example"));
    first.saveToken(QStringLiteral("t1"));
    second.saveToken(QStringLiteral("t2"));
    EXPECT_EQ(first.savedToken(), QStringLiteral("t1"));
    EXPECT_EQ(second.savedToken(), QStringLiteral("t2"));
    EXPECT_FALSE(ZunoCreditsAccountManager(dir).savedToken());

    Json expected = foreign;
    expected["account-token https://one.example"] = "t1";
    expected["account-token https://two.example"] = "t2";
    EXPECT_EQ(readJson(dir + "/account.json"), expected);

    first.clearLocalToken();
    expected.erase("account-token https://one.example");
    EXPECT_EQ(readJson(dir + "/account.json"), expected);
    EXPECT_FALSE(first.savedToken());
    EXPECT_EQ(second.savedToken(), QStringLiteral("t2"));
}

TEST_F(ZunoCreditsAccountManagerTest, ClearingWithoutTheKeyWritesNothing)
{
    const ZunoCreditsAccountManager manager(folder("p"), folder("l"));
    writeFile(manager.primaryAccountFile(), R"({"other": "x"})");
    writeFile(*manager.legacyAccountFile(), "not json");
    const auto stamp = [](const QString &path) {
        struct stat info { };
        ::stat(QFile::encodeName(path).constData(), &info);
        return qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    };
    const qint64 primaryTime = stamp(manager.primaryAccountFile());
    const qint64 legacyTime = stamp(*manager.legacyAccountFile());
    const QStringList before
        = QDir(folder("p")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    manager.clearLocalToken();
    EXPECT_EQ(readAll(manager.primaryAccountFile()), R"({"other": "x"})");
    EXPECT_EQ(readAll(*manager.legacyAccountFile()), "not json");
    EXPECT_EQ(stamp(manager.primaryAccountFile()), primaryTime);
    EXPECT_EQ(stamp(*manager.legacyAccountFile()), legacyTime);
    EXPECT_EQ(QDir(folder("p")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    // Nor does clearing a folder that does not exist create anything.
    ZunoCreditsAccountManager(folder("none")).clearLocalToken();
    EXPECT_FALSE(QFileInfo::exists(folder("none")));
}

TEST_F(ZunoCreditsAccountManagerTest, GarbageFileIsMovedAsideBeforeSaving)
{
    const QString dir = folder("acc");
    for (const QByteArray &garbage :
        { QByteArray("{not json"), QByteArray("[\"an array\"]"), QByteArray() }) {
        QDir(dir).removeRecursively();
        writeFile(dir + "/account.json", garbage);
        ZunoCreditsAccountManager(dir).saveToken(QStringLiteral("fresh"));
        EXPECT_EQ(readJson(dir + "/account.json"), Json({ { kDefaultKey.toStdString(), "fresh" } }));
        const QStringList rescued
            = QDir(dir).entryList({ QStringLiteral("account.corrupt-*.json") }, QDir::Files);
        ASSERT_EQ(rescued.size(), 1) << garbage.constData();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^account\\.corrupt-\\d{8}-\\d{6}\\.json$"))
                        .match(rescued[0])
                        .hasMatch());
        EXPECT_EQ(readAll(dir + "/" + rescued[0]), garbage);
        EXPECT_EQ(modeOf(dir + "/" + rescued[0]), 0600u);
    }
}

// A file this process may not read (left by another user, or by a run under sudo) may hold entries of
// other applications: it is never replaced. Root reads past file modes, so the calls run on a thread
// that has given that up.
TEST_F(ZunoCreditsAccountManagerTest, UnreadableFileIsLeftAlone)
{
    const QString dir = folder("acc");
    const QString file = dir + "/account.json";
    writeFile(file, R"({"sibling": "keep"})");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0200), 0);
    const ZunoCreditsAccountManager manager(dir);
    int openError = 0;
    bool saved = true;
    std::optional<QString> token;
    ASSERT_TRUE(zunoRunWithoutFileOverride([&] {
        if (const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC); fd >= 0)
            ::close(fd);
        else
            openError = errno;
        saved = manager.saveToken(QStringLiteral("t"));
        token = manager.savedToken();
    }));
    ASSERT_EQ(openError, EACCES) << "the file must be unreadable to the calls";
    EXPECT_FALSE(saved);
    EXPECT_FALSE(token);
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0600), 0);
    EXPECT_EQ(readAll(file).toStdString(), R"({"sibling": "keep"})");
    EXPECT_EQ(
        QDir(dir).entryList({ QStringLiteral("account*") }, QDir::Files), QStringList { "account.json" });
}

// Watches the account folder while saving, clearing and rescuing under umask 000: every file that
// appears there, temporary ones included, must be owner-only from the start.
TEST_F(ZunoCreditsAccountManagerTest, NoFileIsEverReadableByOthers)
{
    const QString dir = folder("acc");
    const mode_t previousMask = ::umask(0);
    const ZunoCreditsAccountManager manager(dir);
    manager.saveToken(QStringLiteral("first"));
    EXPECT_EQ(modeOf(dir), 0700u);

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(
                  watch, QFile::encodeName(dir).constData(), IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_MODIFY),
        0);
    std::atomic<bool> done { false };
    std::vector<std::string> exposed;
    int seen = 0;
    std::thread watcher([&] {
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            pollfd descriptor { watch, POLLIN, 0 };
            const bool finishing = done;
            ::poll(&descriptor, 1, finishing ? 0 : 20);
            const ssize_t length = ::read(watch, buffer, sizeof buffer);
            if (length <= 0) {
                if (finishing)
                    return;
                continue;
            }
            for (ssize_t offset = 0; offset < length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
                if (event->len > 0) {
                    const QString path = dir + "/" + QString::fromLocal8Bit(event->name);
                    const unsigned mode = modeOf(path);
                    ++seen;
                    if (mode != 01000 && (mode & 0077))
                        exposed.push_back(path.toStdString() + " " + std::to_string(mode));
                }
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    });

    for (int round = 0; round < 10; ++round) {
        ZunoCreditsAccountManager(dir, std::nullopt, QStringLiteral("https://g%1.example").arg(round))
            .saveToken(QStringLiteral("t%1").arg(round));
        manager.saveToken(QStringLiteral("again%1").arg(round));
    }
    manager.clearLocalToken();
    writeFile(dir + "/account.json", "{garbage");
    ::chmod(QFile::encodeName(dir + "/account.json").constData(), 0600);
    manager.saveToken(QStringLiteral("after rescue"));
    done = true;
    watcher.join();
    ::close(watch);
    ::umask(previousMask);

    EXPECT_GT(seen, 20);
    EXPECT_TRUE(exposed.empty()) << exposed.front();
    for (const QFileInfo &entry : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden))
        EXPECT_EQ(modeOf(entry.filePath()) & 0077, 0u) << entry.fileName().toStdString();
}

// Run as a child process by the test below: saves its own tokens into the shared folder.
TEST(ZunoCreditsAccountManagerChildRole, Saver)
{
    const QString dir = qEnvironmentVariable("ZUNO_CREDITS_CHILD_FOLDER");
    if (dir.isEmpty())
        GTEST_SKIP() << "runs only as a child of SeveralProcessesLoseNoEntry";
    const int child = qEnvironmentVariableIntValue("ZUNO_CREDITS_CHILD");
    const int saves = qEnvironmentVariableIntValue("ZUNO_CREDITS_CHILD_SAVES");
    for (int n = 0; n < saves; ++n) {
        ZunoCreditsAccountManager(
            dir, std::nullopt, QStringLiteral("https://c%1-n%2.example").arg(child).arg(n))
            .saveToken(QStringLiteral("token"));
    }
}

TEST(ZunoCreditsAccountManagerConcurrency, SeveralProcessesLoseNoEntry)
{
    constexpr int kProcesses = 4;
    constexpr int kSaves = 40;
    ZunoTestHome home;
    const QString dir = home.filePath(QStringLiteral("shared"));
    std::vector<std::unique_ptr<QProcess>> children;
    for (int p = 0; p < kProcesses; ++p) {
        auto child = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ZUNO_CREDITS_CHILD_FOLDER", dir);
        environment.insert("ZUNO_CREDITS_CHILD", QString::number(p));
        environment.insert("ZUNO_CREDITS_CHILD_SAVES", QString::number(kSaves));
        child->setProcessEnvironment(environment);
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child->start(QCoreApplication::applicationFilePath(),
            { "--gtest_filter=ZunoCreditsAccountManagerChildRole.Saver" });
        children.push_back(std::move(child));
    }
    for (auto &child : children) {
        ASSERT_TRUE(child->waitForFinished(120'000));
        ASSERT_EQ(child->exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(child->exitCode(), 0) << child->readAllStandardOutput().constData();
    }
    const Json map = readJson(dir + "/account.json");
    EXPECT_EQ(map.size(), std::size_t(kProcesses * kSaves));
    for (int p = 0; p < kProcesses; ++p) {
        for (int n = 0; n < kSaves; ++n) {
            const std::string key
                = QStringLiteral("account-token https://c%1-n%2.example").arg(p).arg(n).toStdString();
            EXPECT_TRUE(map.contains(key)) << key;
        }
    }
    EXPECT_TRUE(QDir(dir)
                    .entryList({ QStringLiteral(".account.*.tmp"), QStringLiteral("account.json.*") },
                        QDir::Files | QDir::Hidden)
                    .isEmpty());
}

TEST_F(ZunoCreditsAccountManagerTest, MovingALinkedFileAsideLeavesItsTargetAlone)
{
    const QString dir = folder("acc");
    const QString outside = folder("elsewhere/notes.txt");
    writeFile(outside, "not json");
    ::chmod(QFile::encodeName(outside).constData(), 0644);
    QDir().mkpath(dir);
    ASSERT_TRUE(QFile::link(outside, dir + "/account.json"));

    EXPECT_TRUE(ZunoCreditsAccountManager(dir).saveToken(QStringLiteral("fresh")));
    EXPECT_EQ(modeOf(outside), 0644u);
    EXPECT_EQ(readAll(outside), "not json");
    EXPECT_EQ(readJson(dir + "/account.json"), Json({ { kDefaultKey.toStdString(), "fresh" } }));
}

TEST_F(ZunoCreditsAccountManagerTest, SaveReportsAFileThatCannotBeWritten)
{
    // The account folder is a link to nowhere.
    ASSERT_TRUE(QFile::link(folder("nowhere"), folder("acc")));
    const ZunoCreditsAccountManager manager(folder("acc"));
    EXPECT_FALSE(manager.saveToken(QStringLiteral("t")));
    EXPECT_FALSE(manager.savedToken());
}
