#include "ZunoSerialQueue.h"

#include <future>

#include <pthread.h>

ZunoSerialQueue::ZunoSerialQueue(const QString &label)
    : m_label(label)
{
    m_thread = std::thread([this] { run(); });
    // Thread names are limited to 15 bytes: keep the label's end, which is the distinctive part.
    const QByteArray name = label.toUtf8().right(15);
    pthread_setname_np(m_thread.native_handle(), name.constData());
}

ZunoSerialQueue::~ZunoSerialQueue()
{
    stop();
}

void ZunoSerialQueue::async(std::function<void()> task)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

void ZunoSerialQueue::sync(const std::function<void()> &task)
{
    if (isCurrent()) {
        task();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    bool queued = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_stopping) {
            m_tasks.push_back([&] {
                task();
                done.set_value();
            });
            queued = true;
        }
    }
    if (!queued)
        return;
    m_wake.notify_one();
    finished.wait();
}

void ZunoSerialQueue::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable() && !isCurrent())
        m_thread.join();
}

bool ZunoSerialQueue::isCurrent() const
{
    return std::this_thread::get_id() == m_thread.get_id();
}

void ZunoSerialQueue::run()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}
