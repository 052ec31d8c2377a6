#pragma once

#include "CameraFrameSample.h"

#include <cstdint>
#include <mutex>
#include <optional>

// A one-slot mailbox between a capture thread and the video queue: it keeps only the newest frame
// not yet taken, so a slow consumer drops late frames instead of building a backlog. Thread-safe.
class CameraFrameMailbox {
public:
    // Stores the frame. True when the slot was empty (the consumer needs waking); false when an
    // undelivered frame was replaced (and counted as dropped).
    bool put(CameraFrameSample &&sample);
    // The newest undelivered frame, if any, leaving the slot empty.
    std::optional<CameraFrameSample> take();
    // Drops an undelivered frame without counting it.
    void clear();

    std::uint64_t deliveredFrames() const;
    std::uint64_t droppedFrames() const;

private:
    mutable std::mutex m_lock;
    std::optional<CameraFrameSample> m_slot;
    std::uint64_t m_delivered = 0;
    std::uint64_t m_dropped = 0;
};
