#pragma once

#include <cstdint>

// One video frame as it lies in the MP4 file: where its bytes are, and its time and kind.
struct CameraMP4Sample {
    std::uint64_t offset = 0; // in the file
    std::uint32_t size = 0;
    std::uint32_t duration = 0; // in the track's time scale
    std::int32_t compositionOffset = 0; // presentation minus decoding time
    bool sync = false; // a key frame
};
