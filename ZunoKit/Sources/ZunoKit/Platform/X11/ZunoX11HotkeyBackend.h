#pragma once

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// Global key grabs on the X server through the application's own xcb connection. Presses arrive
// through a native event filter on the main thread; the backend reports the grab's id and leaves
// the rest to its owner. Only for the main thread.
class ZunoX11HotkeyBackend : public QAbstractNativeEventFilter {
public:
    using PressHandler = std::function<void(uint32_t id)>;

    // The backend installed as a native event filter, or null when the application is not on an
    // X11 display (Wayland, offscreen, no GUI application).
    static std::unique_ptr<ZunoX11HotkeyBackend> create(PressHandler onPress);
    ~ZunoX11HotkeyBackend() override;

    // Grabs `keysym` with `modifiers` (ZunoHotkeyKeymap::Modifier) under every Caps Lock / Num Lock
    // state on every screen. False, with nothing left grabbed, when the key is not on the keyboard,
    // the combination is already taken (by another client or another id) or the server refuses.
    bool grab(uint32_t id, uint32_t keysym, uint32_t modifiers);
    void ungrab(uint32_t id);
    void ungrabAll();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    struct Grab {
        uint8_t keycode;
        uint16_t modifiers;
    };

    explicit ZunoX11HotkeyBackend(void *connection, PressHandler onPress);
    void releaseGrabs(const std::vector<Grab> &grabs);

    void *m_connection;
    PressHandler m_onPress;
    uint16_t m_lockMask = 0;
    std::map<uint32_t, std::vector<Grab>> m_grabs;
};
