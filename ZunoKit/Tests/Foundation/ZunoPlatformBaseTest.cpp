#include "ZunoBundle.h"
#include "ZunoDefaults.h"
#include "ZunoJson.h"
#include "ZunoMainThread.h"
#include "ZunoMessageCapture.h"
#include "ZunoNotificationCenter.h"
#include "ZunoPaths.h"
#include "ZunoSerialQueue.h"
#include "ZunoTestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

TEST(ZunoPaths, FollowXdgAndHome)
{
    ZunoTestHome home;
    EXPECT_EQ(ZunoPaths::applicationSupport(), home.path() + "/.local/share");
    EXPECT_EQ(ZunoPaths::caches(), home.path() + "/.cache");
    EXPECT_EQ(ZunoPaths::movies(), home.path() + "/Videos");

    qputenv("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(ZunoPaths::applicationSupport(), home.path() + "/.local/share");

    QDir().mkpath(home.filePath(".config"));
    QFile dirs(home.filePath(".config/user-dirs.dirs"));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("# comment\nXDG_VIDEOS_DIR=\"$HOME/Filmler\"\n");
    dirs.close();
    EXPECT_EQ(ZunoPaths::movies(), home.path() + "/Filmler");
}

TEST(ZunoDefaults, StoresPerApplicationAndReadsBack)
{
    ZunoTestHome home;
    auto &defaults = ZunoDefaults::standard();
    EXPECT_EQ(defaults.filePath(), home.path() + "/.config/Quarnwell/ZunoCam.conf");
    EXPECT_FALSE(defaults.contains("com.quarnwell.preferredLanguage"));
    EXPECT_TRUE(defaults.setValue("com.quarnwell.preferredLanguage", QStringLiteral("tr")));
    EXPECT_TRUE(defaults.setValue(
        "com.quarnwell.bookmarks", QVariantMap { { "a", 1 }, { "b", QStringLiteral("x") } }));
    EXPECT_TRUE(defaults.setValue("number", 5));

    ZunoDefaults other(defaults.filePath());
    EXPECT_EQ(other.string("com.quarnwell.preferredLanguage"), "tr");
    EXPECT_EQ(other.dictionary("com.quarnwell.bookmarks").value("b").toString(), "x");
    EXPECT_TRUE(other.dictionary("number").isEmpty());
    EXPECT_TRUE(other.string("missing").isEmpty());

    EXPECT_TRUE(defaults.remove("number"));
    EXPECT_FALSE(ZunoDefaults(defaults.filePath()).contains("number"));
}

// A folder where the settings file should be: nothing can be written there, root or not.
TEST(ZunoDefaults, AnUnwritableFileIsAFailureAndKeepsNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ZunoCam.conf"));
    ASSERT_TRUE(QDir().mkdir(path));
    ZunoDefaults defaults(path);
    {
        ZunoMessageCapture capture;
        EXPECT_FALSE(defaults.setValue("language", QStringLiteral("tr")));
        EXPECT_FALSE(defaults.remove("language"));
        const QStringList warnings = capture.messages(QtWarningMsg);
        ASSERT_EQ(warnings.size(), 2);
        EXPECT_TRUE(warnings[0].contains(path)) << warnings[0].toStdString();
        EXPECT_TRUE(warnings[0].contains(QStringLiteral("\"language\""))) << warnings[0].toStdString();
    }
    // Nothing looks saved that the next start would not find.
    EXPECT_FALSE(defaults.contains("language"));
    EXPECT_FALSE(ZunoDefaults(path).contains("language"));

    // Once the file can be written, so can the store: a failure does not stick.
    ASSERT_TRUE(QDir().rmdir(path));
    EXPECT_TRUE(defaults.setValue("language", QStringLiteral("de")));
    EXPECT_EQ(ZunoDefaults(path).string("language"), "de");
}

TEST(ZunoDefaults, ConcurrentWritersDoNotCorruptTheStore)
{
    ZunoTestHome home;
    auto &defaults = ZunoDefaults::standard();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                EXPECT_TRUE(defaults.setValue(QStringLiteral("k%1").arg(t), i));
        });
    for (auto &t : threads)
        t.join();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(defaults.value(QStringLiteral("k%1").arg(t)).toInt(), 49);
}

