// The sentence parsers: lines that must pass and lines that must fail, each
// compared with the whole expected result.
#include <gtest/gtest.h>

#include "gps/dispatch.h"
#include "gps/nmea_parser.h"
#include "gps_test_util.h"
#include "testlib/fake_ui.h"

using namespace mw;
using gpstest::WithChecksum;

namespace {

// The published sample sentences of the NMEA 0183 description.
const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

const double kMunichLat = 48 + 7.038 / 60;
const double kMunichLon = 11 + 31.0 / 60;

}  // namespace

TEST(VerifyChecksum, ExactUpperCaseRule) {
    const std::string body = kRmc.substr(0, kRmc.size() - 3);  // up to before '*'
    // Lower case, three or one digit after '*', a trailing blank, a kept CR, no '*'.
    const std::vector<std::string> fail = {
        body + "*6a",  body + "*6A0", body + "*6", body + "*6A ", body + "*6A\r", body,
        body.substr(0, body.size() - 1) + "E*6A",  // wrong value
        "",
    };
    for (const auto& s : fail) EXPECT_FALSE(VerifyChecksum(s)) << s;
}

TEST(ParsePositionSentence, LinesThatGiveAFixOrNot) {
    struct Case {
        std::string line;
        int source;
        bool checksum;
        PositionOutcome outcome;
        PositionReport report;  // when outcome is Fix
    };
    // Device clock 9 Feb 2024 07:05:03 UTC: "090224" and "070503".
    const auto fix = PositionOutcome::Fix, none = PositionOutcome::NoFix;
    // clang-format off
    const std::vector<Case> cases = {
        {kRmc, 0, true, fix, {kMunichLat, kMunichLon, "230394", "123519"}},
        // Status V with a position is used like A.
        {WithChecksum("GPRMC,123519.50,V,4807.038,S,01131.000,W,0.0,,230394,,"), 0, true, fix, {-kMunichLat, -kMunichLon, "230394", "123519.50"}},
        // Missing date and time come from the device clock.
        {WithChecksum("GPRMC,,A,4807.038,N,01131.000,E,,,,,"), 0, true, fix, {kMunichLat, kMunichLon, "090224", "070503"}},
        // Degrees are what precedes the two minute digits before '.'.
        {WithChecksum("GPRMC,1,A,0007.5,N,00000.6,W,,,010100,,"), 0, true, fix, {7.5 / 60, -0.6 / 60, "010100", "1"}},
        {kGga, 1, true, fix, {kMunichLat, kMunichLon, "090224", "123519"}},
        {WithChecksum("GPGLL,4916.45,N,12311.12,W,225444,A"), 2, true, fix, {49 + 16.45 / 60, -(123 + 11.12 / 60), "090224", "225444"}},
        // Empty position, too few commas.
        {WithChecksum("GPRMC,123519,V,,,,,,,230394,,"), 0, true, none, {}},
        {WithChecksum("GPRMC,123519,A,4807.038,N,01131.000,E,0,0"), 0, true, none, {}},
        // Off the globe: damaged digits never reach the pipeline.
        {WithChecksum("GPRMC,1,A,9130.000,N,01131.000,E,,,010100,,"), 0, true, none, {}},
    };
    // clang-format on
    for (const auto& c : cases) {
        mwtest::FakeClock clock;
        clock.utc = DateTime{2024, 2, 9, 7, 5, 3, 0};
        PositionReport got;
        PositionOutcome outcome = ParsePositionSentence(c.line, c.source, c.checksum, clock, got);
        EXPECT_EQ(outcome, c.outcome) << c.line;
        if (outcome == PositionOutcome::Fix && c.outcome == PositionOutcome::Fix) {
            EXPECT_DOUBLE_EQ(got.lat, c.report.lat) << c.line;
            EXPECT_DOUBLE_EQ(got.lon, c.report.lon) << c.line;
            EXPECT_EQ(got.date, c.report.date) << c.line;
            EXPECT_EQ(got.time, c.report.time) << c.line;
        }
    }
}

TEST(ParseQualitySentence, GgaFieldsAndAltitudeUnits) {
    struct Case {
        std::string line;
        int quality, satellites;
        double hdop, altitudeFeet;
        int dgpsAge;
    };
    // clang-format off
    const std::vector<Case> cases = {
        // An empty altitude is not known, whatever unit follows it.
        {WithChecksum("GPGGA,1,4807.038,N,01131.000,E,1,05,2.0,,M,,M,,"), 1, 5, 2.0, kGpsNotKnown, 0},
        // Not checksum-tested; empty fields at their defaults; below sea level.
        {"$GPGGA,,4807.038,N,01131.000,E,0,,,-12.5,M,46.9,M,,*00", 0, 0, 0.0, -12.5 * 3.2808, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        GpsFix fix;
        fix.speed = 7;
        fix.dgpsAge = 9;
        GpsFix expected = fix;
        expected.fixQuality = c.quality;
        expected.satellitesInUse = c.satellites;
        expected.hdop = c.hdop;
        expected.altitude = c.altitudeFeet;
        expected.dgpsAge = c.dgpsAge;
        ParseQualitySentence(c.line, fix);
        EXPECT_NEAR(fix.altitude, expected.altitude, 1e-9) << c.line;
        fix.altitude = expected.altitude;
        EXPECT_EQ(fix, expected) << c.line;
    }
}
