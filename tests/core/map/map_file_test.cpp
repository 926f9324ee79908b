// Reading calibration files: point lines, the scale factor and the keyword
// lines.
#include <gtest/gtest.h>

#include <cstring>

#include "map/calibration.h"
#include "map/map_file.h"
#include "support/text.h"
#include "testlib/map_file_writer.h"

using namespace mw;
using mwtest::CalibrationFileText;
using mwtest::TestPoint;

namespace {

struct PointCase {
    const char* name;
    const char* line;
    bool used;
    int x, y;
    double lat, lon;
    const char* zone;
    double easting, northing;
    bool southern;
};

// clang-format off
const PointCase kPointCases[] = {
    {"south and east", "P1,xy,0,0,in, deg,33,52.2,S,151,12.6,E, grid,,,,N", true, 0, 0, -(33 + 52.2 * 0.016666666666666666), 151 + 12.6 * 0.016666666666666666, "", -1, -1, false},
    {"empty longitude hemisphere means west", "P1,xy,5,6,in, deg,10,0,N,20,0,, grid,,,,N", true, 5, 6, 10, -20, "", -1, -1, false},
    {"field 5 without 'in' is unused", "P1,xy,5,6,ex, deg,10,0,N,20,0,E, grid,,,,N", false, 0, 0, 777, 777, "", -1, -1, false},
    {"grid point, zone cut to three characters", "P1,xy,10,20,in, deg,,,N,,,E, grid,32UX,512345.5,5412345.25,S", true, 10, 20, 777, 777, "32U", 512345.5, 5412345.25, true},
};
// clang-format on

TEST(CalibrationPointLine, Cases) {
    for (const PointCase& c : kPointCases) {
        SCOPED_TRACE(c.name);
        CalibrationPoint p;
        EXPECT_EQ(ParseCalibrationPoint(c.line, 1, p), c.used);
        EXPECT_EQ(p.used, c.used);
        if (!c.used) continue;
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
        EXPECT_DOUBLE_EQ(p.lat, c.lat);
        EXPECT_DOUBLE_EQ(p.lon, c.lon);
        EXPECT_EQ(p.zone, c.zone);
        EXPECT_DOUBLE_EQ(p.easting, c.easting);
        EXPECT_DOUBLE_EQ(p.northing, c.northing);
        EXPECT_EQ(p.southern, c.southern);
    }
}

DatumTable Datums() { return DatumTable(); }

TEST(MapFileReader, ScaleFactorDividesPointsAndBorderAndMultipliesScale) {
    CalibrationFileText calib;
    calib.msf = 2;
    calib.points = {mwtest::PointAt(101, 0, 50, 10), mwtest::PointAt(2001, 2001, 49, 11)};
    calib.borderPixels = {{3, 3}, {2001, 2001}};
    calib.scale = 4;
    MapRecord m = ParseMapFile(calib.Text(), Datums());
    EXPECT_EQ(m.mapScaleFactor, 2.0);
    EXPECT_EQ(m.points[0].x, 51);  // 101 / 2 + 0.5 = 51.0
    EXPECT_EQ(m.points[1].x, 1001);
    EXPECT_EQ(m.scale, 8.0);
    // Corner 1 at pixel 3 becomes pixel 2, which the transform places.
    GeoPoint corner = MapPixelToLatLon(m, Datums(), 2, 2);
    EXPECT_DOUBLE_EQ(m.borderLat[1], corner.lat);
    EXPECT_DOUBLE_EQ(m.borderLon[1], corner.lon);
}

TEST(MapFileReader, BorderIndicesOutsideOneTo99AreIgnored) {
    CalibrationFileText calib;
    calib.points = {mwtest::PointAt(0, 0, 50, 10), mwtest::PointAt(1000, 1000, 49, 11)};
    calib.extraLines = {"MMPXY,0,500,500",  "MMPXY,100,500,500", "MMPXY,-5,1,1",
                       "MMPXY,99,500,500", "MMPNUM,0",          "MMPNUM,150"};
    calib.borderCount = 5;
    MapRecord m = ParseMapFile(calib.Text(), Datums());
    EXPECT_EQ(m.borderLat[0], 0.0);
    EXPECT_DOUBLE_EQ(m.borderLat[99], 49.5);
    EXPECT_DOUBLE_EQ(m.borderLon[99], 10.5);
    EXPECT_EQ(m.borderCount, 5);
}

TEST(MapFileReader, OnlyThirtyPointsAreRead) {
    CalibrationFileText calib;
    for (int i = 0; i < 30; ++i)
        calib.points.push_back(mwtest::PointAt(i * 10, i * 7 % 13, 50 - i * 0.01, 10 + i * 0.01));
    std::string text = calib.Text();
    // A thirty-first point takes the place of the parameter line.
    text.replace(text.find("Projection Setup"), 16, "Point31,xy,5,5,in, deg,1,0,N,1,0,E");
    MapRecord m = ParseMapFile(text, Datums());
    int used = 0;
    for (const CalibrationPoint& p : m.points) used += p.used;
    EXPECT_EQ(used, 30);
    EXPECT_EQ(m.calibration.usablePoints, 30);
    EXPECT_EQ(m.projection.params.originLatitude, 0.0);  // "xy" read as a number
}

// The scale line counts only after the point lines; a scale or scale
// factor that is no positive number is none (0 or less would win every map
// search, NaN none).
TEST(MapFileReader, ScaleAndScaleFactorLines) {
    CalibrationFileText calib;
    calib.points = {mwtest::PointAt(0, 0, 50, 10), mwtest::PointAt(1000, 1000, 49, 11)};
    const std::string base = calib.Text();
    auto replaced = [&](const char* what, std::string by) {
        std::string text = base;
        return text.replace(text.find(what), std::strlen(what), by);
    };
    const struct {
        std::string text;
        double scale, msf;
    } cases[] = {
        {base, kNoMapScale, 1},
        {base + "MM1B,7.5", 7.5, 1},  // the last line without its line end
        {replaced("Point05", "MM1B,3"), kNoMapScale, 1},  // a point line, not a keyword
        {base + "MM1B,nan\r\n", kNoMapScale, 1},
        {replaced("Reserved 1", "MSF,0"), kNoMapScale, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        MapRecord m = ParseMapFile(c.text, Datums());
        EXPECT_EQ(m.scale, c.scale);
        EXPECT_EQ(m.mapScaleFactor, c.msf);
    }
}

}  // namespace
