#pragma once

#include "CamStudioCallLog.h"
#include "CamStudioDocumentStore.h"

#include <atomic>
#include <memory>

// The real document store in a given folder, counting its reads and writes.
class CountingDocumentStore : public CamStudioDocumentStore {
public:
    CountingDocumentStore(const QString &directory, std::shared_ptr<CamStudioCallLog> log)
        : m_store(directory)
        , m_log(std::move(log))
    {
    }

    CamPersistedPayload load() override
    {
        m_log->add(QStringLiteral("store.load"));
        ++m_loads;
        return m_store.load();
    }
    CamScriptStore::SaveResult save(const CamPersistedPayload &payload) override
    {
        ++m_saves;
        return m_store.save(payload);
    }
    void setMessageHandler(CamScriptStore::MessageHandler handler) override
    {
        m_store.setMessageHandler(std::move(handler));
    }

    int loads() const { return m_loads; }
    int saves() const { return m_saves; }
    QString fileURL() const { return m_store.fileURL(); }

private:
    CamScriptStore m_store;
    std::shared_ptr<CamStudioCallLog> m_log;
    std::atomic<int> m_loads { 0 };
    std::atomic<int> m_saves { 0 };
};
