#pragma once

#include <QImage>

#include <cstdint>

// A camera frame as the neural models read it: 32-bit pixels in B, G, R, A byte order (BGRA, which is
// QImage::Format_RGB32/ARGB32 on little-endian machines), not owned, not copied.
struct NeuralImageView {
    const std::uint8_t *bits = nullptr;
    int width = 0;
    int height = 0;
    qsizetype bytesPerRow = 0;

    bool isEmpty() const { return !bits || width <= 0 || height <= 0 || bytesPerRow < qsizetype(width) * 4; }

    // Views a QImage's pixels; the image must be RGB32 or ARGB32 and outlive the view.
    static NeuralImageView of(const QImage &image)
    {
        if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
            return {};
        return { image.constBits(), image.width(), image.height(), image.bytesPerLine() };
    }
};
