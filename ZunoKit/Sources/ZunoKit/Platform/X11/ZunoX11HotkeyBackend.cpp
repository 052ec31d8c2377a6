#include "ZunoX11HotkeyBackend.h"

#include "ZunoHotkeyKeymap.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <set>
#include <utility>

namespace {

constexpr uint32_t kSuperL = 0xffeb;
constexpr uint32_t kSuperR = 0xffec;
constexpr uint32_t kAltL = 0xffe9;
constexpr uint32_t kAltR = 0xffea;
constexpr uint32_t kMetaL = 0xffe7;
constexpr uint32_t kNumLock = 0xff7f;

// Key and modifier combinations held by any backend of this process: the server would let a client
// grab its own combination twice, silently replacing the first grab.
std::set<std::pair<uint8_t, uint16_t>> &takenCombinations()
{
    static std::set<std::pair<uint8_t, uint16_t>> taken;
    return taken;
}

std::vector<xcb_window_t> roots(xcb_connection_t *connection)
{
    std::vector<xcb_window_t> result;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem; xcb_screen_next(&it))
        result.push_back(it.data->root);
    return result;
}

// The X modifier masks that carry Super, Alt and Num Lock in the server's current mapping.
struct ModifierMasks {
    uint16_t super = XCB_MOD_MASK_4;
    uint16_t alt = XCB_MOD_MASK_1;
    uint16_t numLock = XCB_MOD_MASK_2;
};

ModifierMasks readModifierMasks(xcb_connection_t *connection, xcb_key_symbols_t *symbols)
{
    ModifierMasks masks;
    auto *reply = xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    if (!reply)
        return masks;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    auto maskOf = [&](std::initializer_list<uint32_t> keysyms) -> uint16_t {
        // Shift, Lock and Control (indexes 0-2) are fixed; Mod1-Mod5 are looked up.
        for (int modifier = 3; modifier < 8; ++modifier) {
            for (int k = 0; k < perModifier; ++k) {
                const xcb_keycode_t code = codes[modifier * perModifier + k];
                if (code == 0)
                    continue;
                for (int column = 0; column < 4; ++column) {
                    const xcb_keysym_t sym = xcb_key_symbols_get_keysym(symbols, code, column);
                    for (uint32_t wanted : keysyms) {
                        if (sym == wanted)
                            return static_cast<uint16_t>(1u << modifier);
                    }
                }
            }
        }
        return 0;
    };
    if (const uint16_t mask = maskOf({ kSuperL, kSuperR }))
        masks.super = mask;
    if (const uint16_t mask = maskOf({ kAltL, kAltR, kMetaL }))
        masks.alt = mask;
    if (const uint16_t mask = maskOf({ kNumLock }))
        masks.numLock = mask;
    free(reply);
    return masks;
}

} // namespace

std::unique_ptr<ZunoX11HotkeyBackend> ZunoX11HotkeyBackend::create(PressHandler onPress)
{
    auto *app = qGuiApp;
    if (!app)
        return nullptr;
    auto *x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return nullptr;
    std::unique_ptr<ZunoX11HotkeyBackend> backend(
        new ZunoX11HotkeyBackend(x11->connection(), std::move(onPress)));
    app->installNativeEventFilter(backend.get());
    return backend;
}

ZunoX11HotkeyBackend::ZunoX11HotkeyBackend(void *connection, PressHandler onPress)
    : m_connection(connection)
    , m_onPress(std::move(onPress))
{
}

