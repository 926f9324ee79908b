// What the waypoint log already holds survives a created waypoint, whatever
// its line ends: the reader and the appending writer agree on every line.
// A log that cannot be written says why, and leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/waypoint_commands.h"
#include "support/text.h"
#include "testlib/temp_dir.h"
#include "waypoint/waypoint_file.h"

using namespace mw;

namespace {

const std::string kHeader =
    "Mapwanderer CE Waypoint File Version 1.0\r\nWGS 84\r\nReserved 2\r\nReserved 3\r\n";

std::vector<std::string> Names(const std::string& path) {
    WaypointStore store;
    DatumTable datums;
    ReadWaypointFile(store, path, datums, kDatumWgs84);
    std::vector<std::string> names;
    store.ForEach([&](int, const Waypoint& w) { names.push_back(w.name); });
    return names;
}

}  // namespace

TEST(WaypointLogAppend, TheUsersLastWaypointIsKeptWhateverItsLineEnds) {
    const struct {
        const char* name;
        std::string log;
    } cases[] = {
        {"last line unended", kHeader + "-1,Mill,51.5,-1.25\r\n-1,Edited,52.5,-1.5"},
        {"CR LF, last line ends in CR", kHeader + "-1,Mill,51.5,-1.25\r\n-1,Edited,52.5,-1.5\r"},
        {"LF only, unended", "Mapwanderer CE Waypoint File Version 1.0\nWGS 84\nReserved 2\n"
                             "Reserved 3\n-1,Mill,51.5,-1.25\n-1,Edited,52.5,-1.5"},
    };
    for (const auto& c : cases) {
        mwtest::TempDir dir;
        const std::string log = dir.File(kWaypointLogFileName);
        dir.Write(kWaypointLogFileName, c.log);
        ASSERT_EQ(Names(log), (std::vector<std::string>{"Mill", "Edited"})) << c.name;

        // "Create Wp at Position": the store holds what the log held, and one more.
        WaypointStore store;
        DatumTable datums;
        ReadWaypointFile(store, log, datums, kDatumWgs84);
        WriteOutcome logged;
        const int slot = CreateWaypoint(store, std::string("New"), 53, -2, DateTime{2024, 3, 9, 14, 5, 7},
                                        log, datums, kDatumWgs84, &logged);
        ASSERT_EQ(slot, 2) << c.name;
        EXPECT_TRUE(logged.Ok()) << c.name;
        EXPECT_TRUE(dir.Read(kWaypointLogFileName).starts_with(c.log)) << c.name;
        EXPECT_EQ(Names(log), (std::vector<std::string>{"Mill", "Edited", "New"})) << c.name;
    }
}

TEST(WaypointLogAppend, ALogThatCannotBeWrittenIsSaidAndLeavesNoFile) {
    mwtest::TempDir dir;
    dir.Write("plain", "x");
    const std::string log = dir.File("plain") + "/" + kWaypointLogFileName;
    WaypointStore store;
    DatumTable datums;
    WriteOutcome logged;
    EXPECT_EQ(CreateWaypoint(store, std::nullopt, 51, -1, DateTime{}, log, datums, kDatumWgs84,
                             &logged),
              0);
    EXPECT_NE(store.At(0), nullptr);  // the waypoint is on the map all the same
    EXPECT_EQ(WriteFailureText(kCannotCreateWaypointFileText, logged),
              "Cannot Create Waypoint File: " + log + ": Not a directory");
    EXPECT_FALSE(std::filesystem::exists(log));
}

// Lines end at LF for the reader, so a log with CR-only line ends reads as
// no waypoints at all; its bytes are still the user's and stay.
TEST(WaypointLogAppend, ALogWithCrOnlyLineEndsIsNotCutAway) {
    mwtest::TempDir dir;
    const std::string log = dir.File(kWaypointLogFileName);
    const std::string before =
        "Mapwanderer CE Waypoint File Version 1.0\rWGS 84\rReserved 2\rReserved 3\r"
        "-1,Mill,51.5,-1.25\r-1,Edited,52.5,-1.5\r";
    dir.Write(kWaypointLogFileName, before);
    WaypointStore store;
    DatumTable datums;
    WriteOutcome logged;
    ASSERT_EQ(CreateWaypoint(store, std::string("New"), 53, -2, DateTime{}, log, datums, kDatumWgs84, &logged),
              0);
    EXPECT_TRUE(logged.Ok());
    const std::string after = dir.Read(kWaypointLogFileName);
    EXPECT_TRUE(after.starts_with(before + "\n-1,New ,")) << after;
}
