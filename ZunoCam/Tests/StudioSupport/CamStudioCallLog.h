#pragma once

#include <QString>
#include <QStringList>

#include <mutex>

// The calls the fakes saw, in order, from any thread: lets a test check the order of start-up steps.
class CamStudioCallLog {
public:
    void add(const QString &call)
    {
        std::lock_guard lock(m_lock);
        m_calls.append(call);
    }
    QStringList calls() const
    {
        std::lock_guard lock(m_lock);
        return m_calls;
    }
    int count(const QString &call) const
    {
        std::lock_guard lock(m_lock);
        return static_cast<int>(m_calls.count(call));
    }

private:
    mutable std::mutex m_lock;
    QStringList m_calls;
};
