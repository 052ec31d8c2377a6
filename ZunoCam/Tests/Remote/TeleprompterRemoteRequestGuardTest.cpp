#include "TeleprompterRemoteRequestGuard.h"

#include <gtest/gtest.h>

TEST(TeleprompterRemoteRequestGuard, HostNamesWriteIPv6Canonically)
{
    const std::pair<QString, QString> cases[] = {
        { "[::1]", "[::1]" },
        { "[0:0:0:0:0:0:0:1]:8791", "[::1]" },
        { "[FD00:0::2]", "[fd00::2]" },
        { "[fe80::fc:ff:fe00:1]:80", "[fe80::fc:ff:fe00:1]" },
        { "[::ffff:127.0.0.1]", "[::ffff:127.0.0.1]" },
        { "[evil.example]", "" },
        { "[127.0.0.1]", "" },
        { "[::1]x", "" },
        { "Studio.Local.:8791", "studio.local" },
    };
    for (const auto &[header, host] : cases)
        EXPECT_EQ(TeleprompterRemoteRequestGuard::hostName(header), host) << header.toStdString();
}

TEST(TeleprompterRemoteRequestGuard, LocalNamesCoverTheFirstLabelAndEveryAddress)
{
    struct Case {
        QString machine;
        QSet<QString> expected;
    };
    const QList<QString> ipv4 { "192.168.1.20", "127.0.0.1" };
    const QList<QString> ipv6 { "fd00::2", "FE80:0:0:0:0fc:ff:fe00:1", "::1", "not an address" };
    const QSet<QString> addresses { "192.168.1.20", "127.0.0.1", "[fd00::2]", "[fe80::fc:ff:fe00:1]", "[::1]",
        "10.0.0.5" };
    const Case cases[] = {
        { "Studio", { "studio", "studio.local" } },
        { "studio.office.example.com", { "studio.office.example.com", "studio.local" } },
        { "studio.office.example.com.", { "studio.office.example.com", "studio.local" } },
        { "studio.local", { "studio.local" } },
        { "", {} },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.machine.toStdString());
        EXPECT_EQ(TeleprompterRemoteRequestGuard::localNames(c.machine, "10.0.0.5:8791", ipv4, ipv6),
            c.expected + addresses);
    }
}
