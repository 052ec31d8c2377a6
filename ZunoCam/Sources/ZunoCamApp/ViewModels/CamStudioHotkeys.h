#pragma once

#include "ZunoHotkeyDescriptor.h"

#include <cstdint>
#include <functional>
#include <optional>

// The global hot keys as the studio registers them. The real one is ZunoGlobalHotkeyManager (key
// grabs on X11, the session bus everywhere); tests may refuse combinations. Main thread only.
class CamStudioHotkeys {
public:
    virtual ~CamStudioHotkeys() = default;

    // The id, or none when the combination is refused.
    virtual std::optional<uint32_t> registerHotkey(
        const ZunoHotkeyDescriptor &descriptor, std::function<void()> action)
        = 0;
};
