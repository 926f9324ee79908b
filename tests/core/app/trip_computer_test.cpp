// The trip computer of the speed panel: the distance and moving time the
// fixes add up to, what resets them, and how the panel shows them and the
// speed monitor's limits.
#include <algorithm>

#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/moving_map.h"
#include "app/panels.h"
#include "gps/gps_link.h"
#include "nav/trip_computer.h"
#include "two_sheets.h"

using namespace mw;

namespace {

// A thousandth of a degree of latitude at the equator on WGS 84.
constexpr double kMilliDegreeMetres = 110.574;

bool Drew(const mwtest::RecordingCanvas& c, const std::string& part) {
    for (const std::string& call : c.calls)
        if (call.starts_with("text ") && call.find(part) != std::string::npos) return true;
    return false;
}

// The colour the text `text` was drawn in ("#rrggbb"), empty when not drawn.
std::string ColourOf(const mwtest::RecordingCanvas& c, const std::string& text) {
    for (const std::string& call : c.calls)
        if (call.starts_with("text ") && call.ends_with(" \"" + text + "\"")) {
            const auto at = call.find('#');
            return call.substr(at, 7);
        }
    return {};
}

class Trip : public TwoSheets<> {
protected:
    void SetUp() override {
        TwoSheets::SetUp();
        app.settings.dataPath = data.Path();
        app.settings.distanceUnit = 0;
        app.settings.speedUnit = 0;
    }
    // One fix at `tick` ms going at `kmh`.
    void Fix(std::uint32_t tick, double lat, double lon, double kmh) {
        clock.tick = tick;
        app.gps.fix.speed = kmh;
        UpdateGpsPosition(app, lat, lon, "071226", "120000");
    }
};

}  // namespace

// Each row is one fix; the totals after it. Steps count on the ellipsoid;
// time counts only at 1 km/h or more; a fix that is not current, and a step
// over a long silence, add no distance (the jump they make is no travel).
TEST(TripComputer, AddsStepsOfCurrentFixesAndTimeWhileMoving) {
    const Ellipsoid wgs84 = EllipsoidOf(kEllipsoidWgs84);
    const struct {
        const char* what;
        std::uint32_t tick;
        double lat;
        double kmh;
        bool current;
        double metres;  // in thousandths of a degree along the equator's meridian
        double seconds;
    } rows[] = {
        {"first fix", 0, 0.000, 0, true, 0, 0},
        {"moving", 1000, 0.001, 20, true, 1, 1},
        {"moving", 2000, 0.002, 20, true, 2, 2},
        {"stopped", 3000, 0.002, 0, true, 2, 2},
        {"creeping below 1 km/h", 4000, 0.002, 0.9, true, 2, 2},
        {"exactly 1 km/h", 5000, 0.002, 1.0, true, 2, 3},
        {"no fix", 6000, 0.003, 20, false, 2, 3},
        {"back after the fault, far away", 7000, 0.010, 20, true, 2, 3},
        {"moving again", 8000, 0.011, 20, true, 3, 4},
        {"after 22 s of silence", 30000, 0.050, 20, true, 3, 4},
        {"moving after the silence", 31000, 0.051, 20, true, 4, 5},
        {"clock ran backwards", 20000, 0.052, 20, true, 4, 5},
        {"moving on", 21000, 0.053, 20, true, 5, 6},
    };
    TripComputer trip;
    for (const auto& r : rows) {
        AddTripFix(trip, wgs84, r.lat, 10.0, r.tick, r.kmh, r.current);
        EXPECT_NEAR(trip.distanceMetres, r.metres * kMilliDegreeMetres, 0.05) << r.what;
        EXPECT_DOUBLE_EQ(trip.movingSeconds, r.seconds) << r.what;
    }
    ResetTrip(trip);
    EXPECT_EQ(trip.distanceMetres, 0);
    EXPECT_EQ(trip.movingSeconds, 0);
    // A reset on the move: the step from the last fix still counts.
    AddTripFix(trip, wgs84, 0.054, 10.0, 22000, 20, true);
    EXPECT_NEAR(trip.distanceMetres, kMilliDegreeMetres, 0.05);
    EXPECT_DOUBLE_EQ(trip.movingSeconds, 1);
}

TEST(TripComputer, SpeedUnitsAndTimeText) {
    EXPECT_DOUBLE_EQ(SpeedToKmh(10, 0), 10);
    EXPECT_DOUBLE_EQ(SpeedToKmh(10, 1), 16.09344);
    EXPECT_DOUBLE_EQ(SpeedToKmh(10, 2), 18.52);
    EXPECT_EQ(MovingTimeText(0), "0:00:00");
    EXPECT_EQ(MovingTimeText(3909.7), "1:05:09");
    EXPECT_EQ(MovingTimeText(-5), "0:00:00");
}

