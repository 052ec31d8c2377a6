#include "ZunoProductPalette.h"

#include "ZunoHexColor.h"

#include <nlohmann/json.hpp>

namespace {

struct PaletteRow {
    const char *name;
    quint32 topLeft;
    quint32 middle;
    quint32 bottomRight;
    quint32 accent;
    std::array<ZunoRgbStop, 3> rgb;
};

// In declaration order. The decimal stops are the table's own rounding and may differ from byte / 255.
constexpr PaletteRow kRows[ZunoProductPalettes::kCount] = {
    { "deepViolet", 0x462A7D, 0x311F59, 0x1D133B, 0xA98BFF,
        { { { 0.275, 0.165, 0.49 }, { 0.192, 0.122, 0.349 }, { 0.114, 0.075, 0.231 } } } },
    { "deepCrimson", 0x7A2248, 0x4A1634, 0x240D1D, 0xFF6B9D,
        { { { 0.478, 0.133, 0.282 }, { 0.29, 0.086, 0.204 }, { 0.141, 0.051, 0.114 } } } },
    { "deepAmber", 0x783C1E, 0x4A2515, 0x24130C, 0xFFA95C,
        { { { 0.471, 0.235, 0.118 }, { 0.29, 0.145, 0.082 }, { 0.141, 0.075, 0.047 } } } },
    { "deepEmerald", 0x156256, 0x103F3D, 0x0B2124, 0x47E6C1,
        { { { 0.082, 0.384, 0.337 }, { 0.063, 0.247, 0.239 }, { 0.043, 0.129, 0.141 } } } },
    { "deepCobalt", 0x1D4E89, 0x16335E, 0x0D1C38, 0x5CC4FF,
        { { { 0.114, 0.306, 0.537 }, { 0.086, 0.2, 0.369 }, { 0.051, 0.11, 0.22 } } } },
    { "deepIndigo", 0x24347A, 0x182356, 0x0D1433, 0x7CA4FF,
        { { { 0.141, 0.204, 0.478 }, { 0.094, 0.137, 0.337 }, { 0.051, 0.078, 0.2 } } } },
    { "deepAbyss", 0x1F4A5C, 0x153445, 0x0C1F2B, 0x66D9EF,
        { { { 0.122, 0.29, 0.361 }, { 0.082, 0.204, 0.271 }, { 0.047, 0.122, 0.169 } } } },
    { "deepCoral", 0x6E1F63, 0x471645, 0x240B26, 0xF472D0,
        { { { 0.431, 0.122, 0.388 }, { 0.278, 0.086, 0.271 }, { 0.141, 0.043, 0.149 } } } },
    { "deepCyan", 0x0D5668, 0x0B3A4A, 0x07202B, 0x38E8FF,
        { { { 0.051, 0.337, 0.408 }, { 0.043, 0.227, 0.29 }, { 0.027, 0.125, 0.169 } } } },
};

const PaletteRow &row(ZunoProductPalette palette)
{
    return kRows[static_cast<int>(palette)];
}

} // namespace

const std::array<ZunoProductPalette, ZunoProductPalettes::kCount> &ZunoProductPalettes::allCases()
{
    static const std::array<ZunoProductPalette, kCount> cases = [] {
        std::array<ZunoProductPalette, kCount> all {};
        for (int i = 0; i < kCount; ++i)
            all[i] = static_cast<ZunoProductPalette>(i);
        return all;
    }();
    return cases;
}

std::optional<ZunoProductPalette> ZunoProductPalettes::fromRawValue(const QString &raw)
{
    for (int i = 0; i < kCount; ++i) {
        if (raw == QLatin1String(kRows[i].name))
            return static_cast<ZunoProductPalette>(i);
    }
    return std::nullopt;
}

ZunoGroundStops ZunoProductPalettes::groundStops(ZunoProductPalette palette)
{
    const PaletteRow &r = row(palette);
    return { zunoColorFromHex(r.topLeft), zunoColorFromHex(r.middle), zunoColorFromHex(r.bottomRight) };
}

QColor ZunoProductPalettes::accentColor(ZunoProductPalette palette)
{
    return zunoColorFromHex(row(palette).accent);
}

std::array<ZunoRgbStop, 3> ZunoProductPalettes::rgbStops(ZunoProductPalette palette)
{
    return row(palette).rgb;
}

QString rawValue(ZunoProductPalette palette)
{
    return QLatin1String(row(palette).name);
}

void to_json(nlohmann::json &j, ZunoProductPalette palette)
{
    j = rawValue(palette).toStdString();
}

void from_json(const nlohmann::json &j, ZunoProductPalette &palette)
{
    const auto found = ZunoProductPalettes::fromRawValue(QString::fromStdString(j.get<std::string>()));
    if (!found)
        throw nlohmann::json::other_error::create(501, "unknown ZunoProductPalette raw value", &j);
    palette = *found;
}
