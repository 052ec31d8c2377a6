#pragma once

#include "ZunoMainThread.h"

#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// A one-slot hand-over from a worker thread to the main thread: put() keeps only the newest value and
// posts one wake-up only when none is pending, so a busy main thread never piles up values (a camera
// frame is megabytes). The wake-up delivers the newest value to `deliver` on the main thread, unless
// the receiver is gone or detach() was called. Held by shared pointer; put() from any thread.
template <typename T> class CamStudioHandOver : public std::enable_shared_from_this<CamStudioHandOver<T>> {
public:
    using Deliver = std::function<void(T value)>;

    static std::shared_ptr<CamStudioHandOver> make(QObject *receiver, Deliver deliver)
    {
        return std::shared_ptr<CamStudioHandOver>(new CamStudioHandOver(receiver, std::move(deliver)));
    }

    void put(T value)
    {
        std::lock_guard lock(m_lock);
        m_slot = std::move(value);
        if (m_wakePending || !m_receiver)
            return;
        m_wakePending = true;
        // Posted under the lock, so detach() cannot let the receiver go while the post names it.
        ZunoMainThread::post(m_receiver, [self = this->shared_from_this()] { self->deliverNewest(); });
    }

    // Main thread: no delivery after this returns.
    void detach()
    {
        std::lock_guard lock(m_lock);
        m_receiver = nullptr;
        m_slot.reset();
    }

private:
    CamStudioHandOver(QObject *receiver, Deliver deliver)
        : m_receiver(receiver)
        , m_deliver(std::move(deliver))
    {
    }

    void deliverNewest()
    {
        std::optional<T> value;
        {
            std::lock_guard lock(m_lock);
            m_wakePending = false;
            if (!m_receiver)
                return;
            value = std::exchange(m_slot, std::nullopt);
        }
        if (value)
            m_deliver(std::move(*value));
    }

    std::mutex m_lock;
    QObject *m_receiver;
    Deliver m_deliver;
    std::optional<T> m_slot;
    bool m_wakePending = false;
};
