#include <gtest/gtest.h>

#include <clocale>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <locale.h>

#include "support/number_format.h"

namespace mw {
namespace {

// printf in the C locale, which the files are written in whatever the
// user's locale (the suite also runs under a decimal-comma one).
std::string Printf(const char* fmt, int width, int precision, double v) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    const locale_t user = uselocale(c);
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, fmt, width, precision, v);
    uselocale(user);
    return buffer;
}

std::string Fixed(double v, int precision, int width) {
    std::string out = "x";  // appended to, never replaced
    AppendFixed(out, v, precision, width);
    return out.substr(1);
}

std::string ZeroPadded(double v, int precision, int width) {
    std::string out = "x";
    AppendFixedZeroPadded(out, v, precision, width);
    return out.substr(1);
}

// Every width and precision the file writers use, and a few more.
constexpr int kFieldShapes[][2] = {{12, 7}, {7, 0}, {11, 5}, {8, 0}, {10, 1}, {0, 7}, {0, 6},
                                   {0, 0},  {1, 3}, {30, 2}, {0, 17}, {5, 0}, {6, 3}, {2, 0},
                                   {4, 1},  {0, 9}};

void ExpectSameAsPrintf(double v) {
    for (const auto& shape : kFieldShapes) {
        const int width = shape[0], precision = shape[1];
        ASSERT_EQ(Fixed(v, precision, width), Printf("%*.*f", width, precision, v))
            << "value " << std::hexfloat << v << " width " << width << " precision " << precision;
        // Grid references and minutes keep leading zeros ("%05.0f", "%06.3f").
        ASSERT_EQ(ZeroPadded(v, precision, width), Printf("%0*.*f", width, precision, v))
            << "zero-padded value " << std::hexfloat << v << " width " << width << " precision "
            << precision;
    }
}

TEST(AppendFixed, MatchesPrintfOnAwkwardValues) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {
        0.0, -0.0, 1.0, -1.0,
        // exact binary ties: printf rounds them to even
        0.5, 1.5, 2.5, -0.5, -2.5, 0.125, 0.375, 1e6 + 0.5, 2.5e-1,
        // decimal "ties" that are not exact in binary
        0.05, 0.15, 1.00000005, 0.00000005, -0.00000005, 45.12345675, 89.99999995,
        -179.99999995, 0.000000049999999, 1e-7, 5e-8, -5e-8, 4.5e-8,
        // negatives that round to zero keep their sign
        -1e-9, -0.4, -0.049, -1e-300,
        // tiny, huge and the ends of the range
        1e-320, -4.9e-324, DBL_MIN, DBL_MAX, -DBL_MAX, 1e15, 1e16 + 2, 9007199254740993.0,
        1e22, 123456789012.3456789, -99999.95, 99999.95, 999999.5,
        // the writers' own sentinels and common values
        -777, -777.0 / 3.2808399, 90, -90, 180, -180, 3.4028234663852886e38,
        nan, -nan, inf, -inf};
    for (double v : values) ExpectSameAsPrintf(v);
}

TEST(AppendFixed, MatchesPrintfOnRandomCoordinatesAndBitPatterns) {
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180), alt(-2000, 30000);
    for (int i = 0; i < 5000; ++i) {
        ExpectSameAsPrintf(lat(random));
        ExpectSameAsPrintf(lon(random));
        ExpectSameAsPrintf(alt(random));
        // Coordinates on a 1e-7 grid, with a half step added: near-ties.
        const double grid = std::round(lon(random) * 1e7) / 1e7 + 0.5e-7;
        ExpectSameAsPrintf(grid);
        // Just around the halves the short path leaves to the exact one.
        const double edge = (std::round(lat(random) * 1e7) + 0.5 + (i % 7 - 3) * 1e-6) / 1e7;
        ExpectSameAsPrintf(edge);
        std::uint64_t bits = random();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        ExpectSameAsPrintf(any);
    }
}

TEST(AppendInt, MatchesPrintfWithWidthAndZeroPadding) {
    const long long values[] = {0, 1, -1, 7, -7, 42, 99, 100, -100, 2026, 123456,
                                2147483647LL, -2147483648LL,
                                std::numeric_limits<long long>::max(),
                                std::numeric_limits<long long>::min()};
    for (long long v : values) {
        for (int width : {0, 1, 2, 3, 4, 6, 25}) {
            char spaces[64], zeros[64];
            std::snprintf(spaces, sizeof spaces, "%*lld", width, v);
            std::snprintf(zeros, sizeof zeros, "%0*lld", width, v);
            std::string a = "x", b = "x";
            AppendInt(a, v, width);
            AppendInt(b, v, width, true);
            EXPECT_EQ(a.substr(1), spaces) << v << " width " << width;
            EXPECT_EQ(b.substr(1), zeros) << v << " width " << width;
        }
    }
}

}  // namespace
}  // namespace mw
