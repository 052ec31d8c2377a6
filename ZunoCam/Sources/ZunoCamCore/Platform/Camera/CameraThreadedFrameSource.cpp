#include "CameraThreadedFrameSource.h"

CameraThreadedFrameSource::CameraThreadedFrameSource(CameraDeviceDescriptor descriptor)
    : m_descriptor(std::move(descriptor))
{
}

CameraThreadedFrameSource::~CameraThreadedFrameSource()
{
    // A subclass has already shut down; this only guards against one that forgot.
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_lock);
            m_stopRequested = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
}

bool CameraThreadedFrameSource::open(QString &errorDescription)
{
    std::lock_guard lock(m_lock);
    if (m_open)
        return true;
    if (!openDevice(errorDescription))
        return false;
    m_open = true;
    return true;
}

bool CameraThreadedFrameSource::isOpen() const
{
    std::lock_guard lock(m_lock);
    return m_open;
}

bool CameraThreadedFrameSource::start(Sink sink)
{
    std::lock_guard lock(m_lock);
    if (m_running && !m_ended)
        return true;
    if (m_thread.joinable())
        m_thread.join(); // a capture loop that ended on its own (it no longer needs the lock)
    if (!m_open) {
        QString ignored;
        if (!openDevice(ignored))
            return false;
        m_open = true;
    }
    m_stopRequested = false;
    m_ended = false;
    m_running = true;
    m_thread = std::thread([this, sink = std::move(sink)] {
        run(sink);
        std::lock_guard ended(m_lock);
        m_ended = true;
    });
    return true;
}

void CameraThreadedFrameSource::stop()
{
    std::thread thread;
    {
        std::lock_guard lock(m_lock);
        m_stopRequested = true;
        thread = std::move(m_thread);
    }
    m_wake.notify_all();
    interrupt();
    if (thread.joinable())
        thread.join();
    std::lock_guard lock(m_lock);
    if (m_open)
        closeDevice();
    m_open = false;
    m_running = false;
}

bool CameraThreadedFrameSource::isRunning() const
{
    std::lock_guard lock(m_lock);
    return m_running && !m_ended;
}

bool CameraThreadedFrameSource::stopRequested() const
{
    std::lock_guard lock(m_lock);
    return m_stopRequested;
}

bool CameraThreadedFrameSource::waitUntil(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(m_lock);
    m_wake.wait_until(lock, deadline, [this] { return m_stopRequested; });
    return !m_stopRequested;
}

void CameraThreadedFrameSource::shutDown()
{
    stop();
}
