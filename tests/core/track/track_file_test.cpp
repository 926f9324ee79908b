// The track ring and track files: wrap-around and saving, loading with its
// datum and defaults, the log's header and segment flags. Logs written by a
// killed process are the save-kill tests'.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "app/track_commands.h"
#include "geo/datum_convert.h"
#include "map/position_store.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "track/track_file.h"

using namespace mw;

namespace {

const std::string kHeader =
    "Mapwanderer CE Track Point File Version 2.0\r\nWGS 84\r\nAltitude is in Feet\r\n"
    "Reserved 3\r\n0,2,255,MawCE Track Log file     ,1\r\n0\r\n";

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t cursor = 0;
    std::string line;
    while (ReadMemoryLine(bytes, cursor, line) || !line.empty()) out.push_back(line);
    return out;
}

std::vector<TrackSlot> Points(const TrackStore& track) {
    std::vector<TrackSlot> out;
    track.ForEachPoint([&](int, const TrackSlot& s) { out.push_back(s); });
    return out;
}

class TrackFiles : public ::testing::Test {
protected:
    mwtest::TempDir dir;
    mwtest::FakeUi ui;
    DatumTable datums;
    TrackStore track;
    const int ed50 = FindDatumByName(datums, "European 1950");
};

}  // namespace

TEST_F(TrackFiles, RingOf1005PointsSavesTheLast999OldestFirstInWgs84) {
    for (int k = 0; k < 1005; ++k) {
        AddTrackPoint(track, 50 + k * 1e-3, 8, k == 1004 ? kTrackEndMarker : 0);
        int markers = 0;
        for (int i = 0; i < kTrackCapacity; ++i) markers += track.Slot(i).flag == kTrackEndMarker;
        ASSERT_EQ(markers, 1) << "after point " << k;
    }
    ASSERT_TRUE(SaveTrackFile(track, dir.File("t.plt"), datums, ed50));
    std::vector<std::string> lines = Lines(dir.Read("t.plt"));
    ASSERT_EQ(lines.size(), 6u + 999u);
    for (int k = 6; k < 1005; ++k) {
        double lat = 50 + k * 1e-3, lon = 8;
        ConvertDatum(datums, ed50, kDatumWgs84, lat, lon);
        ASSERT_EQ(lines[static_cast<std::size_t>(k)],
                  FormatTrackPointLine(lat, lon, k == 1004 ? 1 : 0, -777));
    }

    // The save command tells the writer's outcome with the file and why.
    ui.files = {dir.File("no/t.plt")};
    SaveTrackCommand(track, {datums, ed50, dir.Path(), {}}, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Cannot Create Track File: " +
                                                    dir.File("no/t.plt") +
                                                    ": " + std::strerror(ENOENT)});
}

