#include "ZunoDesktopServices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>

#include <mutex>

namespace {

const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString kFileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

void openWithDefaultHandler(const QUrl &url)
{
    // QDesktopServices needs the GUI application's platform services.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QDesktopServices::openUrl(url);
}

class ZunoFreedesktopServices final : public ZunoDesktopServices {
public:
    void revealFile(const QString &path) override
    {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        const QUrl folder = QUrl::fromLocalFile(QFileInfo(absolute).absolutePath());
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) {
            openWithDefaultHandler(folder);
            return;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            kFileManagerService, kFileManagerPath, kFileManagerService, QStringLiteral("ShowItems"));
        call << QStringList { QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded) } << QString();
        // Asynchronous: starting a file manager can take a while, and the caller is the main thread.
        auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
            [folder](QDBusPendingCallWatcher *finished) {
                if (finished->isError())
                    openWithDefaultHandler(folder);
                finished->deleteLater();
            });
    }

    void openUrl(const QUrl &url) override { openWithDefaultHandler(url); }
};

std::mutex &sharedMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<ZunoDesktopServices> &sharedServices()
{
    static std::shared_ptr<ZunoDesktopServices> services = std::make_shared<ZunoFreedesktopServices>();
    return services;
}

} // namespace

std::shared_ptr<ZunoDesktopServices> ZunoDesktopServices::shared()
{
    std::lock_guard lock(sharedMutex());
    return sharedServices();
}

std::shared_ptr<ZunoDesktopServices> ZunoDesktopServices::replaceShared(
    std::shared_ptr<ZunoDesktopServices> services)
{
    std::lock_guard lock(sharedMutex());
    if (!services)
        services = std::make_shared<ZunoFreedesktopServices>();
    sharedServices().swap(services);
    return services;
}
