#pragma once

#include "CamStudioClock.h"

#include <cstdint>
#include <memory>
#include <vector>

// Virtual time for tests: nothing runs until advance(), which runs every timer that falls due, in
// time order (ties in the order the timers were made), with now() at each one's time.
class CamStudioVirtualClock : public CamStudioClock {
public:
    double now() const override { return m_now; }
    CamStudioTimerHandle singleShot(double seconds, std::function<void()> action) override;
    CamStudioTimerHandle repeating(double interval, std::function<void()> action) override;

    void advance(double seconds);
    // Timers neither finished nor cancelled.
    std::size_t activeTimerCount() const;

    struct Entry;

private:
    std::shared_ptr<Entry> add(double interval, bool repeats, std::function<void()> action);

    double m_now = 0;
    std::uint64_t m_nextOrder = 0;
    std::vector<std::shared_ptr<Entry>> m_entries;
};
