// A GoogleTest source that uses QtTest's checks, for scripts/check-test-asserts.sh. Mentions in
// comments, like this QVERIFY(false), are not code.
#include <QTest>

#include <gtest/gtest.h>

TEST(Thing, WaitsTheWayGoogleTestNeverHears)
{
    int x = 0;
    QTRY_COMPARE_WITH_TIMEOUT(x, 1, 100);
    if (x == 0) { QVERIFY2(x == 1, "never"); }
    MY_QVERIFY(x); // a macro of another name
    EXPECT_EQ(x, 0);
}
