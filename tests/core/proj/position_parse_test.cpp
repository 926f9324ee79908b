// Position texts typed by a person, read back to degrees: hand-written forms
// against hand-computed values, published grid points, every format's own
// output read back, and texts that must be refused.
#include <gtest/gtest.h>

#include <cmath>

#include "geo/format_names.h"
#include "proj/position_format.h"
#include "proj/position_parse.h"
#include "proj/projection_names.h"

using namespace mw;

namespace {

const DatumTable& Datums() {
    static DatumTable table;
    return table;
}

struct Case {
    const char* text;
    int format;
    double lat, lon, tolerance;  // degrees
    int readAs;
};

TEST(PositionParse, HandWrittenFormsGiveTheirDegrees) {
    const Case cases[] = {
        {"51.5,-0.12", kAnyPositionFormat, 51.5, -0.12, 1e-12, 0},
        {"51.5 -0.12", 0, 51.5, -0.12, 1e-12, 0},
        {"51 30.000'  -0 07.200'", 0, 51.5, -0.12, 1e-12, 0},
        {"51 30.500'  -0 07.200'", 0, 51 + 30.5 / 60, -0.12, 1e-12, 0},
        {"51 30' 00.0\"  -0 07' 12.0\"", 1, 51.5, -0.12, 1e-12, 1},
        {"51°30'N 0°07.2'W", kAnyPositionFormat, 51.5, -0.12, 1e-12, 0},
        {"N51 30.5 W0 7.2", 0, 51 + 30.5 / 60, -0.12, 1e-12, 0},
        {"33 52 S, 151 12.5 E", 0, -(33 + 52 / 60.0), 151 + 12.5 / 60, 1e-12, 0},
        {"0.12W 51.5N", 0, 51.5, -0.12, 1e-12, 0},
        // One letter: the other half takes its sign from the numbers.
        {"51\xC2\xB0 30.5' 0\xC2\xB0 7.25' W", 0, 51 + 30.5 / 60, -(7.25 / 60), 1e-12, 0},
        {"S33 52 151 12.5", 0, -(33 + 52 / 60.0), 151 + 12.5 / 60, 1e-12, 0},
        {"51.5 N 0.12", 0, 51.5, 0.12, 1e-12, 0},
        // A degree text in a grid format's field is still degrees.
        {"54.5,-3.07", 3, 54.5, -3.07, 1e-12, 0},
        // Published: 45° S 170° E is 59G 421184.7 5016563.2 on WGS 84.
        {"59G 421184.7 5016563.2", 2, -45, 170, 1e-6, 2},
        {"59 G 421184.7 5016563.2", kAnyPositionFormat, -45, 170, 1e-6, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PositionParse r = ParsePositionText(c.text, c.format, Datums(), kDatumWgs84);
        ASSERT_TRUE(r.position) << r.error;
        EXPECT_NEAR(r.position->point.lat, c.lat, c.tolerance);
        EXPECT_NEAR(r.position->point.lon, c.lon, c.tolerance);
        EXPECT_EQ(r.position->format, c.readAs);
    }
}

// Grid references at every precision name the south-west corner of their
// square: TQ 300 805 is TQ 30000 80500.
TEST(PositionParse, LetterSquaresAtAnyPrecision) {
    PositionParse full = ParsePositionText("TQ 30000 80500", 3, Datums(), kDatumWgs84);
    ASSERT_TRUE(full.position);
    for (const char* text : {"TQ 300 805", "TQ300805", "tq 3000 8050", "TQ 30000.0 80500.0"}) {
        SCOPED_TRACE(text);
        PositionParse r = ParsePositionText(text, kAnyPositionFormat, Datums(), kDatumWgs84);
        ASSERT_TRUE(r.position) << r.error;
        EXPECT_EQ(r.position->format, 3);
        EXPECT_NEAR(r.position->point.lat, full.position->point.lat, 1e-9);
        EXPECT_NEAR(r.position->point.lon, full.position->point.lon, 1e-9);
    }
}

// What each format shows for a place is read back as that place, to the
// precision the text holds (a metre for the grids, 0.001' and 0.1").
TEST(PositionParse, EveryFormatReadsItsOwnText) {
    struct Place {
        int format;
        double lat, lon;
        double toleranceMetres;
    };
    ProjectionParams tm;
    tm.originLatitude = 0;
    tm.centralMeridian = 9;
    tm.scaleFactor = 0.9996;
    tm.falseEasting = 500000;
    tm.falseNorthing = 0;
    const Place places[] = {
        {0, 54.4969, -3.0612, 2},    {1, -33.86, 151.2, 2},    {2, 54.4969, -3.0612, 1},
        {2, -45.0, 170.0, 1},        {2, 85.0, 10.0, 1},       {3, 54.4969, -3.0612, 1},
        {4, 53.35, -6.26, 1},        {5, 59.33, 18.06, 1},     {6, 48.1, 11.5, 1},
        {7, 46.95, 7.44, 1},         {8, -41.29, 174.78, 1},   {9, 50.6, 3.06, 1},
        {10, 46.6, 2.4, 1},          {11, 43.6, 1.44, 1},      {12, 42.0, 9.0, 1},
        {13, 45.46, 9.19, 1},        {14, 41.9, 12.5, 1},      {15, -37.81, 144.96, 1},
    };
    for (const Place& p : places) {
        const std::string text = FormatPosition(p.lat, p.lon, p.format, Datums(), kDatumWgs84, tm);
        SCOPED_TRACE(std::string(kPositionFormatNames[p.format]) + ": " + text);
        PositionParse r = ParsePositionText(text, p.format, Datums(), kDatumWgs84, tm);
        ASSERT_TRUE(r.position) << r.error;
        const double dLat = (r.position->point.lat - p.lat) * 111320;
        const double dLon = (r.position->point.lon - p.lon) * 111320 * std::cos(p.lat * M_PI / 180);
        EXPECT_LT(std::hypot(dLat, dLon), p.toleranceMetres);
    }
}

TEST(PositionParse, RefusedTextsNameTheExpectedFormat) {
    const struct {
        const char* text;
        int format;
        const char* said;
    } cases[] = {
        {"", 0, "not a position in Deg.Min"},
        {"51.5", 0, "not a position in Deg.Min"},
        {"95 0, 10 0", 0, "not a position in Deg.Min"},          // latitude beyond 90
        {"51 61.0  0 10.0", 0, "not a position in Deg.Min"},     // 61 minutes
        {"51.5 N 0.12 N", 0, "not a position in Deg.Min"},       // two latitudes
        {"-51.5 S, 0.12", 0, "not a position in Deg.Min"},       // sign and letter
        {"51 30.5 0 W", 0, "not a position in Deg.Min"},         // three numbers, one letter
        {"51.5 0.12 N", 0, "not a position in Deg.Min"},         // a latitude letter last
        {"61U 500000 5000000", 2, "not a position in UTM (for example 30U"},  // zone 61
        {"30I 500000 5000000", 2, "not a position in UTM"},      // no band I
        {"30S 500000 5000000", 2, "not a position in UTM"},      // band S is north, N is south
        {"QQ 123 45", 3, "not a position in BNG (for example TQ 30010 80530)"},  // unequal digits
        {"IA 30000 80000", 3, "not a position in BNG"},          // no letter I
        {"AA 30000 80000", 3, "not a position in BNG"},          // square outside the grid's area
        {"O 150000 34000", 4, "not a position in Irish"},        // beyond the 100 km square
        {"600000", 7, "not a position in Swiss (SUI)"},
        {"12 34 56", kAnyPositionFormat, "not a position in any position format"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        PositionParse r = ParsePositionText(c.text, c.format, Datums(), kDatumWgs84);
        EXPECT_FALSE(r.position);
        EXPECT_NE(r.error.find(c.said), std::string::npos) << r.error;
    }
}

TEST(PositionParse, ProjectionNamesFromACommandLine) {
    const struct {
        const char* typed;
        int id;
    } cases[] = {{"utm", kProjUtm},          {"(BNG)", kProjBritishGrid},
                 {"latitude", kProjLatLon},  {"Transverse Mercator", kProjTransverseMercator},
                 {"IG", kProjIrishGrid},     {"(II)", kProjFrenchII}};
    for (const auto& c : cases) {
        const ProjectionChoice* choice = FindProjectionChoiceLoosely(c.typed);
        ASSERT_NE(choice, nullptr) << c.typed;
        EXPECT_EQ(choice->id, c.id) << c.typed;
        // The name written to the file selects the same projection again.
        EXPECT_EQ(ProjectionIdFromName(choice->name), c.id) << c.typed;
    }
    EXPECT_EQ(FindProjectionChoiceLoosely("zz"), nullptr);
    EXPECT_EQ(FindProjectionChoiceLoosely("(I"), nullptr);
}

}  // namespace
