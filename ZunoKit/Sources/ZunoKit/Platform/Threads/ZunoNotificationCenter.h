#pragma once

#include <QPointer>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

class QObject;

// In-process notifications by name with a payload. Observers run synchronously on the posting
// thread, without the centre's lock held, so an observer may add or remove observers.
class ZunoNotificationCenter {
public:
    using Observer = std::function<void(const QString &name, const QVariant &payload)>;
    using Token = std::uint64_t;

    static ZunoNotificationCenter &shared();

    // `name` empty observes every notification. With a `context`, the observer stops when that
    // object is destroyed.
    Token addObserver(const QString &name, QObject *context, Observer observer);
    void removeObserver(Token token);
    void post(const QString &name, const QVariant &payload = {});

private:
    struct Entry {
        Token token;
        QString name;
        bool guarded;
        QPointer<QObject> context;
        std::shared_ptr<Observer> observer;
    };
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
    Token m_nextToken = 1;
};
