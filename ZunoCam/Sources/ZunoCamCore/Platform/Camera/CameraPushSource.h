#pragma once

#include "CameraFrameSource.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

// A source fed by its owner (tests): `push` hands a frame to the sink on the pushing thread while
// the source runs. `failNextOpens` makes opening fail with a given reason, as an unusable device.
class CameraPushSource : public CameraFrameSource {
public:
    explicit CameraPushSource(CameraDeviceDescriptor descriptor);

    CameraDeviceDescriptor descriptor() const override { return m_descriptor; }
    bool open(QString &errorDescription) override;
    bool isOpen() const override;
    bool start(Sink sink) override;
    void stop() override;
    bool isRunning() const override;

    // True when the frame reached the sink (the source is running).
    bool push(CameraFrameSample sample);
    // Ends the stream as an unplugged camera would: no more frames until the source is started again.
    void endStream();
    // Opening fails with `reason` from now on; an empty reason lets it succeed again.
    void setOpenFailure(const QString &reason);
    int openCount() const;
    // Waits (at most `limit`) until the source runs; true when it does.
    bool waitUntilRunning(std::chrono::milliseconds limit);

private:
    const CameraDeviceDescriptor m_descriptor;
    mutable std::mutex m_lock; // guards the state below
    std::condition_variable m_runningChanged;
    std::mutex m_deliveryLock; // held while a frame is in the sink, so stop() waits for it
    QString m_openFailure;
    bool m_open = false;
    bool m_running = false;
    int m_openCount = 0;
    Sink m_sink;
};
