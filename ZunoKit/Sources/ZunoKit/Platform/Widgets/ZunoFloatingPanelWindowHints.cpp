#include "ZunoFloatingPanelWindowHints.h"

#include <QGuiApplication>
#include <QPainterPath>
#include <QRegion>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kAllWorkspaces = 0xFFFFFFFF;
constexpr uint32_t kNetWmStateAdd = 1;

xcb_connection_t *x11Connection()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

xcb_window_t rootOf(xcb_connection_t *connection, xcb_window_t window)
{
    xcb_query_tree_reply_t *tree
        = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    const xcb_window_t root = tree ? tree->root : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
    free(tree);
    return root;
}

// Atoms already in a window's _NET_WM_STATE (Qt writes its own there too; ours are added, not replaced).
std::vector<xcb_atom_t> currentStates(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t stateAtom)
{
    std::vector<xcb_atom_t> atoms;
    const auto cookie = xcb_get_property(connection, 0, window, stateAtom, XCB_ATOM_ATOM, 0, 64);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        atoms.assign(values, values + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    return atoms;
}

void sendToRoot(xcb_connection_t *connection, xcb_window_t root, xcb_window_t window, xcb_atom_t type,
    const std::array<uint32_t, 5> &data)
{
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    for (size_t i = 0; i < data.size(); ++i)
        event.data.data32[i] = data[i];
    xcb_send_event(connection, 0, root,
        XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char *>(&event));
}

} // namespace

void ZunoFloatingPanelWindowHints::configure(QWidget *panel, Focus focus)
{
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    if (focus == Focus::neverFocus)
        flags |= Qt::WindowDoesNotAcceptFocus;
    panel->setWindowFlags(flags);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    panel->setAttribute(Qt::WA_TranslucentBackground);
    // Tool windows are hidden when the application loses the focus on some platforms; panels stay.
    panel->setAttribute(Qt::WA_MacAlwaysShowToolWindow);
}

void ZunoFloatingPanelWindowHints::applyNativeHints(QWidget *panel)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    const auto window = static_cast<xcb_window_t>(panel->winId());
    const xcb_atom_t desktopAtom = internAtom(connection, "_NET_WM_DESKTOP");
    const xcb_atom_t stateAtom = internAtom(connection, "_NET_WM_STATE");
    const std::array<xcb_atom_t, 4> wanted = { internAtom(connection, "_NET_WM_STATE_STICKY"),
        internAtom(connection, "_NET_WM_STATE_ABOVE"), internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
        internAtom(connection, "_NET_WM_STATE_SKIP_PAGER") };
    if (desktopAtom == XCB_ATOM_NONE || stateAtom == XCB_ATOM_NONE)
        return;

    xcb_change_property(
        connection, XCB_PROP_MODE_REPLACE, window, desktopAtom, XCB_ATOM_CARDINAL, 32, 1, &kAllWorkspaces);
    std::vector<xcb_atom_t> states = currentStates(connection, window, stateAtom);
    for (const xcb_atom_t atom : wanted) {
        if (atom != XCB_ATOM_NONE && std::find(states.begin(), states.end(), atom) == states.end())
            states.push_back(atom);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, stateAtom, XCB_ATOM_ATOM, 32,
        static_cast<uint32_t>(states.size()), states.data());

    // A window manager only reads these properties when the window is mapped; afterwards it wants
    // requests on the root window.
    if (panel->isVisible()) {
        const xcb_window_t root = rootOf(connection, window);
        if (root != XCB_WINDOW_NONE) {
            sendToRoot(connection, root, window, desktopAtom, { kAllWorkspaces, 1, 0, 0, 0 });
            sendToRoot(connection, root, window, stateAtom, { kNetWmStateAdd, wanted[0], wanted[1], 1, 0 });
            sendToRoot(connection, root, window, stateAtom, { kNetWmStateAdd, wanted[2], wanted[3], 1, 0 });
        }
    }
    xcb_flush(connection);
}

namespace {

// The X screen the application's display names (":0.1" is screen 1).
int defaultScreenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
    if (colon < 0 || dot < 0)
        return 0;
    bool ok = false;
    const int screen = display.mid(dot + 1).toInt(&ok);
    return ok ? screen : 0;
}

} // namespace

bool ZunoFloatingPanelWindowHints::isCompositing()
{
    // Wayland compositors always composite; offscreen renders keep their transparency.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return false;
    const std::string name = "_NET_WM_CM_S" + std::to_string(defaultScreenNumber());
    const xcb_atom_t selection = internAtom(connection, name.c_str());
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *reply
        = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = reply && reply->owner != XCB_WINDOW_NONE;
    free(reply);
    return owned;
}

void ZunoFloatingPanelWindowHints::applyShape(QWidget *panel, const QPainterPath &shape)
{
    if (isCompositing()) {
        panel->clearMask();
        return;
    }
    panel->setMask(QRegion(shape.toFillPolygon().toPolygon()));
}
