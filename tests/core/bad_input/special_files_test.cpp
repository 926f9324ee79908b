// Files that are no file of their kind at all: empty, zeros, a FIFO, a
// device. None may wipe what the user has loaded and none may be read
// forever. What a load leaves out of a file it takes (the byte budget, the
// stores' limits) is told once, by the command that loaded it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "app/app.h"
#include "app/commands.h"
#include "names/names_types.h"
#include "nav/route_file.h"
#include "support/line_budget.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "track/track_file.h"
#include "waypoint/waypoint_file.h"

using namespace mw;

namespace {

const std::string kTrackHeader =
    "Mapwanderer CE Track Point File Version 2.0\r\nWGS 84\r\nAltitude is in Feet\r\n"
    "Reserved 3\r\n0,2,255,MawCE Track Log file     ,1\r\n0\r\n";
const std::string kFourLineHeader = "h\r\nWGS 84\r\nReserved 2\r\nReserved 3\r\n";

struct Stores {
    TrackStore track;
    WaypointStore waypoints;
    RouteStore routes;
    Stores() {
        AddTrackPoint(track, 50.5, 10.5, 1);
        waypoints.Put(0, Waypoint{"KEEP", 50.5, 10.5});
        waypoints.waypointCount = 1;
        routes.Assign({Route{"KEEP", "", 0, {{"P", 50.5, 10.5}}}});
    }
    int Count(char kind) const {
        return kind == 't'   ? track.PointCount()
               : kind == 'w' ? waypoints.waypointCount
                             : static_cast<int>(routes.Routes().size());
    }
};

ReadOutcome Load(char kind, Stores& s, const std::string& path) {
    const DatumTable datums;
    if (kind == 't') return LoadTrackFile(s.track, path, datums, kDatumWgs84);
    if (kind == 'w') return ReadWaypointFile(s.waypoints, path, datums, kDatumWgs84);
    return LoadRouteFile(s.routes, path, datums, kDatumWgs84);
}

const char* Refusal(char kind) {
    return kind == 't' ? kNotTrackFileText : kind == 'w' ? kNotWaypointFileText : kNotRouteFileText;
}

}  // namespace

TEST(SpecialFiles, EmptyZerosFifosAndDevicesKeepTheStores) {
    mwtest::TempDir dir;
    std::string nulLines;
    for (int i = 0; i < 20; ++i) nulLines += std::string(40, '\0') + "\r\n";
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string heldFifo = dir.File("held");
    ASSERT_EQ(mkfifo(heldFifo.c_str(), 0600), 0);
    // A FIFO whose writer stays: a reader that opened it would wait forever.
    const int writer = open(heldFifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    struct Row {
        const char* what;
        std::string bytes;  // written to a regular file unless `path` is set
        std::string path;
    };
    // A header of NUL bytes is no header: the file does not empty a store
    // (six header lines cover the track's, four the others').
    const Row rows[] = {
        {"a header of NUL bytes", std::string(6, '\0') + "\r\n\r\n\r\n\r\n\r\n\r\n", ""},
        {"zero bytes", "", ""},
        {"100 NULs", std::string(100, '\0'), ""},
        {"lines of NULs", nulLines, ""},
        {"1 MB of zeros", std::string(1 << 20, '\0'), ""},
        {"a FIFO", "", fifo},
        {"a FIFO with a writer", "", heldFifo},
        {"/dev/zero", "", "/dev/zero"},
    };
    for (const char kind : {'t', 'w', 'r'}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(1, kind) + ", " + row.what);
            std::string path = row.path;
            if (path.empty()) {
                path = dir.File(std::string("f") + kind);
                dir.Write(std::string("f") + kind, row.bytes);
            }
            Stores s;
            const ReadOutcome read = Load(kind, s, path);
            EXPECT_FALSE(read.Ok());
            EXPECT_EQ(s.Count(kind), 1);
            const bool special = !row.path.empty();
            ASSERT_NE(read.content, nullptr);
            EXPECT_STREQ(read.content, special ? kNotRegularFileText : Refusal(kind));
            if (special)
                EXPECT_EQ(ReadFailureText("Cannot load", path, read),
                          "Cannot load: " + path + ": not a regular file");
        }
    }
    close(writer);
}

