#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "geo/datums.h"
#include "geo/geodesic.h"

using namespace mw;

namespace {

// Azimuths compared on the circle.
double AngleGap(double a, double b) {
    double d = std::fmod(std::fabs(a - b), 360);
    return std::min(d, 360 - d);
}

struct Case {
    double lat1, lon1, lat2, lon2;
    double metres, azimuth1, backAzimuth2;  // as `geod -I` prints them
};

// Reference values: PROJ 9 `geod +ellps=WGS84 -I -f %.9f -F %.6f` (GeographicLib's
// exact inverse). The last column is geod's back azimuth at point 2.
const Case kWgs84Cases[] = {
    {0, 0, 0, 1, 111319.490793, 90, -90},
    {0, 0, 1, 0, 110574.388558, 0, -180},
    {51.5, -0.12, 48.85, 2.35, 343492.815400, 148.140664476, -29.961736209},
    {-33.86, 151.21, 40.71, -74.0, 15988032.111435, 65.678165984, -93.737335182},
    {10, 20, 10.0001, 20.0001, 15.573973, 44.748065592, -135.251917043},
    {89.9, 0, 89.9, 180, 22338.795683, 0, 0},
    {60, 10, 60, 10.000001, 0.055800, 89.999999567, -89.999999567},
    // Nearly antipodal: Vincenty's iteration does not settle on all of
    // these, and the two-leg search takes over.
    {0, 0, 0.5, 179.5, 19936288.578965, 25.671872868, -25.672914530},
    {0, 0, 0, 179.9, 20003008.421509, 9.545672695, -9.545672695},
    {0, 0, -0.1, 179.99, 19992866.105978, 179.184188894, -179.184187660},
    {45, 10, -44.9, -170.1, 19992125.406822, 10.103840347, -10.086127501},
    {30, 20, -30, -160, 20003931.458625, -1, 0},  // azimuth not unique
    {-90, 0, 90, 0, 20003931.458625, -1, 0},      // pole to pole
};

}  // namespace

TEST(Geodesic, AgreesWithGeographicLibWithinAMillimetre) {
    const Ellipsoid wgs84 = EllipsoidOf(kEllipsoidWgs84);
    for (const Case& c : kWgs84Cases) {
        const GeodesicLine line = GeodesicInverse(wgs84, c.lat1, c.lon1, c.lat2, c.lon2);
        EXPECT_NEAR(line.metres, c.metres, 1e-3) << c.lat1 << "," << c.lon1 << " " << c.lat2 << ","
                                                 << c.lon2;
        if (c.azimuth1 < 0 || c.metres < 1) continue;
        EXPECT_LT(AngleGap(line.azimuth1, c.azimuth1), 1e-5) << c.lat2 << "," << c.lon2;
        EXPECT_LT(AngleGap(line.azimuth2, c.backAzimuth2 + 180), 1e-5) << c.lat2 << "," << c.lon2;
    }
}

TEST(Geodesic, UsesTheEllipsoidItIsGiven) {
    // geod +ellps=intl -I: 52 5 -> 52.1 5.2.
    int index = 0;
    while (index < kEllipsoidCount && std::string(kEllipsoids[index].name) != "International 1924")
        ++index;
    ASSERT_LT(index, kEllipsoidCount);
    const Ellipsoid international = EllipsoidOf(index);
    EXPECT_NEAR(GeodesicDistance(international, 52, 5, 52.1, 5.2), 17665.781542, 1e-3);
    // The same pair on WGS 84 differs by more than a millimetre, so the
    // ellipsoid is really used.
    const double onIntl = GeodesicDistance(international, 52, 5, 52.1, 5.2);
    const double onWgs = GeodesicDistance(EllipsoidOf(kEllipsoidWgs84), 52, 5, 52.1, 5.2);
    EXPECT_GT(std::fabs(onIntl - onWgs), 1e-3);
}

