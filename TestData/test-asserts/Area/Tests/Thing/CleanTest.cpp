// Nothing to report here: gtest checks only.
#include <gtest/gtest.h>

TEST(Clean, UsesGoogleTestChecks)
{
    EXPECT_TRUE(true);
}
