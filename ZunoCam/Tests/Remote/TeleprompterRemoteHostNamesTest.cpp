#include "TeleprompterRemoteHostNames.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(TeleprompterRemoteHostNames, AHitNeverWalksAndAMissWalksAtMostOnceASecond)
{
    int walks = 0;
    QSet<QString> interfaces { "192.168.1.20", "studio.local" };
    std::chrono::steady_clock::time_point now;
    TeleprompterRemoteHostNames names(
        [&] {
            ++walks;
            return interfaces;
        },
        1s, [&] { return now; });

    struct Step {
        std::chrono::milliseconds later;
        QString host;
        bool found;
        int walks; // in all, after the look-up
        QString comesUp = {}; // an address the computer gains before the look-up
    };
    const Step steps[] = {
        { 0ms, "192.168.1.20", true, 1 }, // the first look gathers
        { 0ms, "192.168.1.20", true, 1 }, // a hit: no walk
        { 0ms, "studio.local", true, 1 },
        { 10s, "192.168.1.20", true, 1 }, // not even long after
        { 0ms, "evil.example", false, 2 }, // a miss gathers again...
        { 400ms, "evil.example", false, 2 }, // ...but not again within the second
        { 0ms, "10.0.0.7", false, 2, "10.0.0.7" },
        { 599ms, "10.0.0.7", false, 2 },
        { 1ms, "10.0.0.7", true, 3 }, // a second after the last walk, the new address is found
        { 0ms, "evil.example", false, 3 },
        { 5s, "192.168.1.20", true, 3 },
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.host.toStdString() + " +" + std::to_string(step.later.count()) + " ms");
        now += step.later;
        if (!step.comesUp.isEmpty())
            interfaces.insert(step.comesUp);
        EXPECT_EQ(names.contains(step.host), step.found);
        EXPECT_EQ(walks, step.walks);
    }

    // A restart forgets them: the next look gathers whenever the last walk was.
    interfaces = { "192.168.5.5" };
    names.reset();
    EXPECT_TRUE(names.contains("192.168.5.5"));
    EXPECT_FALSE(names.contains("192.168.1.20"));
    EXPECT_EQ(walks, 4);
}
