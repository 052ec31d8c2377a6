#include "CameraImageKernels.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {

std::atomic<bool> vectorPathsAllowed { true };

bool hasAvx2()
{
    static const bool supported = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return supported;
}

cv::Mat matOf(const CameraPixelBuffer &b)
{
    const int type = b.format() == CameraPixelBuffer::Format::BGRA8 ? CV_8UC4 : CV_8UC1;
    return cv::Mat(b.height(), b.width(), type, const_cast<std::uint8_t *>(b.constBits()),
        static_cast<size_t>(b.bytesPerRow()));
}

template <typename Body> void forRows(int height, Body body)
{
    const int threads = cv::getNumThreads();
    if (threads <= 1 || height < 64) {
        body(0, height);
        return;
    }
    cv::parallel_for_(
        cv::Range(0, height), [&](const cv::Range &r) { body(r.start, r.end); }, threads);
}

// sRGB decode to linear floats, and an encode back to 8 bits indexed by sqrt(linear): the square
// root spaces the 4096 entries roughly as the sRGB curve spaces its levels, so shadows keep their
// precision with a table small enough for L1.
constexpr int kEncodeEntries = 4096;

struct TransferTables {
    alignas(64) std::array<float, 256> toLinear;
    alignas(64) std::array<std::int32_t, kEncodeEntries + 1> toSrgb;

    TransferTables()
    {
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            toLinear[i] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        for (int i = 0; i <= kEncodeEntries; ++i) {
            const double root = static_cast<double>(i) / kEncodeEntries;
            const double l = root * root;
            const double c = l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
            toSrgb[i] = static_cast<std::int32_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
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
    return static_cast<std::uint8_t>(t.toSrgb[static_cast<int>(std::sqrt(clamped) * kEncodeEntries + 0.5f)]);
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

struct RowJob {
    const std::uint8_t *in;
    std::uint8_t *out;
    int width;
    const float (&m)[3][4];
    const float *column; // vignette column terms, or null
    float rowTerm;
    bool mirror;
    const TransferTables *t;
};

using RowKernel = void (*)(const RowJob &);

// One pixel; also the tail of the vector path, so both paths give identical bytes.
inline void colorPixel(const RowJob &j, int x)
{
    const std::uint8_t *p = j.in + 4 * x;
    const TransferTables &t = *j.t;
    const float b = t.toLinear[p[0]], g = t.toLinear[p[1]], r = t.toLinear[p[2]];
    float r2 = j.m[0][0] * r + j.m[0][1] * g + j.m[0][2] * b + j.m[0][3];
    float g2 = j.m[1][0] * r + j.m[1][1] * g + j.m[1][2] * b + j.m[1][3];
    float b2 = j.m[2][0] * r + j.m[2][1] * g + j.m[2][2] * b + j.m[2][3];
    if (j.column) {
        const float f = std::max(1.0f - j.column[x] - j.rowTerm, 0.0f);
        r2 *= f;
        g2 *= f;
        b2 *= f;
    }
    std::uint8_t *q = j.out + 4 * (j.mirror ? j.width - 1 - x : x);
    q[0] = encode(t, b2);
    q[1] = encode(t, g2);
    q[2] = encode(t, r2);
    q[3] = p[3];
}

void colorRowScalar(const RowJob &j)
{
    for (int x = 0; x < j.width; ++x)
        colorPixel(j, x);
}

__attribute__((target("avx2,fma"))) inline __m256i encode8(const TransferTables &t, __m256 v)
{
    v = _mm256_min_ps(_mm256_max_ps(v, _mm256_setzero_ps()), _mm256_set1_ps(1.0f));
    const __m256 index = _mm256_fmadd_ps(
        _mm256_sqrt_ps(v), _mm256_set1_ps(static_cast<float>(kEncodeEntries)), _mm256_set1_ps(0.5f));
    return _mm256_i32gather_epi32(t.toSrgb.data(), _mm256_cvttps_epi32(index), 4);
}

// Eight pixels at a time: gathers for both transfer tables, fused multiply-adds for the matrix.
__attribute__((target("avx2,fma"))) void colorRowAvx2(const RowJob &j)
{
    const TransferTables &t = *j.t;
    const __m256i byteMask = _mm256_set1_epi32(0xff);
    const __m256 one = _mm256_set1_ps(1.0f), zero = _mm256_setzero_ps();
    __m256 m[3][4];
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 4; ++k)
            m[i][k] = _mm256_set1_ps(j.m[i][k]);
    const __m256 rowTerm = _mm256_set1_ps(j.rowTerm);
    const __m256i reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);

    int x = 0;
    for (; x + 8 <= j.width; x += 8) {
        const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(j.in + 4 * x));
        const __m256 b = _mm256_i32gather_ps(t.toLinear.data(), _mm256_and_si256(px, byteMask), 4);
        const __m256 g
            = _mm256_i32gather_ps(t.toLinear.data(), _mm256_and_si256(_mm256_srli_epi32(px, 8), byteMask), 4);
        const __m256 r = _mm256_i32gather_ps(
            t.toLinear.data(), _mm256_and_si256(_mm256_srli_epi32(px, 16), byteMask), 4);
        __m256 r2
            = _mm256_fmadd_ps(m[0][0], r, _mm256_fmadd_ps(m[0][1], g, _mm256_fmadd_ps(m[0][2], b, m[0][3])));
        __m256 g2
            = _mm256_fmadd_ps(m[1][0], r, _mm256_fmadd_ps(m[1][1], g, _mm256_fmadd_ps(m[1][2], b, m[1][3])));
        __m256 b2
            = _mm256_fmadd_ps(m[2][0], r, _mm256_fmadd_ps(m[2][1], g, _mm256_fmadd_ps(m[2][2], b, m[2][3])));
        if (j.column) {
            const __m256 f = _mm256_max_ps(
                _mm256_sub_ps(_mm256_sub_ps(one, _mm256_loadu_ps(j.column + x)), rowTerm), zero);
            r2 = _mm256_mul_ps(r2, f);
            g2 = _mm256_mul_ps(g2, f);
            b2 = _mm256_mul_ps(b2, f);
        }
        const __m256i alpha = _mm256_andnot_si256(_mm256_set1_epi32(0x00ffffff), px);
        __m256i out = _mm256_or_si256(_mm256_or_si256(encode8(t, b2), _mm256_slli_epi32(encode8(t, g2), 8)),
            _mm256_or_si256(_mm256_slli_epi32(encode8(t, r2), 16), alpha));
        int target = x;
        if (j.mirror) {
            out = _mm256_permutevar8x32_epi32(out, reverse);
            target = j.width - 8 - x;
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(j.out + 4 * target), out);
    }
    for (; x < j.width; ++x)
        colorPixel(j, x);
}

