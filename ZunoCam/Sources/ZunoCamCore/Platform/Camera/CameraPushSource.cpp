#include "CameraPushSource.h"

CameraPushSource::CameraPushSource(CameraDeviceDescriptor descriptor)
    : m_descriptor(std::move(descriptor))
{
}

bool CameraPushSource::open(QString &errorDescription)
{
    std::lock_guard lock(m_lock);
    if (m_open)
        return true;
    if (!m_openFailure.isEmpty()) {
        errorDescription = m_openFailure;
        return false;
    }
    m_open = true;
    ++m_openCount;
    return true;
}

bool CameraPushSource::isOpen() const
{
    std::lock_guard lock(m_lock);
    return m_open;
}

bool CameraPushSource::start(Sink sink)
{
    if (!isOpen()) {
        QString ignored;
        if (!open(ignored))
            return false;
    }
    std::lock_guard lock(m_lock);
    if (!m_running) {
        m_sink = std::move(sink);
        m_running = true;
        m_runningChanged.notify_all();
    }
    return true;
}

void CameraPushSource::stop()
{
    std::lock_guard delivery(m_deliveryLock);
    std::lock_guard lock(m_lock);
    m_running = false;
    m_open = false;
    m_sink = nullptr;
}

bool CameraPushSource::isRunning() const
{
    std::lock_guard lock(m_lock);
    return m_running;
}

bool CameraPushSource::push(CameraFrameSample sample)
{
    std::lock_guard delivery(m_deliveryLock);
    Sink sink;
    {
        std::lock_guard lock(m_lock);
        if (!m_running)
            return false;
        sink = m_sink;
    }
    sink(std::move(sample));
    return true;
}

void CameraPushSource::setOpenFailure(const QString &reason)
{
    std::lock_guard lock(m_lock);
    m_openFailure = reason;
}

int CameraPushSource::openCount() const
{
    std::lock_guard lock(m_lock);
    return m_openCount;
}

bool CameraPushSource::waitUntilRunning(std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_lock);
    return m_runningChanged.wait_for(lock, limit, [this] { return m_running; });
}

void CameraPushSource::endStream()
{
    std::lock_guard delivery(m_deliveryLock);
    std::lock_guard lock(m_lock);
    m_running = false;
    m_sink = nullptr;
}
