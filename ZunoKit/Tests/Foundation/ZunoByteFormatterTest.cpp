#include "ZunoByteFormatter.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace ZunoByteFormatter;

TEST(ZunoByteFormatter, Sizes)
{
    const std::pair<std::int64_t, const char *> cases[] = {
        { 999, "999 B" },
        { 1000, "1.0 KB" },
        { 1536, "1.5 KB" },
        { 999999, "1000.0 KB" },
        { 1000000, "1.0 MB" },
        { 1500000000, "1.50 GB" },
        { 2000000000000, "2.00 TB" },
        { -5, "0 B" },
        { 0, "0 B" },
    };
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(format(bytes), text) << bytes;
}

TEST(ZunoByteFormatter, Rates)
{
    const std::pair<double, const char *> cases[] = {
        { 999.4, "999 B/s" },
        { 999.6, "1000 B/s" },
        { 0.5, "1 B/s" },
        { 1500, "1.5 KB/s" },
        { 2.5e6, "2.5 MB/s" },
        { 2.5e9, "2.50 GB/s" },
        { -3, "0 B/s" },
        { NAN, "0 B/s" },
    };
    for (const auto &[rate, text] : cases)
        EXPECT_EQ(formatRate(rate), text) << rate;
}

// printf rounds the exact binary value: a tie that is exact in binary goes to the even digit
// (1.25 -> "1.2"), a decimal that only looks like a tie goes the way its binary value lies
// (1.35 is a little above, 1.45 a little below).
TEST(ZunoByteFormatter, RoundsTiesAsPrintfDoes)
{
    const std::pair<std::int64_t, const char *> sizes[] = {
        { 1250, "1.2 KB" },
        { 2250, "2.2 KB" },
        { 1350, "1.4 KB" },
        { 1450, "1.4 KB" },
        { 1250000, "1.2 MB" },
        { 3750000, "3.8 MB" },
        { 1125000000, "1.12 GB" },
        { 3375000000, "3.38 GB" },
        { 1125000000000, "1.12 TB" },
        { 999950, "1000.0 KB" },
    };
    for (const auto &[bytes, text] : sizes)
        EXPECT_EQ(format(bytes), text) << bytes;
    const std::pair<double, const char *> rates[] = {
        { 1250, "1.2 KB/s" },
        { 2250, "2.2 KB/s" },
        { 1250000, "1.2 MB/s" },
        { 1125000000, "1.12 GB/s" },
        { 3375000000, "3.38 GB/s" },
        // Every digit of a huge rate, none cut off.
        { 1e300,
            "100000000000000009635014392037411447194131245525184358312923120964207345071770458571464004890"
            "198518720971974030499272717572705813243874681661564501323787165479391351363882693412937715289"
            "6934732354722602044746013300944590451431923562399193436133392135634504915915015573579289946925"
            "483474026496.00 GB/s" },
    };
    for (const auto &[rate, text] : rates)
        EXPECT_EQ(formatRate(rate), text) << rate;
}

TEST(ZunoByteFormatter, Durations)
{
    const std::pair<double, const char *> cases[] = {
        { 59.5, "01:00" },
        { 3599.4, "59:59" },
        { 3600, "1:00:00" },
        { 90061, "25:01:01" },
        { -3, "00:00" },
        { NAN, "00:00" },
        { INFINITY, "00:00" },
        { 1e30, "00:00" },
    };
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(formatDuration(seconds), text) << seconds;
}

TEST(ZunoByteFormatter, DecimalPointIgnoresTheProcessLocale)
{
    const char *previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "tr_TR.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(format(1536), "1.5 KB");
    EXPECT_EQ(formatRate(2.5e9), "2.50 GB/s");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ZunoByteFormatter, CsvFields)
{
    const std::pair<QString, QString> cases[] = {
        { "=SUM(A1)", "\"'=SUM(A1)\"" },
        { "say \"hi\"", "\"say \"\"hi\"\"\"" },
        { "", "\"\"" },
        { "plain", "\"plain\"" },
        { "+1", "\"'+1\"" },
        { "-1", "\"'-1\"" },
        { "@cmd", "\"'@cmd\"" },
        { "\tx", "\"'\tx\"" },
        // The first scalar decides: a carriage return, even before a line feed, and "=" followed by a
        // combining mark are both guarded.
        { "\r\nx", "\"'\r\nx\"" },
        { QString::fromUtf8("=\xcc\x81SUM(A1)"), QString::fromUtf8("\"'=\xcc\x81SUM(A1)\"") },
    };
    for (const auto &[value, field] : cases)
        EXPECT_EQ(csvSafeField(value), field) << value.toStdString();
}

TEST(ZunoByteFormatter, SavingsPercent)
{
    EXPECT_DOUBLE_EQ(savingsPercent(200, 50), 75.0);
    EXPECT_DOUBLE_EQ(savingsPercent(0, 50), 0.0);
    EXPECT_DOUBLE_EQ(savingsPercent(-1, 50), 0.0);
    EXPECT_DOUBLE_EQ(savingsPercent(100, 150), -50.0);
}
