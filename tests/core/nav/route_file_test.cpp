// Route files into the route store: the colour turn, the limits, points
// without a route, names and numbers that do not fit, other datums, and the
// store following a map's datum.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "geo/datums.h"
#include "nav/route_file.h"
#include "nav/route_store.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

constexpr const char* kHeader = "Route File\r\nWGS 84\r\nReserved 1\r\nReserved 2\r\n";

class RouteFile : public ::testing::Test {
protected:
    // Loads `body` after the four header lines; `header` replaces them.
    bool Load(const std::string& body, const std::string& header = kHeader) {
        dir.Write("r.rte", header + body);
        return LoadRouteFile(store, dir.File("r.rte"), datums, mapDatum).Ok();
    }
    std::vector<std::int32_t> Colours() const {
        std::vector<std::int32_t> out;
        for (const Route& r : store.Routes()) out.push_back(r.colour);
        return out;
    }

    mwtest::TempDir dir;
    DatumTable datums;
    int mapDatum = kDatumWgs84;
    RouteStore store;
};

std::string Lines(const std::string& line, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += line + "\r\n";
    return out;
}

}  // namespace

TEST_F(RouteFile, TheDefaultColourTurnWrapsAfterSevenAndRestartsWithEveryFile) {
    const std::vector<std::int32_t> turn = {0x0000FF, 0xFF0000, 0x00FF00, 0x008000,
                                            0xFF00FF, 0x000000, 0x800080, 0x0000FF};
    ASSERT_TRUE(Load(Lines("R,0,r,d,", 8)));
    EXPECT_EQ(Colours(), turn);
    // Routes with a colour do not advance the turn; a blank field is empty.
    ASSERT_TRUE(Load("R,0,a,d,\r\nR,0,b,d,12345\r\nR,0,c,d,   \r\n"));
    EXPECT_EQ(Colours(), (std::vector<std::int32_t>{0x0000FF, 12345, 0xFF0000}));
}

TEST_F(RouteFile, LinesAreReadByTheirFirstField) {
    struct Case {
        const char* what;
        std::string body;
        std::vector<std::size_t> pointsPerRoute;
    };
    const std::vector<Case> cases = {
        {"a route line without points", "R,0,a,d,1\r\nR,0,b,d,2\r\nW,0,0,0,p,1,1\r\n", {0, 1}},
        {"points before the first route", "W,0,0,0,p,1,1\r\nW,0,0,0,q,2,2\r\nR,0,a,d,1\r\n", {0}},
        {"the kind is exactly R or W, spaces aside",
         " R ,0,a,d,1\r\nw,0,0,0,p,1,1\r\nWay,0,0,0,p,1,1\r\n W,0,0,0,p,1,1\r\nRoute,0,b\r\n", {1}},
        {"a last line without a line end", "R,0,a,d,1\r\nW,0,0,0,p,1,1\r\nW,0,0,0,q,2,2", {2}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Load(c.body)) << c.what;
        std::vector<std::size_t> counts;
        for (const Route& r : store.Routes()) counts.push_back(r.points.size());
        EXPECT_EQ(counts, c.pointsPerRoute) << c.what;
    }
}

TEST_F(RouteFile, FieldsThatDoNotFitGetTheirDefaultsOrAreCut) {
    ASSERT_TRUE(Load("R,0,A route name of 26 chars,A description that is well over forty-one characters long,x\r\n"
                     "W,0,0,0,,12.5,7\r\n"
                     "W,0,0,0,   ,abc,\r\n"
                     "W,0,0,0,A point name too long,nan,-inf\r\n"
                     "W,0,0,0,Abcdefghijklmnøp,1e999,2\r\n"
                     "R\r\n"));
    ASSERT_EQ(store.Routes().size(), 2u);
    const Route& r = store.Routes()[0];
    EXPECT_EQ(r.name, "A route name of 2");
    EXPECT_EQ(r.description, "A description that is well over forty-one");
    EXPECT_EQ(r.colour, 0);  // "x" reads 0
    ASSERT_EQ(r.points.size(), 4u);
    struct Expect {
        const char* name;
        double lat, lon;
    };
    const Expect expect[] = {
        {"X", 12.5, 7},                    // an empty name
        {"", 0, 0},                        // a name of spaces is empty text
        {"A point name to", 0, 0},         // NaN and infinity read 0
        {"Abcdefghijklmn", 0, 2},          // cut before a whole UTF-8 character
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(r.points[i].name, expect[i].name) << i;
        EXPECT_EQ(r.points[i].lat, expect[i].lat) << i;
        EXPECT_EQ(r.points[i].lon, expect[i].lon) << i;
    }
    // A bare "R" is a route with every field at its default.
    EXPECT_EQ(store.Routes()[1].name, "");
    EXPECT_EQ(store.Routes()[1].colour, 0x0000FF);  // "x" took no turn
}

