#include "app/waypoint_edit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/app.h"
#include "proj/position_format.h"
#include "proj/position_parse.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "waypoint/waypoint_file.h"

using namespace mw;

namespace {

Waypoint Named(const char* name, double lat, double lon) {
    Waypoint w;
    w.name = name;
    w.lat = lat;
    w.lon = lon;
    w.description = "Dec 01 2026 10:00:00";
    w.symbol = 18;
    w.field13 = 4;
    w.attachment = "notes.txt";
    return w;
}

// Every stored field of a waypoint, as its file line.
std::string Line(const Waypoint& w) { return FormatWaypointLine(w, w.lat, w.lon); }

class WaypointEditor : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        app.settings.dataPath = data.Path();
        app.settings.positionFormat = 0;  // Deg.Min
        app.waypoints.Put(0, Named("Mill", 50.2, 0.3));
        app.waypoints.Put(1, Named("Bridge", 50.3, 0.6));
        app.waypoints.Put(2, Named("Gate", 50.4, 0.7));
    }
    WaypointFields Fields(int slot) { return FieldsOfWaypoint(app, *app.waypoints.At(slot)); }
    std::string Log() { return data.Read(kWaypointLogFileName); }

    mwtest::TempDir data;
    mwtest::FakeUi ui;
    App app;
};

}  // namespace

TEST_F(WaypointEditor, OkChangesOnlyTheEditedRecordAndAppendsItToTheLog) {
    const std::string before0 = Line(*app.waypoints.At(0)), before2 = Line(*app.waypoints.At(2));
    WaypointFields f = Fields(1);
    EXPECT_EQ(f.position, "50 18.000'  0 36.000'");
    EXPECT_EQ(f.altitude, "");  // no altitude
    f.name = "Old Bridge";
    f.comment = "ford below";
    f.position = "50 18.600' N 0 36.000' W";
    f.altitude = "120";
    f.symbol = "151";
    f.proximity = "50";
    f.textColour = 0x0000FF;
    f.sound = "bell.wav";
    EXPECT_EQ(ConfirmWaypointEdit(app, 1, f), "");

    const Waypoint& w = *app.waypoints.At(1);
    EXPECT_EQ(w.name, "Old Bridge");
    EXPECT_EQ(w.description, "ford below");
    EXPECT_NEAR(w.lat, 50.31, 1e-12);
    EXPECT_NEAR(w.lon, -0.6, 1e-12);
    EXPECT_EQ(w.altitude, 120.0f);
    EXPECT_EQ(w.symbol, 151);
    EXPECT_EQ(w.proximityDistance, 50);
    EXPECT_EQ(w.textColour, 0x0000FF);
    EXPECT_EQ(w.proximitySound, "bell.wav");
    // What the editor does not show is carried.
    EXPECT_EQ(w.field13, 4);
    EXPECT_EQ(w.attachment, "notes.txt");
    EXPECT_EQ(Line(*app.waypoints.At(0)), before0);
    EXPECT_EQ(Line(*app.waypoints.At(2)), before2);

    const std::string log = Log();
    EXPECT_EQ(log.rfind("Mapwanderer CE Waypoint File Version 1.0\r\n", 0), 0u);
    EXPECT_NE(log.find("-1,Old Bridge ,  50.3100000,  -0.6000000,"), std::string::npos) << log;
    EXPECT_EQ(log.find("Mill"), std::string::npos);
    EXPECT_TRUE(ui.messages.empty());
}

// The position field left as shown keeps the position to the last digit,
// not to the display's rounding.
TEST_F(WaypointEditor, AnUntouchedPositionIsKeptExactly) {
    app.waypoints.At(0)->lat = 50.123456789;
    WaypointFields f = Fields(0);
    f.name = "Mill Pond";
    ASSERT_EQ(ConfirmWaypointEdit(app, 0, f), "");
    EXPECT_EQ(app.waypoints.At(0)->lat, 50.123456789);
}

TEST_F(WaypointEditor, BadInputIsRefusedWithAClearMessageAndNothingChanges) {
    const struct {
        const char* field;
        std::string WaypointFields::*member;
        const char* value;
        const char* message;
    } cases[] = {
        {"position", &WaypointFields::position, "north of the mill",
         "The Position could not be read as Deg.Min, for example: 50 18.000'  0 36.000'"},
        {"position", &WaypointFields::position, "95 0", "The Position could not be read"},
        {"position", &WaypointFields::position, "50 61.0' 0 10.0'", "The Position could not be read"},
        {"position", &WaypointFields::position, "50.5 N 0.1 S", "The Position could not be read"},
        {"position", &WaypointFields::position, "0 0", "A Waypoint at 0, 0 is never shown"},
        {"altitude", &WaypointFields::altitude, "high", "Altitude must be empty or a number"},
        {"altitude", &WaypointFields::altitude, "200000", "Altitude must be empty or a number"},
        {"symbol", &WaypointFields::symbol, "-1", "Symbol must be a whole number from 0 to 65535"},
        {"symbol", &WaypointFields::symbol, "1.5", "Symbol must be a whole number"},
        {"proximity", &WaypointFields::proximity, "100001", "Proximity distance must be"},
        {"proximity", &WaypointFields::proximity, "", "Proximity distance must be"},
        {"name", &WaypointFields::name, "Mill, upper", kEditCommaText},
        {"comment", &WaypointFields::comment, "two\nlines", kEditCommaText},
    };
    const std::string before = Line(*app.waypoints.At(1));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + c.value);
        WaypointFields f = Fields(1);
        f.*(c.member) = c.value;
        const std::string error = ConfirmWaypointEdit(app, 1, f);
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
        EXPECT_EQ(Line(*app.waypoints.At(1)), before);
    }
    WaypointFields colour = Fields(1);
    colour.backColour = 0x1000000;
    EXPECT_EQ(ConfirmWaypointEdit(app, 1, colour), "Colours must lie between 0 and 16777215");
    EXPECT_EQ(ConfirmWaypointEdit(app, 7, Fields(1)), kEditNoWaypointText);
    EXPECT_FALSE(FileExists(data.File(kWaypointLogFileName)));
}

