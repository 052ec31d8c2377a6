#pragma once

#include "CameraPixelBuffer.h"

#include <chrono>
#include <limits>

// One frame as a source delivers it: BGRA pixels and the time it was captured. Every source stamps
// its frames with the same monotonic clock, so times stay ordered when the camera is switched live.
struct CameraFrameSample {
    CameraPixelBuffer image; // null for a sample that carries no picture (dropped by the service)
    double presentationTime = std::numeric_limits<double>::quiet_NaN(); // seconds, captureClock()

    // Seconds on the monotonic clock that stamps frames.
    static double captureClock() { return captureTime(std::chrono::steady_clock::now()); }
    // A point of that clock in the same seconds.
    static double captureTime(std::chrono::steady_clock::time_point time)
    {
        return std::chrono::duration<double>(time.time_since_epoch()).count();
    }
};
