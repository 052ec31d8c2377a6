#include "ZunoMainThread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace ZunoMainThread {

bool isMainThread()
{
    const auto *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void post(QObject *context, std::function<void()> fn)
{
    auto *app = QCoreApplication::instance();
    if (!app || !fn)
        return;
    const bool guarded = context != nullptr;
    QMetaObject::invokeMethod(
        app,
        [guard = QPointer<QObject>(context), guarded, fn = std::move(fn)] {
            if (guarded && !guard)
                return;
            fn();
        },
        Qt::QueuedConnection);
}

} // namespace ZunoMainThread
