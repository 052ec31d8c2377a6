#pragma once

#include "ZunoAIDiscoveredLocalModel.h"
#include "ZunoAIModelCatalogDocument.h"
#include "ZunoAIModelSyncMeta.h"

#include <QFuture>
#include <QList>
#include <QObject>

#include <memory>
#include <stop_token>

class ZunoAIModelRegistry;

// The AI model catalog as views see it: the current document, its sync record, the models found on
// local servers and whether a refresh runs. Lives on the main thread; every registry call runs on a
// worker and its result is published back here. The registry is shared, so a worker may finish after
// the store is gone; destroying the store asks its running requests to stop.
class ZunoAIModelCatalogStore : public QObject {
    Q_OBJECT

public:
    // Where the local servers are probed; tests pass closed ports so that they never reach a real server.
    static constexpr char kOllamaBaseURL[] = "http://127.0.0.1:11434";
    static constexpr char kLMStudioBaseURL[] = "http://127.0.0.1:1234/v1";

    // Starts with the built-in document and a "bundled" record naming the built-in catalog address.
    explicit ZunoAIModelCatalogStore(std::shared_ptr<ZunoAIModelRegistry> registry,
        const QString &ollamaBaseURL = QString::fromLatin1(kOllamaBaseURL),
        const QString &lmStudioBaseURL = QString::fromLatin1(kLMStudioBaseURL), QObject *parent = nullptr);
    ~ZunoAIModelCatalogStore() override;

    // The store on the shared registry, created on first use (on the main thread), kept for the process.
    static ZunoAIModelCatalogStore *shared();

    const ZunoAIModelCatalogDocument &document() const { return m_document; }
    const ZunoAIModelSyncMeta &meta() const { return m_meta; }
    const QList<ZunoAIDiscoveredLocalModel> &discoveredLocalModels() const { return m_discoveredLocalModels; }
    bool isSyncing() const { return m_isSyncing; }
    std::shared_ptr<ZunoAIModelRegistry> registry() const { return m_registry; }

    // Publishes the cached (or built-in) catalog, then the result of a sync, then, with `discoverLocal`,
    // replaces the local models with what the servers report. Asked while a refresh runs, it returns a
    // finished future at once and changes nothing. Never fails.
    QFuture<void> refresh(bool force, bool discoverLocal);

signals:
    // After every published change (document and record together, the local models, `isSyncing`).
    void stateChanged();

private:
    void publish(const ZunoAIModelCatalogDocument &document, const ZunoAIModelSyncMeta &meta);
    void setSyncing(bool syncing);

    const std::shared_ptr<ZunoAIModelRegistry> m_registry;
    const QString m_ollamaBaseURL;
    const QString m_lmStudioBaseURL;
    std::stop_source m_stop;

    ZunoAIModelCatalogDocument m_document;
    ZunoAIModelSyncMeta m_meta;
    QList<ZunoAIDiscoveredLocalModel> m_discoveredLocalModels;
    bool m_isSyncing = false;
};
