#include "ZunoDesktopServices.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDesktopServices>
#include <QObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

const char *const kFileManager = "org.freedesktop.FileManager1";

// Stands in for the desktop's file manager on the test session bus.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList &uris, const QString &startupId)
    {
        emit shown(uris, startupId);
    }

signals:
    void shown(const QStringList &uris, const QString &startupId);
};

// Receives what QDesktopServices would have handed to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT

public slots:
    void open(const QUrl &url) { emit opened(url); }

signals:
    void opened(const QUrl &url);
};

} // namespace

// One test, not two: the fake file manager's bus name is process-wide on the shared test bus.
TEST(ZunoDesktopServices, RevealSelectsTheFileInTheFileManagerElseOpensTheFolder)
{
    QDBusConnection bus
        = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "zuno-fake-file-manager");
    if (!bus.isConnected())
        GTEST_SKIP() << "no D-Bus session bus";
    if (bus.interface()->isServiceRegistered(kFileManager))
        GTEST_SKIP() << "a file manager already answers on this bus";
    QTemporaryDir dir;
    const QString path = dir.filePath("logs with space/zunocam.log");

    // No file manager on the bus: the folder is opened through the desktop's URL handling.
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QSignalSpy opened(&catcher, &UrlCatcher::opened);
    ZunoDesktopServices::shared()->revealFile(path);
    const bool arrived = opened.wait(5000);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_TRUE(arrived);
    EXPECT_EQ(opened.first().at(0).toUrl(), QUrl::fromLocalFile(dir.filePath("logs with space")));

    FakeFileManager fileManager;
    ASSERT_TRUE(bus.registerObject(
        "/org/freedesktop/FileManager1", &fileManager, QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(bus.registerService(kFileManager));
    QSignalSpy shown(&fileManager, &FakeFileManager::shown);
    ZunoDesktopServices::shared()->revealFile(path);
    const bool called = shown.wait(5000);
    bus.unregisterService(kFileManager);
    bus.unregisterObject("/org/freedesktop/FileManager1");
    ASSERT_TRUE(called);
    const QStringList uris = shown.first().at(0).toStringList();
    EXPECT_EQ(uris, QStringList { QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) });
    EXPECT_TRUE(uris.value(0).contains("logs%20with%20space"));
}

#include "ZunoDesktopServicesTest.moc"
