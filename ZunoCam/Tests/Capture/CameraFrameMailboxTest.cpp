#include "CameraFrameMailbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

CameraFrameSample sampleAt(double time)
{
    return CameraFrameSample { CameraPixelBuffer(4, 4), time };
}

} // namespace

TEST(CameraFrameMailboxTest, KeepsOnlyTheNewestUndeliveredFrame)
{
    CameraFrameMailbox mailbox;
    EXPECT_FALSE(mailbox.take().has_value());
    EXPECT_TRUE(mailbox.put(sampleAt(1))); // empty: the consumer must be woken
    EXPECT_FALSE(mailbox.put(sampleAt(2))); // replaces frame 1
    EXPECT_FALSE(mailbox.put(sampleAt(3)));
    const auto taken = mailbox.take();
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(taken->presentationTime, 3);
    EXPECT_FALSE(mailbox.take().has_value());
    EXPECT_EQ(mailbox.droppedFrames(), 2u);
    EXPECT_EQ(mailbox.deliveredFrames(), 1u);

    EXPECT_TRUE(mailbox.put(sampleAt(4)));
    mailbox.clear();
    EXPECT_FALSE(mailbox.take().has_value());
    EXPECT_EQ(mailbox.droppedFrames(), 2u);
}

TEST(CameraFrameMailboxTest, SlowConsumerSeesFramesInOrderAndEveryFrameIsCounted)
{
    CameraFrameMailbox mailbox;
    constexpr int kFrames = 20000;
    std::atomic<bool> done { false };
    std::vector<double> seen;
    std::thread consumer([&] {
        for (;;) {
            const bool finished = done.load();
            if (auto sample = mailbox.take())
                seen.push_back(sample->presentationTime);
            else if (finished)
                return;
            else
                std::this_thread::yield();
        }
    });
    for (int i = 0; i < kFrames; ++i)
        mailbox.put(CameraFrameSample { CameraPixelBuffer(), double(i) });
    done = true;
    consumer.join();

    EXPECT_EQ(mailbox.deliveredFrames() + mailbox.droppedFrames(), std::uint64_t(kFrames));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), kFrames - 1); // the newest is never lost
    for (std::size_t i = 1; i < seen.size(); ++i)
        ASSERT_LT(seen[i - 1], seen[i]);
}
