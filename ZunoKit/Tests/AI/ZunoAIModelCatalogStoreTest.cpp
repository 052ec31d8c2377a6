#include "ZunoAIModelCatalogStore.h"
#include "ZunoAIModelRegistry.h"
#include "ZunoAIRegistryTestSupport.h"
#include "ZunoFakeHttpServer.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Reply = ZunoFakeHttpServer::Reply;

namespace {

constexpr int kWait = 20000;

bool finishes(const QFuture<void> &future)
{
    return QTest::qWaitFor([&] { return future.isFinished(); }, kWait);
}

// A store on a temporary cache, a fake catalog server and fake local servers on the same port.
struct StoreFixture {
    StoreFixture()
    {
        server.route("GET", "/models.json", Reply::text(200, catalogBody(QStringLiteral("synced"))));
        server.route("GET", "/api/tags", Reply::text(200, R"({"models": [{"name": "llama3.2:latest"}]})"));
        server.route("GET", "/v1/models", Reply::text(200, R"({"data": []})"));
    }
    std::unique_ptr<ZunoAIModelCatalogStore> store(const QString &ollama = {}, const QString &lmStudio = {})
    {
        return std::make_unique<ZunoAIModelCatalogStore>(registry,
            ollama.isEmpty() ? QString::fromLatin1(server.url("")) : ollama,
            lmStudio.isEmpty() ? QString::fromLatin1(server.url("/v1")) : lmStudio);
    }

    QTemporaryDir dir;
    ZunoFakeHttpServer server;
    std::shared_ptr<ZunoAIModelRegistry> registry
        = std::make_shared<ZunoAIModelRegistry>(dir.path(), QString::fromLatin1(server.url("/models.json")));
};

} // namespace

TEST(ZunoAIModelCatalogStore, AFreshStoreShowsTheBuiltInCatalogAsBundled)
{
    StoreFixture f;
    const auto store = f.store();
    EXPECT_EQ(store->document(), ZunoAIModelRegistry::loadBundledFallback());
    ZunoAIModelSyncMeta expected;
    expected.sourceUrl = QString::fromLatin1(ZunoAIModelRegistry::kDefaultCatalogURL);
    expected.origin = ZunoAICatalogOrigin::bundled;
    EXPECT_EQ(store->meta(), expected);
    EXPECT_TRUE(store->discoveredLocalModels().isEmpty());
    EXPECT_FALSE(store->isSyncing());
    EXPECT_TRUE(f.server.requests().empty());
}

TEST(ZunoAIModelCatalogStore, PublishesTheCacheFirstThenTheSyncThenTheLocalModels)
{
    StoreFixture f;
    writeFile(f.dir.filePath(QStringLiteral("models.json")), catalogBody(QStringLiteral("cached")));
    const auto store = f.store();
    struct Seen {
        QString version;
        ZunoAICatalogOrigin origin;
        qsizetype localModels;
        bool syncing;
    };
    std::vector<Seen> seen;
    QObject::connect(store.get(), &ZunoAIModelCatalogStore::stateChanged, [&] {
        seen.push_back({ store->document().catalogVersion, store->meta().origin,
            store->discoveredLocalModels().size(), store->isSyncing() });
    });

    const QFuture<void> refresh = store->refresh(false, true);
    ASSERT_TRUE(finishes(refresh));
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_TRUE(seen[0].syncing);
    EXPECT_EQ(seen[1].version, QStringLiteral("cached"));
    EXPECT_EQ(seen[1].origin, ZunoAICatalogOrigin::localCache);
    EXPECT_EQ(seen[2].version, QStringLiteral("synced"));
    EXPECT_EQ(seen[2].origin, ZunoAICatalogOrigin::remote);
    EXPECT_EQ(seen[3].localModels, 1);
    EXPECT_FALSE(seen[4].syncing);
    EXPECT_EQ(store->discoveredLocalModels().first().displayName, QStringLiteral("llama3.2:latest (Ollama)"));
}

TEST(ZunoAIModelCatalogStore, ARefreshWhileOneRunsReturnsAtOnceAndChangesNothing)
{
    StoreFixture f;
    f.server.route(
        "GET", "/models.json", Reply::text(200, catalogBody(QStringLiteral("slow"))).delayed(500ms));
    const auto store = f.store();
    const QFuture<void> first = store->refresh(false, false);
    ASSERT_TRUE(store->isSyncing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.server.requests().empty(); }, kWait));

    QSignalSpy changes(store.get(), &ZunoAIModelCatalogStore::stateChanged);
    const ZunoAIModelCatalogDocument before = store->document();
    const QFuture<void> second = store->refresh(true, true);
    EXPECT_TRUE(second.isFinished());
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(store->document(), before);
    EXPECT_TRUE(store->isSyncing());

    ASSERT_TRUE(finishes(first));
    EXPECT_EQ(f.server.requests().size(), 1u); // the second asked for no sync and no discovery
    EXPECT_EQ(store->document().catalogVersion, QStringLiteral("slow"));
    EXPECT_FALSE(store->isSyncing());
}

TEST(ZunoAIModelCatalogStore, DiscoveryReplacesTheLocalModelsAndItsAbsenceKeepsThem)
{
    StoreFixture f;
    const auto store = f.store();
    ASSERT_TRUE(finishes(store->refresh(false, true)));
    ASSERT_EQ(store->discoveredLocalModels().size(), 1);

    f.server.route("GET", "/api/tags", Reply::text(200, R"({"models": []})"));
    ASSERT_TRUE(finishes(store->refresh(false, false)));
    EXPECT_EQ(store->discoveredLocalModels().size(), 1);

    // With both servers gone, the list empties.
    QString closed;
    {
        ZunoFakeHttpServer stopped;
        closed = QString::fromLatin1(stopped.url(""));
    }
    const auto elsewhere
        = std::make_unique<ZunoAIModelCatalogStore>(f.registry, closed, closed + QStringLiteral("/v1"));
    ASSERT_TRUE(finishes(elsewhere->refresh(false, true)));
    EXPECT_TRUE(elsewhere->discoveredLocalModels().isEmpty());
}

TEST(ZunoAIModelCatalogStore, AWorkerOutlivesItsStore)
{
    StoreFixture f;
    f.server.route("GET", "/models.json", Reply::hold());
    QFuture<void> refresh;
    {
        const auto store = f.store();
        refresh = store->refresh(true, true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !f.server.requests().empty(); }, kWait));
    }
    // The store's end asked the hanging request to stop; the registry lives on with the worker.
    EXPECT_TRUE(finishes(refresh));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.registry.use_count() == 1; }, kWait));
}
