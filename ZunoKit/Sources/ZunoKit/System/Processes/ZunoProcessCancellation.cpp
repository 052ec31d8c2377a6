#include "ZunoProcessCancellation.h"

#include "ZunoChildProcess.h"

bool ZunoProcessCancellation::isCancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

void ZunoProcessCancellation::attach(const std::weak_ptr<ZunoChildProcess> &process)
{
    std::lock_guard lock(m_mutex);
    m_process = process;
    if (!m_cancelled)
        return;
    if (const auto child = m_process.lock())
        child->terminate();
}

void ZunoProcessCancellation::cancel()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (const auto child = m_process.lock())
        child->terminate();
}

void ZunoProcessCancellation::kill()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (const auto child = m_process.lock())
        child->kill();
}
