#include "CameraColorMatrix.h"

#include <algorithm>
#include <cmath>

namespace {

using Mat3 = double[3][3];

constexpr double kLumaR = 0.2126, kLumaG = 0.7152, kLumaB = 0.0722;

// Linear sRGB (D65) <-> XYZ.
constexpr Mat3 kRgbToXyz = { { 0.4124564, 0.3575761, 0.1804375 }, { 0.2126729, 0.7151522, 0.0721750 },
    { 0.0193339, 0.1191920, 0.9503041 } };
constexpr Mat3 kXyzToRgb = { { 3.2404542, -1.5371385, -0.4985314 }, { -0.9692660, 1.8760108, 0.0415560 },
    { 0.0556434, -0.2040259, 1.0572252 } };
constexpr Mat3 kBradford
    = { { 0.8951, 0.2664, -0.1614 }, { -0.7502, 1.7135, 0.0367 }, { 0.0389, -0.0685, 1.0296 } };
constexpr Mat3 kBradfordInverse = { { 0.9869929, -0.1470543, 0.1599627 }, { 0.4323053, 0.5183603, 0.0492912 },
    { -0.0085287, 0.0400428, 0.9684867 } };

void multiply(const Mat3 &a, const Mat3 &b, Mat3 &out)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            out[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
}

// CIE xy chromaticity of a white of colour temperature `kelvin`: the Planckian locus (Kim et al.
// cubic fit, 1667 K to 25000 K), which is what a temperature slider means by a temperature.
void chromaticity(double kelvin, double &x, double &y)
{
    const double t = std::clamp(kelvin, 1667.0, 25000.0);
    const double t2 = t * t, t3 = t2 * t;
    if (t <= 4000)
        x = -0.2661239e9 / t3 - 0.2343589e6 / t2 + 0.8776956e3 / t + 0.179910;
    else
        x = -3.0258469e9 / t3 + 2.1070379e6 / t2 + 0.2226347e3 / t + 0.240390;
    const double x2 = x * x, x3 = x2 * x;
    if (t <= 2222)
        y = -1.1063814 * x3 - 1.34811020 * x2 + 2.18555832 * x - 0.20219683;
    else if (t <= 4000)
        y = -0.9549476 * x3 - 1.37418593 * x2 + 2.09137015 * x - 0.16748867;
    else
        y = 3.0817580 * x3 - 5.87338670 * x2 + 3.75112997 * x - 0.37001483;
}

void coneResponse(double kelvin, double cone[3])
{
    double x, y;
    chromaticity(kelvin, x, y);
    const double xyz[3] = { x / y, 1.0, (1 - x - y) / y };
    for (int i = 0; i < 3; ++i)
        cone[i] = kBradford[i][0] * xyz[0] + kBradford[i][1] * xyz[1] + kBradford[i][2] * xyz[2];
}

CameraColorMatrix fromMat3(const Mat3 &a)
{
    CameraColorMatrix r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = static_cast<float>(a[i][j]);
        r.m[i][3] = 0;
    }
    return r;
}

} // namespace

CameraColorMatrix CameraColorMatrix::exposure(double ev)
{
    const double k = std::exp2(ev);
    const Mat3 a = { { k, 0, 0 }, { 0, k, 0 }, { 0, 0, k } };
    return fromMat3(a);
}

CameraColorMatrix CameraColorMatrix::saturation(double saturation)
{
    const double s = saturation;
    const double luma[3] = { kLumaR, kLumaG, kLumaB };
    CameraColorMatrix r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = static_cast<float>((1 - s) * luma[j] + (i == j ? s : 0));
    return r;
}

CameraColorMatrix CameraColorMatrix::temperature(double neutralKelvin, double targetKelvin)
{
    // The white the camera saw is the target; it is mapped onto the neutral white.
    double from[3], to[3];
    coneResponse(targetKelvin, from);
    coneResponse(neutralKelvin, to);
    const Mat3 scale = { { to[0] / from[0], 0, 0 }, { 0, to[1] / from[1], 0 }, { 0, 0, to[2] / from[2] } };
    Mat3 a, b, c, d;
    multiply(scale, kBradford, a);
    multiply(kBradfordInverse, a, b);
    multiply(b, kRgbToXyz, c);
    multiply(kXyzToRgb, c, d);
    return fromMat3(d);
}

CameraColorMatrix CameraColorMatrix::then(const CameraColorMatrix &b) const
{
    CameraColorMatrix r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            float v = b.m[i][0] * m[0][j] + b.m[i][1] * m[1][j] + b.m[i][2] * m[2][j];
            if (j == 3)
                v += b.m[i][3];
            r.m[i][j] = v;
        }
    }
    return r;
}

bool CameraColorMatrix::isIdentity(float tolerance) const
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j)
            if (std::fabs(m[i][j] - (i == j ? 1.0f : 0.0f)) > tolerance)
                return false;
    return true;
}
