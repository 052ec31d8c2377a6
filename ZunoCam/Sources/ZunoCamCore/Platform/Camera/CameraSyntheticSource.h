#pragma once

#include "CameraFramePool.h"
#include "CameraThreadedFrameSource.h"

#include <atomic>

// A moving test picture as a camera, for machines without one: colour bars and a gradient with a
// bright disc and a bar that move, paced by the clock at 30 frames per second, BGRA 1280x720. A late
// frame is skipped rather than sent in a burst.
class CameraSyntheticSource : public CameraThreadedFrameSource {
public:
    static constexpr int kFramesPerSecond = 30;

    explicit CameraSyntheticSource(CameraDeviceDescriptor descriptor);
    ~CameraSyntheticSource() override;

    // The picture of frame number `index` (what the source sends as its index-th frame).
    static void render(std::int64_t index, CameraPixelBuffer &image);

protected:
    bool openDevice(QString &errorDescription) override;
    void closeDevice() override;
    void run(const Sink &sink) override;

private:
    CameraFramePool m_pool;
};
