#pragma once

#include "CameraPixelBuffer.h"

#include <vector>

// A few BGRA buffers that a capture thread writes frames into. A buffer comes back into use once no
// one else holds it (the mailbox, the video queue and the preview let go), so steady capture
// allocates nothing. Used by one thread.
class CameraFramePool {
public:
    explicit CameraFramePool(int capacity = 4)
        : m_capacity(capacity)
    {
    }

    // A buffer of that size that no one else holds; a new one when every pooled buffer is in use.
    CameraPixelBuffer acquire(int width, int height);

private:
    int m_capacity;
    std::vector<CameraPixelBuffer> m_buffers;
};
