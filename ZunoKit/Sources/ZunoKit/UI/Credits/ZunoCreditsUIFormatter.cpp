#include "ZunoCreditsUIFormatter.h"

#include <unicode/uloc.h>
#include <unicode/unum.h>

#include <QRegularExpression>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <locale.h>
#include <map>
#include <memory>
#include <string>

namespace {

struct NumberFormatClose {
    void operator()(UNumberFormat *format) const { unum_close(format); }
};
using NumberFormat = std::unique_ptr<UNumberFormat, NumberFormatClose>;

// The decimal formatter of a language, made once per thread; null when ICU cannot make one.
UNumberFormat *numberFormat(ZunoLanguage language)
{
    thread_local std::map<ZunoLanguage, NumberFormat> formats;
    const auto found = formats.find(language);
    if (found != formats.end())
        return found->second.get();
    UErrorCode status = U_ZERO_ERROR;
    char locale[ULOC_FULLNAME_CAPACITY] = {};
    int32_t parsed = 0;
    uloc_forLanguageTag(
        rawValue(language).toLatin1().constData(), locale, ULOC_FULLNAME_CAPACITY, &parsed, &status);
    NumberFormat format;
    if (U_SUCCESS(status) && status != U_STRING_NOT_TERMINATED_WARNING) {
        format.reset(unum_open(UNUM_DECIMAL, nullptr, 0, locale, nullptr, &status));
        if (U_FAILURE(status))
            format.reset();
        else
            unum_setAttribute(format.get(), UNUM_ROUNDING_MODE, UNUM_ROUND_HALFEVEN);
    }
    return formats.emplace(language, std::move(format)).first->second.get();
}

QString symbol(ZunoLanguage language, UNumberFormatSymbol which, const char *fallback)
{
    UNumberFormat *format = numberFormat(language);
    if (!format)
        return QString::fromLatin1(fallback);
    UChar buffer[16];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = unum_getSymbol(format, which, buffer, std::size(buffer), &status);
    if (U_FAILURE(status) || length <= 0 || length > static_cast<int32_t>(std::size(buffer)))
        return QString::fromLatin1(fallback);
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), length);
}

QString cFixed(double value, int decimals)
{
    // Room for the largest double written out in full (309 digits) and its decimals.
    char buffer[400];
    const auto result
        = std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

// strtod in the C locale over the whole text; hexadecimal forms and inf/nan included.
std::optional<double> parseWhole(const QByteArray &text)
{
    if (text.isEmpty())
        return std::nullopt;
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    char *end = nullptr;
    const double value = strtod_l(text.constData(), &end, cLocale);
    if (end != text.constData() + text.size())
        return std::nullopt;
    return value;
}

// 1 to 3 digits, then groups of exactly three behind the grouping separator, then maybe the decimal
// separator and digits: the language's own way of writing a large amount.
std::optional<QString> ungrouped(const QString &text, ZunoLanguage language)
{
    const QString group = ZunoCreditsUIFormatter::groupingSeparator(language);
    const QString decimal = ZunoCreditsUIFormatter::decimalSeparator(language);
    if (group != QLatin1String(",") && group != QLatin1String("."))
        return std::nullopt;
    if (decimal == group)
        return std::nullopt;
    const QRegularExpression grouped(
        QStringLiteral("^[1-9][0-9]{0,2}(?:%1[0-9]{3})+(?:%2[0-9]+)?$")
            .arg(QRegularExpression::escape(group), QRegularExpression::escape(decimal)));
    if (!grouped.match(text).hasMatch())
        return std::nullopt;
    QString plain = text;
    plain.remove(group);
    plain.replace(decimal, QStringLiteral("."));
    return plain;
}

// Spaces a number may be grouped with: the ASCII space, the no-break space and the narrow no-break
// space (French and others group with the latter).
bool isGroupingSpace(QChar c)
{
    return c == QChar(0x20) || c == QChar(0xA0) || c == QChar(0x202F);
}

// Below this a positive amount would be written as "0".
constexpr double kSmallestShown = 0.005;

} // namespace

