#include "support/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace mw {

namespace {

void AppendPadded(std::string& out, const char* text, std::size_t size, int width) {
    if (width > 0 && static_cast<std::size_t>(width) > size)
        out.append(static_cast<std::size_t>(width) - size, ' ');
    out.append(text, size);
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// The common case of the files (coordinates, altitudes) in integer
// arithmetic. Below 4e9 the rounded product value * 10^precision is off the
// exact one by at most 4e9 * 2^-53 < 1e-6 (10^precision is exact), so unless that product lies within 1e-6 of a half the nearest integer
// is the one exact decimal rounding gives. Near a half (and for large values)
// it answers false and the exact path decides.
bool AppendFixedShort(std::string& out, double value, int precision, int width) {
    const double scaled = std::fabs(value) * kPowersOfTen[precision];
    if (!(scaled < 4e9)) return false;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-6) return false;
    auto digits = static_cast<unsigned long long>(whole) + (fraction > 0.5 ? 1 : 0);
    // Digits right to left: the fraction, the point, at least one integer digit.
    char buffer[40];
    char* p = buffer + sizeof buffer;
    for (int i = 0; i < precision; ++i) {
        *--p = static_cast<char>('0' + digits % 10);
        digits /= 10;
    }
    if (precision > 0) *--p = '.';
    do {
        *--p = static_cast<char>('0' + digits % 10);
        digits /= 10;
    } while (digits != 0);
    // printf keeps the sign of negative zero and of a negative that rounds to zero.
    if (std::signbit(value)) *--p = '-';
    AppendPadded(out, p, static_cast<std::size_t>(buffer + sizeof buffer - p), width);
    return true;
}

}  // namespace

void AppendFixed(std::string& out, double value, int precision, int width) {
    if (!std::isfinite(value)) {
        // printf prints the sign of a NaN too ("-nan").
        const char* text = std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan")
                                             : (value < 0 ? "-inf" : "inf");
        AppendPadded(out, text, std::strlen(text), width);
        return;
    }
    if (precision < 0) precision = 6;  // printf's default
    if (precision <= 9 && AppendFixedShort(out, value, precision, width)) return;
    // Room for 309 integer digits, a sign, a point and a fraction of the
    // precisions the files use; a longer one goes the slow way.
    char buffer[400];
    const std::to_chars_result r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (r.ec == std::errc{}) {
        AppendPadded(out, buffer, static_cast<std::size_t>(r.ptr - buffer), width);
        return;
    }
    const int n = std::snprintf(nullptr, 0, "%*.*f", width, precision, value);
    if (n <= 0) return;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(n) + 1);
    std::snprintf(out.data() + start, static_cast<std::size_t>(n) + 1, "%*.*f", width, precision,
                  value);
    out.resize(start + static_cast<std::size_t>(n));
}

void AppendFixedZeroPadded(std::string& out, double value, int precision, int width) {
    if (!std::isfinite(value)) {
        AppendFixed(out, value, precision, width);
        return;
    }
    const std::size_t start = out.size();
    AppendFixed(out, value, precision);
    const std::size_t size = out.size() - start;
    if (width <= 0 || static_cast<std::size_t>(width) <= size) return;
    const std::size_t at = start + (out[start] == '-' ? 1 : 0);
    out.insert(at, static_cast<std::size_t>(width) - size, '0');
}

void AppendInt(std::string& out, long long value, int width, bool zeroPad) {
    char buffer[32];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    const std::size_t size = static_cast<std::size_t>(r.ptr - buffer);
    if (!zeroPad || width <= 0 || static_cast<std::size_t>(width) <= size) {
        AppendPadded(out, buffer, size, width);
        return;
    }
    const bool negative = buffer[0] == '-';
    if (negative) out.push_back('-');
    out.append(static_cast<std::size_t>(width) - size, '0');
    out.append(buffer + (negative ? 1 : 0), size - (negative ? 1 : 0));
}

}  // namespace mw
