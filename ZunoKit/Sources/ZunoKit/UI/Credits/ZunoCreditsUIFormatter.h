#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <cstdint>
#include <optional>

// What a cap field's text means: `valid` false for unusable text; a valid result without a value is no
// cap (blank or zero).
struct ZunoLimitInput {
    bool valid = false;
    std::optional<double> value;

    friend bool operator==(const ZunoLimitInput &, const ZunoLimitInput &) = default;
};

// Every number the credits views show or accept. Pure functions, callable from any thread; the process
// locale is never followed.
namespace ZunoCreditsUIFormatter {

// A credit amount in the language's digits and separators: whole credits from 100 up, at most one
// decimal within 0.005 of a whole number, else one or two; ties go to the even digit. Negative and
// non-finite amounts show as 0; a positive amount that would round to 0 shows as "<0.01".
QString formatCredits(double value, ZunoLanguage language);

// "1.0 GB" (from 2^30 bytes) or "512 MB", with a full stop; "" for 0 or less.
QString formatBytes(std::int64_t bytes);

// A cap field's text. A comma is a decimal separator ("12,5" is 12.5), except in a number grouped in
// the language's own way ("1,234" in English, "1.234" in Turkish is one thousand two hundred
// thirty-four), so that an amount copied from the summary means what it shows. Spaces (U+0020, U+00A0,
// U+202F) and the language's grouping mark, where it cannot be a decimal separator, are left out.
ZunoLimitInput parseLimitInput(const QString &text, ZunoLanguage language);

// The text a cap field starts with: "" for no cap, whole numbers without grouping, else two decimals;
// a cap too small for that ("0.004") in the shortest text that reads back as the same number.
QString editableNumberText(std::optional<double> value);

// The separators of the language's number format (what `formatCredits` writes).
QString groupingSeparator(ZunoLanguage language);
QString decimalSeparator(ZunoLanguage language);

} // namespace ZunoCreditsUIFormatter
