// Waypoint files and the waypoint log: every field through a save and a
// read on another datum, the limits, the log's line and header, the failure
// reports. What the log already holds survives a created waypoint, whatever
// its line ends; a log that cannot be written says why and leaves nothing.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <filesystem>

#include "app/waypoint_commands.h"
#include "geo/datum_convert.h"
#include "support/text.h"
#include "testlib/temp_dir.h"
#include "waypoint/waypoint_file.h"

using namespace mw;

namespace {

const std::string kHeader =
    "Mapwanderer CE Waypoint File Version 1.0\r\nWGS 84\r\nReserved 2\r\nReserved 3\r\n";

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t cursor = 0;
    std::string line;
    while (ReadMemoryLine(bytes, cursor, line, kLongLineMax) || !line.empty()) out.push_back(line);
    return out;
}

std::vector<std::string> Names(const std::string& path) {
    WaypointStore store;
    ReadWaypointFile(store, path, DatumTable(), kDatumWgs84);
    std::vector<std::string> names;
    store.ForEach([&](int, const Waypoint& w) { names.push_back(w.name); });
    return names;
}

class WaypointFiles : public ::testing::Test {
protected:
    mwtest::TempDir dir;
    DatumTable datums;
    WaypointStore store;
    int osgb = FindDatumByName(datums, "Ord Srvy Grt Britn");

    bool Read(const std::string& bytes, int mapDatum = kDatumWgs84) {
        dir.Write("in.wpt", bytes);
        return ReadWaypointFile(store, dir.File("in.wpt"), datums, mapDatum).Ok();
    }
};

Waypoint EveryFieldSet() {
    return ParseWaypointLine(
        "-1,Summit Cairn,54.4541234,-3.2118765,38123.25,17,3,4,255,65535,Top of the fell,12,13,250,"
        "978,16,17,18,5,30,21,notes.txt,cairn.bmp,bell.wav");
}

}  // namespace

TEST_F(WaypointFiles, EveryFieldSurvivesSaveAndReadOnAnotherDatum) {
    Waypoint original = EveryFieldSet();
    // A second waypoint at 0, 0 holds a slot but is never written.
    store.Put(0, Waypoint{});
    store.Put(3, original);
    const WaypointSave saved = SaveWaypointFile(store, dir.File("out.wpt"), datums, osgb);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved.written, 1);

    // The file holds WGS 84: the position differs from the record's by the
    // datum shift (about 100 m in Britain).
    std::vector<std::string> lines = Lines(dir.Read("out.wpt"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "WGS 84");
    double wgsLat = original.lat, wgsLon = original.lon;
    ConvertDatum(datums, osgb, kDatumWgs84, wgsLat, wgsLon);
    EXPECT_EQ(lines[4], "-1,Summit Cairn," + Format("%12.7f,%12.7f", wgsLat, wgsLon) +
                            ","
                            "38123.25000,17,3,4,255,65535,Top of the fell,12,13,250,     978,"
                            "16,17,18,5,      30.0,21,notes.txt,cairn.bmp,bell.wav");

    WaypointStore back;
    ASSERT_TRUE(ReadWaypointFile(back, dir.File("out.wpt"), datums, osgb));
    EXPECT_EQ(back.waypointCount, 1);
    const Waypoint* w = back.At(0);
    ASSERT_NE(w, nullptr);
    EXPECT_NEAR(w->lat, original.lat, 2e-7);
    EXPECT_NEAR(w->lon, original.lon, 2e-7);
    // Every other field, compared through the line that writes them all.
    EXPECT_EQ(FormatWaypointLine(*w, 0, 0), FormatWaypointLine(original, 0, 0));
    // The store itself was not moved to WGS 84 by the save.
    EXPECT_EQ(store.At(3)->lat, original.lat);
}

