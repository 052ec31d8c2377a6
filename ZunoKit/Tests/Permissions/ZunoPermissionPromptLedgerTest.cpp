#include "ZunoPermissionPromptLedger.h"
#include "ZunoDefaults.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

const QString kKey = QStringLiteral("com.quarnwell.permissionPrompts");

class ZunoPermissionPromptLedgerTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ZunoDefaults defaults { dir.filePath(QStringLiteral("ledger.conf")) };
    ZunoPermissionPromptLedger ledger { kKey, defaults };
};

} // namespace

TEST_F(ZunoPermissionPromptLedgerTest, ClaimsOncePerKeyUntilReset)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(1'700'000'000'250, Qt::UTC);
    EXPECT_FALSE(ledger.hasPrompted(QStringLiteral("camera")));
    EXPECT_TRUE(ledger.claimOneTimePrompt(QStringLiteral("camera"), at));
    EXPECT_FALSE(ledger.claimOneTimePrompt(QStringLiteral("camera"), at.addSecs(60)));
    EXPECT_TRUE(ledger.hasPrompted(QStringLiteral("camera")));
    EXPECT_DOUBLE_EQ(defaults.dictionary(kKey).value(QStringLiteral("camera")).toDouble(), 1'700'000'000.25);

    ledger.reset(QStringLiteral("camera"));
    EXPECT_FALSE(ledger.hasPrompted(QStringLiteral("camera")));
    EXPECT_TRUE(ledger.claimOneTimePrompt(QStringLiteral("camera"), at));

    // A reset of an absent key still writes the dictionary back.
    ledger.resetAll();
    EXPECT_FALSE(defaults.contains(kKey));
    ledger.reset(QStringLiteral("nothing"));
    EXPECT_TRUE(defaults.contains(kKey));
    EXPECT_TRUE(defaults.dictionary(kKey).isEmpty());
}

TEST_F(ZunoPermissionPromptLedgerTest, MarkingReplacesTheTimeAndSharesTheStore)
{
    ledger.markPrompted(QStringLiteral("mic"), QDateTime::fromSecsSinceEpoch(100, Qt::UTC));
    ledger.markPrompted(QStringLiteral("mic"), QDateTime::fromSecsSinceEpoch(200, Qt::UTC));
    EXPECT_DOUBLE_EQ(defaults.dictionary(kKey).value(QStringLiteral("mic")).toDouble(), 200.0);

    ZunoPermissionPromptLedger other(kKey, defaults);
    EXPECT_TRUE(other.hasPrompted(QStringLiteral("mic")));
    EXPECT_FALSE(other.claimOneTimePrompt(QStringLiteral("mic")));
    ledger.resetAll();
    EXPECT_FALSE(other.hasPrompted(QStringLiteral("mic")));
}

TEST_F(ZunoPermissionPromptLedgerTest, MistypedEntriesReadAsEmpty)
{
    const std::pair<const char *, QVariant> cases[] = {
        { "a string", QStringLiteral("camera") },
        { "a list", QVariantList { 1.0, 2.0 } },
        { "a text value", QVariantMap { { "camera", 1.0 }, { "mic", QStringLiteral("yesterday") } } },
        { "a boolean value", QVariantMap { { "camera", true } } },
    };
    for (const auto &[name, stored] : cases) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(defaults.setValue(kKey, stored));
        EXPECT_FALSE(ledger.hasPrompted(QStringLiteral("camera")));
        ledger.markPrompted(QStringLiteral("screen"), QDateTime::fromSecsSinceEpoch(5, Qt::UTC));
        EXPECT_EQ(defaults.dictionary(kKey), (QVariantMap { { QStringLiteral("screen"), 5.0 } }));
    }
}

// The settings file cannot be written (a folder stands at its path): no write reports success, and a
// claim that is not recorded is not granted, so the prompt cannot come back at every start.
TEST_F(ZunoPermissionPromptLedgerTest, AnUnwritableSettingsFileRecordsNothing)
{
    const QString blocked = dir.filePath(QStringLiteral("blocked.conf"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    ZunoDefaults unwritable(blocked);
    ZunoPermissionPromptLedger blockedLedger(kKey, unwritable);
    EXPECT_FALSE(blockedLedger.claimOneTimePrompt(QStringLiteral("camera")));
    EXPECT_FALSE(blockedLedger.hasPrompted(QStringLiteral("camera")));
    EXPECT_FALSE(blockedLedger.markPrompted(QStringLiteral("camera")));
    EXPECT_FALSE(blockedLedger.hasPrompted(QStringLiteral("camera")));
    EXPECT_FALSE(blockedLedger.reset(QStringLiteral("camera")));
    EXPECT_FALSE(blockedLedger.resetAll());
}

TEST_F(ZunoPermissionPromptLedgerTest, ConcurrentClaimsHaveOneWinner)
{
    std::atomic<int> winners = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] {
            if (ledger.claimOneTimePrompt(QStringLiteral("accessibility")))
                ++winners;
        });
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(winners, 1);
}
