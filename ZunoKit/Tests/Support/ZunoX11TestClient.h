#pragma once

#include "ZunoTestTimeouts.h"

#include <QDeadlineTimer>
#include <QPoint>
#include <QTest>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

// A second X client (for tests on the test session's Xvfb; users link xcb and xcb-xtest) that reads window
// properties and drives the pointer through XTest.
class ZunoX11TestClient {
public:
    ZunoX11TestClient()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (!xcb_connection_has_error(m_connection))
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~ZunoX11TestClient() { xcb_disconnect(m_connection); }
    bool ok() const { return m_root != 0; }

    xcb_atom_t atom(const char *name)
    {
        auto *reply = xcb_intern_atom_reply(m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : 0;
        free(reply);
        return value;
    }

    std::vector<uint32_t> property(xcb_window_t window, const char *name, xcb_atom_t type)
    {
        std::vector<uint32_t> values;
        auto *reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, atom(name), type, 0, 64), nullptr);
        if (reply && reply->format == 32) {
            const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
        return values;
    }

    // WM_HINTS input, when the window sets it.
    std::optional<bool> inputHint(xcb_window_t window)
    {
        const std::vector<uint32_t> hints = property(window, "WM_HINTS", XCB_ATOM_WM_HINTS);
        constexpr uint32_t kInputHint = 1;
        if (hints.size() < 2 || !(hints[0] & kInputHint))
            return std::nullopt;
        return hints[1] != 0;
    }

    // Returns once the server has handled every request sent so far: a flush alone lets another client's
    // later request overtake them.
    void sync() { free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr)); }

    xcb_connection_t *connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }

    xcb_window_t inputFocus()
    {
        auto *reply = xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
        const xcb_window_t focus = reply ? reply->focus : 0;
        free(reply);
        return focus;
    }

    void moveTo(QPoint global)
    {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root,
            static_cast<int16_t>(global.x()), static_cast<int16_t>(global.y()), 0);
        xcb_flush(m_connection);
    }
    void button(bool down)
    {
        xcb_test_fake_input(m_connection, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME,
            XCB_NONE, 0, 0, 0);
        xcb_flush(m_connection);
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
};

// Spins the event loop until the condition holds or the window wait runs out.
inline bool zunoWaitFor(const std::function<bool()> &condition)
{
    QDeadlineTimer deadline(kWindowWait);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}