RowKernel colorRowKernel()
{
    return vectorPathsAllowed && hasAvx2() ? colorRowAvx2 : colorRowScalar;
}

using BlendRowKernel
    = void (*)(const std::uint8_t *, const std::uint8_t *, const std::uint8_t *, std::uint8_t *, int);

// (f·a + b·(255 − a)) / 255, rounded; both paths give identical bytes.
inline std::uint8_t mix(unsigned f, unsigned b, unsigned a)
{
    const unsigned v = f * a + b * (255u - a) + 128u;
    return static_cast<std::uint8_t>((v + (v >> 8)) >> 8);
}

void blendRowScalar(
    const std::uint8_t *f, const std::uint8_t *b, const std::uint8_t *m, std::uint8_t *o, int w)
{
    for (int x = 0; x < w; ++x)
        for (int c = 0; c < 4; ++c)
            o[4 * x + c] = mix(f[4 * x + c], b[4 * x + c], m[x]);
}

__attribute__((target("avx2"))) void blendRowAvx2(
    const std::uint8_t *f, const std::uint8_t *b, const std::uint8_t *m, std::uint8_t *o, int w)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i full = _mm256_set1_epi16(255);
    const __m256i round = _mm256_set1_epi16(128);
    const __m256i spread = _mm256_set1_epi32(0x01010101);
    int x = 0;
    for (; x + 8 <= w; x += 8) {
        const __m256i fv = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(f + 4 * x));
        const __m256i bv = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + 4 * x));
        const __m128i m8 = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(m + x));
        const __m256i av = _mm256_mullo_epi32(_mm256_cvtepu8_epi32(m8), spread); // a in all four bytes
        __m256i halves[2];
        for (int k = 0; k < 2; ++k) {
            const __m256i f16 = k ? _mm256_unpackhi_epi8(fv, zero) : _mm256_unpacklo_epi8(fv, zero);
            const __m256i b16 = k ? _mm256_unpackhi_epi8(bv, zero) : _mm256_unpacklo_epi8(bv, zero);
            const __m256i a16 = k ? _mm256_unpackhi_epi8(av, zero) : _mm256_unpacklo_epi8(av, zero);
            __m256i v = _mm256_add_epi16(
                _mm256_mullo_epi16(f16, a16), _mm256_mullo_epi16(b16, _mm256_sub_epi16(full, a16)));
            v = _mm256_add_epi16(v, round);
            halves[k] = _mm256_srli_epi16(_mm256_add_epi16(v, _mm256_srli_epi16(v, 8)), 8);
        }
        _mm256_storeu_si256(
            reinterpret_cast<__m256i *>(o + 4 * x), _mm256_packus_epi16(halves[0], halves[1]));
    }
    blendRowScalar(f + 4 * x, b + 4 * x, m + x, o + 4 * x, w - x);
}

BlendRowKernel blendRowKernel()
{
    return vectorPathsAllowed && hasAvx2() ? blendRowAvx2 : blendRowScalar;
}

} // namespace

