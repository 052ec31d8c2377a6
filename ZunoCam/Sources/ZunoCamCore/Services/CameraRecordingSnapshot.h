#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The recorder's progress as the studio's recording badge shows it. The idle snapshot (not
// recording, 0 s, 0 frames, no file) stands for every not-recording case.
struct CameraRecordingSnapshot {
    bool isRecording = false;
    double elapsedSeconds = 0;
    std::int64_t frameCount = 0;
    std::optional<QString> outputURL; // path of the file being written

    static CameraRecordingSnapshot idle() { return {}; }
    bool operator==(const CameraRecordingSnapshot &) const = default;
};
