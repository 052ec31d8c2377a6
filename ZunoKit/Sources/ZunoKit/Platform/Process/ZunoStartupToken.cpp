#include "ZunoStartupToken.h"

#include <QCoreApplication>

#include <atomic>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// The server's clock: the time stamp of a PropertyNotify that a change on a window of our own brings.
std::optional<quint32> xServerTime()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return std::nullopt;
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return std::nullopt;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    if (!screens.data) {
        xcb_disconnect(connection);
        return std::nullopt;
    }
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t events[] = { XCB_EVENT_MASK_PROPERTY_CHANGE };
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screens.data->root, -1, -1, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, events);
    xcb_change_property(
        connection, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(connection);
    std::optional<quint32> time;
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        const bool notify = (event->response_type & ~0x80) == XCB_PROPERTY_NOTIFY;
        if (notify)
            time = reinterpret_cast<xcb_property_notify_event_t *>(event)->time;
        std::free(event);
        if (notify)
            break;
    }
    xcb_destroy_window(connection, window);
    xcb_disconnect(connection);
    return time;
}

} // namespace

namespace ZunoStartupToken {

std::optional<QString> make()
{
    static std::atomic<int> counter { 0 };
    const auto time = xServerTime();
    if (!time)
        return std::nullopt;
    return QStringLiteral("%1-%2-%3_TIME%4")
        .arg(QCoreApplication::applicationName().isEmpty() ? QStringLiteral("zuno")
                                                           : QCoreApplication::applicationName())
        .arg(QCoreApplication::applicationPid())
        .arg(++counter)
        .arg(*time);
}

} // namespace ZunoStartupToken
