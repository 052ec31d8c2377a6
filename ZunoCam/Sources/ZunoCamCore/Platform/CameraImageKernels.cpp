#include "CameraImageKernels.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

cv::Mat matOf(const CameraPixelBuffer &b)
{
    const int type = b.format() == CameraPixelBuffer::Format::BGRA8 ? CV_8UC4 : CV_8UC1;
    return cv::Mat(b.height(), b.width(), type, const_cast<std::uint8_t *>(b.constBits()),
                   static_cast<size_t>(b.bytesPerRow()));
}

template <typename Body>
void forRows(int height, Body body)
{
    const int threads = cv::getNumThreads();
    if (threads <= 1 || height < 64) {
        body(0, height);
        return;
    }
    cv::parallel_for_(
        cv::Range(0, height), [&](const cv::Range &r) { body(r.start, r.end); }, threads);
}

// sRGB decode to linear floats, and a 16-bit-indexed encode back to 8 bits.
struct TransferTables {
    std::array<float, 256> toLinear;
    std::array<std::uint8_t, 65536> toSrgb;

    TransferTables()
    {
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            toLinear[i] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        for (int i = 0; i < 65536; ++i) {
            const double l = i / 65535.0;
            const double c = l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
            toSrgb[i] = static_cast<std::uint8_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
        }
    }
};

const TransferTables &tables()
{
    static const TransferTables t;
    return t;
}

inline std::uint8_t encode(const TransferTables &t, float linear)
{
    const float clamped = std::clamp(linear, 0.0f, 1.0f);
    return t.toSrgb[static_cast<int>(clamped * 65535.0f + 0.5f)];
}

// The vignette is separable into a column term and a row term: factor = 1 - (col[x] + row[y]),
// clamped. The column table is cached per width and parameters; rows cost one value each.
struct VignetteTables {
    int width = 0, height = 0;
    double intensity = -1, radius = -1;
    std::vector<float> column;
    std::vector<float> row;
};

// Factor = 1 - 2 · intensity · (d / radius)², with d the distance from the centre over the half
// diagonal (0 at the centre, 1 in the corners).
double vignetteScale(int width, int height, double intensity, double radius)
{
    const double halfDiagonalSquared = (width * width + height * height) / 4.0;
    return 2.0 * intensity / (radius * radius) / halfDiagonalSquared;
}

std::shared_ptr<const VignetteTables> vignetteTables(int width, int height, double intensity, double radius)
{
    static std::mutex mutex;
    static std::shared_ptr<const VignetteTables> cached;
    std::lock_guard lock(mutex);
    if (cached && cached->width == width && cached->height == height && cached->intensity == intensity
        && cached->radius == radius)
        return cached;
    auto t = std::make_shared<VignetteTables>();
    t->width = width;
    t->height = height;
    t->intensity = intensity;
    t->radius = radius;
    const double scale = vignetteScale(width, height, intensity, radius);
    t->column.resize(width);
    for (int x = 0; x < width; ++x) {
        const double dx = x + 0.5 - width / 2.0;
        t->column[x] = static_cast<float>(scale * dx * dx);
    }
    t->row.resize(height);
    for (int y = 0; y < height; ++y) {
        const double dy = y + 0.5 - height / 2.0;
        t->row[y] = static_cast<float>(scale * dy * dy);
    }
    cached = t;
    return cached;
}

}  // namespace

namespace CameraImageKernels {

void setThreadCount(int threads) { cv::setNumThreads(std::max(threads, 1)); }

int threadCount() { return std::max(cv::getNumThreads(), 1); }

void cropAndScale(const CameraPixelBuffer &source, const QRectF &rect, int width, int height,
                  CameraPixelBuffer &destination)
{
    destination.ensure(width, height, source.format());
    if (source.isNull() || destination.isNull())
        return;
    const QRectF bounds(0, 0, source.width(), source.height());
    const QRectF crop = rect.intersected(bounds);
    if (crop.isEmpty())
        return;
    // Sample inside the crop only: the whole-pixel region around it is the source, and its edge
    // pixels extend outwards, so nothing from beyond the crop bleeds into the picture's border.
    const int left = static_cast<int>(std::floor(crop.left())), top = static_cast<int>(std::floor(crop.top()));
    const int right = static_cast<int>(std::ceil(crop.right())), bottom = static_cast<int>(std::ceil(crop.bottom()));
    const cv::Mat region = matOf(source)(cv::Rect(left, top, right - left, bottom - top));
    // Destination pixel centres mapped into the region.
    const double sx = crop.width() / width;
    const double sy = crop.height() / height;
    const cv::Matx23d toSource(sx, 0, crop.x() - left + 0.5 * sx - 0.5, 0, sy, crop.y() - top + 0.5 * sy - 0.5);
    cv::Mat out = matOf(destination);
    cv::warpAffine(region, out, toSource, out.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
}

float vignetteFactor(int x, int y, int width, int height, double intensity, double radius)
{
    const double scale = vignetteScale(width, height, intensity, radius);
    const double dx = x + 0.5 - width / 2.0, dy = y + 0.5 - height / 2.0;
    return static_cast<float>(std::clamp(1.0 - scale * (dx * dx + dy * dy), 0.0, 1.0));
}

void colorPass(const CameraPixelBuffer &source, const ColorPass &pass, CameraPixelBuffer &destination)
{
    const int w = source.width(), h = source.height();
    destination.ensure(w, h, CameraPixelBuffer::Format::BGRA8);
    if (source.isNull() || destination.isNull())
        return;
    const bool vignette = pass.vignetteIntensity > 0;
    std::shared_ptr<const VignetteTables> vt;
    if (vignette)
        vt = vignetteTables(w, h, pass.vignetteIntensity, pass.vignetteRadius);
    const TransferTables &t = tables();
    float m[3][4];
    std::memcpy(m, pass.matrix.m, sizeof m);
    const bool mirror = pass.mirror;

    forRows(h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t *in = source.constScanLine(y);
            std::uint8_t *out = destination.scanLine(y);
            const float rowTerm = vignette ? vt->row[y] : 0.0f;
            const float *column = vignette ? vt->column.data() : nullptr;
            for (int x = 0; x < w; ++x) {
                const std::uint8_t *p = in + 4 * x;
                const float b = t.toLinear[p[0]], g = t.toLinear[p[1]], r = t.toLinear[p[2]];
                float r2 = m[0][0] * r + m[0][1] * g + m[0][2] * b + m[0][3];
                float g2 = m[1][0] * r + m[1][1] * g + m[1][2] * b + m[1][3];
                float b2 = m[2][0] * r + m[2][1] * g + m[2][2] * b + m[2][3];
                if (column) {
                    const float f = std::max(1.0f - column[x] - rowTerm, 0.0f);
                    r2 *= f;
                    g2 *= f;
                    b2 *= f;
                }
                std::uint8_t *q = out + 4 * (mirror ? w - 1 - x : x);
                q[0] = encode(t, b2);
                q[1] = encode(t, g2);
                q[2] = encode(t, r2);
                q[3] = p[3];
            }
        }
    });
}

