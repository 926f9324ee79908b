// The speed alarms: each sounds once when its limit is passed and re-arms
// on the way back.
#include "nav/alarms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

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

}  // namespace
