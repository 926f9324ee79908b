// A waypoint's alarm in a running program: which fixes raise it, and when
// its sound ends (the speed rules and the picture have their own tests).
#include "app/alarm_actions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

// Records what would be heard, one line per request.
class RecordingSound : public Sound {
public:
    bool PlayOnce(const std::string&) override { return true; }
    bool PlayLooping(const std::string& path) override {
        calls.push_back("loop " + path);
        return true;
    }
    void Stop() override { calls.push_back("stop"); }
    void Beep() override {}
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
        ::mkdir(data.Path().c_str(), 0755);
        app.state.programFolder = home.Path();
        app.settings.dataPath = data.Path();
        app.ports.ui = &ui;
        app.ports.clock = &clock;
        app.ports.sound = &sound;
        app.ports.shell = &shell;
        app.alarms.onEvent = [this](const AlarmEvent& e) { events.push_back(Describe(e)); };
    }

    // A waypoint `north` metres north of the reference point.
    int AddWaypoint(const std::string& name, double north, int distance,
                    const std::string& soundField = {}) {
        Waypoint w;
        w.name = name;
        w.lat = kLat + north * kMetreLat;
        w.lon = kLon;
        w.proximityDistance = distance;
        w.proximitySound = soundField;
        int slot = app.waypoints.FindFreeSlot();
        app.waypoints.Put(slot, w);
        return slot;
    }

    void FixAt(double north) { CheckProximity(app, kLat + north * kMetreLat, kLon); }

    mwtest::TempDir home, data;
    mwtest::FakeUi ui;
    mwtest::FakeClock clock;
    RecordingSound sound;
    mwtest::FakeShell shell;
    App app;
    std::vector<std::string> events;
};

TEST_F(Alarms, EachEntryIntoAZoneAlarmsOnce) {
    const int gate = AddWaypoint("Gate", 0, 100);
    AddWaypoint("NoZone", 0, 0);
    AddWaypoint("Negative", 0, -50);
    for (double north : {500.0, 50.0, 10.0, -99.0}) FixAt(north);  // one alarm inside
    FixAt(101);  // just outside re-arms
    FixAt(99);
    const std::string alarm = "proximity,0," + std::to_string(gate) + ",Gate";
    EXPECT_EQ(events, std::vector<std::string>(2, alarm));
    EXPECT_EQ(app.waypoints.At(gate)->proximityState, 2);

    events.clear();
    CheckProximity(app, 0, 0);  // no fix: the state stays
    EXPECT_EQ(app.waypoints.At(gate)->proximityState, 2);
    EXPECT_TRUE(events.empty());
}

// An alarm whose end is missed would loop its sound for ever.
TEST_F(Alarms, TheSoundLoopsForTheDisplayTimeAndEndsOnce) {
    home.Write("Sound Files/bell.wav", "RIFF");
    const int slot = AddWaypoint("Bridge", 0, 100, "bell.wav/loud");
    app.waypoints.At(slot)->popupSeconds = 2.5f;
    clock.tick = 1000;
    FixAt(0);
    EXPECT_EQ(ui.timers[kAlarmTimer], 2500);
    EXPECT_EQ(sound.calls, std::vector<std::string>{"loop " + home.File("Sound Files/bell.wav")});
    EXPECT_TRUE(shell.opened.empty());  // the text after "/" is not a document

    clock.tick = 3499;
    EXPECT_FALSE(AlarmTimerCheck(app));
    clock.tick = 3900;  // noticed late: the end is dated when the timer was due
    EXPECT_TRUE(AlarmTimerCheck(app));
    EXPECT_EQ(sound.calls.back(), "stop");
    const std::vector<std::string> expected = {"proximity,1000,0,Bridge", "alarm-end,3500,0,"};
    EXPECT_EQ(events, expected);
    EndProximityAlarm(app);  // a tap after the timer ended it: no second end
    EXPECT_EQ(events.size(), 2u);
}

}  // namespace
