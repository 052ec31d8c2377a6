#include "ZunoAIModelCatalogStore.h"

#include "ZunoAIModelRegistry.h"

#include <QPromise>
#include <QtConcurrent>

ZunoAIModelCatalogStore::ZunoAIModelCatalogStore(std::shared_ptr<ZunoAIModelRegistry> registry,
    const QString &ollamaBaseURL, const QString &lmStudioBaseURL, QObject *parent)
    : QObject(parent)
    , m_registry(std::move(registry))
    , m_ollamaBaseURL(ollamaBaseURL)
    , m_lmStudioBaseURL(lmStudioBaseURL)
    , m_document(ZunoAIModelRegistry::loadBundledFallback())
{
    m_meta.sourceUrl = QString::fromLatin1(ZunoAIModelRegistry::kDefaultCatalogURL);
    m_meta.origin = ZunoAICatalogOrigin::bundled;
}

ZunoAIModelCatalogStore::~ZunoAIModelCatalogStore()
{
    m_stop.request_stop();
}

ZunoAIModelCatalogStore *ZunoAIModelCatalogStore::shared()
{
    static ZunoAIModelCatalogStore *const store = new ZunoAIModelCatalogStore(ZunoAIModelRegistry::shared());
    return store;
}

void ZunoAIModelCatalogStore::publish(
    const ZunoAIModelCatalogDocument &document, const ZunoAIModelSyncMeta &meta)
{
    m_document = document;
    m_meta = meta;
    emit stateChanged();
}

void ZunoAIModelCatalogStore::setSyncing(bool syncing)
{
    m_isSyncing = syncing;
    emit stateChanged();
}

QFuture<void> ZunoAIModelCatalogStore::refresh(bool force, bool discoverLocal)
{
    if (m_isSyncing)
        return QtFuture::makeReadyFuture();
    setSyncing(true);

    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    QFuture<void> done = promise->future();
    const auto finish = [this, promise] {
        setSyncing(false);
        promise->finish();
    };
    const std::shared_ptr<ZunoAIModelRegistry> registry = m_registry;
    const std::stop_token stop = m_stop.get_token();

    QtConcurrent::run([registry] {
        return registry->loadCurrent();
    }).then(this, [=, this](const std::pair<ZunoAIModelCatalogDocument, ZunoAIModelSyncMeta> &current) {
        publish(current.first, current.second);
        QtConcurrent::run([registry, force, stop] {
            return registry->syncIfNeeded(force, stop);
        }).then(this, [=, this](const ZunoAIModelRegistry::SyncResult &synced) {
            publish(synced.document, synced.meta);
            if (!discoverLocal) {
                finish();
                return;
            }
            QtConcurrent::run([registry, ollama = m_ollamaBaseURL, lmStudio = m_lmStudioBaseURL, stop] {
                return registry->discoverLocalModels(ollama, lmStudio, stop);
            }).then(this, [=, this](const QList<ZunoAIDiscoveredLocalModel> &models) {
                m_discoveredLocalModels = models;
                emit stateChanged();
                finish();
            });
        });
    });
    return done;
}