ZunoX11HotkeyBackend::~ZunoX11HotkeyBackend()
{
    ungrabAll();
    if (auto *app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
}

bool ZunoX11HotkeyBackend::grab(uint32_t id, uint32_t keysym, uint32_t modifiers)
{
    auto *connection = static_cast<xcb_connection_t *>(m_connection);
    if (m_grabs.count(id) || xcb_connection_has_error(connection))
        return false;

    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    if (!symbols)
        return false;
    const ModifierMasks masks = readModifierMasks(connection, symbols);
    std::vector<xcb_keycode_t> keycodes;
    if (xcb_keycode_t *found = xcb_key_symbols_get_keycode(symbols, keysym)) {
        for (xcb_keycode_t *code = found; *code != XCB_NO_SYMBOL; ++code)
            keycodes.push_back(*code);
        free(found);
    }
    xcb_key_symbols_free(symbols);
    if (keycodes.empty())
        return false;

    uint16_t xModifiers = 0;
    if (modifiers & ZunoHotkeyKeymap::Shift)
        xModifiers |= XCB_MOD_MASK_SHIFT;
    if (modifiers & ZunoHotkeyKeymap::Control)
        xModifiers |= XCB_MOD_MASK_CONTROL;
    if (modifiers & ZunoHotkeyKeymap::Alt)
        xModifiers |= masks.alt;
    if (modifiers & ZunoHotkeyKeymap::Super)
        xModifiers |= masks.super;
    m_lockMask = XCB_MOD_MASK_LOCK | masks.numLock;

    std::vector<Grab> grabs;
    for (xcb_keycode_t keycode : keycodes) {
        if (takenCombinations().count({ keycode, xModifiers }))
            return false;
        grabs.push_back({ keycode, xModifiers });
    }

    // Each combination under the four Caps Lock / Num Lock states, on every screen; the server
    // answers BadAccess when another client holds any of them.
    const uint16_t lockStates[]
        = { 0, XCB_MOD_MASK_LOCK, masks.numLock, static_cast<uint16_t>(XCB_MOD_MASK_LOCK | masks.numLock) };
    std::vector<xcb_void_cookie_t> cookies;
    for (xcb_window_t root : roots(connection)) {
        for (const Grab &g : grabs) {
            for (uint16_t locks : lockStates) {
                cookies.push_back(xcb_grab_key_checked(connection, 1, root, g.modifiers | locks, g.keycode,
                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            }
        }
    }
    bool refused = false;
    for (xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
            refused = true;
            free(error);
        }
    }
    if (refused) {
        releaseGrabs(grabs);
        return false;
    }
    for (const Grab &g : grabs)
        takenCombinations().insert({ g.keycode, g.modifiers });
    m_grabs[id] = std::move(grabs);
    return true;
}

void ZunoX11HotkeyBackend::releaseGrabs(const std::vector<Grab> &grabs)
{
    auto *connection = static_cast<xcb_connection_t *>(m_connection);
    const uint16_t lockMask = m_lockMask;
    const uint16_t lockStates[]
        = { 0, XCB_MOD_MASK_LOCK, static_cast<uint16_t>(lockMask & ~XCB_MOD_MASK_LOCK), lockMask };
    for (xcb_window_t root : roots(connection)) {
        for (const Grab &g : grabs) {
            for (uint16_t locks : lockStates)
                xcb_ungrab_key(connection, g.keycode, root, g.modifiers | locks);
        }
    }
    // A round trip, so the keys are free for other clients when this returns.
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

void ZunoX11HotkeyBackend::ungrab(uint32_t id)
{
    auto it = m_grabs.find(id);
    if (it == m_grabs.end())
        return;
    releaseGrabs(it->second);
    for (const Grab &g : it->second)
        takenCombinations().erase({ g.keycode, g.modifiers });
    m_grabs.erase(it);
}

void ZunoX11HotkeyBackend::ungrabAll()
{
    while (!m_grabs.empty())
        ungrab(m_grabs.begin()->first);
}

bool ZunoX11HotkeyBackend::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || m_grabs.empty())
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    // Key press and release events share one layout.
    auto *key = reinterpret_cast<xcb_key_press_event_t *>(event);
    const uint16_t modifiers = key->state & 0xff & ~m_lockMask;
    for (const auto &[id, grabs] : m_grabs) {
        for (const Grab &g : grabs) {
            if (g.keycode == key->detail && g.modifiers == modifiers) {
                // The handler may change the grab table, so it runs after the search.
                const uint32_t pressed = id;
                if (type == XCB_KEY_PRESS && m_onPress)
                    m_onPress(pressed);
                return true;
            }
        }
    }
    return false;
}
