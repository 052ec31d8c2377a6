#include "ZunoWebURL.h"

#include <gtest/gtest.h>

TEST(ZunoWebURL, AcceptsOnlyAbsoluteHttpAddressesWithAHost)
{
    struct Case {
        const char *text;
        bool accepted;
    };
    const Case cases[] = {
        { "http://example.com", true },
        { "https://example.com/v1/chat?x=1#frag", true },
        { "HTTPS://Example.com:8443/path", true },
        { "hTTp://127.0.0.1:11434", true },
        { "http://[::1]:8080/", true },
        { "ftp://example.com/file", false },
        { "file:///etc/passwd", false },
        { "mailto:someone@example.com", false },
        { "javascript:alert(1)", false },
        { "/relative/path", false },
        { "example.com/path", false },
        { "http://", false },
        { "http:///path-without-host", false },
        { "https:example.com", false },
        { "", false },
        { "http://exa mple.com", false },
        { "http://example.com/a b", false },
        { "http://[::1/", false },
    };
    for (const Case &c : cases) {
        const std::optional<QUrl> url = ZunoWebURL::parse(QString::fromUtf8(c.text));
        EXPECT_EQ(url.has_value(), c.accepted) << c.text;
    }
}

TEST(ZunoWebURL, KeepsTheAddressAsWritten)
{
    const std::optional<QUrl> url
        = ZunoWebURL::parse(QStringLiteral("HTTPS://Example.com:8443/v1/models?a=1"));
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), QStringLiteral("https"));
    EXPECT_EQ(url->port(), 8443);
    EXPECT_EQ(url->path(), QStringLiteral("/v1/models"));
    EXPECT_EQ(url->query(), QStringLiteral("a=1"));
}
