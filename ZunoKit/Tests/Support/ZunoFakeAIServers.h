#pragma once

#include "ZunoAIModelCatalogStore.h"
#include "ZunoAIModelRegistry.h"
#include "ZunoFakeHttpServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>

#include <memory>

// A model catalog store for views' tests and galleries that never leaves the machine: a temporary
// cache, and one loopback server that serves a test catalog and answers as Ollama and LM Studio.
// Header only; its users link ZunoKitCore and ZunoFakeHttp.
class ZunoFakeAIServers {
public:
    // The card's rows on this catalog: the built-in catalog with cloud models added, two Ollama models
    // (one the catalog knows) and one LM Studio model. (The registry takes no catalog without models;
    // a card without any catalog is one without a store.)
    static constexpr int kTestRowCount = 40;

    ZunoFakeAIServers()
        : m_registry(std::make_shared<ZunoAIModelRegistry>(
            m_cache.path(), QString::fromLatin1(m_server.url("/models.json"))))
    {
        ZunoAIModelCatalogDocument document = ZunoAIModelRegistry::loadBundledFallback();
        document.catalogVersion = QStringLiteral("fake-1");
        addCloudModels(document);
        m_server.route("GET", "/models.json", ZunoFakeHttpServer::Reply::text(200, document.encoded()));
        m_server.route("GET", "/api/tags",
            ZunoFakeHttpServer::Reply::text(200,
                R"({"models": [{"name": "llama3.2", "size": 2019393189},)"
                R"( {"name": "phi4-mini:latest", "size": 2491876774}]})"));
        m_server.route("GET", "/v1/models",
            ZunoFakeHttpServer::Reply::text(200, R"({"data": [{"id": "qwen2.5-7b-instruct"}]})"));
        m_store = std::make_unique<ZunoAIModelCatalogStore>(
            m_registry, QString::fromLatin1(m_server.url("")), QString::fromLatin1(m_server.url("/v1")));
    }

    ZunoAIModelCatalogStore *store() const { return m_store.get(); }
    // Where the test catalog is served, for stores that probe other local servers.
    QString catalogURL() { return QString::fromLatin1(m_server.url("/models.json")); }
    ZunoFakeHttpServer &server() { return m_server; }

    // Syncs the catalog and finds the local models; false when that did not end within `timeoutMs`.
    bool load(int timeoutMs = 20000)
    {
        const QFuture<void> done = m_store->refresh(true, true);
        const QDeadlineTimer deadline(timeoutMs);
        while (!done.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();
        return done.isFinished();
    }

private:
    // Cloud models of made-up vendors; names repeat a few words so that searches find groups.
    static void addCloudModels(ZunoAIModelCatalogDocument &document)
    {
        const ZunoAIModelSpec *templateModel = nullptr;
        for (const ZunoAIModelSpec &model : document.models) {
            if (model.id == QLatin1String("openai/gpt-5-mini"))
                templateModel = &model;
        }
        if (!templateModel)
            return;
        const ZunoAIModelSpec base = *templateModel;
        // Built-in: 9 rows besides the 3 managed ones; the discovery adds 2 rows of its own.
        const int added = kTestRowCount - 3 - 9 - 2;
        const char *words[] = { "Nova", "Pro", "Lite", "Vision", "Reasoner", "Mini", "Max" };
        for (int i = 0; i < added; ++i) {
            ZunoAIModelSpec model = base;
            const QString name
                = QStringLiteral("Test %1 %2").arg(QString::fromLatin1(words[i % 7])).arg(i + 1);
            model.apiModelId = QStringLiteral("test-model-%1").arg(i + 1);
            model.id = QStringLiteral("openai/") + model.apiModelId;
            model.aliases.clear();
            model.displayName = name;
            model.vendor = QStringLiteral("Test Lab");
            model.sortOrder = 10 + i;
            model.capabilities.vision = i % 3 == 0;
            model.capabilities.reasoning = i % 4 == 0;
            if (model.pricing)
                model.pricing->inputPer1M = 0.1 * (i % 8) * (i % 8);
            document.models.append(model);
        }
    }

    QTemporaryDir m_cache;
    ZunoFakeHttpServer m_server;
    std::shared_ptr<ZunoAIModelRegistry> m_registry;
    std::unique_ptr<ZunoAIModelCatalogStore> m_store;
};
