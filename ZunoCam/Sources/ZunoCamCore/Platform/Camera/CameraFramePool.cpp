#include "CameraFramePool.h"

CameraPixelBuffer CameraFramePool::acquire(int width, int height)
{
    for (CameraPixelBuffer &buffer : m_buffers) {
        if (buffer.isDetached()) {
            buffer.ensure(width, height);
            return buffer;
        }
    }
    CameraPixelBuffer fresh(width, height);
    if (static_cast<int>(m_buffers.size()) < m_capacity)
        m_buffers.push_back(fresh);
    return fresh;
}
