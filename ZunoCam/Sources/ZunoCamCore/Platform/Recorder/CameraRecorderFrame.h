#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

// One processed frame as the recorder takes it: 32-bit BGRA pixels, top row first, borrowed from the
// caller for the duration of the call (the recorder copies what it keeps). `bytesPerRow` may exceed
// width * 4. `timestampSeconds` is the frame's presentation time on the capture clock; NaN or an
// infinite value marks a frame without a usable time.
struct CameraRecorderFrame {
    const std::uint8_t *data = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t bytesPerRow = 0;
    double timestampSeconds = std::numeric_limits<double>::quiet_NaN();
};