// Editing the navigation target's waypoint moves the target with it.
TEST_F(WaypointEditor, TheTargetFollowsItsWaypoint) {
    SetNavigationTarget(app.navigation, 50.3, 0.6, 1, "Bridge");
    WaypointFields f = Fields(1);
    f.position = "50.5 0.5";
    f.name = "Ford";
    ASSERT_EQ(ConfirmWaypointEdit(app, 1, f), "");
    ASSERT_TRUE(app.navigation.target);
    EXPECT_EQ(app.navigation.target->name, "Ford");
    EXPECT_EQ(app.navigation.target->lat, 50.5);
}

TEST(PositionInput, ReadsTheDegreeFormsItShowsAndCommonOnes) {
    const DatumTable datums;
    const struct {
        const char* text;
        double lat, lon;
    } good[] = {
        {"51 30.500'  -0 07.250'", 51.508333333, -0.120833333},
        {"51 30' 30.0\"  -0 07' 15.0\"", 51.508333333, -0.120833333},
        {"-33 52.000'  151 12.500'", -33.866666667, 151.208333333},
        {"51.5, -0.12", 51.5, -0.12},
        {"N 51 30.5 W 0 7.25", 51.508333333, -0.120833333},
        {"33 52.0 S 151 12.5 E", -33.866666667, 151.208333333},
        {"51\xC2\xB0 30.5' N 0\xC2\xB0 7.25' W", 51.508333333, -0.120833333},
        {"51\xC2\xB0 30.5' 0\xC2\xB0 7.25' W", 51.508333333, -0.120833333},
    };
    for (const auto& c : good) {
        const auto p = ParsePosition(c.text, 0, datums, kDatumWgs84, {});
        ASSERT_TRUE(p) << c.text;
        EXPECT_NEAR(p->lat, c.lat, 1e-8) << c.text;
        EXPECT_NEAR(p->lon, c.lon, 1e-8) << c.text;
    }
    const char* bad[] = {"", "51", "51 30.5 0", "51.5 30 0 0", "91 0", "0 181", "51 30' 60.0\" 0 0' 0\"",
                         "51 -30 0 10", "51 30 N 0 10 N", "51 30 X 0 10", "51 3O 0 10", "--51 0"};
    for (const char* text : bad)
        EXPECT_FALSE(ParsePosition(text, 1, datums, kDatumWgs84, {})) << text;
}

// Every grid reads back what it shows, to the metre it shows.
TEST(PositionInput, EveryGridReadsBackItsOwnText) {
    const DatumTable datums;
    ProjectionParams tm;
    tm.originLatitude = 0;
    tm.centralMeridian = 9;
    tm.scaleFactor = 0.9996;
    tm.falseEasting = 500000;
    tm.falseNorthing = 0;
    const struct {
        int format;
        double lat, lon;
    } cases[] = {{2, 51.5, -0.12},   {2, -33.9, 151.2}, {3, 51.5, -0.12},  {4, 53.35, -6.26},
                 {5, 59.33, 18.07},  {6, 48.1, 11.6},   {7, 46.95, 7.44},  {8, -41.29, 174.78},
                 {9, 48.6, 7.75},    {10, 46.5, 2.5},   {11, 44.0, 4.0},   {12, 42.0, 9.0},
                 {13, 45.46, 9.19},  {14, 41.9, 15.5},  {15, -37.81, 144.96}};
    for (const auto& c : cases) {
        const std::string text = FormatPosition(c.lat, c.lon, c.format, datums, kDatumWgs84, tm);
        const auto p = ParsePosition(text, c.format, datums, kDatumWgs84, tm);
        ASSERT_TRUE(p) << c.format << ": " << text;
        EXPECT_NEAR(p->lat, c.lat, 2e-5) << c.format << ": " << text;
        EXPECT_NEAR(p->lon, c.lon, 2e-5) << c.format << ": " << text;
    }
    EXPECT_FALSE(ParsePosition("31I 500000 5000000", 2, datums, kDatumWgs84, tm));
    EXPECT_FALSE(ParsePosition("61U 500000 5000000", 2, datums, kDatumWgs84, tm));
    EXPECT_FALSE(ParsePosition("ZZ 12345 67890", 3, datums, kDatumWgs84, tm));
    EXPECT_FALSE(ParsePosition("500000 5000000", 6, datums, kDatumWgs84, {}));  // no map TM
}
