#pragma once

#include <QDateTime>

#include <chrono>
#include <memory>
#include <stop_token>

// The account store's sense of time: a steady clock for ages and deadlines, the wall clock for the
// published sync time, and a sleep that a stop request cuts short. Tests pass a virtual one.
// Thread-safe.
class ZunoCreditsClock {
public:
    virtual ~ZunoCreditsClock() = default;

    virtual std::chrono::steady_clock::time_point steadyNow() const = 0;
    virtual QDateTime wallNow() const = 0;
    // False when `stop` was requested before `duration` passed.
    virtual bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) = 0;

    static std::shared_ptr<ZunoCreditsClock> system();
};
