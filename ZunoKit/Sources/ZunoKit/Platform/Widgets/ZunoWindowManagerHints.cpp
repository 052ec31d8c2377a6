#include "ZunoWindowManagerHints.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// A window manager that follows the extended hints names its check window on the root.
bool hasWindowManager(xcb_connection_t *connection, xcb_window_t root)
{
    const xcb_atom_t check = internAtom(connection, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return false;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool present = reply && reply->type == XCB_ATOM_WINDOW && xcb_get_property_value_length(reply) >= 4;
    std::free(reply);
    return present;
}

} // namespace

namespace ZunoWindowManagerHints {

bool activateWindow(QWindow *window)
{
    if (!window || !window->handle())
        return false;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_setup_t *setup = xcb_get_setup(connection);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    const xcb_window_t root = screens.data ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
    if (root == XCB_WINDOW_NONE)
        return false;

    if (hasWindowManager(connection, root)) {
        xcb_client_message_event_t message;
        std::memset(&message, 0, sizeof message);
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = id;
        message.type = internAtom(connection, "_NET_ACTIVE_WINDOW");
        message.data.data32[0] = 2; // source: a pager, which acts for the user
        message.data.data32[1] = XCB_CURRENT_TIME;
        message.data.data32[2] = XCB_WINDOW_NONE;
        xcb_send_event(connection, 0, root,
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char *>(&message));
    } else {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(connection, id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        // The server's current time, so that the request is never older than the last focus change.
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME);
    }
    xcb_flush(connection);
    return true;
}

} // namespace ZunoWindowManagerHints
