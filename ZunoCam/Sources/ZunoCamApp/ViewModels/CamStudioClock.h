#pragma once

#include <functional>
#include <memory>

// A running timer of a CamStudioClock. Cancelling it, or destroying the handle, stops it for good;
// both are safe from inside the timer's own action.
class CamStudioTimer {
public:
    virtual ~CamStudioTimer() = default;
    virtual void cancel() = 0;
};
using CamStudioTimerHandle = std::unique_ptr<CamStudioTimer>;

// Every timer of the studio goes through one clock, so tests run the teleprompter, toasts and the
// recording clock on virtual time. Main thread only: actions run on the main thread.
class CamStudioClock {
public:
    virtual ~CamStudioClock() = default;

    // Monotonic seconds since an arbitrary start.
    virtual double now() const = 0;
    // Runs `action` once, `seconds` from now.
    virtual CamStudioTimerHandle singleShot(double seconds, std::function<void()> action) = 0;
    // Runs `action` every `interval` seconds, on the multiples of `interval` since this call; ticks
    // that could not run in time are skipped, never caught up.
    virtual CamStudioTimerHandle repeating(double interval, std::function<void()> action) = 0;

    // The clock of the running system (Qt's precise timers).
    static std::unique_ptr<CamStudioClock> system();

    // For a repeating timer started at `start`, at time `now` (seconds): whole milliseconds until the
    // next multiple of `interval` after `now`, rounded up so that a timer never fires before its tick.
    // A tick reached within a millisecond counts as reached.
    static int nextTickDelayMilliseconds(double start, double now, double interval);
};
