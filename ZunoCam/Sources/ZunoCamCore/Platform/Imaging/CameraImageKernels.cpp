#include "CameraImageKernels.h"

#include "CameraRowWorkers.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

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

// The row loops' threads. OpenCV's pool gave each thread one stripe and, on the frame road, left the
// colour rows on the video queue's thread alone while its worker shared a core with the capture
// thread; these workers take stripes from one counter with the caller (see CameraRowWorkers).
std::mutex rowWorkersLock;
std::shared_ptr<CameraRowWorkers> rowWorkersInstance;

std::shared_ptr<CameraRowWorkers> rowWorkers()
{
    std::lock_guard lock(rowWorkersLock);
    if (!rowWorkersInstance)
        rowWorkersInstance = std::make_shared<CameraRowWorkers>(std::max(cv::getNumThreads(), 1));
    return rowWorkersInstance;
}

constexpr int kMinimumStripeRows = 32;

template <typename Body> void forRows(int height, Body body)
{
    const std::shared_ptr<CameraRowWorkers> workers = rowWorkers();
    if (workers->threads() <= 1 || height < 2 * kMinimumStripeRows) {
        body(0, height);
        return;
    }
    workers->run(height, kMinimumStripeRows, [&](int first, int end) { body(first, end); });
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

double encodeSrgb(double linear)
{
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

double decodeSrgb(double encoded)
{
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

// The tone of each channel, from the 8-bit input to linear light: exposure (a factor on linear
// values), then contrast on the encoded values around their mid point: (encoded − 0.5) · contrast
// + 0.5, black below zero and brighter than white above one. Contrast scaled around a linear mid
// grey instead would crush every shadow below about 5 % of the range to black.
struct ToneTable {
    double exposureEV = 0;
    double contrast = 1;
    alignas(64) std::array<float, 256> toLinear;

    ToneTable(double ev, double c)
        : exposureEV(ev)
        , contrast(c)
    {
        const double gain = std::exp2(ev);
        for (int i = 0; i < 256; ++i) {
            const double encoded = (encodeSrgb(decodeSrgb(i / 255.0) * gain) - 0.5) * c + 0.5;
            toLinear[i] = encoded <= 0 ? 0.0f : static_cast<float>(decodeSrgb(encoded));
        }
    }
};

// The pipeline and the studio background use a tone each: a few tables are kept.
std::shared_ptr<const ToneTable> toneTable(double exposureEV, double contrast)
{
    static std::mutex mutex;
    static std::array<std::shared_ptr<const ToneTable>, 4> cached;
    static std::size_t next = 0;
    std::lock_guard lock(mutex);
    for (const auto &table : cached)
        if (table && table->exposureEV == exposureEV && table->contrast == contrast)
            return table;
    auto table = std::make_shared<const ToneTable>(exposureEV, contrast);
    cached[next] = table;
    next = (next + 1) % cached.size();
    return table;
}

inline int tableIndex(float linear)
{
    return static_cast<int>(std::sqrt(std::clamp(linear, 0.0f, 1.0f)) * kEncodeEntries + 0.5f);
}

inline std::uint8_t encode(const TransferTables &t, float linear)
{
    return static_cast<std::uint8_t>(t.toSrgb[tableIndex(linear)]);
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
    const float *toLinear; // 256 entries: decode, or decode with exposure and contrast
    const float (*m)[4];
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
    const float b = j.toLinear[p[0]], g = j.toLinear[p[1]], r = j.toLinear[p[2]];
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
        const __m256 b = _mm256_i32gather_ps(j.toLinear, _mm256_and_si256(px, byteMask), 4);
        const __m256 g
            = _mm256_i32gather_ps(j.toLinear, _mm256_and_si256(_mm256_srli_epi32(px, 8), byteMask), 4);
        const __m256 r
            = _mm256_i32gather_ps(j.toLinear, _mm256_and_si256(_mm256_srli_epi32(px, 16), byteMask), 4);
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

// Bilinear sampling in fixed point: weights in 64ths of a pixel, so a crop moves in steps of 1/64
// source pixel. A pass first mixes two neighbouring pixels along each needed source row
// (p0 · (64 − f) + p1 · f, at most 16320 in 16 bits), then two such rows.
constexpr int kWeightOne = 64;

// Where each output column or row samples: the first of the two source pixels and the weight of
// the second. The sample positions are clamped to [first, last] source pixel.
struct SampleAxis {
    std::vector<std::int32_t> index;
    std::vector<std::uint8_t> weight;
};

SampleAxis sampleAxis(int outputCount, double start, double length, int first, int last)
{
    SampleAxis axis;
    axis.index.resize(outputCount);
    axis.weight.resize(outputCount);
    const double scale = length / outputCount;
    for (int i = 0; i < outputCount; ++i) {
        const double position = std::clamp(start + (i + 0.5) * scale - 0.5, double(first), double(last));
        int index = static_cast<int>(std::floor(position));
        int weight = static_cast<int>(std::lround((position - index) * kWeightOne));
        if (weight == kWeightOne)
            ++index, weight = 0;
        // The pair must lie inside the source: the last pixel is the second of its pair, weighted whole.
        if (index >= last && index > first)
            index = last - 1, weight = kWeightOne;
        axis.index[i] = index;
        axis.weight[i] = static_cast<std::uint8_t>(weight);
    }
    return axis;
}

// One source row mixed horizontally: four 16-bit channels per output pixel. `offsets` are byte
// offsets of the first pixel of each pair; `weights` hold (64 − f, f) four times per pixel.
using HorizontalRowKernel
    = void (*)(const std::uint8_t *, const std::int32_t *, const std::uint64_t *, std::int16_t *, int);
// Two mixed rows mixed vertically into BGRA bytes.
using VerticalRowKernel = void (*)(const std::int16_t *, const std::int16_t *, int, std::uint8_t *, int);

void horizontalRowScalar(const std::uint8_t *row, const std::int32_t *offsets, const std::uint64_t *weights,
    std::int16_t *out, int w)
{
    for (int x = 0; x < w; ++x) {
        const std::uint8_t *p = row + offsets[x];
        const int w1 = static_cast<int>((weights[x] >> 8) & 0xff), w0 = static_cast<int>(weights[x] & 0xff);
        for (int c = 0; c < 4; ++c)
            out[4 * x + c] = static_cast<std::int16_t>(p[c] * w0 + p[4 + c] * w1);
    }
}

void verticalRowScalar(
    const std::int16_t *top, const std::int16_t *bottom, int weight, std::uint8_t *out, int w)
{
    const int keep = kWeightOne - weight;
    for (int i = 0; i < 4 * w; ++i)
        out[i] = static_cast<std::uint8_t>((top[i] * keep + bottom[i] * weight + 2048) >> 12);
}

__attribute__((target("avx2"))) void horizontalRowAvx2(const std::uint8_t *row, const std::int32_t *offsets,
    const std::uint64_t *weights, std::int16_t *out, int w)
{
    // Each 64-bit lane holds a pixel pair; interleave it channel by channel so that one multiply-add
    // of unsigned bytes with signed weights gives p0 · (64 − f) + p1 · f per channel.
    const __m256i interleave = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0, 4, 1,
        5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
    const auto *base = reinterpret_cast<const long long *>(row);
    int x = 0;
    for (; x + 4 <= w; x += 4) {
        const __m128i index = _mm_loadu_si128(reinterpret_cast<const __m128i *>(offsets + x));
        const __m256i pairs = _mm256_shuffle_epi8(_mm256_i32gather_epi64(base, index, 1), interleave);
        const __m256i weight = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(weights + x));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + 4 * x), _mm256_maddubs_epi16(pairs, weight));
    }
    horizontalRowScalar(row, offsets + x, weights + x, out + 4 * x, w - x);
}

// Sixteen 16-bit channels of two rows mixed: back in their order within each 128-bit half.
__attribute__((target("avx2"))) inline __m256i mixRows16(
    const std::int16_t *top, const std::int16_t *bottom, __m256i weights)
{
    const __m256i round = _mm256_set1_epi32(2048);
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(top));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(bottom));
    const __m256i lo = _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), weights);
    const __m256i hi = _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), weights);
    return _mm256_packs_epi32(_mm256_srai_epi32(_mm256_add_epi32(lo, round), 12),
        _mm256_srai_epi32(_mm256_add_epi32(hi, round), 12));
}

