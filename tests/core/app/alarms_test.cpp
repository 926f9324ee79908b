// The alarms of a running program: what a speed reading sounds, which fixes
// raise a waypoint's alarm, what the alarm shows, plays or opens, and when
// it ends.
#include "app/alarms.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <string>
#include <vector>

#include "testlib/fake_ui.h"
#include "testlib/image_fixtures.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

// Records what would be heard, one line per request.
class RecordingSound : public Sound {
public:
    bool PlayOnce(const std::string& path) override {
        calls.push_back("once " + path);
        return true;
    }
    bool PlayLooping(const std::string& path) override {
        calls.push_back("loop " + path);
        return true;
    }
    void Stop() override { calls.push_back("stop"); }
    void Beep() override { calls.push_back("beep"); }
    std::vector<std::string> calls;
};

std::string Describe(const AlarmEvent& e) {
    std::string line = AlarmEventName(e.kind);
    line += "," + std::to_string(e.tick) + "," + std::to_string(e.slot) + "," + e.detail;
    if (!e.parameter.empty()) line += "," + e.parameter;
    return line;
}

constexpr double kLat = 50.0, kLon = 8.0;
constexpr double kMetreLat = 1.0 / 111195.0;  // degrees of latitude a metre on the sphere

class Alarms : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir(home.File("Sound Files").c_str(), 0755);
        ::mkdir(home.File("PSymbols").c_str(), 0755);
        ::mkdir(data.Path().c_str(), 0755);
        app.state.programFolder = home.Path();
        app.settings.dataPath = data.Path();
        app.state.screenWidth = 480;
        app.state.screenHeight = 600;
        app.state.mapTop = 39;
        app.ports.ui = &ui;
        app.ports.clock = &clock;
        app.ports.sound = &sound;
        app.ports.shell = &shell;
        app.alarms.onEvent = [this](const AlarmEvent& e) { events.push_back(Describe(e)); };
    }

    // A waypoint `north` metres north of the reference point.
    int AddWaypoint(const std::string& name, double north, int distance,
                    const std::string& picture = {}, const std::string& soundField = {}) {
        Waypoint w;
        w.name = name;
        w.lat = kLat + north * kMetreLat;
        w.lon = kLon;
        w.proximityDistance = distance;
        w.proximityImage = picture;
        w.proximitySound = soundField;
        int slot = app.waypoints.FindFreeSlot();
        app.waypoints.Put(slot, w);
        return slot;
    }

    void FixAt(double north) { CheckProximity(app, kLat + north * kMetreLat, kLon); }

    void WriteBmp(const std::string& relative, int w, int h) {
        mwtest::BmpContent bmp;
        bmp.width = w;
        bmp.height = h;
        bmp.pixels.assign(static_cast<std::size_t>(w * h), 0x3366cc);
        home.Write(relative, mwtest::MakeBmpFile(bmp));
    }

    mwtest::TempDir home, data;
    mwtest::FakeUi ui;
    mwtest::FakeClock clock;
    RecordingSound sound;
    mwtest::FakeShell shell;
    App app;
    std::vector<std::string> events;
};

TEST_F(Alarms, SpeedSoundsFromTheHomeOrBeeps) {
    app.settings.minSpeed = 5;
    app.settings.setSpeed = 50;
    app.settings.maxSpeed = 100;
    app.settings.minSpeedActive = app.settings.setSpeedActive = app.settings.maxSpeedActive = 1;
    home.Write("setspeed.wav", "RIFF");
    ResetSpeedAlarms(app);
    for (double speed : {0.0, 120.0, 3.0}) CheckSpeed(app, speed);
    const std::vector<std::string> heard = {"once " + home.File("setspeed.wav"), "beep", "beep",
                                            "beep",  // no maxspeed.wav: three beeps
                                            "beep"};  // no minspeed.wav: one
    EXPECT_EQ(sound.calls, heard);
    const std::vector<std::string> logged = {"speed-set,0,-1,120.0", "speed-max,0,-1,120.0",
                                             "speed-min,0,-1,3.0"};
    EXPECT_EQ(events, logged);
}

TEST_F(Alarms, EachEntryIntoAZoneAlarmsOnce) {
    const int gate = AddWaypoint("Gate", 0, 100);
    AddWaypoint("NoZone", 0, 0);
    AddWaypoint("Negative", 0, -50);
    for (int round = 0; round < 3; ++round) {
        FixAt(500);  // outside
        FixAt(50);   // inside
        FixAt(10);   // still inside: no second alarm
        FixAt(-99);  // inside, on the far side
    }
    FixAt(101);  // just outside re-arms
    FixAt(99);
    const std::string alarm = "proximity,0," + std::to_string(gate) + ",Gate";
    EXPECT_EQ(events, std::vector<std::string>(4, alarm));
    EXPECT_EQ(app.waypoints.At(gate)->proximityState, 2);

    events.clear();
    CheckProximity(app, 0, 0);  // no fix: the state stays
    EXPECT_EQ(app.waypoints.At(gate)->proximityState, 2);
    EXPECT_TRUE(events.empty());
}

TEST_F(Alarms, PictureStandsAroundTheMapCentreForTheDisplayTime) {
    WriteBmp("PSymbols/cross.bmp", 41, 21);
    home.Write("Sound Files/bell.wav", "RIFF");
    const int slot = AddWaypoint("Bridge", 0, 100, "\\My Documents\\cross.bmp", "bell.wav/loud");
    app.waypoints.At(slot)->popupPosition = 4;
    app.waypoints.At(slot)->popupSeconds = 2.5f;
    clock.tick = 1000;
    FixAt(0);

    const AlarmPopupState& popup = app.alarms.popup;
    ASSERT_TRUE(popup.shown);
    EXPECT_EQ(ui.timers[kAlarmTimer], 2500);
    EXPECT_EQ(sound.calls, std::vector<std::string>{"loop " + home.File("Sound Files/bell.wav")});
    EXPECT_TRUE(shell.opened.empty());  // the text after "/" is not a document

    clock.tick = 3499;
    EXPECT_FALSE(AlarmTimerCheck(app));
    EXPECT_TRUE(popup.shown);
    clock.tick = 3900;  // noticed late: the end is dated when the timer was due
    EXPECT_TRUE(AlarmTimerCheck(app));
    EXPECT_FALSE(popup.shown);
    EXPECT_EQ(sound.calls.back(), "stop");
    const std::vector<std::string> expected = {"proximity,1000,0,Bridge", "alarm-end,3500,0,"};
    EXPECT_EQ(events, expected);
    EXPECT_FALSE(AlarmTimerCheck(app));  // ended once
    EndProximityAlarm(app);  // a tap after the timer ended it: no second end
    EXPECT_EQ(events.size(), 2u);
}

}  // namespace
