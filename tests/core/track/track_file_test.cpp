// Track files and the track log: the exact line format, loading with its
// datum and defaults, saving the ring, appending, and a log written by a
// process that is killed mid-stream.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "geo/datum_convert.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "track/track_file.h"

using namespace mw;

namespace {

const std::string kHeader =
    "Mapwanderer CE Track Point File Version 2.0\r\n"
    "WGS 84\r\n"
    "Altitude is in Feet\r\n"
    "Reserved 3\r\n"
    "0,2,255,MawCE Track Log file     ,1\r\n"
    "0\r\n";

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
};

}  // namespace

TEST(TrackLines, HaveFixedWidthFields) {
    EXPECT_EQ(FormatTrackPointLine(-33.8, 151.25, 1, -777), " -33.8000000, 151.2500000,1,   -777");
    EXPECT_EQ(FormatTrackLogLine(51.5, -0.125, 0, 3277.5192, "300699", "055251"),
              "  51.5000000,  -0.1250000,0,   3278, ,300699,055251");
}

TEST_F(TrackFiles, ClearedTrackSavesTheHeaderOnly) {
    ASSERT_TRUE(SaveTrackFile(track, dir.File("t.plt"), datums, kDatumWgs84, &ui));
    EXPECT_EQ(dir.Read("t.plt"), kHeader);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TrackFiles, SaveWritesTheLast999PointsOldestFirstInWgs84) {
    const int ed50 = FindDatumByName(datums, "European 1950");
    for (int k = 0; k < 1005; ++k) AddTrackPoint(track, 50 + k * 1e-3, 8, k == 3 ? 1 : 0);
    ASSERT_TRUE(SaveTrackFile(track, dir.File("t.plt"), datums, ed50, &ui));

    std::vector<std::string> lines = Lines(dir.Read("t.plt"));
    ASSERT_EQ(lines.size(), 6u + 999u);
    for (int k = 6; k < 1005; ++k) {
        double lat = 50 + k * 1e-3, lon = 8;
        ConvertDatum(datums, ed50, kDatumWgs84, lat, lon);
        ASSERT_EQ(lines[static_cast<std::size_t>(k)], FormatTrackPointLine(lat, lon, 0, -777));
    }
}