__attribute__((target("avx2"))) void verticalRowAvx2(
    const std::int16_t *top, const std::int16_t *bottom, int weight, std::uint8_t *out, int w)
{
    const __m256i weights = _mm256_set1_epi32((weight << 16) | (kWeightOne - weight));
    const int n = 4 * w;
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i bytes = _mm256_packus_epi16(
            mixRows16(top + i, bottom + i, weights), mixRows16(top + i + 16, bottom + i + 16, weights));
        _mm256_storeu_si256(
            reinterpret_cast<__m256i *>(out + i), _mm256_permute4x64_epi64(bytes, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    verticalRowScalar(top + i, bottom + i, weight, out + i, (n - i) / 4);
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
    std::lock_guard lock(rowWorkersLock);
    rowWorkersInstance.reset(); // made again, at the new count, by the next loop
}

int threadCount()
{
    return std::max(cv::getNumThreads(), 1);
}

namespace {

// The bilinear crop-and-scale of BGRA `source` into `width` x `height` rows, each handed to
// `emitRow(y, row)` (for a row of the destination) as soon as it is made; `row` is the destination's
// own row unless `staged`, then a row buffer of the thread that made it. Returns false, with nothing
// emitted, where the rectangle needs the whole-pixel path (masks, single-pixel strips) or is empty.
template <typename EmitRow>
bool scaleRows(const CameraPixelBuffer &source, const QRectF &rect, int width, int height,
    CameraPixelBuffer &destination, bool staged, EmitRow emitRow)
{
    const QRectF crop = rect.intersected(QRectF(0, 0, source.width(), source.height()));
    if (crop.isEmpty())
        return false;
    const auto firstPixel = [](double edge) { return static_cast<int>(std::floor(edge)); };
    const auto lastPixel = [](double edge) { return static_cast<int>(std::ceil(edge)) - 1; };
    const int left = std::max(firstPixel(crop.left()), 0), top = std::max(firstPixel(crop.top()), 0);
    const int right = std::clamp(lastPixel(crop.right()), left, source.width() - 1);
    const int bottom = std::clamp(lastPixel(crop.bottom()), top, source.height() - 1);
    if (source.format() != CameraPixelBuffer::Format::BGRA8 || right == left || bottom == top)
        return false;

    const SampleAxis columns = sampleAxis(width, crop.left(), crop.width(), left, right);
    const SampleAxis rows = sampleAxis(height, crop.top(), crop.height(), top, bottom);
    std::vector<std::int32_t> offsets(width);
    std::vector<std::uint64_t> weights(width);
    for (int x = 0; x < width; ++x) {
        offsets[x] = 4 * columns.index[x];
        const std::uint64_t pair = (kWeightOne - columns.weight[x]) | (std::uint64_t(columns.weight[x]) << 8);
        weights[x] = pair * 0x0001000100010001ull;
    }
    const bool vector = vectorPathsAllowed && hasAvx2();
    const HorizontalRowKernel horizontal = vector ? horizontalRowAvx2 : horizontalRowScalar;
    const VerticalRowKernel vertical = vector ? verticalRowAvx2 : verticalRowScalar;

    forRows(height, [&](int y0, int y1) {
        // The two mixed source rows of the previous output row, reused while the next one needs them.
        std::vector<std::int16_t> upper(4 * width), lower(4 * width);
        std::vector<std::uint8_t> stage(staged ? 4 * width : 0);
        int upperRow = -1, lowerRow = -1;
        for (int y = y0; y < y1; ++y) {
            const int sourceRow = rows.index[y];
            if (upperRow != sourceRow) {
                if (lowerRow == sourceRow) {
                    std::swap(upper, lower);
                    std::swap(upperRow, lowerRow);
                } else {
                    horizontal(
                        source.constScanLine(sourceRow), offsets.data(), weights.data(), upper.data(), width);
                    upperRow = sourceRow;
                }
            }
            if (lowerRow != sourceRow + 1) {
                horizontal(
                    source.constScanLine(sourceRow + 1), offsets.data(), weights.data(), lower.data(), width);
                lowerRow = sourceRow + 1;
            }
            std::uint8_t *row = staged ? stage.data() : destination.scanLine(y);
            vertical(upper.data(), lower.data(), rows.weight[y], row, width);
            emitRow(y, row);
        }
    });
    return true;
}

// Whole pixels of the rectangle, for masks and single-pixel strips.
void cropAndResizeWhole(const CameraPixelBuffer &source, const QRectF &rect, CameraPixelBuffer &destination)
{
    const QRectF crop = rect.intersected(QRectF(0, 0, source.width(), source.height()));
    if (crop.isEmpty())
        return;
    const int left = std::max(static_cast<int>(std::floor(crop.left())), 0);
    const int top = std::max(static_cast<int>(std::floor(crop.top())), 0);
    const int right = std::clamp(static_cast<int>(std::ceil(crop.right())) - 1, left, source.width() - 1);
    const int bottom = std::clamp(static_cast<int>(std::ceil(crop.bottom())) - 1, top, source.height() - 1);
    cv::Mat out = matOf(destination);
    cv::resize(matOf(source)(cv::Rect(left, top, right - left + 1, bottom - top + 1)), out, out.size(), 0, 0,
        cv::INTER_LINEAR);
}

// What a colour pass needs per row, prepared once per frame.
class ColorRows {
public:
    ColorRows(const ColorPass &pass, int width, int height)
        : m_width(width)
        , m_mirror(pass.mirror)
        , m_kernel(colorRowKernel())
        , m_tables(tables())
    {
        if (pass.vignetteIntensity > 0)
            m_vignette = vignetteTables(width, height, pass.vignetteIntensity, pass.vignetteRadius);
        if (pass.exposureEV != 0 || std::fabs(pass.contrast - 1) > 1e-6)
            m_tone = toneTable(pass.exposureEV, pass.contrast);
        m_toLinear = m_tone ? m_tone->toLinear.data() : m_tables.toLinear.data();
        std::memcpy(m_matrix, pass.matrix.m, sizeof m_matrix);
    }

    void run(int y, const std::uint8_t *in, std::uint8_t *out) const
    {
        const RowJob job { in, out, m_width, m_toLinear, m_matrix,
            m_vignette ? m_vignette->column.data() : nullptr, m_vignette ? m_vignette->row[y] : 0.0f,
            m_mirror, &m_tables };
        m_kernel(job);
    }

private:
    int m_width;
    bool m_mirror;
    RowKernel m_kernel;
    const TransferTables &m_tables;
    std::shared_ptr<const VignetteTables> m_vignette;
    std::shared_ptr<const ToneTable> m_tone;
    const float *m_toLinear = nullptr;
    float m_matrix[3][4];
};

} // namespace

void cropAndScale(const CameraPixelBuffer &source, const QRectF &rect, int width, int height,
    CameraPixelBuffer &destination)
{
    destination.ensure(width, height, source.format());
    if (source.isNull() || destination.isNull())
        return;
    if (!scaleRows(source, rect, width, height, destination, false, [](int, const std::uint8_t *) {}))
        cropAndResizeWhole(source, rect, destination);
}

void cropScaleAndColor(const CameraPixelBuffer &source, const QRectF &rect, int width, int height,
    const ColorPass &pass, CameraPixelBuffer &destination, CameraPixelBuffer &scratch)
{
    destination.ensure(width, height, CameraPixelBuffer::Format::BGRA8);
    if (source.isNull() || destination.isNull() || source.format() != CameraPixelBuffer::Format::BGRA8)
        return;
    const ColorRows colour(pass, width, height);
    // Each scaled row is coloured while it is still in the first-level cache.
    if (scaleRows(source, rect, width, height, destination, true,
            [&](int y, const std::uint8_t *row) { colour.run(y, row, destination.scanLine(y)); }))
        return;
    cropAndScale(source, rect, width, height, scratch);
    colorPass(scratch, pass, destination);
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
    const ColorRows colour(pass, w, h);
    forRows(h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            colour.run(y, source.constScanLine(y), destination.scanLine(y));
    });
}

void gaussianBlur(const CameraPixelBuffer &source, double radius, CameraPixelBuffer &destination,
    BlurScratch &scratch, const ColorPass *grade)
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
        ColorPass plain = *grade;
        plain.mirror = false;
        plain.vignetteIntensity = 0;
        colorPass(*level, plain, scratch.graded);
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
