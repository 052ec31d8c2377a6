// The credits formatter as tables: amounts in four languages, sizes under a Turkish process locale, the
// cap field's grammar with the languages' grouping, and the editable text read back in English and
// Turkish.
#include "ZunoCreditsUIFormatter.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

using namespace ZunoCreditsUIFormatter;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Restores the process locale that a test changed.
class ProcessLocale {
public:
    ProcessLocale()
        : m_saved(std::setlocale(LC_ALL, nullptr))
    {
    }
    ~ProcessLocale() { std::setlocale(LC_ALL, m_saved.c_str()); }

private:
    std::string m_saved;
};

} // namespace

TEST(ZunoCreditsUIFormatter, FormatsCreditsPerLanguageWithHalfEvenTies)
{
    struct Case {
        double value;
        const char *en, *tr, *de, *ptBR;
    };
    const Case cases[] = {
        { 250, "250", "250", "250", "250" },
        { 1234.4, "1,234", "1.234", "1.234", "1.234" },
        { 42, "42", "42", "42", "42" },
        { 42.004, "42", "42", "42", "42" },
        { 12.5, "12.5", "12,5", "12,5", "12,5" },
        { 99.996, "100", "100", "100", "100" },
        { 99.99, "99.99", "99,99", "99,99", "99,99" },
        { 100, "100", "100", "100", "100" },
        { 0.125, "0.12", "0,12", "0,12", "0,12" },
        { 0.375, "0.38", "0,38", "0,38", "0,38" },
        { 100.5, "100", "100", "100", "100" },
        { 101.5, "102", "102", "102", "102" },
        { 12.345, "12.34", "12,34", "12,34", "12,34" },
        { 1.2, "1.2", "1,2", "1,2", "1,2" },
        // A positive amount too small for two decimals never reads as nothing.
        { 0.004, "<0.01", "<0,01", "<0,01", "<0,01" },
        { 1e-9, "<0.01", "<0,01", "<0,01", "<0,01" },
        { 0.006, "0.01", "0,01", "0,01", "0,01" },
        { 0, "0", "0", "0", "0" },
        { -3, "0", "0", "0", "0" },
        { kNaN, "0", "0", "0", "0" },
        { kInf, "0", "0", "0", "0" },
        { -kInf, "0", "0", "0", "0" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(formatCredits(c.value, ZunoLanguage::en), QString::fromUtf8(c.en));
        EXPECT_EQ(formatCredits(c.value, ZunoLanguage::tr), QString::fromUtf8(c.tr));
        EXPECT_EQ(formatCredits(c.value, ZunoLanguage::de), QString::fromUtf8(c.de));
        EXPECT_EQ(formatCredits(c.value, ZunoLanguage::ptBR), QString::fromUtf8(c.ptBR));
    }
}

TEST(ZunoCreditsUIFormatter, FormatsBytesWithAFullStopWhateverTheProcessLocale)
{
    struct Case {
        std::int64_t bytes;
        const char *text;
    };
    const Case cases[] = {
        { 0, "" },
        { -5, "" },
        { 1073741824, "1.0 GB" },
        { 1073741823, "1024 MB" },
        { 536870912, "512 MB" },
        { 1500000, "1 MB" },
        { 1000, "0 MB" },
        { 5368709120 + 536870912, "5.5 GB" },
    };
    const auto check = [&] {
        for (const Case &c : cases)
            EXPECT_EQ(formatBytes(c.bytes), QString::fromLatin1(c.text)) << c.bytes;
    };
    check();
    ProcessLocale restore;
    if (!std::setlocale(LC_ALL, "tr_TR.UTF-8"))
        GTEST_SKIP() << "the tr_TR.UTF-8 locale is not installed (the set-up script makes it)";
    check();
    // Also the credits' C-locale fallback and parser do not follow it.
    EXPECT_EQ(parseLimitInput(QStringLiteral("2.5"), ZunoLanguage::en), (ZunoLimitInput { true, 2.5 }));
    EXPECT_EQ(editableNumberText(2.5), QStringLiteral("2.50"));
}

TEST(ZunoCreditsUIFormatter, ParsesCapFieldsWithTheLanguagesGrouping)
{
    struct Case {
        const char *text;
        ZunoLanguage language;
        bool valid;
        std::optional<double> value;
    };
    using L = ZunoLanguage;
    const Case cases[] = {
        // The plain grammar.
        { "", L::en, true, std::nullopt },
        { "   ", L::en, true, std::nullopt },
        { "0", L::en, true, std::nullopt },
        { "-0", L::en, true, std::nullopt },
        { "0.00", L::tr, true, std::nullopt },
        { "1 000", L::en, true, 1000 },
        { "1 000", L::tr, true, 1000 },
        { "12,5", L::en, true, 12.5 },
        { " 7 ", L::en, true, 7 },
        { "\n7\t", L::en, true, 7 },
        { "1e3", L::en, true, 1000 },
        { "0x10", L::en, true, 16 },
        { "-5", L::en, false, std::nullopt },
        { "abc", L::en, false, std::nullopt },
        { "inf", L::en, false, std::nullopt },
        { "nan", L::en, false, std::nullopt },
        { "1e999", L::en, false, std::nullopt },
        { "5 cr", L::en, false, std::nullopt },
        { "1\t2", L::en, false, std::nullopt },
        { "1.2.3", L::en, false, std::nullopt },
        { "12,5,0", L::en, false, std::nullopt },
        // A number grouped the language's way means what it shows.
        { "1,234", L::en, true, 1234 },
        { "1,234.5", L::en, true, 1234.5 },
        { "1,000,000", L::en, true, 1000000 },
        { "1.234", L::tr, true, 1234 },
        { "1.234,5", L::tr, true, 1234.5 },
        { "1.234.567", L::de, true, 1234567 },
        // Anything else is the plain grammar: a comma is a decimal separator.
        { "1.234", L::en, true, 1.234 },
        { "1,000", L::tr, true, 1.0 },
        { "0,125", L::en, true, 0.125 },
        { "1,23", L::en, true, 1.23 },
        { "1234,5", L::en, true, 1234.5 },
        { "1,2345", L::en, true, 1.2345 },
        { "01,234", L::en, true, 1.234 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in " + rawValue(c.language).toStdString());
        const ZunoLimitInput result = parseLimitInput(QString::fromUtf8(c.text), c.language);
        EXPECT_EQ(result.valid, c.valid);
        EXPECT_EQ(result.value, c.value);
    }
}

TEST(ZunoCreditsUIFormatter, EditableTextReadsBackAsTheSameCapInEveryLanguage)
{
    struct Case {
        std::optional<double> value;
        const char *text;
        std::optional<double> readBack;
    };
    const Case cases[] = {
        { std::nullopt, "", std::nullopt },
        { 0, "", std::nullopt },
        { -1, "", std::nullopt },
        { kNaN, "", std::nullopt },
        { kInf, "", std::nullopt },
        { 250, "250", 250 },
        { 2.5, "2.50", 2.5 },
        { 0.3, "0.30", 0.3 },
        { 500.004, "500", 500 },
        { 1e6, "1000000", 1e6 },
        { 1234.5, "1234.50", 1234.5 },
        // A tiny cap stays a cap.
        { 0.004, "0.004", 0.004 },
        { 1e-7, "0.0000001", 1e-7 },
        // Beyond any 64-bit integer: every whole digit.
        { 1e19, "10000000000000000000", 1e19 },
        { 9223372036854775808.0, "9223372036854775808", 9223372036854775808.0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value ? std::to_string(*c.value) : std::string("none"));
        const QString text = editableNumberText(c.value);
        EXPECT_EQ(text, QString::fromLatin1(c.text));
        for (ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr, ZunoLanguage::de }) {
            const ZunoLimitInput back = parseLimitInput(text, language);
            EXPECT_TRUE(back.valid) << qPrintable(rawValue(language));
            EXPECT_EQ(back.value, c.readBack) << qPrintable(rawValue(language));
        }
    }
}

TEST(ZunoCreditsUIFormatter, SeparatorsComeFromTheLanguagesFormat)
{
    EXPECT_EQ(groupingSeparator(ZunoLanguage::en), QStringLiteral(","));
    EXPECT_EQ(decimalSeparator(ZunoLanguage::en), QStringLiteral("."));
    EXPECT_EQ(groupingSeparator(ZunoLanguage::tr), QStringLiteral("."));
    EXPECT_EQ(decimalSeparator(ZunoLanguage::tr), QStringLiteral(","));
    // A language grouping with a space: "1 234" reads as 1234 through the space rule alone, and "1,5"
    // as a decimal.
    EXPECT_EQ(parseLimitInput(QStringLiteral("1,5"), ZunoLanguage::fr), (ZunoLimitInput { true, 1.5 }));
}

TEST(ZunoCreditsUIFormatter, FormattedAmountsReadBackAsThemselves)
{
    // French groups with a narrow no-break space; typed or pasted amounts may carry a no-break space.
    EXPECT_EQ(
        parseLimitInput(QStringLiteral("1\u202F234,5"), ZunoLanguage::fr), (ZunoLimitInput { true, 1234.5 }));
    EXPECT_EQ(
        parseLimitInput(QStringLiteral("12\u00A0345"), ZunoLanguage::fr), (ZunoLimitInput { true, 12345 }));
    EXPECT_EQ(
        parseLimitInput(QStringLiteral("1\u00A0234.5"), ZunoLanguage::en), (ZunoLimitInput { true, 1234.5 }));
    for (const ZunoLanguage language :
        { ZunoLanguage::fr, ZunoLanguage::en, ZunoLanguage::tr, ZunoLanguage::de, ZunoLanguage::ptBR }) {
        for (const double value : { 1234.0, 98765.0, 1234567.0, 12.5, 0.25 }) {
            const QString text = formatCredits(value, language);
            SCOPED_TRACE(text.toStdString() + " in " + rawValue(language).toStdString());
            EXPECT_EQ(parseLimitInput(text, language), (ZunoLimitInput { true, value }));
        }
    }
    EXPECT_TRUE(formatCredits(1234, ZunoLanguage::fr).contains(QChar(0x202F)));
}