namespace ZunoCreditsUIFormatter {

QString groupingSeparator(ZunoLanguage language)
{
    return symbol(language, UNUM_GROUPING_SEPARATOR_SYMBOL, ",");
}

QString decimalSeparator(ZunoLanguage language)
{
    return symbol(language, UNUM_DECIMAL_SEPARATOR_SYMBOL, ".");
}

QString formatCredits(double value, ZunoLanguage language)
{
    const double v = (!std::isfinite(value) || value < 0) ? 0.0 : value;
    // Something spent or set, however little, never reads as nothing.
    if (v > 0 && v < kSmallestShown)
        return QStringLiteral("<") + formatCredits(0.01, language);
    int minimumFraction = 1;
    int maximumFraction = 2;
    if (v >= 100) {
        minimumFraction = 0;
        maximumFraction = 0;
    } else if (std::abs(v - std::round(v)) < 0.005) {
        minimumFraction = 0;
        maximumFraction = 1;
    }
    if (UNumberFormat *format = numberFormat(language)) {
        unum_setAttribute(format, UNUM_MIN_FRACTION_DIGITS, minimumFraction);
        unum_setAttribute(format, UNUM_MAX_FRACTION_DIGITS, maximumFraction);
        UChar buffer[64];
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = unum_formatDouble(format, v, buffer, std::size(buffer), nullptr, &status);
        if (U_SUCCESS(status) && length > 0 && length <= static_cast<int32_t>(std::size(buffer)))
            return QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), length);
    }
    return cFixed(v, 1);
}

QString formatBytes(std::int64_t bytes)
{
    if (bytes <= 0)
        return {};
    const double gigabytes = static_cast<double>(bytes) / 1073741824.0;
    if (gigabytes >= 1)
        return cFixed(gigabytes, 1) + QStringLiteral(" GB");
    return cFixed(static_cast<double>(bytes) / 1048576.0, 0) + QStringLiteral(" MB");
}

ZunoLimitInput parseLimitInput(const QString &text, ZunoLanguage language)
{
    QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return { true, std::nullopt };
    // Spaces, and any grouping mark that cannot be a decimal separator, only group digits.
    const QString group = groupingSeparator(language);
    const bool strippable = group != QLatin1String(",") && group != QLatin1String(".");
    trimmed.removeIf([&](QChar c) {
        return isGroupingSpace(c) || (strippable && group.size() == 1 && group.front() == c);
    });
    QString plain;
    if (const std::optional<QString> number = ungrouped(trimmed, language))
        plain = *number;
    else
        plain = trimmed.replace(QLatin1Char(','), QLatin1Char('.'));
    const std::optional<double> x = parseWhole(plain.toUtf8());
    if (!x || std::isnan(*x) || std::isinf(*x) || *x < 0)
        return { false, std::nullopt };
    if (*x == 0)
        return { true, std::nullopt };
    return { true, *x };
}

QString editableNumberText(std::optional<double> value)
{
    if (!value || !std::isfinite(*value) || *value <= 0)
        return {};
    const double v = *value;
    const double whole = std::round(v);
    if (std::abs(whole - v) < 0.005) {
        if (whole == 0) {
            // A cap below 0.005 would read back as no cap: write it out in full.
            char buffer[400];
            const auto result
                = std::to_chars(std::begin(buffer), std::end(buffer), v, std::chars_format::fixed);
            return QString::fromLatin1(buffer, result.ptr - buffer);
        }
        // 2^63 and above has no 64-bit integer; its whole decimal digits say the same.
        if (whole >= 9223372036854775808.0)
            return cFixed(whole, 0);
        return QString::number(static_cast<qint64>(whole));
    }
    return cFixed(v, 2);
}

} // namespace ZunoCreditsUIFormatter
