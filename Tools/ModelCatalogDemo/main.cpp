// Drives the model registry as the catalog store does (load, sync, discovery), but directly, so that it
// can also report whether the sync downloaded a new catalog and how many requests it sent.
#include "ZunoAIModelCatalogStore.h"
#include "ZunoAIModelRegistry.h"
#include "ZunoByteFormatter.h"
#include "ZunoHttpSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <atomic>
#include <cstdio>

namespace {

// The process's HTTP client, counting what it is asked to send.
class CountingSession final : public ZunoHttpSession {
public:
    ZunoHttpResponse send(const ZunoHttpRequest &request, std::stop_token stop) override
    {
        ++requests;
        return ZunoHttpSession::send(request, stop);
    }
    std::atomic<int> requests { 0 };
};

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
}

QString orDash(const std::optional<QString> &value)
{
    return value ? *value : QStringLiteral("-");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Loads, syncs and discovers the AI model catalog once."));
    parser.addHelpOption();
    const QCommandLineOption catalogURL(QStringLiteral("catalog-url"),
        QStringLiteral("Catalog address (default: environment, settings, then the built-in address)."),
        QStringLiteral("URL"));
    const QCommandLineOption cacheDir(QStringLiteral("cache-dir"),
        QStringLiteral("Cache folder (default: $XDG_DATA_HOME/Quarnwell/AI)."), QStringLiteral("DIR"));
    const QCommandLineOption force(
        QStringLiteral("force"), QStringLiteral("Check even when the cache is fresh."));
    const QCommandLineOption ollama(QStringLiteral("ollama"), QStringLiteral("Ollama base address."),
        QStringLiteral("URL"), QString::fromLatin1(ZunoAIModelCatalogStore::kOllamaBaseURL));
    const QCommandLineOption lmStudio(QStringLiteral("lmstudio"), QStringLiteral("LM Studio base address."),
        QStringLiteral("URL"), QString::fromLatin1(ZunoAIModelCatalogStore::kLMStudioBaseURL));
    const QCommandLineOption noDiscovery(
        QStringLiteral("no-discovery"), QStringLiteral("Do not probe the local servers."));
    parser.addOptions({ catalogURL, cacheDir, force, ollama, lmStudio, noDiscovery });
    parser.process(app);

    const auto optionalValue = [&](const QCommandLineOption &option) {
        return parser.isSet(option) ? std::optional<QString>(parser.value(option)) : std::nullopt;
    };
    const auto session = std::make_shared<CountingSession>();
    ZunoAIModelRegistry registry(optionalValue(cacheDir), optionalValue(catalogURL), session);

    const auto loaded = registry.loadCurrent();
    print(QStringLiteral("cache: %1").arg(registry.cacheDirectory()));
    print(QStringLiteral("loaded: %1 %2").arg(rawValue(loaded.second.origin), loaded.first.catalogVersion));

    const ZunoAIModelRegistry::SyncResult synced = registry.syncIfNeeded(parser.isSet(force));
    print(QStringLiteral("source: %1").arg(synced.meta.sourceUrl));
    print(QStringLiteral("origin: %1").arg(rawValue(synced.meta.origin)));
    print(QStringLiteral("catalogVersion: %1").arg(synced.document.catalogVersion));
    print(QStringLiteral("providers: %1").arg(synced.document.providers.size()));
    print(QStringLiteral("models: %1").arg(synced.document.models.size()));
    print(QStringLiteral("requests: %1").arg(session->requests.load()));
    print(QStringLiteral("updated: %1").arg(synced.updated ? QStringLiteral("yes") : QStringLiteral("no")));
    print(QStringLiteral("etag: %1").arg(orDash(synced.meta.etag)));
    print(QStringLiteral("lastCheckedAt: %1").arg(orDash(synced.meta.lastCheckedAt)));
    print(QStringLiteral("lastSyncedAt: %1").arg(orDash(synced.meta.lastSyncedAt)));

    if (parser.isSet(noDiscovery))
        return 0;
    const QList<ZunoAIDiscoveredLocalModel> local
        = registry.discoverLocalModels(parser.value(ollama), parser.value(lmStudio));
    print(QStringLiteral("local models: %1").arg(local.size()));
    for (const ZunoAIDiscoveredLocalModel &model : local) {
        const QString size
            = model.sizeBytes ? ZunoByteFormatter::format(*model.sizeBytes) : QStringLiteral("-");
        const QString match
            = model.catalogMatch ? model.catalogMatch->id : QStringLiteral("no catalog entry");
        print(QStringLiteral("  %1  \"%2\"  size %3  -> %4").arg(model.id, model.displayName, size, match));
    }
    return 0;
}
