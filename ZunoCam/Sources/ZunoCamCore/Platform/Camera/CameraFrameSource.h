#pragma once

#include "CameraDeviceDescriptor.h"
#include "CameraFrameSample.h"

#include <QString>

#include <functional>

// Where frames come from: a V4L2 camera, a synthetic pattern, a looping video file or frames pushed
// by a test. `open` and `stop` run on the owner's thread; frames reach the sink on the source's own
// capture thread (on the pushing thread for the push source), one at a time.
class CameraFrameSource {
public:
    using Sink = std::function<void(CameraFrameSample &&sample)>;

    virtual ~CameraFrameSource() = default;

    virtual CameraDeviceDescriptor descriptor() const = 0;
    // Opens the device so that `start` can deliver; false with the reason when it cannot be used.
    // Opening an open source does nothing and succeeds.
    virtual bool open(QString &errorDescription) = 0;
    virtual bool isOpen() const = 0;
    // Starts delivering to `sink`; reopens first when a stop closed the device. False when the
    // source is not open and cannot be reopened. Starting a running source does nothing.
    virtual bool start(Sink sink) = 0;
    // Stops delivering, joins the capture thread and closes the device: no sink call runs or
    // follows once it returns. Idempotent.
    virtual void stop() = 0;
    // Delivering: started, not stopped, and the device has not ended the stream.
    virtual bool isRunning() const = 0;
};
