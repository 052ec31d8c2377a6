#include "ZunoCamDisplayCheck.h"

#include <xcb/xcb.h>

QString zunoMissingDisplayReason()
{
    // An explicit platform (offscreen, wayland, xcb) is the user's choice: let Qt report on it.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return QStringLiteral("no display available (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (failed)
        return QStringLiteral("cannot connect to display %1").arg(QString::fromLocal8Bit(display));
    return {};
}
