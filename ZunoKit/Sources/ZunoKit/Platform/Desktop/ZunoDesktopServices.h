#pragma once

#include <QString>
#include <QUrl>

#include <memory>

// The desktop's workspace: showing a file in the file manager and opening locations with their
// default application. A small interface so tests can stand in for the desktop. Call from the main
// thread.
class ZunoDesktopServices {
public:
    virtual ~ZunoDesktopServices() = default;

    // Shows the file's folder in the file manager with the file selected.
    virtual void revealFile(const QString &path) = 0;
    // Opens a URL (a folder, a file, a web page) with the desktop's default handler.
    virtual void openUrl(const QUrl &url) = 0;

    // The process's desktop services, unless a test replaced them: the file manager is asked over
    // D-Bus (org.freedesktop.FileManager1) and, where none answers, the folder is opened instead.
    static std::shared_ptr<ZunoDesktopServices> shared();
    // Replaces the process's desktop services and returns the replaced ones; null restores the desktop.
    static std::shared_ptr<ZunoDesktopServices> replaceShared(std::shared_ptr<ZunoDesktopServices> services);
};