namespace CameraImageKernels {

void setVectorPathsAllowed(bool allowed)
{
    vectorPathsAllowed = allowed;
}

bool vectorPathsActive()
{
    return vectorPathsAllowed && hasAvx2();
}

void setThreadCount(int threads)
{
    cv::setNumThreads(std::max(threads, 1));
}

int threadCount()
{
    return std::max(cv::getNumThreads(), 1);
}

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
    // Whole source pixels: cv::resize on a region is several times faster than a sub-pixel warp,
    // and the smoothed framing moves slowly enough that a step of one source pixel does not show.
    const int left = std::clamp(static_cast<int>(std::lround(crop.left())), 0, source.width() - 1);
    const int top = std::clamp(static_cast<int>(std::lround(crop.top())), 0, source.height() - 1);
    const int cw = std::clamp(static_cast<int>(std::lround(crop.width())), 1, source.width() - left);
    const int ch = std::clamp(static_cast<int>(std::lround(crop.height())), 1, source.height() - top);
    cv::Mat out = matOf(destination);
    cv::resize(matOf(source)(cv::Rect(left, top, cw, ch)), out, out.size(), 0, 0, cv::INTER_LINEAR);
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

    const RowKernel kernel = colorRowKernel();
    forRows(h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const RowJob job { source.constScanLine(y), destination.scanLine(y), w, m,
                vignette ? vt->column.data() : nullptr, vignette ? vt->row[y] : 0.0f, mirror, &t };
            kernel(job);
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
    // Halve the size while the reduced sigma stays above 1.8 pixels: a blur that wide hides the
    // bilinear enlargement. Each halving by bilinear sampling at exactly half size averages 2x2
    // pixels, a box filter as good as area resampling and several times faster.
    const CameraPixelBuffer *level = &source;
    double sigma = radius;
    for (auto &next : scratch.levels) {
        if (sigma / 2 < 1.8 || level->width() < 4 || level->height() < 4)
            break;
        next.ensure(level->width() / 2, level->height() / 2, source.format());
        cv::Mat out = matOf(next);
        cv::resize(matOf(*level), out, out.size(), 0, 0, cv::INTER_LINEAR);
        sigma *= static_cast<double>(next.width()) / level->width();
        level = &next;
    }
    const bool reduced = level != &source;
    if (!reduced) {
        matOf(source).copyTo(matOf(destination));
        level = &destination;
    }
    cv::Mat work = matOf(*level);
    if (sigma > 0.05)
        cv::GaussianBlur(work, work, cv::Size(0, 0), sigma, sigma, cv::BORDER_REPLICATE);
    if (grade) {
        colorPass(*level, { *grade, false, 0, 1.8 }, scratch.graded);
        level = &scratch.graded;
    }
    if (reduced || grade) {
        cv::Mat out = matOf(destination);
        if (level->width() == w && level->height() == h)
            matOf(*level).copyTo(out);
        else
            cv::resize(matOf(*level), out, out.size(), 0, 0, cv::INTER_LINEAR);
    }
}

void stretchAndFeatherMask(const CameraPixelBuffer &mask, int width, int height, double featherRadius,
    CameraPixelBuffer &destination, BlurScratch &scratch)
{
    destination.ensure(width, height, CameraPixelBuffer::Format::Gray8);
    if (mask.isNull() || destination.isNull())
        return;
    cv::Mat out = matOf(destination);
    if (featherRadius <= 0.05) {
        cv::resize(matOf(mask), out, out.size(), 0, 0, cv::INTER_LINEAR);
        return;
    }
    // Feathering at half size with half the radius, then enlarging, matches feathering at full size
    // for a mask that was enlarged from a model's resolution anyway, at a quarter of the cost.
    const int hw = std::max(1, width / 2), hh = std::max(1, height / 2);
    scratch.halfMask.ensure(hw, hh, CameraPixelBuffer::Format::Gray8);
    cv::Mat half = matOf(scratch.halfMask);
    cv::resize(matOf(mask), half, half.size(), 0, 0, cv::INTER_LINEAR);
    const double sigma = featherRadius * hw / width;
    cv::GaussianBlur(half, half, cv::Size(0, 0), sigma, sigma, cv::BORDER_REPLICATE);
    cv::resize(half, out, out.size(), 0, 0, cv::INTER_LINEAR);
}

void blendWithMask(const CameraPixelBuffer &foreground, const CameraPixelBuffer &background,
    const CameraPixelBuffer &mask, CameraPixelBuffer &destination)
{
    const int w = foreground.width(), h = foreground.height();
    destination.ensure(w, h, CameraPixelBuffer::Format::BGRA8);
    if (foreground.isNull() || background.isNull() || mask.isNull() || destination.isNull()
        || background.width() != w || background.height() != h || mask.width() != w || mask.height() != h)
        return;
    const BlendRowKernel kernel = blendRowKernel();
    forRows(h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            kernel(foreground.constScanLine(y), background.constScanLine(y), mask.constScanLine(y),
                destination.scanLine(y), w);
    });
}

} // namespace CameraImageKernels