TEST_F(WaypointFiles, ReadingKeepsSlotOrderLimitsAndConvertsFromTheFileDatum) {
    // Unknown datum: WGS 84. An empty line takes a slot at 0, 0 and stays
    // there even when converted; the last line lacks its line end.
    ASSERT_TRUE(Read("x\r\nNo Such Datum\r\nr\r\nr\r\n-1,A,51,-1\r\n\r\n-1,C,52,-2", osgb));
    EXPECT_EQ(store.waypointCount, 3);
    double lat = 51, lon = -1;
    ConvertDatum(datums, kDatumWgs84, osgb, lat, lon);
    EXPECT_EQ(store.At(0)->lat, lat);
    EXPECT_EQ(store.At(0)->lon, lon);
    EXPECT_TRUE(store.At(1)->AtNoPosition());
    EXPECT_EQ(store.At(2)->name, "C");
    EXPECT_EQ(store.At(3), nullptr);

    // More lines than slots: the first 1,000 are kept.
    std::string big = kHeader;
    for (int i = 0; i < 1200; ++i) big += Format("-1,P%d,%d.5,1.5\r\n", i, i % 80);
    ASSERT_TRUE(Read(big));
    EXPECT_EQ(store.waypointCount, kWaypointSlots);
    EXPECT_EQ(store.At(999)->name, "P999");

    // An over-long line is cut, never continued into a next waypoint.
    std::string longLine = "-1,Long,10,20,,,,,,,";
    longLine += std::string(3000, 'd') + ",,,,,,,,,,,,,x.wav\r\n";
    ASSERT_TRUE(Read(kHeader + longLine + "-1,Next,11,21\r\n"));
    EXPECT_EQ(store.waypointCount, 2);
    EXPECT_EQ(store.At(0)->description.size(), 1000u - 20u);
    EXPECT_TRUE(store.At(0)->proximitySound.empty());
    EXPECT_EQ(store.At(1)->name, "Next");
}

TEST_F(WaypointFiles, SavingReplacesSeparatorsAndAFailedSaveKeepsTheOldFile) {
    Waypoint w;
    w.name = "A,B";
    w.lat = 1;
    w.lon = 2;
    w.description = "one, two\r\nthree";
    store.Put(0, w);
    ASSERT_TRUE(SaveWaypointFile(store, dir.File("out.wpt"), datums, kDatumWgs84));
    WaypointStore back;
    ReadWaypointFile(back, dir.File("out.wpt"), datums, kDatumWgs84);
    ASSERT_NE(back.At(0), nullptr);
    EXPECT_EQ(back.At(0)->name, "A B");
    EXPECT_EQ(back.At(0)->description, "one  two  three");
    EXPECT_EQ(back.At(1), nullptr);

    // A disk that fills up during the save (a file size limit stands in
    // for it): the report, and the old file stays as it was.
    const std::string before = dir.Read("out.wpt");
    for (int i = 1; i < 50; ++i) store.Put(i, Waypoint{"More", 1.0 + i, 2});
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 512;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const WaypointSave saved = SaveWaypointFile(store, dir.File("out.wpt"), datums, kDatumWgs84);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    // The command's report, from the outcome: the file and the reason.
    EXPECT_EQ(WriteFailureText(kCannotCreateWaypointFileText, saved.write),
              "Cannot Create Waypoint File: " + dir.File("out.wpt") + ": File too large");
    EXPECT_EQ(dir.Read("out.wpt"), before);
}

// Names, dates and the log commands are the waypoint commands' tests; here
// the slot, the log's line and the refusal of a full store.
TEST_F(WaypointFiles, CreatedWaypointsTakeTheFirstFreeSlotAndAreLogged) {
    Waypoint old;
    old.lat = 1;
    for (int i = 0; i < kWaypointSlots; ++i) store.Put(i, old);
    const DateTime when{2024, 3, 9, 14, 5, 7};
    const std::string log = dir.File("ceWaypoints.wpt");
    // A full store refuses the waypoint (the command says so), and the log
    // does not get it.
    EXPECT_EQ(CreateWaypoint(store, std::nullopt, 5, 5, when, log, datums, kDatumWgs84), -1);
    EXPECT_FALSE(FileExists(log));

    store.FreeWaypoint(8);
    store.FreeWaypoint(7);
    EXPECT_EQ(CreateWaypoint(store, std::nullopt, 51.25, -1.5, when, log, datums, kDatumWgs84),
              7);
    EXPECT_EQ(CreateWaypoint(store, std::string("A very long name here"), 52, -2, when, log, datums,
                             kDatumWgs84),
              8);
    // The header once, then one line per waypoint with a blank before the
    // comma after the name; the name reads back without it.
    EXPECT_EQ(dir.Read("ceWaypoints.wpt"),
              kHeader +
                  "-1,WP7 ,  51.2500000,  -1.5000000,,,,,,,Mar 09 2024 14:05:07,,,,-777\r\n"
                  "-1,A very long nam ,  52.0000000,  -2.0000000,,,,,,,Mar 09 2024 14:05:07,,,,-777\r\n");
    WaypointStore back;
    ReadWaypointFile(back, log, datums, kDatumWgs84);
    EXPECT_EQ(back.At(0)->name, "WP7");
    EXPECT_EQ(back.At(1)->altitude, -777);
}

