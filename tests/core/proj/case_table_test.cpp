// The core's geodesy checked offline: datum shifts, Transverse Mercator, grid
// references, the projections, position texts and distances, one case per
// datum family, projection and grid plus the boundaries and the cases that
// once caught a fault. The lattices against PROJ itself, forward and back
// over each projection's area, are cli.geo_proj_oracle's.
//
// Sources: "pinned" = a value our own design fixes; "PROJ" = computed with
// PROJ 9.1 (proj, cs2cs from Debian's proj-bin); "OS" = the worked example of
// the Ordnance Survey's guide to coordinate systems in Great Britain;
// "Snyder" = Map Projections: A Working Manual (USGS PP 1395).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "geo/datum_convert.h"
#include "geo/datums.h"
#include "geo/distance.h"
#include "geo/format_names.h"
#include "geo/grid_refs.h"
#include "proj/position_format.h"
#include "proj/projection.h"
#include "support/text.h"

namespace {

using namespace mw;

constexpr double kMetresPerDegree = 111319.49;
const ProjectionParams kNoParams;
const ProjectionParams kOsgbTm{49, -2, 0.9996012717, 400000, -100000, 777, 777};

class Geodesy : public ::testing::Test {
protected:
    int Datum(const std::string& name) {
        const int d = FindDatumByName(datums, name);
        // A misspelt name would silently become WGS 84 and still pass some cases.
        EXPECT_EQ(datums.Row(d).name, name);
        return d;
    }
    // Latitude and longitude within `metres` of the expected position.
    static void ExpectNearPosition(double lat, double lon, double wantLat, double wantLon,
                                   double metres, const std::string& what) {
        const double scale = std::fmax(std::cos(wantLat * 0.017453292519943295), 1e-6);
        EXPECT_NEAR(lat, wantLat, metres / kMetresPerDegree) << what;
        EXPECT_NEAR(lon, wantLon, metres / (kMetresPerDegree * scale)) << what;
    }
    DatumTable datums;
};

// Datum shifts against PROJ: PROJ's geocentric translation keeps the
// ellipsoidal height the shift creates; ours puts the point back on the
// surface, which moves it by up to a few decimetres (more for a large
// ellipsoid change), and a round trip returns within millimetres. Bessel and
// Clarke 1866 are the oracle's lattices, the quadrants ShiftDatum's test.
TEST_F(Geodesy, DatumShiftsOnePerEllipsoidFamily) {
    struct Case {
        const char* from;
        const char* to;
        double fromShiftLat;  // seconds, for Auto Shift
        double lat, lon, wantLat, wantLon, metres;
        double roundTripMetres;  // 0: no round trip
    };
    // clang-format off
    const Case cases[] = {
        // pinned: about 44 m north and 104 m west.
        {"Ord Srvy Grt Britn", "WGS 84", 0, 52, -1, 52.0003995, -1.0015207, 0.02, 0.001},
        // Latitude exactly 90: Z = b, no tangent of 90°.
        {"Ord Srvy Grt Britn", "WGS 84", 0, 90, 0, 89.996498584, -16.488753706, 0.2, 0},
        // International 1924 is 251 m larger than WGS 84: the height dropped
        // is about 400 m, worth 1.1 m of latitude at 45°.
        {"European 1950", "WGS 84", 0, -45, 170, -44.999510884, 170.001415550, 1.3, 0.01},
        // pinned: one degree of latitude exactly, and back.
        {"Auto Shift .....", "WGS 84", 3600, 10, 20, 11, 20, 0, 1e-7},
        // WGS 84 ellipsoid, zero shifts: the full computation gives the same
        // position to rounding.
        {"WGS 84", "Hartebeeshoek94", 0, -26, 28, -26, 28, 1e-7, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        const std::string what = std::string(c.from) + " -> " + c.to;
        const int from = Datum(c.from), to = Datum(c.to);
        double lat = c.lat, lon = c.lon;
        ConvertDatum(datums, from, c.fromShiftLat, 0, to, 0, 0, &lat, &lon);
        ExpectNearPosition(lat, lon, c.wantLat, c.wantLon, c.metres, what);
        if (c.roundTripMetres == 0) continue;
        ConvertDatum(datums, to, 0, 0, from, c.fromShiftLat, 0, &lat, &lon);
        ExpectNearPosition(lat, lon, c.lat, c.lon, c.roundTripMetres, what + " and back");
    }
}

TEST_F(Geodesy, GridReferencesAndBack) {
    struct Case {
        char grid;  // U(TM/UPS), B(ritish), I(rish)
        const char* datum;
        double lat, lon;
        const char* zone;
        double easting, northing;
        double backMetres;  // 0: not inverted
    };
    // clang-format off
    const Case cases[] = {
        // Either side of the zone edge at 0°.
        {'U', "WGS 84", 51.5, -0.1, "30U", 701277.6651, 5709417.1248, 0.001},
        {'U', "WGS 84", 51.5, 0.1, "31U", 298722.3349, 5709417.1248, 0},
        {'U', "WGS 84", 0, 3, "31N", 500000, 0, 0},
        {'U', "WGS 84", 85, 10, "00\tZ", 2096454.1638, 1452981.2545, 0.001},
        // OS worked example: 52°39'27.2531" N, 1°43'4.5177" E -> 651409.903
        // 313177.270; back from whole metres.
        {'B', "Ord Srvy Grt Britn", 52.657570306, 1.717921583, "TG", 51410, 13177, 1},
        // pinned: full coordinates 530000 E 180000 N (point from PROJ).
        {'B', "Ord Srvy Grt Britn", 51.503480037, -0.126747680, "TQ", 30000, 80000, 0.001},
        {'B', "Ord Srvy Grt Britn", 40, -2, "--", 0, 0, 0},  // off the grid
        // pinned: full coordinates 315000 E 234000 N (point from PROJ).
        {'I', "Ireland 1965", 53.343729140, -6.273102804, "O", 15000, 34000, 0.001},
    };
    // clang-format on
    for (const Case& c : cases) {
        const int d = Datum(c.datum);
        const GridReference r = c.grid == 'U'   ? LatLonToUtm(c.lat, c.lon, datums, d)
                                : c.grid == 'B' ? LatLonToBritishGrid(c.lat, c.lon, datums, d)
                                                : LatLonToIrishGrid(c.lat, c.lon, datums, d);
        const std::string what = Format("%c %.9g %.9g", c.grid, c.lat, c.lon);
        EXPECT_EQ(r.zone, c.zone) << what;
        EXPECT_NEAR(r.easting, c.easting, 0.001) << what;
        EXPECT_NEAR(r.northing, c.northing, 0.001) << what;
        if (c.backMetres == 0) continue;
        const bool ups = r.zone.size() == 4 && r.zone[2] == '\t';
        const GeoPoint p = c.grid == 'U' ? UtmToLatLon(ups ? 0 : ParseInt(r.zone), c.lat < 0,
                                                       r.easting, r.northing, datums, d)
                           : c.grid == 'B'
                               ? BritishGridToLatLon(r.zone, r.easting, r.northing, datums, d)
                               : IrishGridToLatLon(r.zone, r.easting, r.northing, datums, d);
        ExpectNearPosition(p.lat, p.lon, c.lat, c.lon, c.backMetres, what + " and back");
    }
}

TEST_F(Geodesy, ProjectionsOfMapsOneCaseEach) {
    struct Case {
        const char* projection;
        const char* datum;
        ProjectionParams params;
        double lat, lon, easting, northing, metres;
        int error = kProjOk;
        double utmCentralMeridian = kUnknownUtmMeridian;
    };
    // Independent sources and the special cases the oracle's lattices step
    // over (its regular points cover every projection); PROJ unless said.
    const ProjectionParams lcc{0, -96, 1, 0, 0, 33, 45}, tangentLcc{0, -96, 1, 0, 0, 45, 45};
    const ProjectionParams albers{23, -96, 1, 0, 0, 29.5, 45.5},
        symmetric{0, -96, 1, 0, 0, -30, 30};
    const ProjectionParams vdg{777, 0, 777, 777, 777, 777, 777};
    const Case cases[] = {
        {"Transverse Mercator", "Ord Srvy Grt Britn", kOsgbTm, 52.657570306, 1.717921583,
         651409.903, 313177.270, 0.001},  // OS
        // pinned: no false origin on UTM map coordinates.
        {"(UTM) Universal Transverse Mercator", "WGS 84", kNoParams, 51.5, 0.1, -201277.6651,
         5709417.1248, 0.001, kProjOk, 3},
        {"(BNG) British National Grid", "Ord Srvy Grt Britn", kNoParams, 52.657570306, 1.717921583,
         251409.903, 413177.270, 0.001},  // OS
        // The pole on the cone's side: rho = 0; the far pole cannot be projected.
        {"Lambert Conformal Conic", "NAD83", lcc, 90, -96, 0, 12452753.8625, 0.001},
        {"Lambert Conformal Conic", "NAD83", lcc, -90, -96, 0, 0, 0, kProjErrLambertPole},
        // A tangent cone (PROJ lcc with lat_1 = lat_2).
        {"Lambert Conformal Conic", "NAD83", tangentLcc, 40, -100, -342700.4019, 4938415.8967,
         0.001},
        // Snyder's worked example (Clarke 1866) gives 1885472.7 1535925.0.
        {"Albers Equal Area", "NAD27 CONUS", albers, 35, -75, 1885472.7258, 1535925.0050, 0.001},
        {"Albers Equal Area", "WGS 84", symmetric, 40, -100, 0, 0, 0, kProjErrAlbersParallels},
        // PROJ vandg on a sphere of radius a: the equator and the central
        // meridian are the formula's special cases.
        {"Van Der Grinten", "WGS 84", vdg, 0, 100, 11131949.0793, 0, 0.001},
        {"Van Der Grinten", "WGS 84", vdg, 60, 0, 0, 7653647.1371, 0.001},
        // pinned: the origin within a centimetre (PROJ somerc, CH1903 / LV03).
        {"(SUI) Swiss Grid", "CH-1903", kNoParams, 46.952405555, 7.439583333, 600000, 200000, 0.01},
        // pinned: the origin (PROJ nzmg).
        {"(NZG) New Zealand Map Grid", "WGS 84", kNoParams, -41, 173, 2510000, 6023150, 0.001},
        {"Latitude/Longitude", "WGS 84", kNoParams, 50.25, -10.5, -10.5, 50.25, 0},
    };
    for (const Case& c : cases) {
        ProjectionState s;
        s.projectionName = c.projection;
        s.mapDatum = Datum(c.datum);
        s.params = c.params;
        s.utmCentralMeridian = c.utmCentralMeridian;
        const int id = ProjectionIdFromName(c.projection);
        const ProjectedPoint p = ProjectForward(id, s, datums, c.lat, c.lon);
        const std::string what = Format("%s %.9g %.9g", c.projection, c.lat, c.lon);
        EXPECT_EQ(p.error, c.error) << what;
        EXPECT_NEAR(p.easting, c.easting, c.metres) << what;
        EXPECT_NEAR(p.northing, c.northing, c.metres) << what;
        if (c.error != kProjOk || std::fabs(c.lat) == 90) continue;
        // Back within a millimetre; through a datum shift, which drops the
        // height it creates, within a centimetre.
        const GeoResult g = ProjectInverse(id, s, datums, p.easting, p.northing);
        EXPECT_EQ(g.error, kProjOk) << what;
        ExpectNearPosition(g.lat, g.lon, c.lat, c.lon, c.metres > 0.1 ? 0.01 : 0.001,
                           what + " back");
    }
}

TEST_F(Geodesy, PositionTexts) {
    struct Case {
        const char* format;  // a name, or an index
        const char* datum;
        double lat, lon;
        const char* text;
    };
    // Minutes and seconds carry into the next unit, on negative values too; a
    // position never set shows "---"; the grids' numbers are GridReferencesAndBack's.
    // clang-format off
    const Case cases[] = {
        {"Deg.Min", "WGS 84", -51.99999999, 9.99999, "-52 00.000'  9 59.999'"},
        {"Deg.Min", "WGS 84", 0, 0, "---"},
        {"Deg.Min.Sec", "WGS 84", 10.999999, -33.999999, "11 00' 00.0\"  -34 00' 00.0\""},
        {"UTM", "WGS 84", 0, 3, "---"},  // grids show nothing on the equator, as when never set
        {"BNG", "Ord Srvy Grt Britn", 40, -2, "-- 00000 00000"},
        {"16", "WGS 84", 51.5, -0.1, "51 30.000'  -0 06.000'"},  // outside 0..15: Deg.Min
    };
    // clang-format on
    for (const Case& c : cases) {
        int f = FindPositionFormat(c.format);
        if (f < 0) f = ParseInt(c.format);
        EXPECT_EQ(FormatPosition(c.lat, c.lon, f, datums, Datum(c.datum), kOsgbTm), c.text)
            << c.format << " " << c.lat << " " << c.lon;
    }
}

// Independent values: haversine on a sphere of 3437.7467747131377 nm computed
// in Python, and the pinned figures.
TEST_F(Geodesy, DistanceAndBearing) {
    struct Case {
        double lat1, lon1, lat2, lon2, nm, metres, bearing, tolerance;
    };
    // clang-format off
    const Case cases[] = {
        {0, 0, 0, 1, 60.000000069, 111120.000126973, 90, 1e-9},
        // pinned: westward bearings use 6.2831853 for the full circle.
        {0, 1, 0, 0, 60.000000069, 111120.000126973, 269.9999995886, 1e-9},
        // pinned: coordinates summing to 0 count as never set; equal positions.
        {-5, 2, 1, 2, 0, 0, 0, 0},
        {50.5, 5.5, 50.5, 5.5, 0, 0, 0, 0},
        // Due north and due south: the cosine is clamped at 1 and -1.
        {10, 5, 20, 5, 600.000000686, 1111200.001269731, 0, 1e-6},
        {20, 5, 10, 5, 600.000000686, 1111200.001269731, 180, 1e-6},
        {-33.8688, 151.2093, -36.8485, 174.7633, 1163.307568159, 2154445.616230015,
         105.575653585, 1e-6},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(Format("%g %g -> %g %g", c.lat1, c.lon1, c.lat2, c.lon2));
        EXPECT_NEAR(DistanceNm(c.lat1, c.lon1, c.lat2, c.lon2), c.nm, c.tolerance);
        EXPECT_NEAR(DistanceMetres(c.lat1, c.lon1, c.lat2, c.lon2), c.metres, c.tolerance);
        EXPECT_NEAR(InitialBearing(c.lat1, c.lon1, c.lat2, c.lon2), c.bearing, c.tolerance);
    }
}

}  // namespace