TEST_F(TrackFiles, LoadTakesTheFilesDatumAndDefaultsMissingFields) {
    struct Case {
        std::string datumLine, points;
        int mapDatum;
        std::vector<TrackSlot> expected;  // in the file's datum
    };
    const std::vector<Case> cases = {
        {"WGS 84", "10.5,20.25\r\n11,21,1,100\r\n", kDatumWgs84, {{10.5, 20.25, 0}, {11, 21, 1}}},
        {"Nowhere Datum", "48,11,1\r\n", ed50, {{48, 11, 1}}},  // unknown: WGS 84
        // Points off the globe are no points.
        {"WGS 84", "954,8,1\r\n-90.5,8,0\r\n50,180.5,0\r\n50,-181,0\r\ninf,1,0\r\n90,180,1\r\n-90,-180,0\r\n",
         kDatumWgs84, {{90, 180, 1}, {-90, -180, 0}}},
        // Blank lines and non-numbers are no points; the last line needs no line end.
        {"WGS 84", "10,20,1\r\n\r\nnan,5,0\r\n11,21,0", kDatumWgs84, {{10, 20, 1}, {11, 21, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.datumLine + " " + c.points);
        std::string header = kHeader;
        dir.Write("in.plt", header.replace(header.find("WGS 84"), 6, c.datumLine) + c.points);
        ASSERT_TRUE(LoadTrackFile(track, dir.File("in.plt"), datums, c.mapDatum));
        std::vector<TrackSlot> got = Points(track);
        ASSERT_EQ(got.size(), c.expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            double lat = c.expected[i].lat, lon = c.expected[i].lon;
            ConvertDatum(datums, FindDatumByName(datums, c.datumLine), c.mapDatum, lat, lon);
            EXPECT_EQ(got[i].lat, lat);
            EXPECT_EQ(got[i].lon, lon);
            EXPECT_EQ(got[i].flag, c.expected[i].flag);
        }
    }
    // A map load moves the points, not the markers.
    AddTrackPoint(track, kTrackBreakLat, kTrackBreakLat, 1);
    ConvertStoredPositions(datums, kDatumWgs84, ed50, {&track});
    std::vector<TrackSlot> moved = Points(track);
    double lat = 10, lon = 20;
    ConvertDatum(datums, kDatumWgs84, ed50, lat, lon);
    EXPECT_EQ(moved[0].lat, lat);
    EXPECT_EQ(moved[2].lat, kTrackBreakLat);
    EXPECT_EQ(track.Slot(track.WriteIndex()).lat, kTrackBreakLat);
}

TEST_F(TrackFiles, LogStartsASegmentWhenCreatedAgainAfterDeletion) {
    const std::string log = TrackLogPath(dir.Path());
    int newSegment = 0;  // a fresh file starts a segment whatever the caller says
    ASSERT_TRUE(AppendTrackLog(log, 51.5, -0.125, "010124", "120000", -777, newSegment));
    ASSERT_TRUE(AppendTrackLog(log, 51.6, -0.125, "010124", "120010", 100, newSegment));
    EXPECT_EQ(dir.Read("ceTrack.plt"),
              kHeader + "  51.5000000,  -0.1250000,1,   -777, ,010124,120000\r\n" +
                  "  51.6000000,  -0.1250000,0,    100, ,010124,120010\r\n");

    ui.answers = {true};
    DeleteTrackLogCommand({datums, kDatumWgs84, dir.Path(), {}}, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kTrackLogDeletedText});
    ASSERT_TRUE(AppendTrackLog(log, 52, 1, "010124", "130000", -777, newSegment));
    EXPECT_EQ(GetField(Lines(dir.Read("ceTrack.plt")).at(6), 3, ""), "1");

    // A last line without its line end (a hand edit, or a record a kill cut
    // short) is the user's: it gets its line end and keeps its place.
    dir.Write("ceTrack.plt", kHeader + "   1.0000000,   2.0000000,0,   -777, ,010124,000001\r\n   1.5000000,   2.0");
    ASSERT_TRUE(AppendTrackLog(log, 3, 4, "010124", "000002", -777, newSegment));
    std::vector<std::string> lines = Lines(dir.Read("ceTrack.plt"));
    ASSERT_EQ(lines.size(), std::size_t(kTrackHeaderLines + 3));
    EXPECT_EQ(lines[kTrackHeaderLines], "   1.0000000,   2.0000000,0,   -777, ,010124,000001");
    EXPECT_EQ(lines[kTrackHeaderLines + 1], "   1.5000000,   2.0");
    EXPECT_TRUE(lines.back().starts_with("   3.0000000,   4.0000000,")) << lines.back();
    dir.Write("ceTrack.plt", kHeader.substr(0, 10));  // not even the header whole
    ASSERT_TRUE(AppendTrackLog(log, 3, 4, "010124", "000002", -777, newSegment));
    EXPECT_EQ(Lines(dir.Read("ceTrack.plt")).size(), std::size_t(2));
}

TEST_F(TrackFiles, SavedPointsAreWrittenWithDecimalPointsAndReadBackAsSaved) {
    struct Case {
        double lat, lon;
        int flag;
        const char* line;
    };
    const Case cases[] = {
        {-33.8688197, 151.2092955, 1, " -33.8688197, 151.2092955,1,   -777"},
        {0.0000001, -179.9999999, 0, "   0.0000001,-179.9999999,0,   -777"},
    };
    for (const Case& c : cases) AddTrackPoint(track, c.lat, c.lon, c.flag);
    ASSERT_TRUE(SaveTrackFile(track, dir.File("t.plt"), datums, kDatumWgs84));
    std::vector<std::string> lines = Lines(dir.Read("t.plt"));
    ASSERT_EQ(lines.size(), kTrackFileHeader.size() + std::size(cases));

    TrackStore back;
    ASSERT_TRUE(LoadTrackFile(back, dir.File("t.plt"), datums, kDatumWgs84));
    std::vector<TrackSlot> points = Points(back);
    ASSERT_EQ(points.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(lines[kTrackFileHeader.size() + i], cases[i].line);
        EXPECT_NEAR(points[i].lat, cases[i].lat, 1e-9);
        EXPECT_NEAR(points[i].lon, cases[i].lon, 1e-9);
        EXPECT_EQ(points[i].flag, cases[i].flag);
    }
}

TEST_F(TrackFiles, EndlessOrHugeFilesAreReadOnlyUpToTheLimitAndSaySo) {
    struct Case {
        std::string path;
        std::size_t limit;
        bool accepted, cut;
    };
    std::string points;
    for (int i = 0; i < 100; ++i) points += "50.0000000,   8.0000000,0,   -777\r\n";
    dir.Write("big.plt", kHeader + points);
    const std::size_t size = (kHeader + points).size();
    // A device is refused unread (the special-file cases); zeros past the
    // limit stand for a source that never ends.
    dir.Write("zeros.plt", std::string(std::size_t{1} << 17, '\0'));
    const Case cases[] = {
        {dir.File("zeros.plt"), 1u << 16, false, true},  // holds no point
        {dir.File("big.plt"), size / 2, true, true},
        {dir.File("big.plt"), size, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.limit));
        // The reader tells its cut in the outcome; the command shows it.
        const ReadOutcome read = LoadTrackFile(track, c.path, datums, kDatumWgs84, c.limit);
        EXPECT_EQ(read.Ok(), c.accepted);
        EXPECT_EQ(read.notes.size(), c.cut ? 1u : 0u);
        if (c.cut) {
            EXPECT_NE(read.notes[0].find("only its first"), std::string::npos);
        }
    }
}
