#include "CameraSyntheticSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::uint32_t kBars[]
    = { 0xffc0c0c0, 0xffc0c000, 0xff00c0c0, 0xff00c000, 0xffc000c0, 0xffc00000, 0xff0000c0, 0xff202020 };

std::uint32_t *row(CameraPixelBuffer &image, int y)
{
    return reinterpret_cast<std::uint32_t *>(image.scanLine(y));
}

} // namespace

CameraSyntheticSource::CameraSyntheticSource(CameraDeviceDescriptor descriptor)
    : CameraThreadedFrameSource(std::move(descriptor))
{
}

CameraSyntheticSource::~CameraSyntheticSource()
{
    shutDown();
}

void CameraSyntheticSource::render(std::int64_t index, CameraPixelBuffer &image)
{
    // Written in place: a pooled buffer is shared with its pool, so ensure() would reallocate it.
    if (image.isNull() || image.width() != kWidth || image.height() != kHeight
        || image.format() != CameraPixelBuffer::Format::BGRA8)
        image = CameraPixelBuffer(kWidth, kHeight);
    const double t = static_cast<double>(index) / kFramesPerSecond;
    // Upper third: colour bars; below: a diagonal gradient that scrolls sideways.
    const int barsHeight = kHeight / 3;
    const int shift = static_cast<int>(index * 4);
    for (int y = 0; y < kHeight; ++y) {
        std::uint32_t *pixels = row(image, y);
        if (y < barsHeight) {
            for (int x = 0; x < kWidth; ++x)
                pixels[x] = kBars[x * 8 / kWidth];
            continue;
        }
        const std::uint32_t g = static_cast<std::uint32_t>(y * 255 / kHeight) << 8;
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t r = static_cast<std::uint32_t>(((x + shift) & 511) >> 1);
            const std::uint32_t b = static_cast<std::uint32_t>(255 - (((x + y + shift) & 511) >> 1));
            pixels[x] = 0xff000000u | (r << 16) | g | b;
        }
    }
    // A white disc circling the lower part and a vertical bar sweeping across.
    const int cx = static_cast<int>(kWidth / 2 + 380 * std::cos(t * 1.3));
    const int cy = static_cast<int>(kHeight * 0.62 + 150 * std::sin(t * 1.3));
    const int radius = 90;
    for (int y = std::max(0, cy - radius); y < std::min(kHeight, cy + radius); ++y) {
        std::uint32_t *pixels = row(image, y);
        const int dy = y - cy;
        const int half = static_cast<int>(std::sqrt(static_cast<double>(radius * radius - dy * dy)));
        for (int x = std::max(0, cx - half); x < std::min(kWidth, cx + half); ++x)
            pixels[x] = 0xfff4f4f4;
    }
    const int barX = static_cast<int>(index * 8 % kWidth);
    for (int y = 0; y < kHeight; ++y) {
        std::uint32_t *pixels = row(image, y);
        for (int x = barX; x < std::min(kWidth, barX + 24); ++x)
            pixels[x] = 0xff101010;
    }
}

bool CameraSyntheticSource::openDevice(QString &)
{
    return true;
}

void CameraSyntheticSource::closeDevice() { }

void CameraSyntheticSource::run(const Sink &sink)
{
    using Clock = std::chrono::steady_clock;
    const auto period
        = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / kFramesPerSecond));
    const Clock::time_point start = Clock::now();
    std::int64_t index = 0;
    while (!stopRequested()) {
        CameraPixelBuffer image = m_pool.acquire(kWidth, kHeight);
        render(index, image);
        // Stamped with its tick, not the moment the thread woke: a late wake-up must not bunch frames.
        sink(CameraFrameSample { std::move(image), CameraFrameSample::captureTime(start + period * index) });
        // The next tick on the clock's grid; ticks already past are skipped, not caught up.
        const auto now = Clock::now();
        std::int64_t next = index + 1;
        const std::int64_t due = (now - start) / period + 1;
        if (due > next)
            next = due;
        index = next;
        if (!waitUntil(start + period * index))
            return;
    }
}
