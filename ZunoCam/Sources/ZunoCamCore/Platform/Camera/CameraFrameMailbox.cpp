#include "CameraFrameMailbox.h"

bool CameraFrameMailbox::put(CameraFrameSample &&sample)
{
    std::optional<CameraFrameSample> replaced;
    bool wasEmpty;
    {
        std::lock_guard lock(m_lock);
        wasEmpty = !m_slot.has_value();
        if (!wasEmpty) {
            ++m_dropped;
            replaced = std::move(m_slot); // released outside the lock
        }
        m_slot = std::move(sample);
    }
    return wasEmpty;
}

std::optional<CameraFrameSample> CameraFrameMailbox::take()
{
    std::lock_guard lock(m_lock);
    std::optional<CameraFrameSample> sample = std::move(m_slot);
    m_slot.reset();
    if (sample)
        ++m_delivered;
    return sample;
}

void CameraFrameMailbox::clear()
{
    std::optional<CameraFrameSample> dropped;
    std::lock_guard lock(m_lock);
    dropped = std::move(m_slot);
    m_slot.reset();
}

std::uint64_t CameraFrameMailbox::deliveredFrames() const
{
    std::lock_guard lock(m_lock);
    return m_delivered;
}

std::uint64_t CameraFrameMailbox::droppedFrames() const
{
    std::lock_guard lock(m_lock);
    return m_dropped;
}
