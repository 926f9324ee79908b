#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "geo/datums.h"
#include "proj/families.h"
#include "proj/proj_math.h"
#include "proj/projection.h"
#include "testlib/fake_ui.h"

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

// Forward then inverse over each projection's useful area must come back
// within a millimetre. The map datums are the projections' own, so no datum
// shift (which drops the height it creates) enters.
TEST(ProjectionDispatch, RoundTripsWithinAMillimetreInsideTheUsefulArea) {
    DatumTable t;
    struct Area {
        const char* name;
        int datum;
        ProjectionParams params;
        double utmCm;
        double lat0, lat1, lon0, lon1;
    };
    auto params = [](double lat0, double lon0, double k0, double fe, double fn, double sp1,
                     double sp2) { return ProjectionParams{lat0, lon0, k0, fe, fn, sp1, sp2}; };
    const ProjectionParams none;
    const Area areas[] = {
        {"(UTM)", kDatumWgs84, none, 9, -80, 84, 6, 12},
        {"Trans", 88, params(49, -2, 0.9996012717, 400000, -100000, 777, 777), 0, 49, 61, -8, 2},
        {"(BNG)", 88, none, 0, 49.5, 61, -8, 2},
        {"(IG) ", 49, none, 0, 51.3, 55.5, -10.5, -5.5},
        {"(SG) ", 102, none, 0, 55, 69, 12.8, 18.8},
        {"(ITA1", 101, none, 0, 36, 47, 6, 12},
        {"(ITA2", 101, none, 0, 36, 47, 12, 18},
        {"(VICM", 14, none, 0, -39.2, -34, 142, 148},
        {"(I) F", kDatumNtfFrance, none, 0, 48.5, 51.1, -5, 8},
        {"(II) ", kDatumNtfFrance, none, 0, 45.5, 48.5, -5, 8},
        {"(III)", kDatumNtfFrance, none, 0, 42.5, 45.5, -2, 8},
        {"(IV) ", kDatumNtfFrance, none, 0, 41.3, 43.1, 8, 10},
        {"Lambe", 76, params(0, -96, 1, 0, 0, 33, 45), 0, 20, 60, -130, -65},
        {"Alber", 71, params(23, -96, 1, 0, 0, 29.5, 45.5), 0, 20, 60, -130, -65},
        {"Polyc", 27, params(0, -54, 1, 0, 0, 777, 777), 0, -34, 5, -74, -34},
        {"Merca", kDatumWgs84, none, 0, -85, 85, -180, 180},
        {"Bonne", kDatumWgs84, params(45, 10, 1, 0, 0, 777, 777), 0, 20, 75, -40, 60},
        {"Bonne", kDatumWgs84, params(-30, 20, 1, 0, 0, 777, 777), 0, -70, 0, -30, 70},
        {"Bonne", kDatumWgs84, params(0, 0, 1, 0, 0, 777, 777), 0, -85, 85, -175, 175},
        {"Van D", kDatumWgs84, params(777, 0, 777, 777, 777, 777, 777), 0, -85, 85, -179, 179},
        {"(SUI)", 24, none, 0, 45.8, 47.8, 5.9, 10.5},
        {"(NZG)", 0, none, 0, -47.5, -34, 166, 179},
    };
    for (const Area& a : areas) {
        ProjectionState s;
        s.projectionName = a.name;
        s.mapDatum = a.datum;
        s.params = a.params;
        s.utmCentralMeridian = a.utmCm;
        const int id = ProjectionIdFromName(a.name);
        ASSERT_NE(id, kProjUnsupported) << a.name;
        double worst = 0;
        for (int i = 0; i <= 12; ++i) {
            for (int j = 0; j <= 12; ++j) {
                const double lat = a.lat0 + (a.lat1 - a.lat0) * i / 12;
                const double lon = a.lon0 + (a.lon1 - a.lon0) * j / 12;
                ProjectedPoint p = ProjectForward(id, s, t, lat, lon);
                ASSERT_EQ(p.error, kProjOk) << a.name << " " << lat << " " << lon;
                GeoResult g = ProjectInverse(id, s, t, p.easting, p.northing);
                ASSERT_EQ(g.error, kProjOk) << a.name << " " << lat << " " << lon;
                const double dn = (g.lat - lat) * 111319.5;
                const double de = (g.lon - lon) * 111319.5 * std::cos(lat * 0.0174533);
                worst = std::fmax(worst, std::hypot(dn, de));
            }
        }
        EXPECT_LT(worst, 0.001) << a.name;
    }
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
    EXPECT_EQ(SafeAsin(3.0), kHalfPi);  // no error slot given
    EXPECT_EQ(SafeSqrt(-1e-20), 0.0);
    EXPECT_EQ(SafeSqrt(4), 2.0);
    EXPECT_EQ(SafeAtan2(1e-51, -1e-51), 0.0);
    EXPECT_EQ(SafeAtan2(0, -1), kPi);
}

TEST(Helpers, AdjustLonWrapsByWholeTurnsAndStops) {
    struct Case {
        double in, out;
    };
    const Case cases[] = {{3 * kPi / 2, -kPi / 2}, {kPi, kPi}, {-kPi, -kPi},
                          {-5 * kPi / 2, -kPi / 2}, {201 * kPi, kPi}};
    for (const Case& c : cases) EXPECT_NEAR(AdjustLon(c.in), c.out, 1e-9) << c.in;
    EXPECT_TRUE(std::isnan(AdjustLon(NAN)));
    EXPECT_FALSE(std::isfinite(AdjustLon(INFINITY)));  // returns, does not loop
}
