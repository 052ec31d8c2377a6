#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include <mutex>

// The one shared instance of a QObject service, owned by the application object and living on the
// main thread whichever thread asks first: made there, then moved over, and parented to the
// application from the main thread, so that it is deleted with it. Null before the application
// exists. Safe to call from any thread.
template <typename T, typename Make> T *zunoApplicationSingleton(Make make)
{
    static std::mutex mutex;
    static QPointer<T> instance;
    std::lock_guard lock(mutex);
    QCoreApplication *app = QCoreApplication::instance();
    if (instance || !app)
        return instance;
    T *created = make();
    if (created->thread() != app->thread())
        created->moveToThread(app->thread());
    if (QThread::currentThread() == app->thread()) {
        created->setParent(app);
    } else {
        QMetaObject::invokeMethod(
            app,
            [created = QPointer<T>(created), app] {
                if (created)
                    created->setParent(app);
            },
            Qt::QueuedConnection);
    }
    instance = created;
    return instance;
}
