#include "TeleprompterRemoteHostNames.h"

TeleprompterRemoteHostNames::TeleprompterRemoteHostNames(
    Gather gather, std::chrono::milliseconds refreshInterval, Clock clock)
    : m_gather(std::move(gather))
    , m_clock(std::move(clock))
    , m_refreshInterval(refreshInterval)
{
}

bool TeleprompterRemoteHostNames::contains(const QString &host)
{
    std::lock_guard lock(m_mutex);
    if (m_names.contains(host))
        return true;
    const auto now = m_clock();
    if (m_gatheredAt && now - *m_gatheredAt < m_refreshInterval)
        return false;
    m_names = m_gather();
    m_gatheredAt = now;
    return m_names.contains(host);
}

void TeleprompterRemoteHostNames::reset()
{
    std::lock_guard lock(m_mutex);
    m_names.clear();
    m_gatheredAt.reset();
}