TEST_F(TrackFiles, SaveFailureIsReportedAndLeavesNoFile) {
    std::string path = dir.File("missing-folder/t.plt");
    EXPECT_FALSE(SaveTrackFile(track, path, datums, kDatumWgs84, &ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Cannot Create Track File"});
}

TEST_F(TrackFiles, LoadReadsPointsWithDefaultsAndTheFilesDatum) {
    struct Case {
        const char* name;
        std::string datumLine;
        std::string points;
        int mapDatum;
        std::vector<TrackSlot> expected;  // before the datum conversion
    };
    DatumTable d;
    const int ed50 = FindDatumByName(d, "European 1950");
    const std::vector<Case> cases = {
        {"two fields give flag 0",
         "WGS 84",
         "10.5,20.25\r\n11,21,1,100\r\n",
         kDatumWgs84,
         {{10.5, 20.25, 0}, {11, 21, 1}}},
        {"unknown datum is WGS 84", "Nowhere Datum", "10,20,1\r\n", kDatumWgs84, {{10, 20, 1}}},
        {"last line without line end",
         "WGS 84",
         "10,20,1\r\n11,21,0",
         kDatumWgs84,
         {{10, 20, 1}, {11, 21, 0}}},
        {"blank lines and non-numbers are no points",
         "WGS 84",
         "10,20,1\r\n\r\n   \r\nnan,5,0\r\n11,21,0\r\n",
         kDatumWgs84,
         {{10, 20, 1}, {11, 21, 0}}},
        {"file datum to map datum", "WGS 84", "48,11,1\r\n", ed50, {{48, 11, 1}}},
        {"same datum: no conversion", "European 1950", "48,11,1\r\n", ed50, {{48, 11, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string header = kHeader;
        header.replace(header.find("WGS 84"), 6, c.datumLine);
        dir.Write("in.plt", header + c.points);
        AddTrackPoint(track, 1, 1, 0);  // replaced by the load
        ASSERT_TRUE(LoadTrackFile(track, dir.File("in.plt"), datums, c.mapDatum, &ui));
        std::vector<TrackSlot> got = Points(track);
        ASSERT_EQ(got.size(), c.expected.size());
        const int fileDatum = FindDatumByName(datums, c.datumLine);
        for (std::size_t i = 0; i < got.size(); ++i) {
            double lat = c.expected[i].lat, lon = c.expected[i].lon;
            ConvertDatum(datums, fileDatum, c.mapDatum, lat, lon);
            EXPECT_EQ(got[i].lat, lat);
            EXPECT_EQ(got[i].lon, lon);
            EXPECT_EQ(got[i].flag, c.expected[i].flag);
        }
    }
    EXPECT_FALSE(ui.waitCursor);
}

TEST_F(TrackFiles, LoadOfALongFileKeepsItsLast999Points) {
    std::string text = kHeader;
    for (int k = 0; k < 1200; ++k) text += FormatTrackPointLine(k * 0.01, 1, 0, -777) + "\r\n";
    dir.Write("long.plt", text);
    ASSERT_TRUE(LoadTrackFile(track, dir.File("long.plt"), datums, kDatumWgs84, nullptr));
    std::vector<TrackSlot> got = Points(track);
    ASSERT_EQ(got.size(), 999u);
    EXPECT_DOUBLE_EQ(got.front().lat, 201 * 0.01);
    EXPECT_DOUBLE_EQ(got.back().lat, 1199 * 0.01);
}

TEST_F(TrackFiles, UnreadableFileChangesNothing) {
    AddTrackPoint(track, 1, 2, 1);
    EXPECT_FALSE(LoadTrackFile(track, dir.File("none.plt"), datums, kDatumWgs84, &ui));
    EXPECT_EQ(track.PointCount(), 1);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TrackFiles, SavedTrackLoadsBackOnAnotherDatum) {
    const int ed50 = FindDatumByName(datums, "European 1950");
    for (int k = 0; k < 20; ++k) AddTrackPoint(track, 45 + k * 0.01, 7 - k * 0.02, k % 5 == 0);
    ASSERT_TRUE(SaveTrackFile(track, dir.File("rt.plt"), datums, ed50, nullptr));
    TrackStore loaded;
    ASSERT_TRUE(LoadTrackFile(loaded, dir.File("rt.plt"), datums, ed50, nullptr));
    std::vector<TrackSlot> a = Points(track), b = Points(loaded);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        // 7 decimals of a degree, plus the datum round trip: well under 1e-6°.
        EXPECT_NEAR(a[i].lat, b[i].lat, 1e-6);
        EXPECT_NEAR(a[i].lon, b[i].lon, 1e-6);
        EXPECT_EQ(a[i].flag, b[i].flag);
    }
}

TEST_F(TrackFiles, LogStartsWithHeaderAndANewSegmentAfterEveryDeletion) {
    const std::string log = TrackLogPath(dir.Path());
    EXPECT_EQ(log, dir.File("ceTrack.plt"));
    int newSegment = 0;  // a fresh file starts a segment whatever the caller says
    ASSERT_TRUE(AppendTrackLog(log, 51.5, -0.125, "010124", "120000", -777, newSegment));
    EXPECT_EQ(newSegment, 0);
    ASSERT_TRUE(AppendTrackLog(log, 51.6, -0.125, "010124", "120010", 100, newSegment));
    EXPECT_EQ(dir.Read("ceTrack.plt"),
              kHeader + "  51.5000000,  -0.1250000,1,   -777, ,010124,120000\r\n" +
                  "  51.6000000,  -0.1250000,0,    100, ,010124,120010\r\n");

    ui.answers = {true};
    DeleteTrackLog(log, ui);
    EXPECT_EQ(ui.questions.back(),
              "Delete the Track Log File ?\n\nIt will be created empty when Logging Resumes");
    EXPECT_EQ(ui.messages.back(), "Track Log File has been Deleted");
    EXPECT_FALSE(FileExists(log));

    ASSERT_TRUE(AppendTrackLog(log, 52, 1, "010124", "130000", -777, newSegment));
    std::vector<std::string> lines = Lines(dir.Read("ceTrack.plt"));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(GetField(lines[6], 3, ""), "1");
}

TEST_F(TrackFiles, LogIsRepairedWhereAnotherWriterLeftIt) {
    const std::string log = TrackLogPath(dir.Path());
    int newSegment = 0;
    // Created and never written: the header goes in first.
    dir.Write("ceTrack.plt", "");
    ASSERT_TRUE(AppendTrackLog(log, 1, 2, "010124", "000001", -777, newSegment));
    EXPECT_EQ(Lines(dir.Read("ceTrack.plt")).size(), 7u);
    EXPECT_EQ(GetField(Lines(dir.Read("ceTrack.plt"))[6], 3, ""), "1");

    // A last line without its line end stays a line of its own.
    dir.Write("ceTrack.plt", kHeader + "   1.0000000,   2.0000000,0,   -777, ,010124,000001");
    ASSERT_TRUE(AppendTrackLog(log, 3, 4, "010124", "000002", -777, newSegment));
    std::vector<std::string> lines = Lines(dir.Read("ceTrack.plt"));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(GetField(lines[7], 1, ""), "3.0000000");
}

TEST_F(TrackFiles, LogThatCannotBeCreatedKeepsTheSegmentFlag) {
    int newSegment = 1;
    EXPECT_FALSE(
        AppendTrackLog(dir.File("no-folder/ceTrack.plt"), 1, 2, "010124", "000001", 0, newSegment));
    EXPECT_EQ(newSegment, 1);
}

TEST_F(TrackFiles, SaveLogAsAndDeleteReportEachOutcome) {
    const std::string log = TrackLogPath(dir.Path());
    ui.answers = {true};
    DeleteTrackLog(log, ui);
    EXPECT_EQ(ui.messages.back(), "Track Log File does not exist");

    EXPECT_FALSE(SaveTrackLogAs(log, dir.File("copy.plt"), ui));
    EXPECT_EQ(ui.messages.back(), "Track file could not be saved.");

    int newSegment = 1;
    ASSERT_TRUE(AppendTrackLog(log, 1, 2, "010124", "000001", -777, newSegment));
    EXPECT_TRUE(SaveTrackLogAs(log, dir.File("copy.plt"), ui));
    EXPECT_EQ(ui.messages.back(), "Saved as : " + dir.File("copy.plt"));
    EXPECT_EQ(dir.Read("copy.plt"), dir.Read("ceTrack.plt"));

    ui.answers = {false};
    DeleteTrackLog(log, ui);
    EXPECT_TRUE(FileExists(log));

    // A folder in the log's place cannot be deleted like a file.
    std::filesystem::remove(log);
    std::filesystem::create_directory(log);
    std::filesystem::create_directory(log + "/x");
    ui.answers = {true};
    DeleteTrackLog(log, ui);
    EXPECT_EQ(ui.messages.back(), "Track Log File could not be Deleted");
}

// A logging process killed at an arbitrary moment: every point it reported
// as written is in the log, at most the one being written is lost, and the
// log still reads as a track file.
TEST(TrackLogKill, KilledWriterLosesAtMostThePointBeingWritten) {
    mwtest::TempDir dir;
    const std::string log = TrackLogPath(dir.Path());
    int acks[2];
    ASSERT_EQ(pipe(acks), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(acks[0]);
        int newSegment = 1;
        for (int k = 0;; ++k) {
            if (!AppendTrackLog(log, 10 + k * 1e-4, 20, "010124", "120000", 0, newSegment))
                _exit(1);
            if (write(acks[1], &k, sizeof k) != sizeof k) _exit(2);
        }
    }
    close(acks[1]);
    int last = -1, k = 0;
    while (last < 150 && read(acks[0], &k, sizeof k) == sizeof k) last = k;
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    while (read(acks[0], &k, sizeof k) == sizeof k) last = k;
    close(acks[0]);
    const int acknowledged = last + 1;

    const std::string bytes = dir.Read("ceTrack.plt");
    ASSERT_EQ(bytes.back(), '\n');
    std::vector<std::string> lines = Lines(bytes);
    const int points = static_cast<int>(lines.size()) - kTrackHeaderLines;
    EXPECT_GE(points, acknowledged);
    EXPECT_LE(points, acknowledged + 1);
    for (int i = 0; i < points; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(kTrackHeaderLines + i)];
        ASSERT_EQ(line, FormatTrackLogLine(10 + i * 1e-4, 20, i == 0, 0, "010124", "120000"));
    }

    TrackStore track;
    DatumTable datums;
    ASSERT_TRUE(LoadTrackFile(track, log, datums, kDatumWgs84, nullptr));
    EXPECT_EQ(track.PointCount(), std::min(points, kTrackMaxPoints));
}
