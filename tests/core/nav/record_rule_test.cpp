// The record rule and the recording of one fix: distance, turns, speed
// changes, segment gaps, units, and the status letters. The pipeline around
// it (replays, an unwritable log, fixes at 0, 0) is the moving map's test.
#include <gtest/gtest.h>

#include <cmath>

#include "geo/datum_convert.h"
#include "nav/record_rule.h"
#include "support/text.h"
#include "testlib/temp_dir.h"
#include "track/track_file.h"
#include "track/track_store.h"

using namespace mw;

namespace {

// The point `metres` from `from` in direction `bearing` (short distances).
GeoPoint Move(GeoPoint from, double bearing, double metres) {
    const double b = bearing * M_PI / 180, perDegree = 60 * 1852.0;
    return {from.lat + metres * std::cos(b) / perDegree,
            from.lon + metres * std::sin(b) / (perDegree * std::cos(from.lat * M_PI / 180))};
}

const GeoPoint kStart{50.0, 0.5};

}  // namespace

// One step after a recorded point, the setting 100 metres or feet; the
// moving map's test checks the distance adding up over many fixes.
TEST(RecordRule, DistanceTurnsSpeedChangesAndGaps) {
    struct Case {
        double courseBefore, courseAfter, speedBefore, speedAfter, metres;
        int unit;
        bool recorded;
        int newSegment;
    };
    const std::vector<Case> cases = {
        {0, 0, 50, 50, 99, 0, false, 0},   {0, 0, 50, 50, 101, 0, true, 0},
        {0, 0, 50, 50, 30, 1, false, 0},   {0, 0, 50, 50, 31, 1, true, 0},  // 98.4, 101.7 ft
        {0, 0, 50, 50, 3000, 0, true, 1},  {0, 0, 50, 50, 2400, 1, true, 0},  // gaps past 2500 m
        {0, 8, 50, 50, 20, 0, true, 0},    {0, 7, 50, 50, 20, 0, false, 0},
        {359, 1, 50, 50, 20, 0, true, 0},  // not wrapped at 360: 358°
        {355, 359, 50, 50, 20, 0, false, 0},
        {0, 0, 40, 47, 20, 0, false, 0},   // 7 units but 14.9 %
        {0, 0, 40, 48, 20, 0, true, 0},    {0, 0, 10, 14, 20, 0, false, 0},  // 40 % but 4 units
        {0, 0, 20, 0, 20, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.courseBefore << "->" << c.courseAfter << " " << c.speedBefore
                                        << "->" << c.speedAfter << " " << c.metres << " m unit " << c.unit);
        RecordRuleState rule;
        GeoPoint b = Move(kStart, c.courseBefore, 20), d = Move(b, c.courseAfter, c.metres);
        ASSERT_TRUE(ApplyRecordRule(rule, kStart, b, c.speedBefore, 100, c.unit));
        rule.newSegment = 0;
        EXPECT_EQ(ApplyRecordRule(rule, b, d, c.speedAfter, 100, c.unit), c.recorded);
        EXPECT_EQ(rule.newSegment, c.newSegment);
    }
}

namespace {

class RecordFixes : public ::testing::Test {
protected:
    RecordOutcome Fix(GeoPoint p) {
        RecordTargets targets{datums, mapDatum, logPath, &track, false};
        return RecordFix(state, settings, targets, FixToRecord{p, 50, 120.0, "010124", "101010"},
                         status);
    }
    std::vector<std::string> LogLines() {
        TextFileReader log(logPath);
        std::vector<std::string> lines;
        ForEachLine(log, [&](const std::string& l) {
            lines.push_back(l);
            return true;
        });
        return lines;
    }
    mwtest::TempDir dir;
    DatumTable datums;
    int mapDatum = FindDatumByName(datums, "European 1950");
    std::string logPath = TrackLogPath(dir.Path());
    TrackStore track;
    RecordState state;
    RecordSettings settings{100, 100, 0};
    std::string status = "ON ";
};

}  // namespace

TEST_F(RecordFixes, LogInWgs84RingInTheMapDatumAndTheStatusSaysWhich) {
    GeoPoint p = kStart, far = Move(p, 0, 3000);
    for (auto [fix, expected] : std::vector<std::pair<GeoPoint, std::string>>{
             {p, "ON*LT"}, {Move(p, 0, 10), "ON "}, {far, "ON*LT"}}) {
        Fix(fix);
        EXPECT_EQ(status, expected);
    }
    std::vector<TrackSlot> ring;
    track.ForEachPoint([&](int, const TrackSlot& s) { ring.push_back(s); });
    ASSERT_EQ(ring.size(), 2u);
    EXPECT_EQ(ring[1].lat, far.lat);
    EXPECT_EQ(ring[1].flag, 1);  // 3 km on: a new segment

    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 8u);
    double lat = p.lat, lon = p.lon;
    ConvertDatum(datums, mapDatum, kDatumWgs84, lat, lon);
    EXPECT_EQ(lines[6], FormatTrackLogLine(lat, lon, 1, 120, "010124", "101010"));
    EXPECT_EQ(GetField(lines[7], 3, ""), "1");
}
