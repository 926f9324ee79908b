// Satellites in view per constellation: what a multi-constellation receiver
// sends, set by set, and what the tables keep.
#include <gtest/gtest.h>

#include "gps/nmea_parser.h"
#include "gps/satellites.h"
#include "gps_test_util.h"

using namespace mw;
using gpstest::WithChecksum;

namespace {

std::vector<int> Prns(const std::vector<Satellite>& table) {
    std::vector<int> out;
    for (const Satellite& s : table) out.push_back(s.prn);
    return out;
}

}  // namespace

TEST(SatelliteTables, AMultiConstellationLogKeepsEveryTable) {
    // One second of a receiver tracking GPS, GLONASS, Galileo and BeiDou, as sent.
    const auto stored = SatellitesOutcome::Stored, complete = SatellitesOutcome::SetComplete;
    const std::vector<std::pair<std::string, SatellitesOutcome>> log = {
        {WithChecksum("GPGSV,2,1,07,02,45,120,40,05,10,300,22,12,80,010,45,15,05,200,00"), stored},
        {WithChecksum("GPGSV,2,2,07,24,30,060,38,29,60,240,41,03,00,000,00"), complete},
        {WithChecksum("GLGSV,1,1,03,67,20,090,33,68,50,180,37,77,,,25"), complete},
        {WithChecksum("GAGSV,1,1,02,05,40,045,36,19,15,315,30"), complete},
        {WithChecksum("BDGSV,1,1,01,19,60,100,44"), complete},
    };
    GpsFix fix;
    for (const auto& [line, outcome] : log) EXPECT_EQ(ParseSatellitesSentence(line, fix), outcome) << line;

    EXPECT_EQ(Prns(fix.satellites.Of(Constellation::Gps)), (std::vector<int>{2, 3, 5, 12, 15, 24, 29}));
    EXPECT_EQ(Prns(fix.satellites.Of(Constellation::Glonass)), (std::vector<int>{67, 68, 77}));
    EXPECT_EQ(fix.satellites.lastComplete, Constellation::Beidou);
    EXPECT_EQ(fix.satellites.completedSets, 4u);
    // GLONASS 77 is heard without an orbit: a bar, no spot in the sky plot.
    EXPECT_EQ(*fix.satellites.Find(Constellation::Glonass, 77), (Satellite{77, 0, 0, 25, false}));
    // Galileo 5 and GPS 5 are different satellites.
    EXPECT_EQ(fix.satellites.Find(Constellation::Galileo, 5)->snr, 36);
    EXPECT_EQ(fix.satellites.Find(Constellation::Gps, 5)->snr, 22);

    // The next GPS set replaces the GPS table alone.
    EXPECT_EQ(ParseSatellitesSentence(WithChecksum("GPGSV,1,1,01,07,80,045,51"), fix), complete);
    EXPECT_EQ(Prns(fix.satellites.Of(Constellation::Gps)), std::vector<int>{7});
    EXPECT_EQ(Prns(fix.satellites.Of(Constellation::Glonass)), (std::vector<int>{67, 68, 77}));
}

TEST(SatelliteTables, SentenceCases) {
    struct Case {
        const char* body;
        SatellitesOutcome outcome;
        Constellation table;
        std::vector<Satellite> expected;
    };
    const auto complete = SatellitesOutcome::SetComplete;
    using enum Constellation;
    // clang-format off
    const Case cases[] = {
        // NMEA 4.10: a signal id follows the last block and is no satellite.
        {"GAGSV,1,1,02,05,40,045,36,19,15,315,30,7", complete, Galileo, {{5, 40, 45, 36}, {19, 15, 315, 30}}},
        // BeiDou under either talker shares one table.
        {"GBGSV,1,1,01,20,61,101,45", complete, Beidou, {{20, 61, 101, 45}}},
        // PRN 0, 256 and an empty PRN are skipped; 255 is kept.
        {"GPGSV,1,1,04,00,10,100,20,256,20,200,30,,30,300,40,255,40,040,50", complete, Gps, {{255, 40, 40, 50}}},
        // A duplicated PRN keeps the later block; out-of-range angles are clamped.
        {"GPGSV,1,1,02,07,95,400,120,07,12,34,56", complete, Gps, {{7, 12, 34, 56}}},
        {"GPGSV,1,1,01,07,95,400,120", complete, Gps, {{7, 90, 359, 99}}},
        // Message 2 of 3 adds without completing.
        {"GLGSV,3,2,09,70,10,010,10", SatellitesOutcome::Stored, Glonass, {{70, 10, 10, 10}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        GpsFix fix;
        EXPECT_EQ(ParseSatellitesSentence(WithChecksum(c.body), fix), c.outcome) << c.body;
        EXPECT_EQ(fix.satellites.Of(c.table), c.expected) << c.body;
    }

    // Other talkers, and a missing or malformed checksum, change nothing.
    for (const std::string& line :
         {WithChecksum("GXGSV,1,1,01,07,80,045,51"), std::string("$GPGSV,1,1,01,08,80,045,51"),
          std::string("$GPGSV,1,1,01,08,80,045,51*4AB")}) {
        GpsFix fix;
        EXPECT_EQ(ParseSatellitesSentence(line, fix), SatellitesOutcome::Ignored) << line;
        EXPECT_EQ(fix.satellites, SatelliteTables{}) << line;
    }
}
