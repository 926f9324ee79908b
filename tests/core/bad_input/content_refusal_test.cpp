// A file that opens but is something else (a picture, a text, random bytes
// under a track's name) must not replace what the user has: the track, the
// waypoints or the routes stay, and the reason names what is wrong. A file
// of the header alone is still an empty list, as the program writes one.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>

#include "geo/datums.h"
#include "nav/route_file.h"
#include "testlib/temp_dir.h"
#include "track/track_file.h"
#include "waypoint/waypoint_file.h"

using namespace mw;

namespace {

std::string RandomBytes() {
    std::mt19937 rng(7);
    std::string s(4096, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

struct Stores {
    TrackStore track;
    WaypointStore waypoints;
    RouteStore routes;
    Stores() {
        AddTrackPoint(track, 50.5, 10.5, 1);
        Waypoint w;
        w.name = "KEEP";
        w.lat = 50.5;
        w.lon = 10.5;
        waypoints.Put(0, w);
        waypoints.waypointCount = 1;
        routes.Assign({Route{"KEEP", "", 0, {{"P", 50.5, 10.5}}}});
    }
    // What each reader would replace: kept, or how many records now.
    int Count(char kind) const {
        return kind == 't' ? track.PointCount() : kind == 'w' ? waypoints.waypointCount
                                                              : static_cast<int>(routes.Routes().size());
    }
};

ReadOutcome Load(char kind, Stores& s, const std::string& path) {
    const DatumTable datums;
    if (kind == 't') return LoadTrackFile(s.track, path, datums, kDatumWgs84);
    if (kind == 'w') return ReadWaypointFile(s.waypoints, path, datums, kDatumWgs84);
    return LoadRouteFile(s.routes, path, datums, kDatumWgs84);
}

TEST(ContentRefusal, SomethingElseKeepsTheStoreAndSaysWhy) {
    const std::string header = "Header\r\nWGS 84\r\nReserved\r\nReserved\r\nx\r\ny\r\n";
    struct Row {
        char kind;
        std::string text;
        const char* reason;  // nullptr: read
        int count;           // records after the load (1: the kept one)
    };
    const Row rows[] = {
        {'t', RandomBytes(), "not a track file", 1},
        {'t', header + "hello,world,0\r\nlat,lon\r\n", "not a track file", 1},
        {'t', header + "91,10,0\r\n", "not a track file", 1},   // off the globe only
        {'t', header, nullptr, 0},                               // header alone: empty track
        {'t', header + "junk\r\n50.1,10.2,1\r\n", nullptr, 1},   // one real point replaces
        {'w', RandomBytes(), "not a waypoint file", 1},
        {'w', "a\r\nWGS 84\r\nb\r\nc\r\n1,A,north,east\r\n", "not a waypoint file", 1},
        {'w', "a\r\nWGS 84\r\nb\r\nc\r\n", nullptr, 0},
        {'w', "a\r\nWGS 84\r\nb\r\nc\r\n1,A,50.1,10.2\r\n2,B,x,y\r\n", nullptr, 2},
        {'r', RandomBytes(), "not a route file", 1},
        {'r', "a\r\nWGS 84\r\nb\r\nc\r\nW,0,,,P,50,10\r\n", "not a route file", 1},
        {'r', "a\r\nWGS 84\r\nb\r\nc\r\n\r\n", nullptr, 0},
        {'r', "a\r\nWGS 84\r\nb\r\nc\r\nR,0,New,,\r\nR,1,Two,,\r\n", nullptr, 2},
    };
    mwtest::TempDir dir;
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.kind << " row " << n);
        const std::string path = dir.File("f" + std::to_string(n++));
        std::ofstream(path, std::ios::binary) << row.text;
        Stores s;
        const ReadOutcome read = Load(row.kind, s, path);
        EXPECT_EQ(read.Ok(), row.reason == nullptr);
        if (row.reason) {
            EXPECT_EQ(ReadFailureText("Could not load", path, read),
                      "Could not load: " + path + " (" + row.reason + ")");
            EXPECT_FALSE(read.Missing());
        }
        EXPECT_EQ(s.Count(row.kind), row.count);
    }
}

}  // namespace
