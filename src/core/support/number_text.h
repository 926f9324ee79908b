// Numbers as text in the C locale, whatever locale the program runs under:
// every number in a file is read and written through here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mw {

// Decimal number in the C locale: leading white space skipped, stops at the
// first character that does not fit, 0 when nothing fits.
double ParseReal(std::string_view text);
// Base-10 integer with the same rules (leading integer part; a fractional
// part is ignored); out-of-range values saturate at the int32 limits.
int ParseInt(std::string_view text);
// A field that is a number and nothing else (white space around it allowed),
// for telling a record from a line of something else; ParseReal reads "abc"
// as 0, a place on the map.
std::optional<double> ParseRealField(std::string_view text);
// 0 when `step` is 0; otherwise step × trunc(value ÷ step + 0.5).
double RoundToStep(double value, double step);
// Integer division towards zero and its remainder (sign of `a`); a zero
// divisor gives 0 rather than a fault.
int IntQuotient(int a, int b);
int IntRemainder(int a, int b);

// printf-style formatting into a std::string, always in the C locale's
// number format whatever locale the program runs under: every number in a
// file goes through here or through ParseReal/ParseInt.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace mw
