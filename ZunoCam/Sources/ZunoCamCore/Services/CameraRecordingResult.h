#pragma once

#include <QString>

#include <cstdint>

// What a finished recording returns.
struct CameraRecordingResult {
    // Why the recording ended where it did: asked to, or stopped early by the recorder while the file
    // could still be finished, because the disk was nearly full or the file reached the largest size
    // allowed.
    enum class Ending { requested, diskNearlyFull, fileSizeLimit };

    QString url; // path of the finished file
    double durationSeconds = 0;
    std::int64_t frameCount = 0;
    Ending ending = Ending::requested;

    bool operator==(const CameraRecordingResult &) const = default;
};
