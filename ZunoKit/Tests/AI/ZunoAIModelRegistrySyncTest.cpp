#include "ZunoAIModelRegistry.h"
#include "ZunoAIRegistryTestSupport.h"
#include "ZunoFakeHttpServer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;
using Reply = ZunoFakeHttpServer::Reply;

namespace {

// A registry on a temporary cache folder, checking a catalog served by a loopback fake.
struct SyncFixture {
    SyncFixture() { server.route("GET", "/models.json", Reply::text(304, {})); }

    QString url() const { return QString::fromLatin1(server.url("/models.json")); }
    QString modelsPath() const { return dir.filePath(QStringLiteral("models.json")); }
    QString metaPath() const { return dir.filePath(QStringLiteral("sync-meta.json")); }
    std::unique_ptr<ZunoAIModelRegistry> registry() const
    {
        return std::make_unique<ZunoAIModelRegistry>(dir.path(), url());
    }
    void serve(Reply reply) { server.route("GET", "/models.json", std::move(reply)); }
    // A cached catalog with its record, as a successful sync leaves them.
    void cache(const QString &version, qint64 ttlSeconds, const ZunoAIModelSyncMeta &meta)
    {
        writeFile(modelsPath(), catalogBody(version, ttlSeconds));
        writeFile(metaPath(), meta.encodedPretty());
    }
    std::size_t requestCount() const { return server.requests().size(); }

    QTemporaryDir dir;
    ZunoFakeHttpServer server;
};

Reply catalogReply(const QString &version, const QByteArray &etag = {})
{
    Reply reply = Reply::text(200, catalogBody(version), { { "Content-Type", "application/json" } });
    if (!etag.isEmpty())
        reply.withHeader("ETag", etag);
    return reply;
}

QDateTime secondsAgo(qint64 seconds)
{
    return QDateTime::currentDateTimeUtc().addSecs(-seconds);
}

} // namespace

TEST(ZunoAIModelRegistrySync, FirstCheckDownloadsCachesTheBytesAndStampsTheRecord)
{
    SyncFixture f;
    const QByteArray body = catalogBody(QStringLiteral("remote-1"));
    f.serve(Reply::text(200, body, { { "etag", "\"r1\"" } })); // header names in any case
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);

    const ZunoAIModelRegistry::SyncResult result = f.registry()->syncIfNeeded(false);

    ASSERT_EQ(f.requestCount(), 1u);
    const ZunoFakeHttpServer::Request request = f.server.requests().front();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.header("Accept"), "application/json");
    EXPECT_EQ(request.header("User-Agent"), "ZunoKit-AICatalog/1.0");
    EXPECT_FALSE(request.header("If-None-Match"));
    EXPECT_TRUE(result.updated);
    EXPECT_EQ(result.document.catalogVersion, QStringLiteral("remote-1"));
    EXPECT_EQ(result.meta.origin, ZunoAICatalogOrigin::remote);
    EXPECT_EQ(result.meta.etag, QStringLiteral("\"r1\""));
    EXPECT_EQ(result.meta.sourceUrl, f.url());
    EXPECT_EQ(result.meta.catalogVersion, QStringLiteral("remote-1"));
    ASSERT_TRUE(result.meta.lastCheckedAt);
    EXPECT_EQ(result.meta.lastSyncedAt, result.meta.lastCheckedAt);
    const QDateTime stamp = ZunoJson::parseIsoDate(*result.meta.lastCheckedAt);
    EXPECT_TRUE(stamp >= before && stamp <= QDateTime::currentDateTimeUtc())
        << result.meta.lastCheckedAt->toStdString();
    EXPECT_TRUE(result.meta.lastCheckedAt->endsWith(QLatin1Char('Z')));

    // The body as received, the record pretty-printed; a new registry starts from them.
    EXPECT_EQ(fileBytes(f.modelsPath()), body);
    EXPECT_EQ(fileBytes(f.metaPath()), result.meta.encodedPretty());
    const auto reloaded = f.registry()->loadCurrent();
    EXPECT_EQ(reloaded.first, result.document);
    EXPECT_EQ(reloaded.second, result.meta);
    EXPECT_TRUE(strayFiles(f.dir.path()).isEmpty());
}

