#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string_view>

// Runs Qt's events until `condition` holds or `limit` has passed, and says which, naming what was
// awaited and how long it took:
//   ASSERT_TRUE(waitUntil([&] { return x == 1; }, 2000ms, "x to become 1")) << "x is " << x;
// The result goes to ASSERT_/EXPECT_, so a wait that runs out fails the test. Deferred deletions run
// too, so a wait can see an object go. Main thread only.
::testing::AssertionResult waitUntil(
    const std::function<bool()> &condition, std::chrono::milliseconds limit, std::string_view what);

inline ::testing::AssertionResult waitUntil(
    const std::function<bool()> &condition, int limitMs, std::string_view what)
{
    return waitUntil(condition, std::chrono::milliseconds(limitMs), what);
}
