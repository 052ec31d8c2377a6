#include "CameraYUVConverter.h"

namespace {

// Fixed point with 14 fraction bits: products of 8-bit sums stay well inside 32 bits.
constexpr int kShift = 14;
constexpr int kOne = 1 << kShift;

constexpr double kKr = 0.2126;
constexpr double kKb = 0.0722;
constexpr double kKg = 1 - kKr - kKb;
constexpr double kLumaScale = 219.0 / 255.0;
constexpr double kChromaScale = 224.0 / 255.0;

constexpr int fixed(double value)
{
    return int(value * kOne + (value < 0 ? -0.5 : 0.5));
}

struct Coefficients {
    int yr, yg, yb;
    int ur, ug, ub;
    int vr, vg, vb;
};

// Grey must map to exactly 128 chroma, so each chroma row sums to zero; the green term takes the
// rounding remainder.
constexpr Coefficients makeCoefficients()
{
    Coefficients c {};
    c.yr = fixed(kKr * kLumaScale);
    c.yb = fixed(kKb * kLumaScale);
    c.yg = fixed(kLumaScale) - c.yr - c.yb;
    c.ur = fixed(-kKr / (2 * (1 - kKb)) * kChromaScale);
    c.ub = fixed(0.5 * kChromaScale);
    c.ug = -c.ur - c.ub;
    c.vr = fixed(0.5 * kChromaScale);
    c.vb = fixed(-kKb / (2 * (1 - kKr)) * kChromaScale);
    c.vg = -c.vr - c.vb;
    return c;
}

constexpr Coefficients kC = makeCoefficients();
static_assert(kKg > 0.7 && kKg < 0.72);

constexpr int kLumaOffset = 16 * kOne + kOne / 2;
// Chroma sums four pixels: two more fraction bits.
constexpr int kChromaOffset = (128 * kOne + kOne / 2) * 4;

} // namespace

namespace CameraYUVConverter {

void convertBGRAToI420(const std::uint8_t *bgra, std::ptrdiff_t bgraStride, int width, int height,
    std::uint8_t *y, std::ptrdiff_t yStride, std::uint8_t *u, std::ptrdiff_t uStride, std::uint8_t *v,
    std::ptrdiff_t vStride)
{
    const int pairs = width / 2;
    for (int row = 0; row + 1 < height; row += 2) {
        const std::uint8_t *__restrict s0 = bgra + bgraStride * row;
        const std::uint8_t *__restrict s1 = s0 + bgraStride;
        std::uint8_t *__restrict y0 = y + yStride * row;
        std::uint8_t *__restrict y1 = y0 + yStride;
        std::uint8_t *__restrict uRow = u + uStride * (row / 2);
        std::uint8_t *__restrict vRow = v + vStride * (row / 2);
        for (int x = 0; x < pairs; ++x) {
            const int b00 = s0[8 * x], g00 = s0[8 * x + 1], r00 = s0[8 * x + 2];
            const int b01 = s0[8 * x + 4], g01 = s0[8 * x + 5], r01 = s0[8 * x + 6];
            const int b10 = s1[8 * x], g10 = s1[8 * x + 1], r10 = s1[8 * x + 2];
            const int b11 = s1[8 * x + 4], g11 = s1[8 * x + 5], r11 = s1[8 * x + 6];
            y0[2 * x] = std::uint8_t((kC.yr * r00 + kC.yg * g00 + kC.yb * b00 + kLumaOffset) >> kShift);
            y0[2 * x + 1] = std::uint8_t((kC.yr * r01 + kC.yg * g01 + kC.yb * b01 + kLumaOffset) >> kShift);
            y1[2 * x] = std::uint8_t((kC.yr * r10 + kC.yg * g10 + kC.yb * b10 + kLumaOffset) >> kShift);
            y1[2 * x + 1] = std::uint8_t((kC.yr * r11 + kC.yg * g11 + kC.yb * b11 + kLumaOffset) >> kShift);
            const int b = b00 + b01 + b10 + b11;
            const int g = g00 + g01 + g10 + g11;
            const int r = r00 + r01 + r10 + r11;
            uRow[x] = std::uint8_t((kC.ur * r + kC.ug * g + kC.ub * b + kChromaOffset) >> (kShift + 2));
            vRow[x] = std::uint8_t((kC.vr * r + kC.vg * g + kC.vb * b + kChromaOffset) >> (kShift + 2));
        }
    }
}

} // namespace CameraYUVConverter