TEST(ZunoAIModelRegistrySync, ChecksOnlyAfterTheLongerOfTheTTLAnd300Seconds)
{
    struct Case {
        const char *name;
        qint64 ttlSeconds;
        qint64 checkedSecondsAgo;
        bool checks;
    };
    // A few seconds either side of each limit, so a slow machine cannot cross it during the test.
    const std::vector<Case> cases = {
        { "ttl 60, 290 s ago", 60, 290, false },
        { "ttl 60, 310 s ago", 60, 310, true },
        { "negative ttl, 290 s ago", -5, 290, false },
        { "ttl of a day, 23:59:40 ago", 86400, 86380, false },
        { "ttl of a day, 24:00:20 ago", 86400, 86420, true },
        { "checked a year ahead", 21600, -365 * 86400, true },
        { "checked a minute ahead", 21600, -60, true },
    };
    for (const Case &c : cases) {
        SyncFixture f;
        f.cache(QStringLiteral("cached"), c.ttlSeconds,
            remoteMeta(QStringLiteral("\"e1\""), secondsAgo(c.checkedSecondsAgo), QStringLiteral("cached")));
        const ZunoAIModelRegistry::SyncResult result = f.registry()->syncIfNeeded(false);
        EXPECT_EQ(f.requestCount(), c.checks ? 1u : 0u) << c.name;
        EXPECT_FALSE(result.updated) << c.name;
        if (c.checks && f.requestCount() == 1) {
            EXPECT_EQ(f.server.requests().front().header("If-None-Match"), "\"e1\"") << c.name;
        }
    }
}

TEST(ZunoAIModelRegistrySync, ForceSendsNoEntityTagAndIgnoresTheTTL)
{
    SyncFixture f;
    f.cache(QStringLiteral("cached"), 21600,
        remoteMeta(QStringLiteral("\"e1\""), secondsAgo(10), QStringLiteral("cached")));
    f.serve(catalogReply(QStringLiteral("forced"), "\"e2\""));
    const ZunoAIModelRegistry::SyncResult result = f.registry()->syncIfNeeded(true);
    ASSERT_EQ(f.requestCount(), 1u);
    EXPECT_FALSE(f.server.requests().front().header("If-None-Match"));
    EXPECT_TRUE(result.updated);
    EXPECT_EQ(result.meta.etag, QStringLiteral("\"e2\""));
}

TEST(ZunoAIModelRegistrySync, NotModifiedMovesOnlyTheCheckStamp)
{
    SyncFixture f;
    ZunoAIModelSyncMeta stored
        = remoteMeta(QStringLiteral("\"e1\""), secondsAgo(4000), QStringLiteral("cached"));
    stored.lastSyncedAt = ZunoJson::isoDateString(secondsAgo(90000));
    stored.sourceUrl = QStringLiteral("https://old.test/models.json");
    f.cache(QStringLiteral("cached"), 3600, stored);
    auto registry = f.registry();

    const ZunoAIModelRegistry::SyncResult result = registry->syncIfNeeded(false);
    ASSERT_EQ(f.requestCount(), 1u);
    EXPECT_FALSE(result.updated);
    EXPECT_EQ(result.document.catalogVersion, QStringLiteral("cached"));
    ZunoAIModelSyncMeta expected = stored;
    expected.lastCheckedAt = result.meta.lastCheckedAt;
    expected.sourceUrl = f.url();
    EXPECT_EQ(result.meta, expected);
    EXPECT_NE(result.meta.lastCheckedAt, stored.lastCheckedAt);
    EXPECT_EQ(ZunoAIModelSyncMeta::decode(fileBytes(f.metaPath())), expected);
    EXPECT_EQ(fileBytes(f.modelsPath()), catalogBody(QStringLiteral("cached"), 3600));
    // Fresh now: the next call sends nothing.
    EXPECT_EQ(registry->syncIfNeeded(false).meta, expected);
    EXPECT_EQ(f.requestCount(), 1u);
}

TEST(ZunoAIModelRegistrySync, ADownloadWithoutEntityTagKeepsThePreviousOne)
{
    SyncFixture f;
    f.cache(QStringLiteral("cached"), 21600,
        remoteMeta(QStringLiteral("\"e1\""), secondsAgo(30000), QStringLiteral("cached")));
    f.serve(catalogReply(QStringLiteral("new")));
    const ZunoAIModelRegistry::SyncResult result = f.registry()->syncIfNeeded(false);
    EXPECT_TRUE(result.updated);
    EXPECT_EQ(result.document.catalogVersion, QStringLiteral("new"));
    EXPECT_EQ(result.meta.etag, QStringLiteral("\"e1\""));
    EXPECT_EQ(ZunoAIModelSyncMeta::decode(fileBytes(f.metaPath())).catalogVersion, QStringLiteral("new"));
}

