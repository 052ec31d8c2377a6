#pragma once

#include "CamPersistedPayload.h"
#include "CamScriptStore.h"
#include "ZunoSerialQueue.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

class CamStudioDocumentStore;

// Saves the studio document on one serial writer thread, so the main thread never waits on the disk
// (the atomic write syncs, and a slider drag saves on every step). A document still waiting is
// replaced by a newer one: the last state always reaches the disk, and saves happen in order.
//
// submit() and flush() are called from the owner's thread; `onResult` runs on the writer thread after
// each save. The destructor writes what is still waiting, then joins.
class CamStudioDocumentWriter {
public:
    using ResultHandler = std::function<void(const CamScriptStore::SaveResult &result)>;

    CamStudioDocumentWriter(CamStudioDocumentStore &store, ResultHandler onResult);
    ~CamStudioDocumentWriter();
    CamStudioDocumentWriter(const CamStudioDocumentWriter &) = delete;
    CamStudioDocumentWriter &operator=(const CamStudioDocumentWriter &) = delete;

    void submit(CamPersistedPayload payload);
    // Waits until every submitted document is saved (or failed) and its result reported, at most
    // `limit`; false when the time ran out first.
    bool flush(std::chrono::milliseconds limit);
    // Queues the pending failed document again; false when there is none (or a newer one waits).
    bool retry();
    // Why the newest document is not on disk, once its save has failed; none when it was saved.
    std::optional<QString> unsavedReason() const;

private:
    void writeNext();

    CamStudioDocumentStore &m_store;
    ResultHandler m_onResult;
    mutable std::mutex m_lock;
    std::condition_variable m_idle;
    std::optional<CamPersistedPayload> m_waiting;
    bool m_writing = false;
    std::optional<CamPersistedPayload> m_failed; // the newest document, its save failed
    QString m_failure;
    ZunoSerialQueue m_queue; // last: stopped and joined before the rest goes
};
