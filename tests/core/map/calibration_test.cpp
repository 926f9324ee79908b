// The calibration transform on maps of several projections, each built from
// a known grid so that positions can be checked against the truth and not
// only against the transform's own inverse.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <random>

#include "geo/grid_refs.h"
#include "map/calibration.h"
#include "map/map_file.h"
#include "testlib/map_file_writer.h"

using namespace mw;
using mwtest::CalibrationFileText;
using mwtest::TestPoint;

namespace {

const DatumTable& Datums() {
    static DatumTable table;
    return table;
}

constexpr int kImageSize = 2000;

// A map drawn north-up on a projection's grid: pixel (x, y) lies at
// E = e0 + x·res, N = n0 − y·res; `truth` turns a grid position into degrees.
struct MapCase {
    const char* name;
    std::string projection;
    std::vector<std::optional<double>> params;
    std::string datum;
    bool gridPoints;  // calibrate with grid positions rather than degrees
    std::string zone;
    double e0, n0, res;
    std::function<GeoPoint(double e, double n)> truth;
    // The grid position as the calibration file writes it.
    std::function<std::pair<double, double>(double e, double n)> fileGrid;
};

std::vector<MapCase> Cases() {
    const int wgs = kDatumWgs84;
    const int osgb = FindDatumByName(Datums(), "Ord Srvy Grt Britn");
    auto identity = [](double e, double n) { return std::make_pair(e, n); };
    std::vector<MapCase> out;

    auto utmTruth = [wgs](double e, double n) {
        return UtmToLatLon(32, false, e, n, Datums(), wgs);
    };
    auto bngTruth = [osgb](double e, double n) {
        return BritishGridToLatLon("TQ", e - 500000, n - 100000, Datums(), osgb);
    };
    auto bngFile = [](double e, double n) { return std::make_pair(e - 500000, n - 100000); };
    std::vector<std::optional<double>> tm = {0.0, 15.0, 0.9996, 500000.0, 0.0};
    // The file's own parameters make the grid of UTM zone 33.
    auto tmTruth = [wgs](double e, double n) {
        return UtmToLatLon(33, false, e, n, Datums(), wgs);
    };
    const std::string utm = "(UTM) Universal Transverse Mercator";
    // clang-format off
    out.push_back({"lat/lon", "Latitude/Longitude", {}, "WGS 84", false, "", 10.0, 50.0, 0.0005, [](double e, double n) { return GeoPoint{n, e}; }, identity});
    out.push_back({"UTM by grid", utm, {}, "WGS 84", true, "32U", 480000, 5420000, 5, utmTruth, identity});
    out.push_back({"BNG by letter square", "(BNG) British National Grid", {}, "Ord Srvy Grt Britn", true, "TQ", 530000, 186000, 2, bngTruth, bngFile});
    out.push_back({"TM by own grid", "Transverse Mercator", tm, "WGS 84", true, "", 495000, 5540000, 4, tmTruth, identity});
    // clang-format on
    return out;
}

// Pixels of the calibration points for 2, 3 and many-point maps.
std::vector<std::pair<int, int>> PointPixels(int count) {
    if (count == 2) return {{0, 0}, {kImageSize, kImageSize}};
    if (count == 3) return {{0, 0}, {kImageSize, 0}, {0, kImageSize}};
    std::vector<std::pair<int, int>> px;
    for (int i = 0; i < count; ++i)
        px.push_back({(i * 617) % kImageSize, (i * 1013 + 97) % kImageSize});
    return px;
}

MapRecord BuildMap(const MapCase& c, int pointCount) {
    CalibrationFileText calib;
    calib.projection = c.projection;
    calib.params = c.params;
    calib.datum = c.datum;
    for (auto [x, y] : PointPixels(pointCount)) {
        double e = c.e0 + x * c.res, n = c.n0 - y * c.res;
        TestPoint p = mwtest::PointAt(x, y, 777, 777);
        if (c.gridPoints) {
            auto [fe, fn] = c.fileGrid(e, n);
            p.zone = c.zone;
            p.easting = fe;
            p.northing = fn;
        } else {
            GeoPoint g = c.truth(e, n);
            p.lat = g.lat;
            p.lon = g.lon;
        }
        calib.points.push_back(p);
    }
    return ParseMapFile(calib.Text(), Datums());
}

TEST(CalibrationTransform, ProjectionsAgreeWithTheirGridAndRoundTripWithinOnePixel) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pixel(0, kImageSize);
    for (const MapCase& c : Cases()) {
        for (int count : {2, 3, 9}) {
            SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(count) + " points");
            MapRecord m = BuildMap(c, count);
            ASSERT_EQ(m.calibration.calibrationMode, count == 2 ? 2 : count == 3 ? 3 : 5);
            ASSERT_EQ(m.calibration.usablePoints, count);
            for (int i = 0; i < 40; ++i) {
                int x = pixel(rng), y = pixel(rng);
                GeoPoint truth = c.truth(c.e0 + x * c.res, c.n0 - y * c.res);
                GeoPoint got = MapPixelToLatLon(m, Datums(), x, y);
                // Well under a metre: the map is exactly affine in its grid.
                EXPECT_NEAR(got.lat, truth.lat, 2e-7) << x << "," << y;
                EXPECT_NEAR(got.lon, truth.lon, 2e-7) << x << "," << y;
                MapPixel back = LatLonToMapPixel(m, Datums(), got.lat, got.lon);
                EXPECT_LE(std::abs(back.x - x), 1) << x << "," << y;
                EXPECT_LE(std::abs(back.y - y), 1) << x << "," << y;
            }
        }
    }
}

