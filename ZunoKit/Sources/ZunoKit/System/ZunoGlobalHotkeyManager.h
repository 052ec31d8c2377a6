#pragma once

#include "ZunoHotkeyDescriptor.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QObject;
class ZunoX11HotkeyBackend;

// System-wide key combinations, each with an action that runs on the main thread. On X11 the keys
// are grabbed on the display (command becomes Super, option Alt); where no X11 display exists
// every registration is refused, and the actions stay reachable through `ZunoHotkeyBus` on the
// session bus. Ids count up from 1 and are never reused, a refused registration spends its id.
// Every member is called on the main thread.
class ZunoGlobalHotkeyManager {
public:
    using Action = std::function<void()>;

    ZunoGlobalHotkeyManager();
    // Ungrabs every key and removes the event filter; presses already queued are dropped.
    ~ZunoGlobalHotkeyManager();
    ZunoGlobalHotkeyManager(const ZunoGlobalHotkeyManager &) = delete;
    ZunoGlobalHotkeyManager &operator=(const ZunoGlobalHotkeyManager &) = delete;

    // The combination's id, or none when the system refuses it (no X11 display, a key or modifier
    // without a Linux counterpart, a combination held by another client) or every id is spent.
    std::optional<uint32_t> registerHotkey(const ZunoHotkeyDescriptor &descriptor, Action action);
    // Removes one hot key and its action; an id that is not registered changes nothing.
    void unregister(uint32_t id);
    // Removes every hot key and action; ids go on counting.
    void unregisterAll();

    // Whether key grabs are possible here (an X11 display).
    bool canGrabKeys() const { return m_backend != nullptr; }

private:
    void handlePress(uint32_t id);

    uint32_t m_nextID = 1;
    bool m_idsSpent = false;
    std::map<uint32_t, Action> m_handlers;
    // Guards queued presses: destroyed first, so no press reaches a manager that is gone.
    std::unique_ptr<QObject> m_context;
    std::unique_ptr<ZunoX11HotkeyBackend> m_backend;
};
