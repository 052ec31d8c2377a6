#include "ZunoAIKeyRing.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QUuid>

#include <gtest/gtest.h>

// The origin rules need nothing; the rest talks to the test session's Secret Service (gnome-keyring)
// and skips, saying why, without it.

namespace {

TEST(ZunoAIKeyRingOrigin, NormalisesSchemeHostAndPort)
{
    const struct {
        const char *endpoint;
        std::optional<QString> origin;
    } cases[] = {
        { "https://API.OpenAI.com/v1/chat/completions", QStringLiteral("https://api.openai.com") },
        { "HTTPS://api.acme.test:443/v1", QStringLiteral("https://api.acme.test") },
        { "http://localhost:80/api", QStringLiteral("http://localhost") },
        { "http://127.0.0.1:11434/api/chat?stream=1#x", QStringLiteral("http://127.0.0.1:11434") },
        { "https://api.acme.test:8443/v1?key=1", QStringLiteral("https://api.acme.test:8443") },
        { "  https://api.acme.test/v1  ", QStringLiteral("https://api.acme.test") },
        { "ftp://files.acme.test/v1", std::nullopt },
        { "ftp:", std::nullopt },
        { "", std::nullopt },
        { "api.openai.com/v1", std::nullopt },
    };
    for (const auto &c : cases)
        EXPECT_EQ(ZunoAIKeyRing::origin(QString::fromUtf8(c.endpoint)), c.origin) << c.endpoint;
}

TEST(ZunoAIKeyRingOrigin, BlankOrRefusedEndpointFallsBackToTheProviderDefault)
{
    const QString openAIDefault = *ZunoAIKeyRing::origin(defaultEndpoint(ZunoAIProvider::openAI));
    EXPECT_EQ(openAIDefault, QStringLiteral("https://api.openai.com"));
    EXPECT_EQ(ZunoAIKeyRing::originFor(ZunoAIConfig(ZunoAIProvider::openAI, QString())), openAIDefault);
    EXPECT_EQ(ZunoAIKeyRing::originFor(ZunoAIConfig(ZunoAIProvider::openAI, QStringLiteral("ftp://x"))),
        openAIDefault);
    EXPECT_EQ(ZunoAIKeyRing::originFor(
                  ZunoAIConfig(ZunoAIProvider::openAI, QStringLiteral("https://Api.Acme.test/v1/chat"))),
        QStringLiteral("https://api.acme.test"));
}

class ZunoAIKeyRingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()
            || !bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")).value())
            GTEST_SKIP() << "no Secret Service on the session bus (gnome-keyring did not start in the test "
                            "session): the key ring is not tested";
        // Unique hosts, so that runs side by side never see each other's keys.
        const QString tag = QUuid::createUuid().toString(QUuid::Id128);
        m_first = QStringLiteral("https://first-%1.test").arg(tag);
        m_second = QStringLiteral("https://second-%1.test:8443").arg(tag);
    }
    void TearDown() override
    {
        if (!m_first.isEmpty()) {
            ZunoAIKeyRing::remove(m_first);
            ZunoAIKeyRing::remove(m_second);
        }
    }

    QString m_first;
    QString m_second;
};

TEST_F(ZunoAIKeyRingTest, KeepsOriginsApartAndRemoves)
{
    EXPECT_FALSE(ZunoAIKeyRing::exists(m_first));
    EXPECT_EQ(ZunoAIKeyRing::load(m_first), std::nullopt);

    ASSERT_TRUE(ZunoAIKeyRing::save(m_first, QStringLiteral("sk-first")));
    ASSERT_TRUE(ZunoAIKeyRing::save(m_second, QStringLiteral("sk-second")));
    EXPECT_TRUE(ZunoAIKeyRing::exists(m_first));
    EXPECT_EQ(ZunoAIKeyRing::load(m_first), QStringLiteral("sk-first"));
    EXPECT_EQ(ZunoAIKeyRing::load(m_second), QStringLiteral("sk-second"));

    // Saving again replaces the origin's key only.
    ASSERT_TRUE(ZunoAIKeyRing::save(m_first, QStringLiteral("sk-first-2")));
    EXPECT_EQ(ZunoAIKeyRing::load(m_first), QStringLiteral("sk-first-2"));
    EXPECT_EQ(ZunoAIKeyRing::load(m_second), QStringLiteral("sk-second"));

    EXPECT_TRUE(ZunoAIKeyRing::remove(m_first));
    EXPECT_FALSE(ZunoAIKeyRing::exists(m_first));
    EXPECT_TRUE(ZunoAIKeyRing::exists(m_second));
    // Nothing left to remove is a success too.
    EXPECT_TRUE(ZunoAIKeyRing::remove(m_first));

    // No origin stores nothing.
    EXPECT_FALSE(ZunoAIKeyRing::save(QString(), QStringLiteral("sk-x")));
}

TEST_F(ZunoAIKeyRingTest, KeyForGivesOnlyTheConfigsOriginKey)
{
    ASSERT_TRUE(ZunoAIKeyRing::save(m_first, QStringLiteral("sk-first")));
    const ZunoAIConfig first(
        ZunoAIProvider::openAI, m_first.toUpper() + QStringLiteral("/v1/chat/completions"));
    EXPECT_EQ(ZunoAIKeyRing::keyFor(first), QStringLiteral("sk-first"));
    const ZunoAIConfig second(ZunoAIProvider::openAI, m_second + QStringLiteral("/v1"));
    EXPECT_EQ(ZunoAIKeyRing::keyFor(second), std::nullopt);
    // Same host, other port: another service.
    const ZunoAIConfig otherPort(ZunoAIProvider::openAI, m_first + QStringLiteral(":9443/v1"));
    EXPECT_EQ(ZunoAIKeyRing::keyFor(otherPort), std::nullopt);
}

} // namespace