TEST(SpecialFiles, TheCodeListIsNoDeviceAndIsReadWithinItsBudget) {
    mwtest::TempDir dir;
    const DatumTable datums;
    ASSERT_EQ(symlink("/dev/zero", dir.File("z.types").c_str()), 0);
    NamesTypes types = LoadNamesTypes(dir.File("z.types"), datums);
    EXPECT_EQ(types.codes.size(), 1u);
    EXPECT_STREQ(types.read.content, kNotRegularFileText);

    // Lines of control bytes are skipped, never counted as codes: only the
    // budget ends such a file, and it says so.
    std::string binary;
    while (binary.size() <= kMaxNamesTypesBytes) binary += std::string(99, '\1') + "\n";
    dir.Write("b.types", binary);
    types = LoadNamesTypes(dir.File("b.types"), datums);
    EXPECT_EQ(types.codes.size(), 1u);
    ASSERT_EQ(types.read.notes.size(), 1u);
    EXPECT_NE(types.read.notes[0].find("only its first"), std::string::npos);
}

TEST(SpecialFiles, EveryCutIsToldOnceByTheLoadCommand) {
    mwtest::TempDir data;
    mwtest::FakeUi ui;
    App app;
    app.ports.ui = &ui;
    app.settings.dataPath = data.Path();
    app.map.mapLoaded = true;

    std::string track = kTrackHeader;
    for (int i = 0; i < 1005; ++i) track += Format("50.%04d,10.5,0,-777\r\n", i);
    std::string waypoints = kFourLineHeader;
    for (int i = 0; i < 1200; ++i) waypoints += Format("-1,P%d,50.5,10.5\r\n", i);
    std::string routes = kFourLineHeader;
    for (int r = 0; r < 150; ++r) {
        routes += "R,0,r,,\r\n";
        for (int p = 0; p < (r == 0 ? 130 : 1); ++p) routes += "W,0,0,0,p,50.5,10.5\r\n";
    }
    data.Write("t.plt", track);
    data.Write("w.wpt", waypoints);
    data.Write("r.rte", routes);
    const struct {
        int command;
        std::string file, message;
    } cases[] = {
        {kCmdLoadTrackFile, "t.plt", "6 track points left out (the last 999 are kept)"},
        {kCmdLoadWpFile, "w.wpt", "200 waypoints left out (at most 1000 are kept)"},
        // The first route's 30 extra points, then one point of each of the
        // 50 routes left out.
        {kCmdLoadRouteFile, "r.rte",
         "50 routes left out (at most 100 are kept)\n"
         "80 route points left out (at most 100 a route are kept)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ui.messages.clear();
        ui.files = {data.File(c.file)};
        ASSERT_TRUE(ExecuteCommand(app, c.command));
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
    }
    EXPECT_EQ(app.track.PointCount(), kTrackMaxPoints);
    EXPECT_EQ(app.waypoints.waypointCount, kWaypointSlots);
    EXPECT_EQ(app.routes.Routes().size(), 100u);

    // A file within every limit loads without a word.
    data.Write("small.wpt", kFourLineHeader + "-1,A,50.5,10.5\r\n");
    ui.messages.clear();
    ui.files = {data.File("small.wpt")};
    ASSERT_TRUE(ExecuteCommand(app, kCmdLoadWpFile));
    EXPECT_TRUE(ui.messages.empty());

    // Past its byte budget a reader stops, keeps what it read and says so.
    Stores s;
    const ReadOutcome read =
        LoadRouteFile(s.routes, data.File("r.rte"), DatumTable(), kDatumWgs84, 200);
    ASSERT_TRUE(read.Ok());
    ASSERT_FALSE(read.notes.empty());
    EXPECT_EQ(read.notes[0], FileCutText("The route file " + data.File("r.rte"), 200));
}
