// The record rule and the recording of one fix: distance, turn, speed change,
// segment gaps, units, and the status letters.
#include <gtest/gtest.h>

#include <cmath>

#include "geo/datum_convert.h"
#include "geo/distance.h"
#include "nav/record_rule.h"
#include "support/text.h"
#include "testlib/temp_dir.h"
#include "track/track_file.h"
#include "track/track_store.h"

using namespace mw;

namespace {

constexpr double kMetresPerDegree = 60 * 1852.0;

// The point `metres` from `from` in direction `bearing` (small distances).
GeoPoint Move(GeoPoint from, double bearing, double metres) {
    const double b = bearing * M_PI / 180;
    return {from.lat + metres * std::cos(b) / kMetresPerDegree,
            from.lon + metres * std::sin(b) / (kMetresPerDegree * std::cos(from.lat * M_PI / 180))};
}

// Runs the rule over `fixes` from a reset state; the indices recorded.
std::vector<std::size_t> Recorded(const std::vector<GeoPoint>& fixes, double setting,
                                  int distanceUnit = 0, double speed = 50) {
    RecordRuleState rule;
    GeoPoint previous{};
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        if (ApplyRecordRule(rule, previous, fixes[i], speed, setting, distanceUnit))
            out.push_back(i);
        previous = fixes[i];
    }
    return out;
}

std::vector<GeoPoint> StraightNorth(GeoPoint start, double step, int count) {
    std::vector<GeoPoint> fixes{start};
    for (int i = 1; i < count; ++i) fixes.push_back(Move(fixes.back(), 0, step));
    return fixes;
}

}  // namespace

TEST(RecordRule, StraightLineRecordsAboutEverySettingDistance) {
    struct Case {
        int distanceUnit;
        double setting;  // metres or feet
        double settingMetres;
    };
    for (const Case& c : {Case{0, 100, 100}, Case{1, 328, 328 * 0.3048}}) {
        SCOPED_TRACE(c.distanceUnit);
        const double step = 7;  // metres between fixes
        std::vector<GeoPoint> fixes = StraightNorth({50.0, 0.5}, step, 300);
        std::vector<std::size_t> rec = Recorded(fixes, c.setting, c.distanceUnit);
        ASSERT_GE(rec.size(), 2u);
        EXPECT_EQ(rec[0], 0u);  // the first fix after a reset always
        for (std::size_t k = 1; k < rec.size(); ++k) {
            const double gap = DistanceMetres(fixes[rec[k - 1]].lat, fixes[rec[k - 1]].lon,
                                              fixes[rec[k]].lat, fixes[rec[k]].lon);
            EXPECT_GE(gap, c.settingMetres - 1e-6);
            EXPECT_LT(gap, c.settingMetres + step);
        }
        EXPECT_NEAR(static_cast<double>(rec.size()), 299 * step / c.settingMetres, 2.0);
    }
}

TEST(RecordRule, TurnsBeyondSevenAndAHalfDegreesRecordAtOnce) {
    struct Case {
        double before, after;  // course of the leg before and after the turn
        bool recorded;
    };
    const std::vector<Case> cases = {
        {0, 8, true},    {0, 7, false},     {90, 82, true},
        {90, 83, false}, {359, 1, true},  // the difference is not wrapped: 358°
        {1, 359, true},  {355, 359, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " -> " << c.after);
        RecordRuleState rule;
        GeoPoint a{50.0, 0.5};
        GeoPoint b = Move(a, c.before, 20);
        ASSERT_TRUE(ApplyRecordRule(rule, a, b, 50, 100, 0));  // sets the course
        GeoPoint d = Move(b, c.after, 20);
        EXPECT_EQ(ApplyRecordRule(rule, b, d, 50, 100, 0), c.recorded);
    }
}

TEST(RecordRule, SpeedChangesOverFifteenPercentAndFiveUnitsRecord) {
    struct Case {
        double lastSpeed, speed;
        bool recorded;
    };
    const std::vector<Case> cases = {
        {40, 47, false},                                  // 7 units, 14.9 %
        {40, 48, true},                                   // 8 units, 16.7 %
        {10, 14, false},                                  // 40 %, but only 4 units
        {10, 16, true},  {60, 40, true}, {20, 0, false},  // standing still: no percentage
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lastSpeed << " -> " << c.speed);
        RecordRuleState rule;
        GeoPoint a{50.0, 0.5}, b = Move(a, 0, 10), d = Move(b, 0, 10);
        ASSERT_TRUE(ApplyRecordRule(rule, a, b, c.lastSpeed, 100, 0));
        EXPECT_EQ(ApplyRecordRule(rule, b, d, c.speed, 100, 0), c.recorded);
    }
}

