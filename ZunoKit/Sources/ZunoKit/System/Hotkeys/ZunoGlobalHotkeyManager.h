#pragma once

#include "ZunoHotkeyDescriptor.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QObject;
class QString;
class ZunoAppLogger;
class ZunoX11HotkeyBackend;

// System-wide key combinations, each with an action that runs on the main thread. In an X11
// session the keys are grabbed on the display (command becomes Super, option Alt). A Wayland session
// lets no application grab keys (grabs through XWayland fire only while one of our windows has
// focus), so there, and wherever no X11 display exists, nothing is grabbed: the actions are
// published on the session bus through `ZunoHotkeyBus` for the desktop's own shortcuts to call.
// Every registered action is published there; a refused one never is. Ids count up from 1 and are
// never reused, a refused registration spends its id. Every member is called on the main thread.
class ZunoGlobalHotkeyManager {
public:
    using Action = std::function<void()>;

    // `logger`: where the hint on binding the keys in a Wayland session goes besides stderr (the
    // application's log, which its logs view shows).
    explicit ZunoGlobalHotkeyManager(std::shared_ptr<ZunoAppLogger> logger = nullptr);
    // Ungrabs every key and removes the event filter; presses already queued are dropped.
    ~ZunoGlobalHotkeyManager();
    ZunoGlobalHotkeyManager(const ZunoGlobalHotkeyManager &) = delete;
    ZunoGlobalHotkeyManager &operator=(const ZunoGlobalHotkeyManager &) = delete;

    // The combination's id, or none when it is refused: a key or modifier without a Linux
    // counterpart, a combination held by another client, no session bus where keys cannot be
    // grabbed, or every id spent.
    std::optional<uint32_t> registerHotkey(const ZunoHotkeyDescriptor &descriptor, Action action);
    // Removes one hot key and its action; an id that is not registered changes nothing.
    void unregister(uint32_t id);
    // Removes every hot key and action; ids go on counting.
    void unregisterAll();

    // Whether registrations grab their keys (an X11 session); otherwise they are bus actions only.
    bool canGrabKeys() const { return m_backend != nullptr; }

    // XDG_SESSION_TYPE is "wayland" or WAYLAND_DISPLAY is set.
    static bool isWaylandSession();

private:
    void handlePress(uint32_t id);
    void explainWaylandBinding(const QString &shortcut);

    uint32_t m_nextID = 1;
    bool m_idsSpent = false;
    bool m_explainedBinding = false;
    std::shared_ptr<ZunoAppLogger> m_logger;
    std::map<uint32_t, Action> m_handlers;
    // Guards queued presses: destroyed first, so no press reaches a manager that is gone.
    std::unique_ptr<QObject> m_context;
    std::unique_ptr<ZunoX11HotkeyBackend> m_backend;
};
