// Numbers as the instruments read and write them, free of the process locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bench {

// An integer, decimal or scientific number with an optional sign ("12", "-.5", "1.25E1");
// nothing for anything else, "inf" and "nan" included.
std::optional<double> ParseNumber(std::string_view text);

// A value in milli-units rounded to a multiple of `step` milli-units, halves away from zero;
// nothing when it is too large to be a setting of any instrument.
std::optional<long> ToMilli(double value, long step);

// 12500 with 2 decimals gives "12.50"; with 3, "12.500". Digits past `decimals` are cut.
std::string FormatMilli(long milli, int decimals);

// A whole number of decimal digits (an optional leading "-" when `signedAllowed`).
std::optional<long> ParseWholeNumber(std::string_view text, bool signedAllowed = false);

}  // namespace bench