MapRecord MapOf(std::vector<CalibrationPoint> points, const char* projection) {
    MapRecord m;
    m.projection.projectionName = projection;
    for (std::size_t i = 0; i < points.size(); ++i) m.points[i] = points[i];
    SetUpCalibration(m, Datums());
    return m;
}
MapRecord LatLonMap(std::vector<CalibrationPoint> points) {
    return MapOf(std::move(points), "Latitude/Longitude");
}
MapRecord UtmMap(std::vector<CalibrationPoint> points) {
    return MapOf(std::move(points), "(UTM) Universal Transverse Mercator");
}

CalibrationPoint Pt(int x, int y, double lat, double lon) {
    CalibrationPoint p;
    p.used = true;
    p.x = x;
    p.y = y;
    p.lat = lat;
    p.lon = lon;
    return p;
}

TEST(CalibrationTransform, TwoPointsAcrossThe180thMeridian) {
    MapRecord m = LatLonMap({Pt(0, 0, 10, 179), Pt(2000, 1000, 9, -179)});
    ASSERT_EQ(m.calibration.calibrationMode, 2);
    // Both sides of the meridian land on the image, and back.
    EXPECT_EQ(LatLonToMapPixel(m, Datums(), 9.5, 179.5).x, 500);
    EXPECT_EQ(LatLonToMapPixel(m, Datums(), 9.5, -179.5).x, 1500);
    EXPECT_NEAR(MapPixelToLatLon(m, Datums(), 1500, 500).lon, -179.5, 1e-9);
}

TEST(CalibrationTransform, PointsThatFixNoTransformLeaveModeZero) {
    struct Degenerate {
        const char* name;
        std::vector<CalibrationPoint> points;
    };
    const Degenerate cases[] = {
        {"one point", {Pt(0, 0, 50, 10)}},
        // clang-format off
        {"three points on a line", {Pt(0, 0, 50, 10), Pt(100, 100, 49.9, 10.1), Pt(300, 300, 49.7, 10.3)}},
        // clang-format on
        {"a position that is not a number", {Pt(0, 0, NAN, 10), Pt(900, 900, 49, 11)}},
    };
    for (const Degenerate& d : cases) {
        SCOPED_TRACE(d.name);
        MapRecord m = LatLonMap(d.points);
        EXPECT_EQ(m.calibration.calibrationMode, 0);
        EXPECT_EQ(LatLonToMapPixel(m, Datums(), 49.5, 10.5), (MapPixel{0, 0}));
        GeoPoint g = MapPixelToLatLon(m, Datums(), 10, 10);
        EXPECT_EQ(g.lat, 0);
        EXPECT_EQ(g.lon, 0);
    }
}

TEST(CalibrationTransform, PixelsBeyondTheIntRangeAreClamped) {
    MapRecord m = LatLonMap({Pt(0, 0, 50, 10), Pt(1, 1, 49.99999999, 10.00000001)});
    ASSERT_EQ(m.calibration.calibrationMode, 2);
    EXPECT_EQ(LatLonToMapPixel(m, Datums(), -80, 170), (MapPixel{INT_MAX, INT_MAX}));
    EXPECT_EQ(LatLonToMapPixel(m, Datums(), 80, -170), (MapPixel{INT_MIN, INT_MIN}));
}

TEST(CalibrationTransform, UtmCentralMeridian) {
    // From the first usable point's longitude, rounded down west of Greenwich...
    MapRecord west = UtmMap({Pt(10, 10, -33, -70.5), Pt(900, 900, -33.1, -70.3)});
    EXPECT_EQ(west.projection.utmCentralMeridian, -69.0);
    // ...unless point 1 sits at the image origin with a zone text.
    CalibrationPoint origin = Pt(0, 0, 50, 10);
    origin.zone = "31";
    MapRecord byZone = UtmMap({origin, Pt(900, 900, 49.9, 10.2)});
    EXPECT_EQ(byZone.projection.utmCentralMeridian, 3.0);
}

}  // namespace
