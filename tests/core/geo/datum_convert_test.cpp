#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geo/datum_convert.h"
#include "geo/datums.h"

using namespace mw;

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(ConvertDatum, EqualDatumsAndWgs84LeaveThePositionBitForBit) {
    DatumTable t;
    // Equal datums, even Auto Shift with shifts given: nothing is applied.
    for (int d : {kDatumAutoShift, 88, kDatumWgs84}) {
        double lat = 51.123456789012345, lon = -0.987654321098765;
        ConvertDatum(t, d, 12.5, -7.25, d, 3, 4, &lat, &lon);
        EXPECT_TRUE(SameBits(lat, 51.123456789012345)) << d;
        EXPECT_TRUE(SameBits(lon, -0.987654321098765)) << d;
    }
    double lat = -26.1234567, lon = 28.7654321;
    ShiftDatum(t, 1, &lat, &lon, kDatumWgs84);
    EXPECT_TRUE(SameBits(lat, -26.1234567));
    EXPECT_TRUE(SameBits(lon, 28.7654321));
    // Null pointers are ignored, not written through.
    ConvertDatum(t, 88, 0, 0, kDatumWgs84, 0, 0, &lat, nullptr);
    ConvertDatum(t, 88, 0, 0, kDatumWgs84, 0, 0, nullptr, &lat);
    EXPECT_TRUE(SameBits(lat, -26.1234567));
}

TEST(ShiftDatum, EveryQuadrantAndTheSpecialMeridiansKeepTheirSide) {
    // OSGB36 to WGS 84 and back: the shift is at most a few hundred metres, so
    // the longitude must stay in its quadrant (X negative beyond ±90°) and the
    // special cases (lon ±90, ±180, lat 0, near ±90) must not produce NaN.
    DatumTable t;
    struct Case {
        double lat, lon;
    };
    const Case cases[] = {{10, 100},  {-10, -100}, {45, 90},   {45, -90},
                          {0, 179.9}, {-60, 180},  {89.9, 45}, {-89.9, -135}};
    for (const Case& c : cases) {
        double lat = c.lat, lon = c.lon;
        ShiftDatum(t, 1, &lat, &lon, 88);
        ASSERT_TRUE(std::isfinite(lat) && std::isfinite(lon)) << c.lat << " " << c.lon;
        EXPECT_NEAR(lat, c.lat, 0.01) << c.lat << " " << c.lon;
        double dlon = std::fabs(lon - c.lon);
        if (dlon > 180) dlon = 360 - dlon;
        EXPECT_LT(dlon * std::cos(c.lat * 0.0174533), 0.01) << c.lat << " " << c.lon;
        // Back again: far from Britain the OSGB36 shift lifts the point by
        // hundreds of metres, and dropping that height leaves centimetres.
        ShiftDatum(t, 0, &lat, &lon, 88);
        EXPECT_NEAR(lat, c.lat, 1e-6) << c.lat << " " << c.lon;
    }
}
