#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// One named thread running tasks in order, one at a time. The destructor
// runs what is already queued, then joins.
class ZunoSerialQueue {
public:
    explicit ZunoSerialQueue(const QString &label);
    ~ZunoSerialQueue();
    ZunoSerialQueue(const ZunoSerialQueue &) = delete;
    ZunoSerialQueue &operator=(const ZunoSerialQueue &) = delete;

    // Queues a task; ignored after stop().
    void async(std::function<void()> task);
    // Runs a task and waits for it; runs inline when called on the queue's own thread.
    void sync(const std::function<void()> &task);
    // Refuses new tasks, finishes the queued ones and joins the thread. Idempotent.
    void stop();

    bool isCurrent() const;
    QString label() const { return m_label; }

private:
    void run();

    QString m_label;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_stopping = false;
    std::thread m_thread;
};