// The pipeline feeds the trip; a receiver gone silent gives no step; "Reset
// Trip" and opening the GPS again start from zero.
TEST_F(Trip, PipelineFeedsTheTripAndResetsClearIt) {
    ASSERT_TRUE(StartMovingMapWithoutPort(app));
    Fix(1000, 50.250, 0.5, 30);
    Fix(2000, 50.251, 0.5, 30);
    Fix(3000, 50.252, 0.5, 30);
    const double twoSteps = app.gps.trip.distanceMetres;
    EXPECT_NEAR(twoSteps, 2 * 111.2, 1.0);
    EXPECT_DOUBLE_EQ(app.gps.trip.movingSeconds, 2);

    // Silent, then back somewhere else: no jump is added.
    app.gps.fix.statusText = kStatusSilent;
    Fix(4000, 50.300, 0.5, 30);
    app.gps.fix.statusText = kStatusOn;
    Fix(5000, 50.310, 0.5, 30);
    EXPECT_DOUBLE_EQ(app.gps.trip.distanceMetres, twoSteps);
    EXPECT_DOUBLE_EQ(app.gps.trip.movingSeconds, 2);

    ui.repaints.clear();
    ASSERT_TRUE(ExecuteCommand(app, kCmdResetTrip));
    EXPECT_EQ(app.gps.trip.distanceMetres, 0);
    EXPECT_EQ(app.gps.trip.movingSeconds, 0);
    EXPECT_NE(std::find(ui.repaints.begin(), ui.repaints.end(), WindowId::Main), ui.repaints.end());
    EXPECT_EQ(CommandText(kCmdResetTrip), "Reset Trip");

    Fix(6000, 50.311, 0.5, 30);
    EXPECT_NEAR(app.gps.trip.distanceMetres, 111.2, 1.0);
    ToggleMovingMap(app, true);  // off
    ASSERT_FALSE(app.mapView.following);
    ASSERT_TRUE(StartMovingMapWithoutPort(app));
    EXPECT_EQ(app.gps.trip.distanceMetres, 0);
    EXPECT_EQ(app.gps.trip.movingSeconds, 0);
    // The first fix after opening steps from nothing of the earlier run.
    Fix(7000, 50.400, 0.5, 30);
    EXPECT_EQ(app.gps.trip.distanceMetres, 0);
    EXPECT_EQ(app.gps.trip.movingSeconds, 0);
}

// Both layouts show the trip distance with its unit and the moving time.
TEST_F(Trip, SpeedPanelShowsTheTrip) {
    app.view.viewSpeedInfo = 1;
    app.gps.trip.distanceMetres = 12345;
    app.gps.trip.movingSeconds = 3909;
    const InfoPanelInputs in = InfoPanelInputsFrom(app);
    EXPECT_EQ(in.speed.tripDistance, "12.35");
    EXPECT_EQ(in.speed.tripUnit, "km");
    EXPECT_EQ(in.speed.movingTime, "1:05:09");
    for (PanelLayout layout : {PanelLayout::Bottom, PanelLayout::Right}) {
        mwtest::RecordingCanvas canvas;
        const Rect area = layout == PanelLayout::Bottom ? Rect{0, 300, 480, 325}
                                                        : Rect{512, 16, 640, 480};
        DrawInfoPanels(canvas, in, area, layout);
        EXPECT_TRUE(Drew(canvas, "12.35")) << static_cast<int>(layout);
        EXPECT_TRUE(Drew(canvas, "km")) << static_cast<int>(layout);
        EXPECT_TRUE(Drew(canvas, "\"1:05:09\"")) << static_cast<int>(layout);
    }
}

// The speed is red above an active "Max Speed", blue below an active "Min
// Speed", black otherwise and whenever the GPS gives no readings.
TEST_F(Trip, SpeedColourFollowsTheActiveLimits) {
    app.view.viewSpeedInfo = 1;
    app.settings.minSpeed = 10;
    app.settings.maxSpeed = 50;
    const struct {
        bool following, minActive, maxActive;
        double speed;
        const char* colour;
    } rows[] = {
        {true, true, true, 60, "#dc0000"},  {true, true, true, 5, "#0000dc"},
        {true, true, true, 30, "#000000"},  {true, true, true, 50, "#000000"},
        {true, true, true, 10, "#000000"},  {true, false, true, 5, "#000000"},
        {true, true, false, 60, "#000000"}, {false, true, true, 60, "#000000"},
        {false, true, true, 5, "#000000"},
    };
    for (const auto& r : rows) {
        app.mapView.following = r.following;
        app.settings.minSpeedActive = r.minActive ? 1 : 0;
        app.settings.maxSpeedActive = r.maxActive ? 1 : 0;
        app.gps.fix.speed = r.speed;
        const InfoPanelInputs in = InfoPanelInputsFrom(app);
        for (PanelLayout layout : {PanelLayout::Bottom, PanelLayout::Right}) {
            mwtest::RecordingCanvas canvas;
            const Rect area = layout == PanelLayout::Bottom ? Rect{0, 300, 480, 325}
                                                            : Rect{512, 16, 640, 480};
            DrawInfoPanels(canvas, in, area, layout);
            EXPECT_EQ(ColourOf(canvas, SpeedText(r.speed, layout)), r.colour)
                << "speed " << r.speed << " following " << r.following << " layout "
                << static_cast<int>(layout);
        }
    }
}
