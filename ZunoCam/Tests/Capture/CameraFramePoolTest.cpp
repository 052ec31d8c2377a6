#include "CameraFramePool.h"
#include "CameraSyntheticSource.h"

#include <gtest/gtest.h>

TEST(CameraFramePoolTest, ReusesABufferOnceNoOneElseHoldsIt)
{
    CameraFramePool pool(2);
    CameraPixelBuffer first = pool.acquire(64, 32);
    const std::uint8_t *firstPixels = first.constBits();
    CameraPixelBuffer second = pool.acquire(64, 32);
    EXPECT_NE(second.constBits(), firstPixels); // the first is still held

    CameraPixelBuffer third = pool.acquire(64, 32); // both pooled buffers held: a fresh one
    EXPECT_NE(third.constBits(), firstPixels);
    EXPECT_NE(third.constBits(), second.constBits());

    first = {};
    CameraPixelBuffer again = pool.acquire(64, 32);
    EXPECT_EQ(again.constBits(), firstPixels);
    EXPECT_EQ(again.width(), 64);
    EXPECT_EQ(again.height(), 32);
}

TEST(CameraFramePoolTest, TheTestPatternIsDrawnIntoThePooledBufferItself)
{
    CameraFramePool pool;
    CameraPixelBuffer image = pool.acquire(CameraSyntheticSource::kWidth, CameraSyntheticSource::kHeight);
    const std::uint8_t *pixels = image.constBits();
    CameraSyntheticSource::render(7, image);
    EXPECT_EQ(image.constBits(), pixels);
}
