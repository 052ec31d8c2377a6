#pragma once

#include "CameraFrameSource.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// The frame sources that run a capture thread of their own (camera, pattern, file). A subclass opens
// and closes its device and runs the capture loop; this base owns the thread and the stop request.
// Subclasses call shutDown() in their destructor, before their own members go.
class CameraThreadedFrameSource : public CameraFrameSource {
public:
    // Every source delivers BGRA frames of the studio's capture size.
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;

    explicit CameraThreadedFrameSource(CameraDeviceDescriptor descriptor);
    ~CameraThreadedFrameSource() override;

    CameraDeviceDescriptor descriptor() const override { return m_descriptor; }
    bool open(QString &errorDescription) override;
    bool isOpen() const override;
    bool start(Sink sink) override;
    void stop() override;
    bool isRunning() const override;

protected:
    virtual bool openDevice(QString &errorDescription) = 0;
    virtual void closeDevice() = 0;
    // The capture loop, on the capture thread; returns when stopRequested() or the device ends.
    virtual void run(const Sink &sink) = 0;
    // Wakes a read that blocks in the device (called from stop(), on the owner's thread).
    virtual void interrupt() { }

    bool stopRequested() const;
    // Sleeps until `deadline`; false when a stop was requested meanwhile.
    bool waitUntil(std::chrono::steady_clock::time_point deadline);
    void shutDown();

private:
    const CameraDeviceDescriptor m_descriptor;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_open = false;
    bool m_running = false;
    bool m_stopRequested = false;
    bool m_ended = false; // the capture loop returned (device gone, file empty)
    std::thread m_thread;
};