void gaussianBlur(const CameraPixelBuffer &source, double radius, CameraPixelBuffer &destination,
                  BlurScratch &scratch, const CameraColorMatrix *grade)
{
    const int w = source.width(), h = source.height();
    destination.ensure(w, h, source.format());
    if (source.isNull() || destination.isNull())
        return;
    // Work at 1/factor of the size so that the reduced sigma stays near 2.5 pixels: a blur that wide
    // hides the bilinear enlargement.
    const int factor = std::clamp(static_cast<int>(radius / 2.5), 1, 8);
    const int sw = std::max(1, w / factor), sh = std::max(1, h / factor);
    const double sigma = radius * sw / w;

    scratch.small.ensure(sw, sh, source.format());
    cv::Mat small = matOf(scratch.small);
    if (factor == 1)
        matOf(source).copyTo(small);
    else
        cv::resize(matOf(source), small, small.size(), 0, 0, cv::INTER_AREA);
    if (sigma > 0.05)
        cv::GaussianBlur(small, small, cv::Size(0, 0), sigma, sigma, cv::BORDER_REPLICATE);

    const CameraPixelBuffer *blurred = &scratch.small;
    if (grade) {
        colorPass(scratch.small, {*grade, false, 0, 1.8}, scratch.smallGraded);
        blurred = &scratch.smallGraded;
    }
    cv::Mat out = matOf(destination);
    if (factor == 1)
        matOf(*blurred).copyTo(out);
    else
        cv::resize(matOf(*blurred), out, out.size(), 0, 0, cv::INTER_LINEAR);
}

void stretchAndFeatherMask(const CameraPixelBuffer &mask, int width, int height, double featherRadius,
                           CameraPixelBuffer &destination)
{
    destination.ensure(width, height, CameraPixelBuffer::Format::Gray8);
    if (mask.isNull() || destination.isNull())
        return;
    cv::Mat out = matOf(destination);
    cv::resize(matOf(mask), out, out.size(), 0, 0, cv::INTER_LINEAR);
    if (featherRadius > 0.05)
        cv::GaussianBlur(out, out, cv::Size(0, 0), featherRadius, featherRadius, cv::BORDER_REPLICATE);
}

void blendWithMask(const CameraPixelBuffer &foreground, const CameraPixelBuffer &background,
                   const CameraPixelBuffer &mask, CameraPixelBuffer &destination)
{
    const int w = foreground.width(), h = foreground.height();
    destination.ensure(w, h, CameraPixelBuffer::Format::BGRA8);
    if (foreground.isNull() || background.isNull() || mask.isNull() || destination.isNull()
        || background.width() != w || background.height() != h || mask.width() != w || mask.height() != h)
        return;
    forRows(h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t *f = foreground.constScanLine(y);
            const std::uint8_t *b = background.constScanLine(y);
            const std::uint8_t *m = mask.constScanLine(y);
            std::uint8_t *o = destination.scanLine(y);
            for (int x = 0; x < w; ++x) {
                const unsigned a = m[x];
                for (int c = 0; c < 4; ++c) {
                    const unsigned v = f[4 * x + c] * a + b[4 * x + c] * (255u - a) + 128u;
                    o[4 * x + c] = static_cast<std::uint8_t>((v + (v >> 8)) >> 8);  // exact /255 rounding
                }
            }
        }
    });
}

}  // namespace CameraImageKernels
