#include "ZunoHotkeyDescriptor.h"
#include "ZunoHotkeyKeymap.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <unordered_set>

TEST(ZunoHotkeyDescriptor, DecodesAndEncodesTheTwoKeys)
{
    const auto decoded
        = nlohmann::json::parse(R"({"keyCode": 17, "carbonModifiers": 2304})").get<ZunoHotkeyDescriptor>();
    EXPECT_EQ(decoded, ZunoHotkeyDescriptor(0x11, ZunoHotkeyDescriptor::cmdOptionFlag));

    const nlohmann::json encoded = decoded;
    EXPECT_EQ(encoded, nlohmann::json::parse(R"({"keyCode": 17, "carbonModifiers": 2304})"));
    EXPECT_EQ(encoded.size(), 2u);
}

TEST(ZunoHotkeyDescriptor, DecodingFailsOnMissingOrMistypedFields)
{
    for (const char *text :
        { R"({"keyCode": 17})", R"({"carbonModifiers": 2304})", R"({"keyCode": -1, "carbonModifiers": 0})",
            R"({"keyCode": 4294967296, "carbonModifiers": 0})", R"({"keyCode": "17", "carbonModifiers": 0})",
            R"({"keyCode": 17.5, "carbonModifiers": 0})", R"([17, 2304])" }) {
        SCOPED_TRACE(text);
        EXPECT_THROW(nlohmann::json::parse(text).get<ZunoHotkeyDescriptor>(), nlohmann::json::exception);
    }
    // A signed integer written by code is still a valid unsigned value.
    EXPECT_EQ((nlohmann::json { { "keyCode", 46 }, { "carbonModifiers", 768 } }.get<ZunoHotkeyDescriptor>()),
        ZunoHotkeyDescriptor(0x2E, ZunoHotkeyDescriptor::cmdShiftFlag));
}

TEST(ZunoHotkeyDescriptor, EqualityAndHashingUseBothFields)
{
    EXPECT_EQ(ZunoHotkeyDescriptor::cmdShiftFlag, 768u);
    EXPECT_EQ(ZunoHotkeyDescriptor::cmdOptionFlag, 2304u);
    const std::unordered_set<ZunoHotkeyDescriptor> set { { 0x11, 0x900 }, { 0x11, 0x300 }, { 0x25, 0x900 },
        { 0x11, 0x900 } };
    EXPECT_EQ(set.size(), 3u);
    EXPECT_NE(ZunoHotkeyDescriptor(0x11, 0x900), ZunoHotkeyDescriptor(0x25, 0x900));
}

TEST(ZunoHotkeyKeymap, MapsKeysAndModifiersToX11)
{
    struct Case {
        uint32_t keyCode;
        uint32_t carbonModifiers;
        uint32_t keysym;
        const char *text;
    };
    const Case cases[] = {
        { 0x11, 0x900, 't', "Super+Alt+T" },
        { 0x25, 0x900, 'l', "Super+Alt+L" },
        { 0x2E, 0x900, 'm', "Super+Alt+M" },
        { 0x00, 0x300, 'a', "Super+Shift+A" },
        { 0x1D, 0x1000, '0', "Ctrl+0" },
        { 0x16, 0x100, '6', "Super+6" },
        { 0x7A, 0x1800, 0xffbe, "Ctrl+Alt+F1" },
        { 0x6F, 0x4000, 0xffc9, "Alt+F12" },
        { 0x24, 0x8200, 0xff0d, "Ctrl+Shift+Return" },
        { 0x31, 0x500, ' ', "Super+Space" },
        { 0x7E, 0x2000, 0xff52, "Shift+Up" },
        { 0x2A, 0x800, '\\', "Alt+\\" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ZunoHotkeyKeymap::keysym(c.keyCode), c.keysym);
        EXPECT_EQ(
            ZunoHotkeyDescriptor(c.keyCode, c.carbonModifiers).shortcutText(), QString::fromUtf8(c.text));
    }
}

TEST(ZunoHotkeyKeymap, UnknownKeysAndModifierBitsHaveNoCounterpart)
{
    EXPECT_FALSE(ZunoHotkeyKeymap::keysym(0x34).has_value()); // no such key in the ANSI layout
    EXPECT_FALSE(ZunoHotkeyKeymap::keysym(0xFF).has_value());
    EXPECT_FALSE(ZunoHotkeyKeymap::modifiers(0x10000).has_value());
    EXPECT_FALSE(ZunoHotkeyKeymap::modifiers(0x900 | 0x1).has_value());
    EXPECT_EQ(ZunoHotkeyKeymap::modifiers(0), 0u);
    EXPECT_TRUE(ZunoHotkeyDescriptor(0x34, 0x900).shortcutText().isEmpty());
    EXPECT_TRUE(ZunoHotkeyDescriptor(0x11, 0x80).shortcutText().isEmpty());
}
