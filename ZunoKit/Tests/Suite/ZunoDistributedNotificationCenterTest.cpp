// Notifications between two connections of a private session bus, as between two applications.
#include "ZunoDistributedNotificationCenter.h"
#include "ZunoPrivateBus.h"

#include <QTest>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

constexpr int kWait = 20000;

using Received = std::vector<std::pair<QString, QString>>;

ZunoDistributedNotificationCenter::Handler recordInto(Received &received)
{
    return [&received](const QString &name, const QString &object) { received.emplace_back(name, object); };
}

class ZunoDistributedNotificationCenterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (bus.address.isEmpty())
            GTEST_SKIP() << "cannot start a private D-Bus session bus";
        poster = std::make_unique<ZunoDistributedNotificationCenter>(bus.connect(QStringLiteral("poster")));
        listener
            = std::make_unique<ZunoDistributedNotificationCenter>(bus.connect(QStringLiteral("listener")));
    }
    void TearDown() override
    {
        poster.reset();
        listener.reset();
    }

    ZunoPrivateBus bus;
    std::unique_ptr<ZunoDistributedNotificationCenter> poster;
    std::unique_ptr<ZunoDistributedNotificationCenter> listener;
};

} // namespace

TEST_F(ZunoDistributedNotificationCenterTest, DeliversNameAndObjectOnlyToObserversOfThatName)
{
    Received one, oneAgain, two, own;
    listener->addObserver(QStringLiteral("com.quarnwell.suite.one"), recordInto(one));
    listener->addObserver(QStringLiteral("com.quarnwell.suite.one"), recordInto(oneAgain));
    listener->addObserver(QStringLiteral("com.quarnwell.suite.two"), recordInto(two));
    poster->addObserver(QStringLiteral("com.quarnwell.suite.two"), recordInto(own));

    EXPECT_TRUE(poster->post(QStringLiteral("com.quarnwell.suite.one"), QStringLiteral("zunoram")));
    EXPECT_TRUE(poster->post(QStringLiteral("com.quarnwell.suite.two")));
    // Signals of one sender arrive in order: once "two" is in, "one" had its chance to be misdelivered.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !two.empty() && !own.empty(); }, kWait));
    EXPECT_EQ(one, Received({ { "com.quarnwell.suite.one", "zunoram" } }));
    EXPECT_EQ(oneAgain, one);
    EXPECT_EQ(two, Received({ { "com.quarnwell.suite.two", "" } }));
    // The posting process hears its own post.
    EXPECT_EQ(own, two);
}

TEST_F(ZunoDistributedNotificationCenterTest, ARemovedObserverStaysSilent)
{
    Received removed, kept;
    const auto token
        = listener->addObserver(QStringLiteral("com.quarnwell.suite.three"), recordInto(removed));
    listener->addObserver(QStringLiteral("com.quarnwell.suite.three"), recordInto(kept));
    listener->removeObserver(token);
    listener->removeObserver(token);

    EXPECT_TRUE(poster->post(QStringLiteral("com.quarnwell.suite.three")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !kept.empty(); }, kWait));
    EXPECT_TRUE(removed.empty());

    // An observer may remove itself from its own handler.
    Received selfRemoving;
    ZunoDistributedNotificationCenter::Token self = 0;
    self = listener->addObserver(
        QStringLiteral("com.quarnwell.suite.four"), [&](const QString &n, const QString &o) {
            selfRemoving.emplace_back(n, o);
            listener->removeObserver(self);
        });
    kept.clear();
    listener->addObserver(QStringLiteral("com.quarnwell.suite.five"), recordInto(kept));
    poster->post(QStringLiteral("com.quarnwell.suite.four"));
    poster->post(QStringLiteral("com.quarnwell.suite.four"));
    poster->post(QStringLiteral("com.quarnwell.suite.five"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !kept.empty(); }, kWait));
    EXPECT_EQ(selfRemoving.size(), 1u);
}

TEST(ZunoDistributedNotificationCenter, WithoutABusNothingHappens)
{
    ZunoDistributedNotificationCenter center(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/zuno-bus"), QStringLiteral("zuno-no-bus")));
    Received received;
    const auto token = center.addObserver(QStringLiteral("com.quarnwell.suite.one"), recordInto(received));
    EXPECT_FALSE(center.post(QStringLiteral("com.quarnwell.suite.one"), QStringLiteral("x")));
    QCoreApplication::processEvents();
    EXPECT_TRUE(received.empty());
    center.removeObserver(token);
    QDBusConnection::disconnectFromBus(QStringLiteral("zuno-no-bus"));
}