TEST_F(RouteFile, The101stRouteAndPointAreReadAndDropped) {
    std::string body;
    for (int r = 1; r <= 103; ++r) {
        body += "R,0,route " + std::to_string(r) + ",d,1\r\n";
        for (int p = 1; p <= (r == 100 ? 101 : 2); ++p)
            body += "W,0,0,0,p" + std::to_string(p) + "," + std::to_string(r) + ",1\r\n";
    }
    ASSERT_TRUE(Load(body));
    ASSERT_EQ(store.Routes().size(), 100u);
    const Route& last = store.Routes().back();
    EXPECT_EQ(last.name, "route 100");
    ASSERT_EQ(last.points.size(), 100u);
    EXPECT_EQ(last.points.back().name, "p100");
    // Points of the dropped routes went nowhere.
    for (const Route& r : store.Routes())
        for (const RoutePoint& p : r.points) EXPECT_LE(p.lat, 100);
}

TEST_F(RouteFile, PositionsMoveFromTheFilesDatumToTheMaps) {
    // Ordnance Survey 1936 52°N 1°W is 52.000399503°N 1.001520699°W on WGS 84.
    ASSERT_TRUE(Load("R,0,a,d,1\r\nW,0,0,0,p,52,-1\r\nW,0,0,0,unset,0,0\r\n",
                     "h\r\nOrd Srvy Grt Britn\r\nh\r\nh\r\n"));
    const auto& pts = store.Routes()[0].points;
    EXPECT_NEAR(pts[0].lat, 52.000399503, 1e-9);
    EXPECT_NEAR(pts[0].lon, -1.001520699, 1e-9);
    // A point without a position stays without one.
    EXPECT_EQ(pts[1].lat, 0.0);
    EXPECT_EQ(pts[1].lon, 0.0);

    // An unknown datum name is WGS 84: nothing moves.
    ASSERT_TRUE(Load("R,0,a,d,1\r\nW,0,0,0,p,52,-1\r\n", "h\r\nNo Such Datum\r\nh\r\nh\r\n"));
    EXPECT_EQ(store.Routes()[0].points[0].lat, 52.0);

    // The loaded routes follow a map on another datum.
    ConvertStoredPositions(datums, kDatumWgs84, FindDatumByName(datums, "Ord Srvy Grt Britn"),
                           {&store});
    EXPECT_NEAR(store.Routes()[0].points[0].lat, 51.999600, 1e-5);
}

TEST_F(RouteFile, AFileThatCannotBeOpenedLeavesTheRoutesAsTheyWere) {
    ASSERT_TRUE(Load("R,0,kept,d,1\r\nW,0,0,0,p,1,1\r\n"));
    // The reader says why; the command that asked tells the user.
    const std::pair<std::string, int> cases[] = {{dir.File("missing.rte"), ENOENT},
                                                 {dir.Path(), EISDIR}};
    for (const auto& [path, error] : cases) {
        EXPECT_EQ(LoadRouteFile(store, path, datums, mapDatum).error, error) << path;
        ASSERT_EQ(store.Routes().size(), 1u);
        EXPECT_EQ(store.Routes()[0].name, "kept");
    }
}
