#include "ZunoAIModelCatalogStore.h"

#include "ZunoAIModelRegistry.h"
#include "ZunoWhileAlive.h"

#include <QPromise>
#include <QtConcurrent>

#include <optional>

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

    // Each worker catches whatever its step throws (even running out of memory), so the chain always
    // reaches `finish` and the store never stays syncing.
    using Current = std::pair<ZunoAIModelCatalogDocument, ZunoAIModelSyncMeta>;
    zunoThenWhileAlive(QtConcurrent::run([registry]() -> std::optional<Current> {
        try {
            return registry->loadCurrent();
        } catch (const std::exception &error) {
            qWarning("The model catalog could not be loaded: %s", error.what());
        } catch (...) {
            qWarning("The model catalog could not be loaded");
        }
        return std::nullopt;
    }),
        this, [=, this](const std::optional<Current> &current) {
            if (current)
                publish(current->first, current->second);
            zunoThenWhileAlive(
                QtConcurrent::run(
                    [registry, force, stop]() -> std::optional<ZunoAIModelRegistry::SyncResult> {
                        try {
                            return registry->syncIfNeeded(force, stop);
                        } catch (const std::exception &error) {
                            qWarning("The model catalog check failed: %s", error.what());
                        } catch (...) {
                            qWarning("The model catalog check failed");
                        }
                        return std::nullopt;
                    }),
                this, [=, this](const std::optional<ZunoAIModelRegistry::SyncResult> &synced) {
                    if (synced)
                        publish(synced->document, synced->meta);
                    if (!discoverLocal) {
                        finish();
                        return;
                    }
                    zunoThenWhileAlive(QtConcurrent::run([registry, ollama = m_ollamaBaseURL,
                                                             lmStudio = m_lmStudioBaseURL, stop] {
                        try {
                            return registry->discoverLocalModels(ollama, lmStudio, stop);
                        } catch (const std::exception &error) {
                            qWarning("Local model discovery failed: %s", error.what());
                        } catch (...) {
                            qWarning("Local model discovery failed");
                        }
                        return QList<ZunoAIDiscoveredLocalModel>();
                    }),
                        this, [=, this](const QList<ZunoAIDiscoveredLocalModel> &models) {
                            m_discoveredLocalModels = models;
                            emit stateChanged();
                            finish();
                        });
                });
        });
    return done;
}
