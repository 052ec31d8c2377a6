#pragma once

#include "CameraFrameSample.h"
#include "CameraFrameSource.h"
#include "CameraSystemDevices.h"
#include "ZunoScopedEnvironment.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

// Collects what a source delivers and lets a test wait for a number of frames (bounded).
class FrameCollector {
public:
    CameraFrameSource::Sink sink()
    {
        return [this](CameraFrameSample &&sample) {
            std::lock_guard lock(m_lock);
            m_frames.push_back(std::move(sample));
            m_changed.notify_all();
        };
    }

    bool waitForFrames(std::size_t count, std::chrono::seconds limit = std::chrono::seconds(20))
    {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, limit, [&] { return m_frames.size() >= count; });
    }

    std::vector<CameraFrameSample> frames()
    {
        std::lock_guard lock(m_lock);
        return m_frames;
    }

    std::size_t count()
    {
        std::lock_guard lock(m_lock);
        return m_frames.size();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<CameraFrameSample> m_frames;
};

// Runs the ffmpeg command-line tool with `arguments` (after -y -loglevel error); false with its
// standard error in `error` when it fails.
bool runFFmpeg(const QStringList &arguments, QString *error = nullptr);

// The portrait test picture.
QString portraitFixturePath();

// Maximum difference of any channel between two BGRA buffers of the same size.
int maxChannelDifference(const CameraPixelBuffer &a, const CameraPixelBuffer &b);

// Sets (or, with a null value, clears) ZUNOCAM_VIRTUAL_CAMERA and restores it when the test ends.
class VirtualCameraVariable : public ZunoScopedEnvironment {
public:
    explicit VirtualCameraVariable(const QByteArray &value)
        : ZunoScopedEnvironment(CameraSystemDevices::kVirtualCameraVariable, value)
    {
    }
};
