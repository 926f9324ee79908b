// Reading calibration files: point lines, the image base name, the scale
// factor, positional lines and keyword lines.
#include <gtest/gtest.h>

#include <cstring>

#include "map/calibration.h"
#include "map/map_file.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/map_file_writer.h"

using namespace mw;
using mwtest::CalibrationFileText;
using mwtest::TestPoint;

namespace {

struct PointCase {
    const char* name;
    const char* line;
    double msf;
    bool used;
    int x, y;
    double lat, lon;
    const char* zone;
    double easting, northing;
    bool southern;
};

// clang-format off
const PointCase kPointCases[] = {
    {"south and east", "P1,xy,0,0,in, deg,33,52.2,S,151,12.6,E, grid,,,,N", 1, true, 0, 0, -(33 + 52.2 * 0.016666666666666666), 151 + 12.6 * 0.016666666666666666, "", -1, -1, false},
    {"empty longitude hemisphere means west", "P1,xy,5,6,in, deg,10,0,N,20,0,, grid,,,,N", 1, true, 5, 6, 10, -20, "", -1, -1, false},
    {"field 5 without 'in' is unused", "P1,xy,5,6,ex, deg,10,0,N,20,0,E, grid,,,,N", 1, false, 0, 0, 777, 777, "", -1, -1, false},
    {"empty x and y is unused", "P1,xy,,,in, deg,10,0,N,20,0,E, grid,,,,N", 1, false, -1, -1, 777, 777, "", -1, -1, false},
    {"only x empty stays used", "P1,xy,,7,in, deg,10,0,N,20,0,E, grid,,,,N", 1, true, -1, 7, 10, 20, "", -1, -1, false},
    {"grid point, zone cut to three characters", "P1,xy,10,20,in, deg,,,N,,,E, grid,32UX,512345.5,5412345.25,S", 1, true, 10, 20, 777, 777, "32U", 512345.5, 5412345.25, true},
    {"scale factor halves pixels", "P1,xy,101,3,in, deg,1,0,N,2,0,E, grid,,,,N", 2, true, 51, 2, 1, 2, "", -1, -1, false},
    {"empty degrees with minutes", "P1,xy,1,1,in, deg,,30,N,,,E, grid,,,,N", 1, true, 1, 1, 777.5, 777, "", -1, -1, false},
};
// clang-format on

TEST(CalibrationPointLine, Cases) {
    for (const PointCase& c : kPointCases) {
        SCOPED_TRACE(c.name);
        CalibrationPoint p;
        EXPECT_EQ(ParseCalibrationPoint(c.line, c.msf, p), c.used);
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

TEST(ImageBaseNameRule, Cases) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\maps\\regions\\topo.bmp", "topo."},
        {"Alps 2.map.bmp", "Alps 2."},
        {"/home/u/maps/chart.bmp", "chart."},
        {"\\Storage Card\\maps\\", ""},
    };
    for (const auto& [line, base] : cases) EXPECT_EQ(ImageBaseName(line), base) << line;
}

DatumTable Datums() { return DatumTable(); }

TEST(MapFileReader, ReadsThePositionalLines) {
    CalibrationFileText calib;
    calib.title = "Lake District, North";
    calib.image = "D:\\scans\\lakes.png";
    calib.datum = "Ord Srvy Grt Britn";
    calib.projection = "Transverse Mercator";
    calib.params = {49.0, -2.0, 0.9996012717, 400000.0, -100000.0};
    calib.scale = 2.5;
    MapRecord m = ParseMapFile(calib.Text(), Datums());
    EXPECT_EQ(m.title, "Lake District, North");
    EXPECT_EQ(m.imageBaseName, "lakes.");
    EXPECT_EQ(m.projection.mapDatum, FindDatumByName(Datums(), "Ord Srvy Grt Britn"));
    EXPECT_EQ(m.projectionId, kProjTransverseMercator);
    EXPECT_EQ(m.projection.params.falseNorthing, -100000.0);
    // Fields the line leaves empty are not given.
    EXPECT_EQ(m.projection.params.standardParallel1, kUnsetParameter);
    EXPECT_EQ(m.scale, 2.5);
    EXPECT_FALSE(m.mapLoaded);
}

TEST(MapFileReader, AShortFileLoadsWithEveryPointUnused) {
    std::string nine =
        "Mapwanderer\r\nT\r\nimg\r\n\r\nWGS 84\r\nR\r\nR\r\nM\r\nMap Projection,Latitude\r\n";
    MapRecord m = ParseMapFile(nine, Datums());
    for (const CalibrationPoint& p : m.points) EXPECT_FALSE(p.used);
    EXPECT_EQ(m.calibration.calibrationMode, 0);
    EXPECT_EQ(m.projection.params.centralMeridian, kUnsetParameter);
    EXPECT_EQ(m.scale, kNoMapScale);

    MapRecord empty = ParseMapFile("", Datums());
    EXPECT_EQ(empty.datumName, "WGS 84");
    EXPECT_EQ(empty.datumIndex, kDatumWgs84);
    EXPECT_EQ(empty.projection.projectionName, "Latit");
    EXPECT_EQ(empty.projectionId, kProjLatLon);
}

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

TEST(MapFileReader, ALongLineShiftsTheLinesAfterIt) {
    CalibrationFileText calib;
    calib.points = {mwtest::PointAt(0, 0, 50, 10), mwtest::PointAt(1000, 1000, 49, 11)};
    calib.title = std::string(260, 'T');  // comes back as two lines
    MapRecord m = ParseMapFile(calib.Text(), Datums());
    EXPECT_EQ(m.title.size(), 250u);
    EXPECT_EQ(m.imageBaseName, "TTTTTTTTTT");  // the rest of the title became line 3
    // Every positional line moved down by one: the projection is read from
    // the magnetic variation line and point 1 lands in slot 2.
    EXPECT_EQ(m.projection.projectionName, "Latit");
    EXPECT_FALSE(m.points[0].used);
    EXPECT_TRUE(m.points[1].used);
    EXPECT_EQ(m.points[2].x, 1000);
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
        {base + "MM1B\r\n", kNoMapScale, 1},  // an empty field takes its default
        {base + "MM1B,-2.5\r\n", kNoMapScale, 1},
        {base + "MM1B,nan\r\n", kNoMapScale, 1},
        {base + "MM1B,1e999\r\n", kNoMapScale, 1},
        {replaced("Reserved 1", "MSF,0"), kNoMapScale, 1},
        {replaced("Reserved 1", "MSF,inf"), kNoMapScale, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        MapRecord m = ParseMapFile(c.text, Datums());
        EXPECT_EQ(m.scale, c.scale);
        EXPECT_EQ(m.mapScaleFactor, c.msf);
    }
}

}  // namespace
