#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// Translates the suite's portable hot-key numbering (virtual key codes of an ANSI keyboard and a
// command/option/control/shift modifier mask) into X11 terms. Pure tables: no display is needed.
namespace ZunoHotkeyKeymap {

// Modifiers of a Linux key combination, combined by OR.
enum Modifier : uint32_t {
    Shift = 0x1,
    Control = 0x2,
    Alt = 0x4,
    Super = 0x8,
};

// The X keysym of a virtual key code (letters as their lower-case keysym), or none for a key the
// table does not know.
std::optional<uint32_t> keysym(uint32_t keyCode);

// The key's name as shortcuts write it ("T", "5", "F1", "Return"), or empty when unknown.
QString keyName(uint32_t keyCode);

// Command -> Super, option -> Alt, control -> Control, shift -> Shift (left and right variants
// alike; caps lock is ignored because every lock state is grabbed). None when the mask has a bit
// that has no Linux counterpart.
std::optional<uint32_t> modifiers(uint32_t mask);

// "Super+Ctrl+Alt+Shift+" in that order, then the key.
QString shortcutText(uint32_t modifiers, const QString &keyName);

} // namespace ZunoHotkeyKeymap
