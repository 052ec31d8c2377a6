#include "ZunoLoopbackCancelSignal.h"

#include <fcntl.h>
#include <unistd.h>

ZunoLoopbackCancelSignal::ZunoLoopbackCancelSignal()
{
    int ends[2] = { -1, -1 };
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_readFD = ends[0];
        m_writeFD = ends[1];
    }
}

ZunoLoopbackCancelSignal::~ZunoLoopbackCancelSignal()
{
    close();
}

void ZunoLoopbackCancelSignal::cancel()
{
    std::lock_guard lock(m_lock);
    m_cancelled = true;
    if (m_writeFD >= 0) {
        const char byte = 1;
        // A full pipe already wakes the loop; nothing to do about a failed write.
        [[maybe_unused]] const ssize_t written = ::write(m_writeFD, &byte, 1);
    }
}

bool ZunoLoopbackCancelSignal::isCancelled() const
{
    std::lock_guard lock(m_lock);
    return m_cancelled;
}

int ZunoLoopbackCancelSignal::readFD() const
{
    std::lock_guard lock(m_lock);
    return m_readFD;
}

void ZunoLoopbackCancelSignal::close()
{
    std::lock_guard lock(m_lock);
    for (int *fd : { &m_readFD, &m_writeFD }) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}
