#include "CamStudioDocumentWriter.h"

#include "CamStudioDocumentStore.h"

CamStudioDocumentWriter::CamStudioDocumentWriter(CamStudioDocumentStore &store, ResultHandler onResult)
    : m_store(store)
    , m_onResult(std::move(onResult))
    , m_queue(QStringLiteral("com.quarnwell.zunocam.document"))
{
}

CamStudioDocumentWriter::~CamStudioDocumentWriter()
{
    m_queue.stop();
}

void CamStudioDocumentWriter::submit(CamPersistedPayload payload)
{
    bool schedule = false;
    {
        std::lock_guard lock(m_lock);
        schedule = !m_waiting.has_value();
        m_waiting = std::move(payload);
        m_failed.reset(); // superseded: the newer document carries the change
    }
    // A task already queued for the waiting slot takes the newer document.
    if (schedule)
        m_queue.async([this] { writeNext(); });
}

bool CamStudioDocumentWriter::flush(std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_lock);
    return m_idle.wait_for(lock, limit, [this] { return !m_waiting && !m_writing; });
}

bool CamStudioDocumentWriter::retry()
{
    {
        std::lock_guard lock(m_lock);
        if (!m_failed || m_waiting)
            return false;
        m_waiting = std::exchange(m_failed, std::nullopt);
    }
    m_queue.async([this] { writeNext(); });
    return true;
}

std::optional<QString> CamStudioDocumentWriter::unsavedReason() const
{
    std::lock_guard lock(m_lock);
    if (m_failed)
        return m_failure;
    return std::nullopt;
}

void CamStudioDocumentWriter::writeNext()
{
    std::optional<CamPersistedPayload> payload;
    {
        std::lock_guard lock(m_lock);
        payload = std::exchange(m_waiting, std::nullopt);
        m_writing = payload.has_value();
    }
    if (!payload)
        return;
    const CamScriptStore::SaveResult result = m_store.save(*payload);
    // Reported before the writer counts as idle, so a flush that returns has seen every result.
    if (m_onResult)
        m_onResult(result);
    {
        std::lock_guard lock(m_lock);
        m_writing = false;
        // Kept for a retry unless a newer document already waits.
        if (!result.ok && !m_waiting) {
            m_failed = std::move(payload);
            m_failure = result.message;
        }
    }
    m_idle.notify_all();
}
