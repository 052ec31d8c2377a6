#pragma once

#include "ZunoAIDiscoveredLocalModel.h"
#include "ZunoAIModelCatalogDocument.h"
#include "ZunoAIModelSyncMeta.h"

#include <QList>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>

class ZunoHttpSession;

// The keeper of the AI model catalog on disk and in memory: a cached copy of the published catalog and
// its sync record in a per-user folder, the built-in copy as a fallback, an entity-tag check of the
// remote catalog no more often than the catalog's time-to-live allows, and probes of a local Ollama and
// LM Studio server for installed models. No operation throws: every failure falls back to what is known.
//
// Thread-safe; the blocking calls (`syncIfNeeded`, `discoverLocalModels`) belong on a worker. One mutex
// guards the in-memory pair and is never held across I/O. Syncs on one registry run one at a time: a
// second caller waits for the first, then applies its own freshness gate, so two answers can never be
// interleaved in the cache files.
class ZunoAIModelRegistry {
public:
    static constexpr char kDefaultCatalogURL[] = "https://quarnwell.com/api/v1/ai/models.json";
    static constexpr char kCatalogURLDefaultsKey[] = "com.quarnwell.aiModelsURL";
    static constexpr char kCatalogURLEnvironmentVariable[] = "QUARNWELL_AI_MODELS_URL";
    static constexpr char kModelsFileName[] = "models.json";
    static constexpr char kMetaFileName[] = "sync-meta.json";
    // The least time between two checks, whatever the catalog's `ttlSeconds` says.
    static constexpr qint64 kMinimumTTLSeconds = 300;

    struct SyncResult {
        ZunoAIModelCatalogDocument document;
        ZunoAIModelSyncMeta meta;
        // True only when a new document was downloaded and adopted.
        bool updated = false;
    };

    // `cacheDirectory` absent: $XDG_DATA_HOME/Quarnwell/AI. `session` absent: the process's session.
    // Creates nothing on disk.
    explicit ZunoAIModelRegistry(const std::optional<QString> &cacheDirectory = std::nullopt,
        const std::optional<QString> &remoteURLOverride = std::nullopt,
        std::shared_ptr<ZunoHttpSession> session = nullptr);
    ~ZunoAIModelRegistry();
    ZunoAIModelRegistry(const ZunoAIModelRegistry &) = delete;
    ZunoAIModelRegistry &operator=(const ZunoAIModelRegistry &) = delete;

    // The registry with the default folder, no override and the process's session.
    static std::shared_ptr<ZunoAIModelRegistry> shared();

    QString cacheDirectory() const { return m_cacheDirectory; }
    QString modelsFilePath() const;
    QString metaFilePath() const;

    // The current pair: from memory once loaded; else the cache (with its stored record, or a fresh
    // "localCache" one), else the built-in document ("bundled", any stored record dropped). Reads the
    // files once per registry.
    std::pair<ZunoAIModelCatalogDocument, ZunoAIModelSyncMeta> loadCurrent();

    // Checks the remote catalog unless the last check is younger than max(ttlSeconds, 300) (a check
    // stamped in the future is stale) or `force` is set. Blocks for up to 8 s; a stop request ends it
    // with the old pair.
    SyncResult syncIfNeeded(bool force, std::stop_token stop = {});

    // The models the local servers report, Ollama's first, each matched against the catalog. Each probe
    // is bounded by 1.4 s; a failed probe contributes nothing.
    QList<ZunoAIDiscoveredLocalModel> discoverLocalModels(
        const QString &ollamaBaseURL, const QString &lmStudioBaseURL, std::stop_token stop = {});

    // The override, then QUARNWELL_AI_MODELS_URL, then the defaults key, each trimmed of white space
    // (not of "/"), blank ones skipped; else `kDefaultCatalogURL`.
    static QString resolvedCatalogURL(const std::optional<QString> &override);

    // The shipped "ai-models-default.json"; an empty "fallback" document when it cannot be read.
    static ZunoAIModelCatalogDocument loadBundledFallback();

private:
    std::pair<ZunoAIModelCatalogDocument, ZunoAIModelSyncMeta> readFromDisk() const;
    // Into the cache folder through the atomic writer; false (and a log line) when it failed.
    bool persist(const QString &fileName, const QByteArray &bytes) const;
    void adopt(const ZunoAIModelCatalogDocument &document, const ZunoAIModelSyncMeta &meta);

    const QString m_cacheDirectory;
    const std::optional<QString> m_remoteURLOverride;
    const std::shared_ptr<ZunoHttpSession> m_session;

    mutable std::mutex m_mutex; // guards the pair below, never held across I/O
    std::optional<ZunoAIModelCatalogDocument> m_inMemoryDocument;
    std::optional<ZunoAIModelSyncMeta> m_inMemoryMeta;

    // Held for a whole sync (across its request): the queue that makes syncs take turns.
    std::mutex m_syncTurn;
};
