#pragma once

#include <cstddef>
#include <cstdint>

// BGRA (full-range RGB) to planar YUV 4:2:0 with the BT.709 matrix in limited (video) range, the form
// H.264 files carry. Chroma is the mean of each 2x2 block. Width and height must be even.
namespace CameraYUVConverter {

void convertBGRAToI420(const std::uint8_t *bgra, std::ptrdiff_t bgraStride, int width, int height,
    std::uint8_t *y, std::ptrdiff_t yStride, std::uint8_t *u, std::ptrdiff_t uStride, std::uint8_t *v,
    std::ptrdiff_t vStride);

} // namespace CameraYUVConverter
