#include "ZunoHotkeyKeymap.h"

#include <array>

namespace ZunoHotkeyKeymap {

namespace {

struct Key {
    uint32_t keyCode;
    uint32_t keysym;
    const char *name;
};

// The portable virtual key codes of an ANSI keyboard with their X keysyms.
constexpr std::array kKeys {
    Key { 0x00, 'a', "A" },
    Key { 0x01, 's', "S" },
    Key { 0x02, 'd', "D" },
    Key { 0x03, 'f', "F" },
    Key { 0x04, 'h', "H" },
    Key { 0x05, 'g', "G" },
    Key { 0x06, 'z', "Z" },
    Key { 0x07, 'x', "X" },
    Key { 0x08, 'c', "C" },
    Key { 0x09, 'v', "V" },
    Key { 0x0B, 'b', "B" },
    Key { 0x0C, 'q', "Q" },
    Key { 0x0D, 'w', "W" },
    Key { 0x0E, 'e', "E" },
    Key { 0x0F, 'r', "R" },
    Key { 0x10, 'y', "Y" },
    Key { 0x11, 't', "T" },
    Key { 0x12, '1', "1" },
    Key { 0x13, '2', "2" },
    Key { 0x14, '3', "3" },
    Key { 0x15, '4', "4" },
    Key { 0x16, '6', "6" },
    Key { 0x17, '5', "5" },
    Key { 0x18, '=', "=" },
    Key { 0x19, '9', "9" },
    Key { 0x1A, '7', "7" },
    Key { 0x1B, '-', "-" },
    Key { 0x1C, '8', "8" },
    Key { 0x1D, '0', "0" },
    Key { 0x1E, ']', "]" },
    Key { 0x1F, 'o', "O" },
    Key { 0x20, 'u', "U" },
    Key { 0x21, '[', "[" },
    Key { 0x22, 'i', "I" },
    Key { 0x23, 'p', "P" },
    Key { 0x24, 0xff0d, "Return" },
    Key { 0x25, 'l', "L" },
    Key { 0x26, 'j', "J" },
    Key { 0x27, '\'', "'" },
    Key { 0x28, 'k', "K" },
    Key { 0x29, ';', ";" },
    Key { 0x2A, '\\', "\\" },
    Key { 0x2B, ',', "," },
    Key { 0x2C, '/', "/" },
    Key { 0x2D, 'n', "N" },
    Key { 0x2E, 'm', "M" },
    Key { 0x2F, '.', "." },
    Key { 0x30, 0xff09, "Tab" },
    Key { 0x31, ' ', "Space" },
    Key { 0x32, '`', "`" },
    Key { 0x33, 0xff08, "BackSpace" },
    Key { 0x35, 0xff1b, "Escape" },
    Key { 0x60, 0xffc2, "F5" },
    Key { 0x61, 0xffc3, "F6" },
    Key { 0x62, 0xffc4, "F7" },
    Key { 0x63, 0xffc0, "F3" },
    Key { 0x64, 0xffc5, "F8" },
    Key { 0x65, 0xffc6, "F9" },
    Key { 0x67, 0xffc8, "F11" },
    Key { 0x6D, 0xffc7, "F10" },
    Key { 0x6F, 0xffc9, "F12" },
    Key { 0x73, 0xff50, "Home" },
    Key { 0x74, 0xff55, "Page_Up" },
    Key { 0x75, 0xffff, "Delete" },
    Key { 0x76, 0xffc1, "F4" },
    Key { 0x77, 0xff57, "End" },
    Key { 0x78, 0xffbf, "F2" },
    Key { 0x79, 0xff56, "Page_Down" },
    Key { 0x7A, 0xffbe, "F1" },
    Key { 0x7B, 0xff51, "Left" },
    Key { 0x7C, 0xff53, "Right" },
    Key { 0x7D, 0xff54, "Down" },
    Key { 0x7E, 0xff52, "Up" },
};

const Key *find(uint32_t keyCode)
{
    for (const Key &key : kKeys) {
        if (key.keyCode == keyCode)
            return &key;
    }
    return nullptr;
}

constexpr uint32_t kMaskCommand = 0x100;
constexpr uint32_t kMaskShift = 0x200;
constexpr uint32_t kMaskAlphaLock = 0x400;
constexpr uint32_t kMaskOption = 0x800;
constexpr uint32_t kMaskControl = 0x1000;
constexpr uint32_t kMaskRightShift = 0x2000;
constexpr uint32_t kMaskRightOption = 0x4000;
constexpr uint32_t kMaskRightControl = 0x8000;

} // namespace

std::optional<uint32_t> keysym(uint32_t keyCode)
{
    if (const Key *key = find(keyCode))
        return key->keysym;
    return std::nullopt;
}

QString keyName(uint32_t keyCode)
{
    if (const Key *key = find(keyCode))
        return QString::fromLatin1(key->name);
    return {};
}

std::optional<uint32_t> modifiers(uint32_t mask)
{
    constexpr uint32_t known = kMaskCommand | kMaskShift | kMaskAlphaLock | kMaskOption | kMaskControl
        | kMaskRightShift | kMaskRightOption | kMaskRightControl;
    if (mask & ~known)
        return std::nullopt;
    uint32_t result = 0;
    if (mask & kMaskCommand)
        result |= Super;
    if (mask & (kMaskShift | kMaskRightShift))
        result |= Shift;
    if (mask & (kMaskOption | kMaskRightOption))
        result |= Alt;
    if (mask & (kMaskControl | kMaskRightControl))
        result |= Control;
    return result;
}

QString shortcutText(uint32_t modifiers, const QString &keyName)
{
    QString text;
    if (modifiers & Super)
        text += QStringLiteral("Super+");
    if (modifiers & Control)
        text += QStringLiteral("Ctrl+");
    if (modifiers & Alt)
        text += QStringLiteral("Alt+");
    if (modifiers & Shift)
        text += QStringLiteral("Shift+");
    return text + keyName;
}

} // namespace ZunoHotkeyKeymap
