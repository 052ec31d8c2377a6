#pragma once

#include "CameraThreadedFrameSource.h"

#include <atomic>
#include <memory>

class CameraAVStreamReader;

// Plays a video file as a camera: decoded, scaled to BGRA 1280x720 and delivered in real time by
// the file's own timing, starting again from the beginning at its end.
class CameraFileSource : public CameraThreadedFrameSource {
public:
    CameraFileSource(CameraDeviceDescriptor descriptor, const QString &path);
    ~CameraFileSource() override;

    // Times the file has started again from its beginning since the last start.
    int loopCount() const;

protected:
    bool openDevice(QString &errorDescription) override;
    void closeDevice() override;
    void run(const Sink &sink) override;
    void interrupt() override;

private:
    const QString m_path;
    std::unique_ptr<CameraAVStreamReader> m_reader;
    std::atomic<int> m_loops { 0 };
};
