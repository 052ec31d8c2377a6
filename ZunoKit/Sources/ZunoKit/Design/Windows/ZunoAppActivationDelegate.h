#pragma once

#include "ZunoBundle.h"

#include <QObject>
#include <QString>

// The application's start and return to the front: it writes the "lifecycle" launch line, brings the
// studio window forward shortly after launch, and answers a reactivation (a second launch of the
// studio) by bringing the window forward, or, when no window is visible, by posting the reopen
// notification for the application to reopen its studio window. Main thread only.
class ZunoAppActivationDelegate : public QObject {
    Q_OBJECT
public:
    // Posted through `ZunoNotificationCenter` with no payload.
    static constexpr char kReopenStudioWindowNotification[] = "com.quarnwell.reopenStudioWindow";
    static constexpr int kActivationDelayMs = 100;

    // Reads the name and version of `bundle` (the main bundle unless given).
    explicit ZunoAppActivationDelegate(QObject *parent = nullptr);
    explicit ZunoAppActivationDelegate(const ZunoBundle &bundle, QObject *parent = nullptr);

    // Logs "<name> v<version> (<build>) launched (<system>)" at info in "lifecycle" with the
    // application's logger, then schedules bringing the studio window forward 0.1 s later, unless the
    // delegate is gone by then.
    void applicationDidFinishLaunching();
    // Brings the studio window forward when `hasVisibleWindows`; posts the reopen notification when
    // there are none or when the visible ones are only panels. Always true.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);

    // The first top-level window (in creation order) that is a normal window or dialog, not a tool
    // panel, and shown: restored when minimised, raised and activated. False when there is none.
    static bool bringStudioWindowToFront();
    // Whether a top-level window is shown and not minimised.
    static bool hasVisibleWindows();

    // "CFBundleDisplayName", else "CFBundleName" (each only when it is text), else the process name.
    static QString applicationName(const ZunoBundle &bundle);
    // The operating system as it names itself, for example "Debian GNU/Linux 12 (bookworm)".
    static QString systemVersionString();

private:
    ZunoBundle m_bundle;
};
