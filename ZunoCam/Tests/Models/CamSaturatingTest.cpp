#include "CamSaturating.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr qint64 kInt64Max = std::numeric_limits<qint64>::max();
constexpr qint64 kInt64Min = std::numeric_limits<qint64>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();

} // namespace

TEST(CamSaturating, ConversionsOfHandEditedNumbersNeverOverflow)
{
    const std::vector<std::tuple<double, qint64, int>> cases = {
        // value, as 64-bit integer, as int
        { 0, 0, 0 },
        { 42.9, 42, 42 },
        { -42.9, -42, -42 },
        { kNaN, 0, 0 },
        { kInfinity, kInt64Max, kIntMax },
        { -kInfinity, kInt64Min, kIntMin },
        { 1e300, kInt64Max, kIntMax },
        { -1e300, kInt64Min, kIntMin },
        { 9223372036854775808.0, kInt64Max, kIntMax },
        { 3e9, 3000000000, kIntMax },
        { -3e9, -3000000000, kIntMin },
    };
    for (const auto &[value, asInt64, asInt] : cases) {
        EXPECT_EQ(CamSaturating::toInt64(value), asInt64) << value;
        EXPECT_EQ(CamSaturating::toInt(value), asInt) << value;
    }
    EXPECT_EQ(CamSaturating::toInt(1e12, 8, 200), 200);
    EXPECT_EQ(CamSaturating::toInt(kNaN, 8, 200), 8);
    EXPECT_EQ(CamSaturating::toInt(24.5, 8, 200), 24);
}

TEST(CamSaturating, BoundsAndFallbacks)
{
    EXPECT_EQ(CamSaturating::clamped(kNaN, 0, 1), 0);
    EXPECT_EQ(CamSaturating::clamped(kInfinity, 0, 1), 1);
    EXPECT_EQ(CamSaturating::clamped(-kInfinity, 0, 1), 0);
    EXPECT_EQ(CamSaturating::clamped(0.88, 0, 1), 0.88);
    EXPECT_EQ(CamSaturating::finiteOr(kNaN, 205), 205);
    EXPECT_EQ(CamSaturating::finiteOr(-kInfinity, 205), 205);
    EXPECT_EQ(CamSaturating::finiteOr(-3, 205), -3);

    EXPECT_EQ(CamSaturating::clampedToInt(kInt64Max, 1024, 65535), 65535);
    EXPECT_EQ(CamSaturating::clampedToInt(80, 1024, 65535), 1024);
    EXPECT_EQ(CamSaturating::clampedToInt(kInt64Min, 0, 3600), 0);
    EXPECT_EQ(CamSaturating::clampedToInt(8791, 1024, 65535), 8791);
}

TEST(CamSaturating, RoundingGoesHalvesAwayFromZeroAndNeverOverflows)
{
    const std::vector<std::pair<double, qint64>> cases = {
        { 135.5, 136 },
        { 135.49, 135 },
        { -2.5, -3 },
        { 0.5, 1 },
        { 1e300, kInt64Max },
        { -1e300, kInt64Min },
        { kNaN, 0 },
        { kInfinity, 0 },
        { -kInfinity, 0 },
    };
    for (const auto &[value, rounded] : cases)
        EXPECT_EQ(CamSaturating::roundedToInt64(value), rounded) << value;
}