TEST(ZunoAIModelRegistrySync, AFailedCheckStampsNothingSoTheNextCallChecksAgain)
{
    nlohmann::json noModels = nlohmann::json::parse(catalogBody(QStringLiteral("empty")).toStdString());
    noModels["models"] = nlohmann::json::array();
    const QByteArray whole = catalogBody(QStringLiteral("cut"));
    struct Case {
        const char *name;
        Reply reply;
    };
    const std::vector<Case> cases = {
        { "server error", Reply::text(500, "oops") },
        { "not found", Reply::text(404, "{}") },
        { "malformed body", Reply::text(200, "{\"schemaVersion\": 1,") },
        { "a document that fails strict decoding", Reply::text(200, "{\"schemaVersion\": 1}") },
        { "a document without models", Reply::text(200, QByteArray::fromStdString(noModels.dump())) },
        { "truncated body", Reply::shortBody(whole.size(), whole.left(whole.size() / 2)) },
        { "no HTTP answer", Reply::rawBytes("garbage\r\n\r\n") },
        { "closed without answer", Reply::closeWithoutAnswer() },
    };
    for (const Case &c : cases) {
        SyncFixture f;
        const ZunoAIModelSyncMeta stored
            = remoteMeta(QStringLiteral("\"e1\""), secondsAgo(30000), QStringLiteral("cached"));
        f.cache(QStringLiteral("cached"), 21600, stored);
        f.serve(c.reply);
        auto registry = f.registry();

        const ZunoAIModelRegistry::SyncResult result = registry->syncIfNeeded(false);
        EXPECT_FALSE(result.updated) << c.name;
        EXPECT_EQ(result.document.catalogVersion, QStringLiteral("cached")) << c.name;
        EXPECT_EQ(result.meta, stored) << c.name;
        EXPECT_EQ(registry->syncIfNeeded(false).meta, stored) << c.name;
        EXPECT_EQ(f.requestCount(), 2u) << c.name;
        EXPECT_EQ(fileBytes(f.metaPath()), stored.encodedPretty()) << c.name;
        EXPECT_EQ(fileBytes(f.modelsPath()), catalogBody(QStringLiteral("cached"))) << c.name;
    }
}

TEST(ZunoAIModelRegistrySync, AStopRequestEndsAHangingCheckWithTheOldPair)
{
    SyncFixture f;
    f.serve(Reply::hold());
    auto registry = f.registry();
    const auto loaded = registry->loadCurrent();
    std::stop_source stop;
    ZunoAIModelRegistry::SyncResult result;
    std::thread worker([&] { result = registry->syncIfNeeded(false, stop.get_token()); });
    ASSERT_TRUE(f.server.waitForRequests(1, 20s));
    stop.request_stop();
    worker.join();
    EXPECT_FALSE(result.updated);
    EXPECT_EQ(result.document, loaded.first);
    EXPECT_EQ(result.meta, loaded.second);
    EXPECT_FALSE(QFileInfo::exists(f.metaPath()));
}

TEST(ZunoAIModelRegistrySync, ARecordIsWrittenOnlyBesideTheDocumentItDescribes)
{
    SyncFixture f;
    const ZunoAIModelSyncMeta stored
        = remoteMeta(QStringLiteral("\"e1\""), secondsAgo(30000), QStringLiteral("cached"));
    writeFile(f.metaPath(), stored.encodedPretty());
    // The document cannot be written: its name is taken by a folder.
    ASSERT_TRUE(QDir(f.dir.path()).mkdir(QStringLiteral("models.json")));
    f.serve(catalogReply(QStringLiteral("new"), "\"e2\""));
    auto registry = f.registry();

    const ZunoAIModelRegistry::SyncResult result = registry->syncIfNeeded(false);
    // In memory the new catalog is used all the same.
    EXPECT_TRUE(result.updated);
    EXPECT_EQ(registry->loadCurrent().first.catalogVersion, QStringLiteral("new"));
    // On disk the old record stays, so the next start checks again without the new etag.
    EXPECT_EQ(fileBytes(f.metaPath()), stored.encodedPretty());
    EXPECT_TRUE(QFileInfo(f.modelsPath()).isDir());
    EXPECT_TRUE(strayFiles(f.dir.path()).isEmpty()) << strayFiles(f.dir.path()).join(' ').toStdString();
}

TEST(ZunoAIModelRegistrySync, ConcurrentSyncsTakeTurnsAndLeaveConsistentFiles)
{
    SyncFixture f;
    f.serve(catalogReply(QStringLiteral("once"), "\"only\"").delayed(300ms));
    auto registry = f.registry();
    std::vector<ZunoAIModelRegistry::SyncResult> results(4);
    {
        std::vector<std::jthread> callers;
        for (auto &result : results)
            callers.emplace_back([&] { result = registry->syncIfNeeded(false); });
    }
    // The first answer makes the catalog fresh, so the others wait for it and send nothing.
    EXPECT_EQ(f.requestCount(), 1u);
    EXPECT_EQ(std::count_if(results.begin(), results.end(), [](const auto &r) { return r.updated; }), 1);
    for (const auto &result : results)
        EXPECT_EQ(result.meta.etag, QStringLiteral("\"only\""));
    const ZunoAIModelSyncMeta onDisk = ZunoAIModelSyncMeta::decode(fileBytes(f.metaPath()));
    EXPECT_EQ(
        onDisk.catalogVersion, ZunoAIModelCatalogDocument::decode(fileBytes(f.modelsPath())).catalogVersion);
    EXPECT_EQ(onDisk.etag, QStringLiteral("\"only\""));
}
