#pragma once

#include <QHash>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <functional>

// A global hot key in the suite's portable numbering, the one its stored settings use: a virtual key
// code of an ANSI keyboard (0x11 T, 0x25 L, 0x2E M) and a modifier mask (command 0x100, shift 0x200,
// option 0x800, control 0x1000, combined by OR). On Linux, command becomes Super and option Alt.
struct ZunoHotkeyDescriptor {
    uint32_t keyCode = 0;
    uint32_t carbonModifiers = 0;

    static constexpr uint32_t cmdShiftFlag = 0x300;
    static constexpr uint32_t cmdOptionFlag = 0x900;

    ZunoHotkeyDescriptor() = default;
    ZunoHotkeyDescriptor(uint32_t keyCode, uint32_t carbonModifiers)
        : keyCode(keyCode)
        , carbonModifiers(carbonModifiers)
    {
    }

    // The combination as a desktop writes it, e.g. "Super+Alt+T"; empty when the key or a modifier
    // has no Linux counterpart.
    QString shortcutText() const;

    friend bool operator==(const ZunoHotkeyDescriptor &, const ZunoHotkeyDescriptor &) = default;
};

// Exactly the keys "keyCode" and "carbonModifiers", unsigned 32-bit integers; decoding throws
// nlohmann::json exceptions when either is missing or of another type.
void to_json(nlohmann::json &j, const ZunoHotkeyDescriptor &descriptor);
void from_json(const nlohmann::json &j, ZunoHotkeyDescriptor &descriptor);

inline size_t qHash(const ZunoHotkeyDescriptor &descriptor, size_t seed = 0)
{
    return qHashMulti(seed, descriptor.keyCode, descriptor.carbonModifiers);
}

template <> struct std::hash<ZunoHotkeyDescriptor> {
    size_t operator()(const ZunoHotkeyDescriptor &descriptor) const noexcept { return qHash(descriptor); }
};
