#pragma once

#include <QImage>

#include <cstdint>
#include <memory>

// A frame's pixels: 8-bit BGRA (alpha opaque; QImage's ARGB32 on little-endian machines) or an 8-bit
// one-channel mask. Copies share the pixels (a frame is never copied on its way); wrapping foreign
// memory and handing the pixels to a QImage never copies them.
class CameraPixelBuffer {
public:
    enum class Format { BGRA8, Gray8 };

    CameraPixelBuffer() = default;
    // Allocates; rows are padded to 64 bytes so every row starts on a cache line.
    CameraPixelBuffer(int width, int height, Format format = Format::BGRA8);
    // Wraps memory owned elsewhere; `owner` keeps it alive for as long as any copy lives.
    static CameraPixelBuffer wrap(std::uint8_t *data, int width, int height, int bytesPerRow, Format format,
        std::shared_ptr<void> owner);
    // Shares a QImage's pixels (converted once when it is not ARGB32/RGB32/Grayscale8).
    static CameraPixelBuffer fromQImage(const QImage &image);

    bool isNull() const { return m_data == nullptr; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int bytesPerRow() const { return m_bytesPerRow; }
    Format format() const { return m_format; }
    int bytesPerPixel() const { return m_format == Format::BGRA8 ? 4 : 1; }

    std::uint8_t *bits() { return m_data; }
    const std::uint8_t *constBits() const { return m_data; }
    std::uint8_t *scanLine(int y) { return m_data + static_cast<std::ptrdiff_t>(y) * m_bytesPerRow; }
    const std::uint8_t *constScanLine(int y) const
    {
        return m_data + static_cast<std::ptrdiff_t>(y) * m_bytesPerRow;
    }

    // The same pixels as a QImage (ARGB32 or Grayscale8), without a copy; the image keeps them alive.
    QImage toQImage() const;
    // A deep copy with its own pixels.
    CameraPixelBuffer clone() const;
    // Reallocates only when the size or format differ or the pixels are shared, so a buffer reused
    // per frame allocates once.
    void ensure(int width, int height, Format format = Format::BGRA8);
    // True when no other copy shares the pixels.
    bool isDetached() const { return m_owner.use_count() <= 1; }

private:
    std::shared_ptr<void> m_owner;
    std::uint8_t *m_data = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_bytesPerRow = 0;
    Format m_format = Format::BGRA8;
};
