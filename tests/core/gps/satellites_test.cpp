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
    // One second of a receiver tracking GPS, GLONASS and Galileo, as sent,
    // with the oddities receivers send: PRN 0 and 256 (skipped, 255 is kept),
    // a satellite heard without an orbit, the signal id that NMEA 4.10 puts
    // after the last block.
    const auto stored = SatellitesOutcome::Stored, complete = SatellitesOutcome::SetComplete;
    const std::vector<std::pair<std::string, SatellitesOutcome>> log = {
        {WithChecksum("GPGSV,2,1,07,02,45,120,40,05,10,300,22,12,80,010,45,00,05,200,00"), stored},
        {WithChecksum("GPGSV,2,2,07,24,30,060,38,256,60,240,41,255,00,000,00"), complete},
        {WithChecksum("GLGSV,1,1,03,67,20,090,33,68,50,180,37,77,,,25"), complete},
        {WithChecksum("GAGSV,1,1,02,05,40,045,36,19,15,315,30,7"), complete},
    };
    GpsFix fix;
    for (const auto& [line, outcome] : log) EXPECT_EQ(ParseSatellitesSentence(line, fix), outcome) << line;

    EXPECT_EQ(Prns(fix.satellites.Of(Constellation::Gps)), (std::vector<int>{2, 5, 12, 24, 255}));
    EXPECT_EQ(Prns(fix.satellites.Of(Constellation::Glonass)), (std::vector<int>{67, 68, 77}));
    EXPECT_EQ(Prns(fix.satellites.Of(Constellation::Galileo)), (std::vector<int>{5, 19}));
    EXPECT_EQ(fix.satellites.completedSets, 3u);
    EXPECT_EQ(fix.satellites.Find(Constellation::Galileo, 5)->snr, 36) << "not GPS 5's";

    // The next GPS set replaces the GPS table alone; angles out of range are
    // clamped, and a PRN sent twice keeps its later block.
    EXPECT_EQ(ParseSatellitesSentence(WithChecksum("GPGSV,1,1,02,07,12,34,56,07,95,400,120"), fix),
              complete);
    EXPECT_EQ(fix.satellites.Of(Constellation::Gps), (std::vector<Satellite>{{7, 90, 359, 99}}));
    EXPECT_EQ(Prns(fix.satellites.Of(Constellation::Glonass)), (std::vector<int>{67, 68, 77}));
}