TEST(Geodesic, CoincidentPointsAndLongitudeWrap) {
    const Ellipsoid wgs84 = EllipsoidOf(kEllipsoidWgs84);
    EXPECT_EQ(GeodesicDistance(wgs84, 12.5, 45, 12.5, 45), 0);
    EXPECT_EQ(GeodesicInverse(wgs84, 12.5, 45, 12.5, 45).metres, 0);
    // Across the date line the short way round.
    EXPECT_NEAR(GeodesicDistance(wgs84, 0, 179.5, 0, -179.5), 111319.490793, 1e-3);
    EXPECT_NEAR(GeodesicDistance(wgs84, 0, 0.5, 0, 360.5), 0, 1e-6);
}

TEST(Geodesic, DirectThenInverseComeBack) {
    const Ellipsoid wgs84 = EllipsoidOf(kEllipsoidWgs84);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> lat(-89, 89), lon(-180, 180), az(0, 360),
        s(1, 9.9e6);
    for (int i = 0; i < 500; ++i) {
        const double la = lat(rng), lo = lon(rng), a = az(rng), d = s(rng);
        double la2, lo2;
        GeodesicDirect(wgs84, la, lo, a, d, la2, lo2);
        const GeodesicLine back = GeodesicInverse(wgs84, la, lo, la2, lo2);
        EXPECT_NEAR(back.metres, d, 1e-3) << la << "," << lo << " az " << a;
        EXPECT_LT(AngleGap(back.azimuth1, a), 1e-6) << la << "," << lo << " az " << a;
    }
}

// Random pairs, short and long, against `geod` when it is installed.
TEST(Geodesic, RandomPairsAgainstGeod) {
    if (std::system("command -v geod >/dev/null 2>&1") != 0) GTEST_SKIP() << "geod not installed";
    // The numbers exchanged with geod are C-locale text whatever the user's
    // locale (the suite also runs under a decimal-comma one).
    const std::string userNumeric = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    struct Restore {
        std::string locale;
        ~Restore() { std::setlocale(LC_NUMERIC, locale.c_str()); }
    } restore{userNumeric};
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180), near(-0.05, 0.05);
    struct Pair {
        double lat1, lon1, lat2, lon2;
    };
    std::vector<Pair> pairs;
    for (int i = 0; i < 600; ++i) {
        const double la = lat(rng), lo = lon(rng);
        if (i % 3 == 0)  // track-like steps
            pairs.push_back({la, lo, std::clamp(la + near(rng), -90.0, 90.0), lo + near(rng)});
        else if (i % 3 == 1)
            pairs.push_back({la, lo, lat(rng), lon(rng)});
        else  // close to the antipode
            pairs.push_back({la, lo, std::clamp(-la + 20 * near(rng), -90.0, 90.0),
                             lo + 180 + 20 * near(rng)});
    }
    const std::string in = ::testing::TempDir() + "/geod_pairs.txt";
    {
        FILE* f = std::fopen(in.c_str(), "w");
        ASSERT_NE(f, nullptr);
        for (const Pair& p : pairs)
            std::fprintf(f, "%.12f %.12f %.12f %.12f\n", p.lat1, p.lon1, p.lat2, p.lon2);
        std::fclose(f);
    }
    const std::string command = "LC_ALL=C geod +ellps=WGS84 -I -f %.9f -F %.6f < " + in;
    FILE* out = popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    const Ellipsoid wgs84 = EllipsoidOf(kEllipsoidWgs84);
    char buffer[256];
    std::size_t i = 0;
    double worst = 0;
    while (std::fgets(buffer, sizeof buffer, out) && i < pairs.size()) {
        double az1, az2, s;
        ASSERT_EQ(std::sscanf(buffer, "%lf %lf %lf", &az1, &az2, &s), 3) << buffer;
        const Pair& p = pairs[i++];
        const double mine = GeodesicDistance(wgs84, p.lat1, p.lon1, p.lat2, p.lon2);
        worst = std::max(worst, std::fabs(mine - s));
        EXPECT_NEAR(mine, s, 1e-3) << p.lat1 << " " << p.lon1 << " " << p.lat2 << " " << p.lon2;
    }
    pclose(out);
    EXPECT_EQ(i, pairs.size());
    RecordProperty("worst_metres", std::to_string(worst));
}
