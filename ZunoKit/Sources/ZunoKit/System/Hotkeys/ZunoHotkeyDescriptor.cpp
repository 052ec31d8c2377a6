#include "ZunoHotkeyDescriptor.h"

#include "ZunoHotkeyKeymap.h"

#include <nlohmann/json.hpp>

#include <limits>

QString ZunoHotkeyDescriptor::shortcutText() const
{
    const QString key = ZunoHotkeyKeymap::keyName(keyCode);
    const auto modifiers = ZunoHotkeyKeymap::modifiers(carbonModifiers);
    if (key.isEmpty() || !modifiers)
        return {};
    return ZunoHotkeyKeymap::shortcutText(*modifiers, key);
}

namespace {

uint32_t decodeUInt32(const nlohmann::json &j, const char *key)
{
    const nlohmann::json &value = j.at(key);
    const bool inRange = value.is_number_integer()
        && (value.is_number_unsigned() || value.get<int64_t>() >= 0)
        && value.get<uint64_t>() <= std::numeric_limits<uint32_t>::max();
    if (!inRange)
        throw nlohmann::json::type_error::create(
            302, std::string(key) + " is not an unsigned 32-bit integer", &value);
    return static_cast<uint32_t>(value.get<uint64_t>());
}

} // namespace

void to_json(nlohmann::json &j, const ZunoHotkeyDescriptor &descriptor)
{
    j = nlohmann::json { { "keyCode", descriptor.keyCode },
        { "carbonModifiers", descriptor.carbonModifiers } };
}

void from_json(const nlohmann::json &j, ZunoHotkeyDescriptor &descriptor)
{
    descriptor.keyCode = decodeUInt32(j, "keyCode");
    descriptor.carbonModifiers = decodeUInt32(j, "carbonModifiers");
}