TEST(WaypointLogAppend, TheUsersLastWaypointIsKeptWhateverItsLineEnds) {
    const std::vector<std::string> both = {"Mill", "Edited"};
    const struct {
        const char* what;
        std::string log;
        std::vector<std::string> before;  // what the reader finds in it
        int slot;
        std::string keptPrefix;  // the log's bytes afterwards start so
        std::vector<std::string> after;
    } cases[] = {
        {"last line unended", kHeader + "-1,Mill,51.5,-1.25\r\n-1,Edited,52.5,-1.5", both, 2, "",
         {"Mill", "Edited", "New"}},
        {"CR LF, last line ends in CR", kHeader + "-1,Mill,51.5,-1.25\r\n-1,Edited,52.5,-1.5\r",
         both, 2, "", {"Mill", "Edited", "New"}},
        {"LF only, unended",
         "Mapwanderer CE Waypoint File Version 1.0\nWGS 84\nReserved 2\nReserved 3\n"
         "-1,Mill,51.5,-1.25\n-1,Edited,52.5,-1.5",
         both, 2, "", {"Mill", "Edited", "New"}},
        // Lines end at LF for the reader, so CR-only line ends read as no
        // waypoints at all; the bytes are still the user's and stay.
        {"CR only",
         "Mapwanderer CE Waypoint File Version 1.0\rWGS 84\rReserved 2\rReserved 3\r"
         "-1,Mill,51.5,-1.25\r-1,Edited,52.5,-1.5\r",
         {}, 0, "\n-1,New ,", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        mwtest::TempDir dir;
        const std::string log = dir.File(kWaypointLogFileName);
        dir.Write(kWaypointLogFileName, c.log);
        ASSERT_EQ(Names(log), c.before);

        // "Create Wp at Position": the store holds what the log held, and one more.
        WaypointStore store;
        DatumTable datums;
        ReadWaypointFile(store, log, datums, kDatumWgs84);
        WriteOutcome logged;
        ASSERT_EQ(CreateWaypoint(store, std::string("New"), 53, -2, DateTime{2024, 3, 9, 14, 5, 7},
                                 log, datums, kDatumWgs84, &logged),
                  c.slot);
        EXPECT_TRUE(logged.Ok());
        EXPECT_TRUE(dir.Read(kWaypointLogFileName).starts_with(c.log + c.keptPrefix));
        EXPECT_EQ(Names(log), c.after);
    }
}

TEST(WaypointLogAppend, ALogThatCannotBeWrittenIsSaidAndLeavesNoFile) {
    mwtest::TempDir dir;
    dir.Write("plain", "x");
    const std::string log = dir.File("plain") + "/" + kWaypointLogFileName;
    WaypointStore store;
    WriteOutcome logged;
    EXPECT_EQ(CreateWaypoint(store, std::nullopt, 51, -1, DateTime{}, log, DatumTable(),
                             kDatumWgs84, &logged),
              0);
    EXPECT_NE(store.At(0), nullptr);  // the waypoint is on the map all the same
    EXPECT_EQ(WriteFailureText(kCannotCreateWaypointFileText, logged),
              "Cannot Create Waypoint File: " + log + ": Not a directory");
    EXPECT_FALSE(std::filesystem::exists(log));
}