TEST(RecordRule, GapsOver2500MetresStartANewSegment) {
    struct Case {
        int distanceUnit;
        double gapMetres;
        int flag;
    };
    const std::vector<Case> cases = {{0, 3000, 1}, {0, 2000, 0}, {1, 3000, 1}, {1, 2400, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.distanceUnit << " " << c.gapMetres);
        RecordRuleState rule;
        GeoPoint a{50.0, 0.5}, b = Move(a, 0, 20);
        ASSERT_TRUE(ApplyRecordRule(rule, a, b, 50, 100, c.distanceUnit));
        rule.newSegment = 0;
        ASSERT_TRUE(ApplyRecordRule(rule, b, Move(b, 0, c.gapMetres), 50, 100, c.distanceUnit));
        EXPECT_EQ(rule.newSegment, c.flag);
    }
}

namespace {

class RecordFixes : public ::testing::Test {
protected:
    RecordTargets Targets(bool replay = false) {
        return RecordTargets{datums, mapDatum, TrackLogPath(dir.Path()), &track, replay};
    }
    RecordOutcome Fix(GeoPoint p, const RecordTargets& targets, double speed = 50) {
        return RecordFix(state, settings, targets, FixToRecord{p, speed, 120.0, "010124", "101010"},
                         status);
    }
    mwtest::TempDir dir;
    DatumTable datums;
    int mapDatum = kDatumWgs84;
    TrackStore track;
    RecordState state;
    RecordSettings settings{100, 100, 0};
    std::string status = "ON ";
};

}  // namespace

TEST_F(RecordFixes, StatusBlinksAndNamesWhatWasRecorded) {
    GeoPoint p{50.0, 0.5};
    Fix(p, Targets());
    EXPECT_EQ(status, "ON*LT");
    p = Move(p, 0, 10);
    Fix(p, Targets());
    EXPECT_EQ(status, "ON ");
    p = Move(p, 0, 100);
    Fix(p, Targets());
    EXPECT_EQ(status, "ON*LT");

    settings = RecordSettings{100, 0, 0};  // ring off
    Fix(Move(p, 90, 500), Targets());
    EXPECT_EQ(status, "ON L");
}

TEST_F(RecordFixes, ReplayFillsTheRingButNeverTheLog) {
    GeoPoint p{50.0, 0.5};
    RecordOutcome out = Fix(p, Targets(true));
    EXPECT_FALSE(out.logged);
    EXPECT_TRUE(out.tracked);
    EXPECT_EQ(status, "ON*T");
    EXPECT_FALSE(FileExists(TrackLogPath(dir.Path())));
    EXPECT_EQ(track.PointCount(), 1);
}

TEST_F(RecordFixes, FailedAppendLeavesNoLetter) {
    RecordTargets targets = Targets();
    targets.logPath = dir.File("missing/ceTrack.plt");
    RecordOutcome out = Fix({50.0, 0.5}, targets);
    EXPECT_FALSE(out.logged);
    EXPECT_EQ(status, "ON*T");
    EXPECT_EQ(state.log.newSegment, 1);
}

TEST_F(RecordFixes, LogGetsWgs84AndTheRingTheMapDatumWithSegmentFlags) {
    mapDatum = FindDatumByName(datums, "European 1950");
    GeoPoint p{48.0, 11.0};
    Fix(p, Targets());
    GeoPoint far = Move(p, 0, 3000);
    Fix(far, Targets());

    std::vector<TrackSlot> ring;
    track.ForEachPoint([&](int, const TrackSlot& s) { ring.push_back(s); });
    ASSERT_EQ(ring.size(), 2u);
    EXPECT_EQ(ring[0].lat, p.lat);
    EXPECT_EQ(ring[0].flag, 1);
    EXPECT_EQ(ring[1].lat, far.lat);
    EXPECT_EQ(ring[1].flag, 1);  // 3 km from the point before: a new segment

    TextFileReader log(TrackLogPath(dir.Path()));
    std::vector<std::string> lines;
    ForEachLine(log, [&](const std::string& l) {
        lines.push_back(l);
        return true;
    });
    ASSERT_EQ(lines.size(), 8u);
    double lat = p.lat, lon = p.lon;
    ConvertDatum(datums, mapDatum, kDatumWgs84, lat, lon);
    EXPECT_EQ(lines[6], FormatTrackLogLine(lat, lon, 1, 120, "010124", "101010"));
    EXPECT_EQ(GetField(lines[7], 3, ""), "1");
}

TEST_F(RecordFixes, FixAtZeroZeroIsNoPosition) {
    EXPECT_TRUE(IsNoPosition(0, 0));
    EXPECT_FALSE(IsNoPosition(0, 1e-9));
    Fix({50.0, 0.5}, Targets());
    const std::string before = status;
    RecordOutcome out = Fix({0, 0}, Targets());
    EXPECT_FALSE(out.logged || out.tracked);
    EXPECT_EQ(status, before);
    EXPECT_EQ(track.PointCount(), 1);
    EXPECT_EQ(state.previous.lat, 50.0);
}
