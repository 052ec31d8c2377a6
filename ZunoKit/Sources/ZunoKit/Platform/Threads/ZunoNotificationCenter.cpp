#include "ZunoNotificationCenter.h"

#include <algorithm>

ZunoNotificationCenter &ZunoNotificationCenter::shared()
{
    static ZunoNotificationCenter center;
    return center;
}

ZunoNotificationCenter::Token ZunoNotificationCenter::addObserver(
    const QString &name, QObject *context, Observer observer)
{
    std::lock_guard lock(m_mutex);
    const Token token = m_nextToken++;
    m_entries.push_back({ token, name, context != nullptr, QPointer<QObject>(context),
        std::make_shared<Observer>(std::move(observer)) });
    return token;
}

void ZunoNotificationCenter::removeObserver(Token token)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [token](const Entry &e) { return e.token == token; });
}

void ZunoNotificationCenter::post(const QString &name, const QVariant &payload)
{
    std::vector<std::shared_ptr<Observer>> targets;
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_entries, [](const Entry &e) { return e.guarded && !e.context; });
        for (const auto &e : m_entries) {
            if (e.name.isEmpty() || e.name == name)
                targets.push_back(e.observer);
        }
    }
    for (const auto &observer : targets)
        (*observer)(name, payload);
}
