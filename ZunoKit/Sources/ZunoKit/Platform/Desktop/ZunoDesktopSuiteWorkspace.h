#pragma once

#include "ZunoSuiteWorkspace.h"

#include <QDBusConnection>

// The suite workspace of a Linux desktop: running applications are the well-known names of the
// session bus and this user's processes in /proc; activation is org.freedesktop.Application's
// Activate; desktop entries are started by ZunoDesktopEntryLauncher; installed entries live in the
// XDG data folders.
class ZunoDesktopSuiteWorkspace final : public ZunoSuiteWorkspace {
public:
    explicit ZunoDesktopSuiteWorkspace(const QDBusConnection &connection = QDBusConnection::sessionBus());

    std::vector<ZunoRunningApplication> runningApplications() override;
    void activate(const QString &busName) override;
    ZunoDesktopEntryStart openDesktopEntry(const QString &path, bool activates) override;
    // $XDG_DATA_HOME/applications, then applications/ of each $XDG_DATA_DIRS folder (unset or empty:
    // /usr/local/share, /usr/share); relative folders are ignored, as XDG asks.
    QStringList applicationFolders() override;

    // The object path that a bus name's owner exports its application object at: dots to slashes,
    // dashes to underscores ("com.quarnwell.ZunoRAM" → "/com/quarnwell/ZunoRAM").
    static QString objectPathForBusName(const QString &busName);

private:
    QDBusConnection m_connection;
};
