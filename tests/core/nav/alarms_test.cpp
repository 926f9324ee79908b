// The alarm rules that need no running program: speed limits, where the
// alarm picture stands, how a sound field reads, which files count as
// programs, and the playing times of the shipped sounds.
#include "nav/alarms.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "support/text.h"
#include "testlib/temp_dir.h"
#include "waypoint/media_file.h"

using namespace mw;

namespace {

constexpr SpeedAlarms kNone{};
constexpr SpeedAlarms kMin{true, false, false};
constexpr SpeedAlarms kSet{false, true, false};
constexpr SpeedAlarms kMax{false, false, true};
constexpr SpeedAlarms kSetAndMax{false, true, true};

struct SpeedStep {
    double speed;
    SpeedAlarms expected;
};

void RunSpeedSteps(const SpeedLimits& limits, const std::vector<SpeedStep>& steps) {
    SpeedAlarmFlags flags;  // as right after the GPS opened
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i) + " speed " + std::to_string(steps[i].speed));
        const SpeedAlarms got = CheckSpeedLimits(flags, limits, steps[i].speed);
        EXPECT_EQ(got.min, steps[i].expected.min);
        EXPECT_EQ(got.set, steps[i].expected.set);
        EXPECT_EQ(got.max, steps[i].expected.max);
    }
}

const SpeedLimits kAllOn{5, 50, 100, true, true, true};

TEST(SpeedLimits, EachAlarmSoundsOnceWhenPassedAndReArmsOnTheWayBack) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    RunSpeedSteps(kAllOn, {
                              {0, kNone},    // standstill after opening: no minimum alarm
                              {60, kSet},    // past the set speed once
                              {70, kNone},   // still above: not again
                              {3, kMin},     // slowed down below the minimum
                              {20, kNone},
                              {4, kNone},    // not above 50 in between: no second alarm
                              {50, kNone},   // exactly the set speed never sounds
                              {100, kSet},   // exactly the maximum: only the set alarm
                              {100.01, kMax},
                              {100, kNone},  // back at the maximum re-arms it ...
                              {101, kMax},   // ... so passing it again sounds
                              {nan, kNone},  // not a number re-arms nothing ...
                              {130, kNone},  // ... so no alarm sounds again
                              {5, kNone},    // exactly the minimum is not below it
                              {4, kMin},
                              {150, kSetAndMax},
                          });
    // Only the maximum on: the others never sound, the maximum re-arms below.
    RunSpeedSteps(SpeedLimits{5, 50, 100, false, false, true},
                  {{120, kMax}, {3, kNone}, {120, kMax}});
}

TEST(AlarmPopup, PlacedAroundTheCentreByPosition) {
    // A 41 × 21 picture around (240, 359): odd sides show the halves rounding
    // toward zero (20 and 10).
    struct Case {
        int position;
        PopupPlace expected;
    };
    const Case cases[] = {
        {0, {240 - 41 - 30, 359 - 21 - 30}}, {1, {240 - 20, 359 - 21 - 30}},
        {4, {240 + 30, 359 + 30}},           {8, {10, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(PlaceAlarmPopup(c.position, 41, 21, 240, 359), c.expected);
    }
}

TEST(AlarmSoundField, PrefixFoldersAndParameter) {
    struct Case {
        const char* field;
        AlarmSoundField expected;
    };
    const Case cases[] = {
        {"bell.wav/some text", {"bell.wav", "some text"}},
        {"*\\Storage\\Sounds\\ding.WAV/x", {"ding.WAV", "x"}},
        {"a/b/c", {"a", "b/c"}},      // the first "/" separates
        {"*/x", {"/x", ""}},          // a "/" in first place is part of the name
        {"*", {"", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(ParseAlarmSoundField(c.field), c.expected);
    }
    EXPECT_TRUE(IsWaveFileName("/home/u/.config/mapwanderer/Sound Files/Bell.Wav"));
    EXPECT_FALSE(IsWaveFileName("/home/u/notes.txt"));
}

TEST(ProgramFiles, OnlyPlainDocumentsAreOpened) {
    mwtest::TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        bool executableBit;
        bool program;
    };
    const Case cases[] = {
        {"notes.txt", "Turn left at the bridge\n", false, false},
        {"notes2.txt", "plain text\n", true, true},        // marked executable
        {"readme.txt", "#!/bin/sh\nrm -rf ~\n", false, true},  // a script by content
        {"tool.dat", std::string("\x7f" "ELF\x02\x01", 6), false, true},
        {"launch.desktop", "[Desktop Entry]\nExec=xterm\n", false, true},
        {"run.SH", "echo hi\n", false, true},
    };
    for (const Case& c : cases) {
        dir.Write(c.name, c.bytes);
        if (c.executableBit) ::chmod(dir.File(c.name).c_str(), 0755);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsProgramFile(dir.File(c.name)), c.program);
    }
    EXPECT_TRUE(IsProgramFile(dir.File("missing.txt")));
    EXPECT_TRUE(IsProgramFile(dir.Path()));  // a folder is no document
}

// The sounds the program ships lie where the alarms look for them once the
// shared data is in the application home, and each is a short playable WAV.
TEST(ShippedSounds, WhereTheAlarmsLookAndShort) {
    const std::string shared = std::string(MW_SOURCE_DIR) + "/data";
    const std::string defaultSound = FindMediaFile(kDefaultAlarmSound, shared, "/nonexistent");
    EXPECT_EQ(defaultSound, shared + "/Sound Files/default.wav");
    for (const std::string& path :
         {shared + "/" + kMinSpeedSound, shared + "/" + kSetSpeedSound,
          shared + "/" + kMaxSpeedSound, defaultSound}) {
        SCOPED_TRACE(path);
        std::optional<std::string> bytes = ReadWholeFile(path);
        ASSERT_TRUE(bytes);
        std::optional<int> ms = WavDurationMs(*bytes);
        ASSERT_TRUE(ms);
        EXPECT_GE(*ms, 200);
        EXPECT_LE(*ms, 1500);
        EXPECT_EQ(WavDurationMs(bytes->substr(0, 30)), std::nullopt) << "a header cut short";
    }
}

}  // namespace