TEST(ZunoSerialQueue, RunsInOrderOnItsOwnThreadAndDrainsOnStop)
{
    std::vector<int> order;
    std::atomic<bool> onOtherThread { true };
    const auto caller = std::this_thread::get_id();
    {
        ZunoSerialQueue queue("com.quarnwell.zunocam.video");
        for (int i = 0; i < 100; ++i)
            queue.async([&, i] {
                order.push_back(i);
                if (std::this_thread::get_id() == caller)
                    onOtherThread = false;
            });
        int inside = -1;
        queue.sync([&] {
            inside = static_cast<int>(order.size());
            queue.sync([&] { ++inside; }); // re-entrant sync runs inline
        });
        EXPECT_EQ(inside, 101);
        queue.async([&] { order.push_back(100); });
    }
    ASSERT_EQ(order.size(), 101u);
    for (int i = 0; i <= 100; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_TRUE(onOtherThread);
}

TEST(ZunoSerialQueue, IgnoresTasksAfterStop)
{
    ZunoSerialQueue queue("q");
    queue.stop();
    bool ran = false;
    queue.async([&] { ran = true; });
    queue.sync([&] { ran = true; });
    queue.stop();
    EXPECT_FALSE(ran);
}

TEST(ZunoMainThread, PostsToTheMainThreadAndHonoursTheContext)
{
    EXPECT_TRUE(ZunoMainThread::isMainThread());
    std::atomic<int> ran { 0 };
    auto *alive = new QObject;
    auto *doomed = new QObject;
    std::thread worker([&] {
        EXPECT_FALSE(ZunoMainThread::isMainThread());
        ZunoMainThread::post(alive, [&] {
            EXPECT_TRUE(ZunoMainThread::isMainThread());
            ran += 1;
        });
        ZunoMainThread::post(doomed, [&] { ran += 100; });
        ZunoMainThread::post(nullptr, [&] { ran += 10; });
    });
    worker.join();
    delete doomed;
    EXPECT_EQ(ran, 0); // queued, not run inline
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 11);
    delete alive;
}

TEST(ZunoNotificationCenter, DeliversByNameWithPayload)
{
    auto &center = ZunoNotificationCenter::shared();
    QStringList seen;
    auto *context = new QObject;
    const auto a = center.addObserver("com.quarnwell.languageDidChange", nullptr,
        [&](const QString &, const QVariant &p) { seen << "a:" + p.toString(); });
    const auto all
        = center.addObserver({}, context, [&](const QString &n, const QVariant &) { seen << "all:" + n; });
    center.post("com.quarnwell.languageDidChange", QStringLiteral("tr"));
    center.post("other");
    delete context;
    center.post("other");
    center.removeObserver(a);
    center.post("com.quarnwell.languageDidChange", QStringLiteral("en"));
    EXPECT_EQ(seen, (QStringList { "a:tr", "all:com.quarnwell.languageDidChange", "all:other" }));
    center.removeObserver(all);
}

TEST(ZunoNotificationCenter, ObserverMayRemoveItself)
{
    auto &center = ZunoNotificationCenter::shared();
    int calls = 0;
    ZunoNotificationCenter::Token token = 0;
    token = center.addObserver("once", nullptr, [&](const QString &, const QVariant &) {
        ++calls;
        center.removeObserver(token);
    });
    center.post("once");
    center.post("once");
    EXPECT_EQ(calls, 1);
}

TEST(ZunoJson, QtValueAdapters)
{
    const QUuid uuid = QUuid::fromString(QStringLiteral("{0f8fad5b-d9cb-469f-a165-70867728950e}"));
    EXPECT_EQ(nlohmann::json(uuid).dump(), "\"0F8FAD5B-D9CB-469F-A165-70867728950E\"");
    EXPECT_EQ(nlohmann::json("0f8fad5b-d9cb-469f-a165-70867728950e").get<QUuid>(), uuid);
    EXPECT_THROW(nlohmann::json("not-a-uuid").get<QUuid>(), nlohmann::json::exception);

    const QDateTime date(QDate(2026, 12, 10), QTime(14, 5, 9), Qt::UTC);
    EXPECT_EQ(nlohmann::json(date).dump(), "\"2026-12-10T14:05:09Z\"");
    EXPECT_EQ(nlohmann::json("2026-12-10T14:05:09.250Z").get<QDateTime>(), date.addMSecs(250));
    EXPECT_EQ(nlohmann::json("2026-12-10T16:05:09+02:00").get<QDateTime>(), date);
    EXPECT_THROW(nlohmann::json("yesterday").get<QDateTime>(), nlohmann::json::exception);
    EXPECT_THROW(nlohmann::json(5).get<QString>(), nlohmann::json::exception);
    EXPECT_EQ(nlohmann::json(QString::fromUtf8("çalış")).dump(), "\"çalış\"");
}

TEST(ZunoBundle, MainBundleFindsItsResources)
{
    const auto &bundle = ZunoBundle::main();
    EXPECT_EQ(bundle.bundleIdentifier, "com.quarnwell.zunocam");
    EXPECT_EQ(bundle.infoDictionary.value("CFBundleDisplayName").toString(), "ZunoCam");
    ASSERT_FALSE(bundle.resourceDirectory.isEmpty());
    EXPECT_FALSE(bundle.resourcePath("icons/com.quarnwell.zunocam.svg").isEmpty());
    EXPECT_TRUE(bundle.resourcePath("no-such-file").isEmpty());
}
