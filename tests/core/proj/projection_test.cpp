#include <gtest/gtest.h>

#include <cmath>
#include <string>

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
        {"(IG) Irish", 6}, {"(IG)Irish", 99}, {"transverse mercator", 99},
        {"(I) France Zone I", 13}, {"(II) France Zone II", 14}, {"", 99},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(ProjectionIdFromName(c.name), c.id) << c.name;
}

// What a projection that cannot give a position writes: zeros where its
// parameters are unset or the point is outside its area, the untouched input
// (both ways) where it writes nothing, the false origin at the far pole of a
// cone.
TEST(ProjectionDispatch, FailuresGiveZerosTheInputOrTheFalseOrigin) {
    DatumTable t;
    ProjectionParams noNorthing{0, 3, 0.9996, 500000, kUnsetParameter, 777, 777};
    ProjectionParams albersOneParallel{23, -96, 1, 0, 0, 29.5, kUnsetParameter};
    ProjectionParams symmetric{777, -96, 777, 777, 777, -30, 30};
    constexpr double kInput = 1e9;  // easting = longitude, northing = latitude
    constexpr int kAny = -1, kUnchecked = -2;
    struct Case {
        int id, datum;
        ProjectionParams params;
        double lat, lon, easting, northing;
        int error;  // kAny: some error; kUnchecked: not looked at
    };
    const Case cases[] = {
        {kProjLatLon, kDatumWgs84, {}, 40.5, -100.25, kInput, kInput, kUnchecked},
        {kProjUnsupported, kDatumWgs84, {}, 40.5, -100.25, kInput, kInput, kUnchecked},
        {0, kDatumWgs84, {}, 40.5, -100.25, kInput, kInput, kUnchecked},
        {kProjLambert, kDatumWgs84, {}, 40.5, -100.25, kInput, kInput, kUnchecked},
        {kProjLambert, kDatumWgs84, symmetric, 40, -100, kInput, kInput, kProjErrLambertParallels},
        {kProjPolyconic, kDatumWgs84, {}, 40.5, -100.25, kInput, kInput, kUnchecked},
        {kProjVanDerGrinten, kDatumWgs84, {}, 40.5, -100.25, kInput, kInput, kUnchecked},
        {kProjBonne, kDatumWgs84, {}, 40.5, -100.25, kInput, kInput, kUnchecked},
        {kProjTransverseMercator, kDatumWgs84, noNorthing, 52, 4, 0, 0, kProjOk},
        {kProjAlbers, kDatumWgs84, albersOneParallel, 35, -75, 0, 0, kProjOk},
        {kProjSwissGrid, 24, {}, 39.9, 7.4, 0, 0, kAny},  // CH-1903, south of the area
        {kProjMercator, kDatumWgs84, {}, 90, 10, 10, 90, kAny},
    };
    for (const Case& c : cases) {
        ProjectionState s;
        s.mapDatum = c.datum;
        s.params = c.params;
        const ProjectedPoint p = ProjectForward(c.id, s, t, c.lat, c.lon);
        const std::string what = std::to_string(c.id) + " " + std::to_string(c.lat);
        if (c.error == kAny)
            EXPECT_NE(p.error, kProjOk) << what;
        else if (c.error != kUnchecked)
            EXPECT_EQ(p.error, c.error) << what;
        if (c.easting != kInput) {
            EXPECT_EQ(p.easting, c.easting) << what;
            EXPECT_EQ(p.northing, c.northing) << what;
            continue;
        }
        EXPECT_EQ(p.easting, c.lon) << what;
        EXPECT_EQ(p.northing, c.lat) << what;
        const GeoResult g = ProjectInverse(c.id, s, t, c.lon, c.lat);
        EXPECT_EQ(g.lat, c.lat) << what;
        EXPECT_EQ(g.lon, c.lon) << what;
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
