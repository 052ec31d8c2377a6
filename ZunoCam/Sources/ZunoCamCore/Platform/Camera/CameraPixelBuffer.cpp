#include "CameraPixelBuffer.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr int kRowAlignment = 64;
}

CameraPixelBuffer::CameraPixelBuffer(int width, int height, Format format)
{
    if (width <= 0 || height <= 0)
        return;
    const int bpp = format == Format::BGRA8 ? 4 : 1;
    const int row = (width * bpp + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    const size_t size = static_cast<size_t>(row) * static_cast<size_t>(height);
    void *memory = std::aligned_alloc(kRowAlignment, size);
    if (!memory)
        return;
    m_owner = std::shared_ptr<void>(memory, [](void *p) { std::free(p); });
    m_data = static_cast<std::uint8_t *>(memory);
    m_width = width;
    m_height = height;
    m_bytesPerRow = row;
    m_format = format;
}

CameraPixelBuffer CameraPixelBuffer::wrap(
    std::uint8_t *data, int width, int height, int bytesPerRow, Format format, std::shared_ptr<void> owner)
{
    CameraPixelBuffer b;
    const int bpp = format == Format::BGRA8 ? 4 : 1;
    if (!data || width <= 0 || height <= 0 || bytesPerRow < width * bpp)
        return b;
    b.m_owner = std::move(owner);
    b.m_data = data;
    b.m_width = width;
    b.m_height = height;
    b.m_bytesPerRow = bytesPerRow;
    b.m_format = format;
    return b;
}

CameraPixelBuffer CameraPixelBuffer::fromQImage(const QImage &image)
{
    if (image.isNull())
        return {};
    QImage shared = image;
    Format format = Format::BGRA8;
    if (shared.format() == QImage::Format_Grayscale8)
        format = Format::Gray8;
    else if (shared.format() != QImage::Format_ARGB32 && shared.format() != QImage::Format_RGB32)
        shared = shared.convertToFormat(QImage::Format_ARGB32);
    auto holder = std::make_shared<QImage>(shared);
    // bits() on the held copy detaches it from the caller's image, so writes never reach theirs.
    return wrap(holder->bits(), holder->width(), holder->height(), static_cast<int>(holder->bytesPerLine()),
        format, holder);
}

QImage CameraPixelBuffer::toQImage() const
{
    if (isNull())
        return {};
    auto *keeper = new std::shared_ptr<void>(m_owner);
    return QImage(
        m_data, m_width, m_height, m_bytesPerRow,
        m_format == Format::BGRA8 ? QImage::Format_ARGB32 : QImage::Format_Grayscale8,
        [](void *p) { delete static_cast<std::shared_ptr<void> *>(p); }, keeper);
}

CameraPixelBuffer CameraPixelBuffer::clone() const
{
    if (isNull())
        return {};
    CameraPixelBuffer copy(m_width, m_height, m_format);
    for (int y = 0; y < m_height; ++y)
        std::memcpy(copy.scanLine(y), constScanLine(y), static_cast<size_t>(m_width) * bytesPerPixel());
    return copy;
}

void CameraPixelBuffer::ensure(int width, int height, Format format)
{
    if (!isNull() && m_width == width && m_height == height && m_format == format && isDetached())
        return;
    *this = CameraPixelBuffer(width, height, format);
}
