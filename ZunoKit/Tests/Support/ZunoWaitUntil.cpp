#include "ZunoWaitUntil.h"

#include <QElapsedTimer>
#include <QTest>

::testing::AssertionResult waitUntil(
    const std::function<bool()> &condition, std::chrono::milliseconds limit, std::string_view what)
{
    QElapsedTimer clock;
    clock.start();
    const bool met = QTest::qWaitFor(condition, static_cast<int>(limit.count()));
    const qint64 took = clock.elapsed();
    if (met)
        return ::testing::AssertionSuccess() << what << " came after " << took << " ms";
    return ::testing::AssertionFailure()
        << "waited " << took << " ms (limit " << limit.count() << " ms) for " << what << ", which never came";
}
