#pragma once

#include "ZunoX11TestClient.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <vector>

// Types through XTest from a second X client, as a person would, and holds keys or the keyboard as
// another application would (for tests on the test session's Xvfb; users link xcb, xcb-keysyms and
// xcb-xtest). Hot keys are Super+Alt+key: Mod4+Mod1 in the server's default mapping.
class ZunoX11Typist {
public:
    static constexpr xcb_keysym_t kSuperL = 0xffeb, kAltL = 0xffe9, kEscape = 0xff1b, kCapsLock = 0xffe5;

    explicit ZunoX11Typist(ZunoX11TestClient &client)
        : m_client(client)
        , m_symbols(client.ok() ? xcb_key_symbols_alloc(client.connection()) : nullptr)
    {
    }
    ~ZunoX11Typist()
    {
        if (m_symbols)
            xcb_key_symbols_free(m_symbols);
    }
    ZunoX11Typist(const ZunoX11Typist &) = delete;
    ZunoX11Typist &operator=(const ZunoX11Typist &) = delete;

    bool isReady() const { return m_symbols != nullptr; }

    xcb_keycode_t keycode(xcb_keysym_t keysym)
    {
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        free(codes);
        return code;
    }

    // Presses the keys in order and releases them in reverse; returns once the server has them.
    void type(const std::vector<xcb_keysym_t> &keysyms)
    {
        for (xcb_keysym_t keysym : keysyms)
            fake(XCB_KEY_PRESS, keysym);
        for (auto it = keysyms.rbegin(); it != keysyms.rend(); ++it)
            fake(XCB_KEY_RELEASE, *it);
        m_client.sync();
    }

    // Super+Alt+key on the root window: whether this client got it (not while another holds it).
    bool grabHotkey(xcb_keysym_t keysym)
    {
        auto cookie = xcb_grab_key_checked(m_client.connection(), 1, m_client.root(), kSuperAlt,
            keycode(keysym), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t *error = xcb_request_check(m_client.connection(), cookie);
        free(error);
        return error == nullptr;
    }
    void ungrabHotkey(xcb_keysym_t keysym)
    {
        xcb_ungrab_key(m_client.connection(), keycode(keysym), m_client.root(), kSuperAlt);
        m_client.sync();
    }

    // XCB_GRAB_STATUS_SUCCESS when this client got the whole keyboard.
    uint8_t grabKeyboard()
    {
        auto *reply = xcb_grab_keyboard_reply(m_client.connection(),
            xcb_grab_keyboard(m_client.connection(), 1, m_client.root(), XCB_CURRENT_TIME,
                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr);
        const uint8_t status = reply ? reply->status : 0xff;
        free(reply);
        return status;
    }
    void ungrabKeyboard()
    {
        xcb_ungrab_keyboard(m_client.connection(), XCB_CURRENT_TIME);
        m_client.sync();
    }

private:
    static constexpr uint16_t kSuperAlt = XCB_MOD_MASK_4 | XCB_MOD_MASK_1;

    void fake(uint8_t type, xcb_keysym_t keysym)
    {
        xcb_test_fake_input(
            m_client.connection(), type, keycode(keysym), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    ZunoX11TestClient &m_client;
    xcb_key_symbols_t *m_symbols;
};
