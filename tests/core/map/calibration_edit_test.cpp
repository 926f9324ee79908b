// Calibrating by hand: the checks that keep a calibration nobody can use from
// being written, residuals against a picture whose truth is known, and an
// opened calibration file saved again with its other lines kept.
#include <charconv>
#include <gtest/gtest.h>

#include <cmath>

#include "map/calibration.h"
#include "map/calibration_edit.h"
#include "map/map_file.h"
#include "testlib/map_file_writer.h"

using namespace mw;

namespace {

const DatumTable& Datums() {
    static DatumTable table;
    return table;
}

// The truth: a 1000 x 800 latitude/longitude picture, 54.51 N 3.085 W at
// its top left, 2e-5 degrees of latitude and 3e-5 of longitude a pixel.
// In the C locale whatever the test runs under: the reader takes a point.
std::string Fixed6(double v) {
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    return std::string(buf, r.ptr);
}
double LatAt(int y) { return 54.51 - 2e-5 * y; }
double LonAt(int x) { return -3.085 + 3e-5 * x; }

EditPoint At(int x, int y) {
    EditPoint p;
    p.x = x;
    p.y = y;
    p.text = Fixed6(LatAt(y)) + "," + Fixed6(LonAt(x));
    ParsePoint(p, Datums());
    return p;
}

CalibrationEdit Picture(std::vector<EditPoint> points) {
    CalibrationEdit e;
    e.imageWidth = 1000;
    e.imageHeight = 800;
    e.points = std::move(points);
    return e;
}

bool Says(const CalibrationFit& fit, const std::string& text) {
    for (const std::string& p : fit.problems)
        if (p.find(text) != std::string::npos) return true;
    return false;
}

TEST(CalibrationEdit, BadPointsAreRefusedWithTheirReason) {
    EditPoint bad = At(500, 500);
    bad.text = "TQ 123";
    bad.format = 3;
    ParsePoint(bad, Datums());
    EditPoint blank = At(600, 100);
    blank.text.clear();
    ParsePoint(blank, Datums());
    EditPoint samePlace = At(900, 700);
    samePlace.text = At(100, 100).text;
    ParsePoint(samePlace, Datums());
    EditPoint far = At(300, 300);
    far.text = "-33.9,151.2";
    ParsePoint(far, Datums());
    CalibrationEdit utm = Picture({At(100, 100), At(900, 700), far});
    utm.projectionName = "(UTM) Universal Transverse Mercator";
    CalibrationEdit tm = Picture({At(100, 100), At(900, 700)});
    tm.projectionName = "Transverse Mercator";

    const struct {
        const char* name;
        CalibrationEdit edit;
        const char* said;
    } cases[] = {
        {"none", Picture({}), kTooFewPointsText},
        {"one", Picture({At(100, 100)}), kTooFewPointsText},
        {"one on, one off", Picture({At(100, 100), [] { auto p = At(900, 700); p.on = false; return p; }()}),
         kTooFewPointsText},
        {"same pixel", Picture({At(100, 100), [] { auto p = At(900, 700); p.x = 100, p.y = 100; return p; }()}),
         "Points 1 and 2 are at the same pixel"},
        {"same place", Picture({At(100, 100), samePlace}), "Points 1 and 2 are at the same place"},
        {"one row", Picture({At(100, 100), At(900, 100)}), "Points 1 and 2 lie in one row"},
        {"on a line", Picture({At(100, 100), At(500, 400), At(900, 700)}),
         "Points 1, 2 and 3 lie on one line"},
        {"all on a line", Picture({At(0, 0), At(100, 100), At(500, 500), At(700, 700)}),
         "All points lie on one line"},
        {"outside", Picture({At(100, 100), At(1000, 700)}),
         "Point 2 (1000, 700) lies outside the picture (1000 x 800)"},
        {"unreadable", Picture({At(100, 100), At(900, 700), bad}), "Point 3: not a position in BNG"},
        {"no position", Picture({At(100, 100), At(900, 700), blank}), "Point 3 has no position"},
        {"outside the projection", utm, "Point 3 lies outside the area of the projection (UTM)"},
        {"parameters missing", tm, "needs its parameters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CalibrationFit fit = FitCalibration(c.edit, Datums());
        EXPECT_FALSE(fit.CanSave());
        EXPECT_TRUE(Says(fit, c.said)) << (fit.problems.empty() ? "" : fit.problems.front());
        std::string error;
        EXPECT_FALSE(SaveCalibration("/nonexistent/never.map", c.edit, fit, Datums(), error));
        EXPECT_EQ(error, fit.problems.front());
    }
}

TEST(CalibrationEdit, AMovedPointIsTheWorstAndOffItNoLongerCounts) {
    std::vector<EditPoint> pts = {At(50, 60), At(950, 40), At(500, 400), At(80, 750), At(900, 760), At(300, 200)};
    pts[2].x += 40;  // placed 40 px east of its place
    CalibrationEdit edit = Picture(pts);
    CalibrationFit fit = FitCalibration(edit, Datums());
    ASSERT_TRUE(fit.CanSave()) << fit.problems.front();
    EXPECT_EQ(fit.map.calibration.calibrationMode, 5);
    EXPECT_EQ(fit.worst, 2);
    EXPECT_GT(fit.rmsPixels, 10);
    // Metres and pixels tell the same distance: about 2 m a pixel east-west.
    const double metresPerPixel = 3e-5 * 111320 * std::cos(54.5 * M_PI / 180);
    EXPECT_NEAR(fit.residuals[2].metres / fit.residuals[2].pixels, metresPerPixel, 0.05);

    edit.points[2].on = false;
    fit = FitCalibration(edit, Datums());
    ASSERT_TRUE(fit.CanSave());
    EXPECT_LT(fit.rmsPixels, 0.01);
    EXPECT_NE(fit.worst, 2);
    // The point switched off is measured against the others' fit.
    EXPECT_NEAR(fit.residuals[2].pixels, 40, 0.01);
    // Positions between the points land where the truth has them.
    MapPixel p = LatLonToMapPixel(fit.map, Datums(), LatAt(321), LonAt(654));
    EXPECT_LE(std::abs(p.x - 654), 1);
    EXPECT_LE(std::abs(p.y - 321), 1);
}

TEST(CalibrationEdit, ThreeExactPointsHaveNoWorst) {
    CalibrationFit fit = FitCalibration(Picture({At(50, 60), At(950, 40), At(500, 700)}), Datums());
    ASSERT_TRUE(fit.CanSave());
    EXPECT_EQ(fit.map.calibration.calibrationMode, 3);
    EXPECT_EQ(fit.worst, -1);
    EXPECT_LT(fit.rmsPixels, 1e-6);
}

TEST(CalibrationEdit, TheFirstGridImpliesTheProjection) {
    EditPoint grid = At(900, 700);
    grid.text = "NY 32113 10981";
    ParsePoint(grid, Datums());
    EXPECT_EQ(EffectiveProjection(Picture({At(100, 100), grid})), "(BNG) British National Grid");
    EXPECT_EQ(EffectiveProjection(Picture({At(100, 100), At(900, 700)})), "Latitude/Longitude");
    CalibrationEdit chosen = Picture({grid});
    chosen.projectionName = "Mercator";
    EXPECT_EQ(EffectiveProjection(chosen), "Mercator");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        std::string l = text.substr(at, end - at);
        if (!l.empty() && l.back() == '\r') l.pop_back();
        out.push_back(l);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return out;
}

TEST(CalibrationEdit, SavingAnOpenedFileAgainKeepsItsOtherLines) {
    mwtest::CalibrationFileText file;
    file.title = "Old Sheet";
    file.image = "C:\\scans\\old.bmp";
    file.points = {mwtest::PointAt(50, 60, LatAt(60), LonAt(50)),
                   mwtest::PointAt(950, 40, LatAt(40), LonAt(950)),
                   mwtest::PointAt(500, 400, LatAt(400), LonAt(500))};
    file.scale = 7;
    file.borderCount = 4;
    file.borderPixels = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    file.borderLatLon = mwtest::RectangleBorder(1, 2, 3, 4);  // stale on purpose
    file.extraLines = {"MF,1,mill", "MC,A comment kept as it was"};
    const std::string original = file.Text();

    CalibrationEdit edit = ReadCalibrationEdit(original, Datums());
    ASSERT_EQ(edit.points.size(), 3u);
    edit.imageWidth = 1000;
    edit.imageHeight = 800;
    // Move point 2 and add a fourth; switch point 3 off.
    edit.points[1] = At(940, 45);
    edit.points.push_back(At(80, 750));
    edit.points[2].on = false;
    edit.points[2].changed = true;
    CalibrationFit fit = FitCalibration(edit, Datums());
    ASSERT_TRUE(fit.CanSave()) << fit.problems.front();
    const std::string saved = CalibrationFileText(edit, fit, Datums());

    const auto before = Lines(original), after = Lines(saved);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(after[i], before[i]) << "line " << i + 1;
    EXPECT_EQ(after[9], before[9]);   // point 1 untouched
    EXPECT_NE(after[10], before[10]); // point 2 moved
    EXPECT_EQ(after[39], before[39]); // parameters unchanged
    for (const char* kept : {"MM0,Yes", "MF,1,mill", "MC,A comment kept as it was"})
        EXPECT_NE(std::find(after.begin(), after.end(), kept), after.end()) << kept;
    EXPECT_EQ(std::find(after.begin(), after.end(), "MM1B,7.000000"), after.end());

    // Read back as the program reads it: the new fit, the new border, the
    // switched-off point unused but kept.
    MapRecord map = ParseMapFile(saved, Datums());
    EXPECT_EQ(map.calibration.calibrationMode, 3);
    EXPECT_NEAR(map.borderLat[3], LatAt(800), 1e-5);
    EXPECT_NEAR(map.borderLon[3], LonAt(1000), 1e-5);
    CalibrationEdit again = ReadCalibrationEdit(saved, Datums());
    ASSERT_EQ(again.points.size(), 4u);
    EXPECT_FALSE(again.points[2].on);
    EXPECT_EQ(again.points[2].x, 500);
    EXPECT_EQ(again.points[1].x, 940);
    EXPECT_NEAR(again.points[1].position->lat, LatAt(45), 1e-8);
}

TEST(CalibrationEdit, MapNamesWithADotAreRefused) {
    std::string map, image, error;
    ASSERT_TRUE(MapPairPaths("/maps/alps.map", map, image, error));
    EXPECT_EQ(map, "/maps/alps.map");
    EXPECT_EQ(image, "/maps/alps.mwf2");
    EXPECT_FALSE(MapPairPaths("/maps/alps.v2", map, image, error));
    EXPECT_FALSE(MapPairPaths("", map, image, error));
}

}  // namespace
