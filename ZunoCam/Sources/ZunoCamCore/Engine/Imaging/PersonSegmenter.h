#pragma once

#include "CameraPixelBuffer.h"

#include <QString>

// Separates the person from the background of one frame. The portrait engine serialises calls, so
// an implementation may keep per-frame state (reused buffers, a model's tensors).
class PersonSegmenter {
public:
    enum class Outcome {
        mask, // `mask` holds a new 8-bit mask (white = person) at the segmenter's own resolution
        noMask, // the segmenter ran but produced nothing for this frame
        failed, // `errorDescription` says why
    };

    virtual ~PersonSegmenter() = default;
    virtual Outcome segment(
        const CameraPixelBuffer &frame, CameraPixelBuffer &mask, QString &errorDescription)
        = 0;
};
