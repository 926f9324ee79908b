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
