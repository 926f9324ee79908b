#include "support/number_text.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <locale.h>

namespace mw {

namespace {
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The C locale as a handle, for the few C library calls that take one: the
// desktop program runs under the user's locale, whose decimal comma must
// never reach a file.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return c;
}
}  // namespace

namespace {

// Plain decimals ("-4807.0381"), the numbers of receiver sentences and most
// files, without from_chars' general machinery. An integer below 2^53 and a
// power of ten up to 1e22 are both exact doubles, so their quotient is the
// correctly rounded value, the very double from_chars gives. Anything else
// (an exponent, more digits, no digits) is left to the general reader.
std::optional<double> PlainDecimal(const char* p, const char* end) {
    static constexpr double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::uint64_t m = 0;
    int digits = 0, decimals = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p, ++digits) m = m * 10 + unsigned(*p - '0');
    if (p < end && *p == '.')
        for (++p; p < end && *p >= '0' && *p <= '9'; ++p, ++digits, ++decimals)
            m = m * 10 + unsigned(*p - '0');
    if (digits == 0 || digits > 15 || (p < end && (*p == 'e' || *p == 'E'))) return std::nullopt;
    const double v = static_cast<double>(m) / kTens[decimals];
    return negative ? -v : v;
}

}  // namespace

double ParseReal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    if (auto v = PlainDecimal(text.data() + i, text.data() + text.size())) return *v;
    // from_chars takes no leading '+', strtod does.
    bool plus = i < text.size() && text[i] == '+';
    if (plus) ++i;
    if (plus && i < text.size() && text[i] == '-') return 0.0;
    double value = 0.0;
    auto res = std::from_chars(text.data() + i, text.data() + text.size(), value,
                               std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Keep strtod's answer for overflow and underflow, read in the C
        // locale like the rest.
        std::string copy(text.substr(i));
        return CLocale() ? strtod_l(copy.c_str(), nullptr, CLocale())
                         : std::strtod(copy.c_str(), nullptr);
    }
    if (res.ec != std::errc()) return 0.0;
    return value;
}

std::optional<double> ParseRealField(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsCSpace(text[end - 1])) --end;
    std::size_t i = 0;
    while (i < end && IsCSpace(text[i])) ++i;
    // from_chars takes no leading '+'; "+-1" is no number for ParseReal either.
    if (i < end && text[i] == '+' && ++i < end && (text[i] == '-' || text[i] == '+')) return std::nullopt;
    double value = 0.0;
    const auto res = std::from_chars(text.data() + i, text.data() + end, value, std::chars_format::general);
    if (i == end || res.ptr != text.data() + end) return std::nullopt;
    if (res.ec == std::errc()) return value;
    // Out of range is a number still, with strtod's answer as ParseReal gives
    // it; the callers' range checks refuse it.
    if (res.ec == std::errc::result_out_of_range) return ParseReal(text.substr(0, end));
    return std::nullopt;
}

int ParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double RoundToStep(double value, double step) {
    if (step == 0) return 0;
    return step * std::trunc(value / step + 0.5);
}

int IntQuotient(int a, int b) {
    if (b == 0) return 0;
    if (b == -1) return a == INT_MIN ? INT_MAX : -a;
    return a / b;
}

int IntRemainder(int a, int b) {
    if (b == 0 || b == -1) return 0;
    return a % b;
}

std::string Format(const char* fmt, ...) {
    // uselocale changes this thread's locale only, so the reader thread and
    // the GUI thread can both format at once.
    const locale_t c = CLocale();
    const locale_t previous = c ? uselocale(c) : locale_t{};
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, ap2);
        out.resize(static_cast<std::size_t>(n));
    }
    va_end(ap2);
    if (c) uselocale(previous);
    return out;
}

}  // namespace mw
