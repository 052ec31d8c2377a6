#pragma once

#include <QString>

#include <cstdint>

// What a finished recording returns.
struct CameraRecordingResult {
    QString url; // path of the finished file
    double durationSeconds = 0;
    std::int64_t frameCount = 0;

    bool operator==(const CameraRecordingResult &) const = default;
};
