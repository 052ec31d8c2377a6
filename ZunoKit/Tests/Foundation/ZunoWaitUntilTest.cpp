// The tests' wait: it fails the test when what it waits for never comes, and says what and how long.
#include "ZunoWaitUntil.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;

TEST(ZunoWaitUntil, AConditionThatComesLaterIsMetWhileEventsRun)
{
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    const ::testing::AssertionResult result = waitUntil([&] { return fired; }, 20s, "the timer to fire");
    EXPECT_TRUE(result);
    EXPECT_THAT(result.message(), ::testing::StartsWith("the timer to fire came after "));
}

TEST(ZunoWaitUntil, AConditionThatNeverComesFailsNamingWhatAndTheLimit)
{
    const ::testing::AssertionResult result = waitUntil([] { return false; }, 50ms, "nothing at all");
    EXPECT_FALSE(result);
    EXPECT_THAT(result.message(), ::testing::HasSubstr("(limit 50 ms) for nothing at all, which never came"));
}

TEST(ZunoWaitUntil, ARunOutWaitFailsTheTestThroughEitherMacro)
{
    EXPECT_NONFATAL_FAILURE(EXPECT_TRUE(waitUntil([] { return false; }, 10, "the impossible")),
        "for the impossible, which never came");
    EXPECT_FATAL_FAILURE(ASSERT_TRUE(waitUntil([] { return false; }, 10, "the impossible")),
        "for the impossible, which never came");
}

TEST(ZunoWaitUntil, AnObjectDeletedLaterIsSeenGone)
{
    QPointer<QObject> object = new QObject;
    object->deleteLater();
    EXPECT_TRUE(waitUntil([&] { return object.isNull(); }, 20s, "the object to be deleted"));
}
