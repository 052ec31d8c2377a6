#pragma once

#include <functional>
#include <memory>

// Runs a row loop on the calling thread and a few kept worker threads. Rows are cut into stripes that
// every thread takes from one counter, the caller too, so a thread that is preempted or late to wake
// delays nothing: the others take its stripes, and the caller never waits for a stripe no one started.
// One loop at a time: run() may be called from any thread, runs on its caller alone while another
// thread's loop has the workers, and returns when every row is done.
class CameraRowWorkers {
public:
    // `threads` counts the caller: 1 runs every loop on the caller alone.
    explicit CameraRowWorkers(int threads);
    ~CameraRowWorkers();
    CameraRowWorkers(const CameraRowWorkers &) = delete;
    CameraRowWorkers &operator=(const CameraRowWorkers &) = delete;

    int threads() const;
    // Calls body(first, end) over [0, rows) in stripes of at least `minimumStripe` rows.
    void run(int rows, int minimumStripe, const std::function<void(int, int)> &body);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
