// The real clock's tick re-arming as a pure function of the loop's start and now.
#include "CamStudioClock.h"

#include <gtest/gtest.h>

namespace {

constexpr double kTick = 1.0 / 60.0;

} // namespace

TEST(CamStudioClockTest, NextTickDelayAimsAtTheNextMultipleOfTheInterval)
{
    struct Case {
        const char *name;
        double start;
        double now;
        int delay;
    };
    const Case cases[] {
        { "at the start", 0, 0, 17 },
        { "on a tick", 0, 3 * kTick, 17 },
        { "a millisecond late", 0, 3 * kTick + 0.001, 16 },
        { "a hair early counts as reached", 5, 5 + 2 * kTick - 0.0004, 18 },
        { "half a tick", 0, 0.5 * kTick, 9 },
        { "missed ticks are skipped", 0, 10.5 * kTick, 9 },
        { "late start", 100, 100.0, 17 },
    };
    for (const Case &c : cases)
        EXPECT_EQ(CamStudioClock::nextTickDelayMilliseconds(c.start, c.now, kTick), c.delay) << c.name;
    EXPECT_EQ(CamStudioClock::nextTickDelayMilliseconds(0, 0, 0), 0);
}

TEST(CamStudioClockTest, SixtyTicksTakeOneSecondWithoutDrift)
{
    // Fire exactly when asked, or a little late, and count the ticks of ten seconds.
    for (const double lateness : { 0.0, 0.0004, 0.003 }) {
        double now = 0;
        int ticks = 0;
        while (true) {
            now += CamStudioClock::nextTickDelayMilliseconds(0, now, kTick) / 1000.0 + lateness;
            if (now > 10.0 + 1e-9)
                break;
            ++ticks;
        }
        EXPECT_GE(ticks, 599) << lateness;
        EXPECT_LE(ticks, 600) << lateness;
    }
}

TEST(CamStudioClockTest, ALongStallSkipsTicksInsteadOfCatchingUp)
{
    const double stalled = 0.2 + 0.005; // twelve ticks missed
    const int delay = CamStudioClock::nextTickDelayMilliseconds(0, stalled, kTick);
    EXPECT_EQ(delay, 12) << "the next tick is the 13th, not one of the missed ones";
}
