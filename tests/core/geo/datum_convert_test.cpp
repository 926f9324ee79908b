#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geo/datum_convert.h"
#include "geo/datums.h"

using namespace mw;

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(ConvertDatum, EqualDatumsLeaveThePositionBitForBit) {
    DatumTable t;
    // Equal datums, even Auto Shift with shifts given: nothing is applied.
    const int datums[] = {kDatumAutoShift, 88, kDatumWgs84, 130};
    for (int d : datums) {
        double lat = 51.123456789012345, lon = -0.987654321098765;
        ConvertDatum(t, d, 12.5, -7.25, d, 3, 4, &lat, &lon);
        EXPECT_TRUE(SameBits(lat, 51.123456789012345)) << d;
        EXPECT_TRUE(SameBits(lon, -0.987654321098765)) << d;
    }
}

TEST(ConvertDatum, AutoShiftAddsSecondsOfArcOnTheWayToWgs84AndSubtractsThemBack) {
    DatumTable t;
    double lat = 10, lon = 20;
    ConvertDatum(t, kDatumAutoShift, 3600, 0, kDatumWgs84, 0, 0, &lat, &lon);
    EXPECT_EQ(lat, 11.0);
    EXPECT_EQ(lon, 20.0);
    // WGS 84 is skipped, so Auto Shift to Auto Shift through it is exact
    // arithmetic on the two offsets.
    lat = 10, lon = 20;
    ConvertDatum(t, kDatumAutoShift, 7200, -3600, kDatumWgs84, 0, 0, &lat, &lon);
    ConvertDatum(t, kDatumWgs84, 0, 0, kDatumAutoShift, 7200, -3600, &lat, &lon);
    EXPECT_DOUBLE_EQ(lat, 10.0);
    EXPECT_DOUBLE_EQ(lon, 20.0);
}

TEST(ConvertDatum, NullPointersDoNothing) {
    DatumTable t;
    double lat = 52;
    ConvertDatum(t, 88, 0, 0, kDatumWgs84, 0, 0, &lat, nullptr);
    ConvertDatum(t, 88, 0, 0, kDatumWgs84, 0, 0, nullptr, &lat);
    ConvertDatum(t, 88, 0, 0, kDatumWgs84, 0, 0, nullptr, nullptr);
    EXPECT_EQ(lat, 52.0);
}

TEST(ShiftDatum, Wgs84IsSkippedButAWgs84LikeDatumRunsTheFullComputation) {
    DatumTable t;
    double lat = -26.1234567, lon = 28.7654321;
    ShiftDatum(t, 1, &lat, &lon, kDatumWgs84);
    EXPECT_TRUE(SameBits(lat, -26.1234567));
    EXPECT_TRUE(SameBits(lon, 28.7654321));
    // Hartebeeshoek94: WGS 84 ellipsoid, zero shift, computed through
    // geocentric coordinates: equal only to rounding.
    ShiftDatum(t, 1, &lat, &lon, 41);
    EXPECT_NEAR(lat, -26.1234567, 1e-12);
    EXPECT_NEAR(lon, 28.7654321, 1e-12);
}

TEST(ShiftDatum, EveryQuadrantAndTheSpecialMeridiansKeepTheirSide) {
    // OSGB36 to WGS 84 and back: the shift is at most a few hundred metres, so
    // the longitude must stay in its quadrant (X negative beyond ±90°) and the
    // special cases (lon ±90, lat 0, ±90) must not produce NaN.
    DatumTable t;
    struct Case {
        double lat, lon;
    };
    const Case cases[] = {{10, 100},  {10, -100}, {-10, 100}, {-10, -100},  {45, 90},
                          {45, -90},  {0, 10},    {0, 179.9}, {0, -179.9},  {60, 0},
                          {-60, 180}, {30, -180}, {89.9, 45}, {-89.9, -135}};
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

TEST(ShiftDatum, ThePoleGivesZEqualToB) {
    // At exactly 90° the point is (0, 0, b); after the OSGB36 shift it stays
    // within the shift's size of the pole and its longitude is that of the
    // shift's horizontal part.
    DatumTable t;
    double lat = 90, lon = 0;
    ShiftDatum(t, 1, &lat, &lon, 88);
    EXPECT_NEAR(lat, 89.99649858, 1e-8);
    EXPECT_NEAR(lon, std::atan2(-111.0, 375.0) * 57.29577951308232, 1e-9);
}
