#pragma once

#include <QColor>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <optional>

// The nine product palettes: a dark three-stop ground for window backgrounds and one bright accent.
// The raw value of a case is its case name. The studio uses deepCoral throughout.
enum class ZunoProductPalette {
    deepViolet,
    deepCrimson,
    deepAmber,
    deepEmerald,
    deepCobalt,
    deepIndigo,
    deepAbyss,
    deepCoral,
    deepCyan
};

// The ground gradient's colours, opaque sRGB.
struct ZunoGroundStops {
    QColor topLeft;
    QColor middle;
    QColor bottomRight;
};

// A ground colour as written in the palette table (three decimals), not recomputed from its hex.
struct ZunoRgbStop {
    double r;
    double g;
    double b;
    friend bool operator==(const ZunoRgbStop &, const ZunoRgbStop &) = default;
};

namespace ZunoProductPalettes {

inline constexpr int kCount = 9;

// Every case in declaration order.
const std::array<ZunoProductPalette, kCount> &allCases();

// Exact, case-sensitive case name only.
std::optional<ZunoProductPalette> fromRawValue(const QString &raw);

ZunoGroundStops groundStops(ZunoProductPalette palette);
QColor accentColor(ZunoProductPalette palette);
// topLeft, middle, bottomRight.
std::array<ZunoRgbStop, 3> rgbStops(ZunoProductPalette palette);

} // namespace ZunoProductPalettes

QString rawValue(ZunoProductPalette palette);

// Coded as the raw value string; decoding an unknown raw value throws.
void to_json(nlohmann::json &j, ZunoProductPalette palette);
void from_json(const nlohmann::json &j, ZunoProductPalette &palette);
