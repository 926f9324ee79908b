#include <gtest/gtest.h>

#include <cmath>

#include "geo/datums.h"
#include "proj/families.h"
#include "proj/proj_math.h"
#include "proj/projection.h"

using namespace mw;

TEST(ProjectionId, FirstFiveCharactersExactly) {
    struct Case {
        const char* name;
        int id;
    };
    // clang-format off
    // Only the first five characters count, case and blanks included.
    const Case cases[] = {
        {"(IG) Irish", 6}, {"(IG)Irish", 99}, {"Trans-anything", 10}, {"transverse mercator", 99},
        {"(I) France Zone I", 13}, {"(II) France Zone II", 14}, {"Tran", 99}, {"", 99},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(ProjectionIdFromName(c.name), c.id) << c.name;
}

TEST(ProjectionDispatch, UnwrittenOutputsLeaveLatitudeAndLongitude) {
    DatumTable t;
    ProjectionState s;
    struct Case {
        int id;
        ProjectionParams params;
    };
    ProjectionParams symmetric;
    symmetric.centralMeridian = -96;
    symmetric.standardParallel1 = -30;
    symmetric.standardParallel2 = 30;
    const Case cases[] = {{kProjLatLon, {}},        {kProjUnsupported, {}},    {0, {}},
                          {kProjLambert, {}},       {kProjLambert, symmetric}, {kProjPolyconic, {}},
                          {kProjVanDerGrinten, {}}, {kProjBonne, {}}};
    for (const Case& c : cases) {
        s.params = c.params;
        ProjectedPoint p = ProjectForward(c.id, s, t, 40.5, -100.25);
        EXPECT_EQ(p.easting, -100.25) << c.id;
        EXPECT_EQ(p.northing, 40.5) << c.id;
        GeoResult g = ProjectInverse(c.id, s, t, -100.25, 40.5);
        EXPECT_EQ(g.lat, 40.5) << c.id;
        EXPECT_EQ(g.lon, -100.25) << c.id;
    }
    s.params = symmetric;
    EXPECT_EQ(ProjectForward(kProjLambert, s, t, 40, -100).error, kProjErrLambertParallels);
}

// What a projection that cannot give a position writes: zeros where its
// parameters are unset or the point is outside its area, the untouched input
// where it writes nothing, the false origin at the far pole of a cone.
TEST(ProjectionDispatch, FailuresGiveZerosTheInputOrTheFalseOrigin) {
    DatumTable t;
    ProjectionParams noNorthing{0, 3, 0.9996, 500000, kUnsetParameter, 777, 777};
    ProjectionParams albersOneParallel{23, -96, 1, 0, 0, 29.5, kUnsetParameter};
    struct Case {
        int id, datum;
        ProjectionParams params;
        double lat, lon, easting, northing;
        bool error;
    };
    const Case cases[] = {
        {kProjTransverseMercator, kDatumWgs84, noNorthing, 52, 4, 0, 0, false},
        {kProjAlbers, kDatumWgs84, albersOneParallel, 35, -75, 0, 0, false},
        {kProjSwissGrid, 24, {}, 39.9, 7.4, 0, 0, true},  // CH-1903, south of the area
        {kProjSwissGrid, 24, {}, 46, 20.5, 0, 0, true},
        {kProjMercator, kDatumWgs84, {}, 90, 10, 10, 90, true},
    };
    for (const Case& c : cases) {
        ProjectionState s;
        s.mapDatum = c.datum;
        s.params = c.params;
        ProjectedPoint p = ProjectForward(c.id, s, t, c.lat, c.lon);
        EXPECT_EQ(p.error != kProjOk, c.error) << c.id << " " << c.lat;
        EXPECT_EQ(p.easting, c.easting) << c.id << " " << c.lat;
        EXPECT_EQ(p.northing, c.northing) << c.id << " " << c.lat;
    }
    double e, n;
    EXPECT_EQ(FrenchLambertForward(2, -90, 2.33722917, e, n, t, kDatumNtfFrance),
              kProjErrLambertPole);
    EXPECT_EQ(e, 600000.0);
    EXPECT_EQ(n, 2200000.0);
}

TEST(ProjectionDispatch, InversesThatCannotConvergeEndInZerosNotLoops) {
    DatumTable t;
    ProjectionState s;
    s.mapDatum = kDatumWgs84;
    s.params.centralMeridian = -54;
    s.params.originLatitude = 45;
    s.params.standardParallel1 = 33;
    s.params.standardParallel2 = 45;
    const double bad[][2] = {{NAN, 0}, {0, NAN}, {INFINITY, 1e7}, {1e30, -1e30}};
    const int ids[] = {kProjPolyconic, kProjSwissGrid, kProjNewZealandGrid, kProjMercator,
                       kProjLambert,   kProjAlbers,    kProjVanDerGrinten,  kProjBonne};
    for (int id : ids) {
        for (const auto& b : bad) {
            GeoResult g = ProjectInverse(id, s, t, b[0], b[1]);
            // Either an error with zeros, or a finite answer; never a hang.
            if (g.error != kProjOk && g.error != kProjErrDomain) {
                EXPECT_EQ(g.lat, 0.0) << id;
                EXPECT_EQ(g.lon, 0.0) << id;
            }
        }
    }
    double lat, lon;
    EXPECT_EQ(NzmgInverse(NAN, 6023150, lat, lon), kProjErrNoConvergence);
    EXPECT_EQ(lat, 0.0);
    EXPECT_EQ(PolyconicInverse(0, 1e7, NAN, lat, lon, GetDatumEllipsoid(t, kDatumWgs84)),
              kProjErrPolyconicNoConvergence);
}

TEST(Guards, SafeAsinAndAcosClampAndFlagOnlyRealDomainErrors) {
    struct Case {
        double x;
        double asinValue, acosValue;
        bool flagged;
    };
    const Case cases[] = {
        // Just past 1 is a real domain error; within rounding of 1 is not.
        {1.0000000000001, kHalfPi, 0, true},
        {1.000000000000001, kHalfPi, 0, false},
        {-1.0000000000001, -kHalfPi, kPi, true},
        {0.5, std::asin(0.5), std::acos(0.5), false},
    };
    for (const Case& c : cases) {
        int err = 0;
        EXPECT_EQ(SafeAsin(c.x, &err), c.asinValue) << c.x;
        EXPECT_EQ(err, c.flagged ? kProjErrDomain : 0) << c.x;
        err = 0;
        EXPECT_EQ(SafeAcos(c.x, &err), c.acosValue) << c.x;
        EXPECT_EQ(err, c.flagged ? kProjErrDomain : 0) << c.x;
    }
    EXPECT_EQ(SafeSqrt(-1e-20), 0.0);
    EXPECT_EQ(SafeSqrt(4), 2.0);
    EXPECT_EQ(SafeAtan2(1e-51, -1e-51), 0.0);
    EXPECT_EQ(SafeAtan2(0, -1), kPi);
}

TEST(Helpers, AdjustLonWrapsByWholeTurnsAndStops) {
    struct Case {
        double in, out;
    };
    const Case cases[] = {{3 * kPi / 2, -kPi / 2},
                          {kPi, kPi},
                          {-kPi, -kPi},
                          {-5 * kPi / 2, -kPi / 2},
                          {201 * kPi, kPi}};
    for (const Case& c : cases) EXPECT_NEAR(AdjustLon(c.in), c.out, 1e-9) << c.in;
    EXPECT_TRUE(std::isnan(AdjustLon(NAN)));
    EXPECT_FALSE(std::isfinite(AdjustLon(INFINITY)));  // returns, does not loop
}
