#include "ZunoAppLogger.h"
#include "ZunoPaths.h"
#include "ZunoTestHome.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

TEST(ZunoAppLoggerRegistry, HandsOutOneLoggerPerExactName)
{
    ZunoTestHome home;
    const auto first = ZunoAppLogger::shared(QStringLiteral("RegistryCam"));
    const auto again = ZunoAppLogger::shared(QStringLiteral("RegistryCam"), [] {
        return ZunoAppVersion { QStringLiteral("9.9.9"), QStringLiteral("9") };
    });
    const auto lower = ZunoAppLogger::shared(QStringLiteral("registrycam"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, lower);
    EXPECT_EQ(first->appName(), "RegistryCam");
    EXPECT_EQ(lower->appName(), "registrycam");
    EXPECT_EQ(first->logDirectoryPath(), ZunoPaths::applicationSupport() + "/Quarnwell/RegistryCam/logs");
    EXPECT_EQ(first->maxFileBytes(), 2'097'152u);
    EXPECT_EQ(first->maxRotatedFiles(), 5);

    // The provider passed second is ignored; the default one reads the main bundle's version.
    again->info(QStringLiteral("started"), QStringLiteral("lifecycle"));
    const auto entries = first->recentEntries(1, ZunoLogLevel::debug);
    ASSERT_EQ(entries.size(), 1);
    const ZunoAppVersion bundled = ZunoAppVersion::current();
    EXPECT_EQ(entries.first().version, bundled.shortVersion);
    EXPECT_EQ(entries.first().build, bundled.buildNumber);
    first->clear();
}

TEST(ZunoAppLoggerRegistry, ConcurrentFirstCallsShareOneLogger)
{
    std::vector<std::shared_ptr<ZunoAppLogger>> results(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back(
            [&results, i] { results[i] = ZunoAppLogger::shared(QStringLiteral("RaceCam")); });
    for (auto &thread : threads)
        thread.join();
    const std::set<ZunoAppLogger *> distinct { results[0].get(), results[3].get(), results[7].get() };
    EXPECT_EQ(distinct.size(), 1u);
    for (const auto &logger : results)
        EXPECT_EQ(logger, results.front());
}
