#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "geo/datum_convert.h"
#include "gpx/gpx_reader.h"
#include "gpx/gpx_transfer.h"
#include "gpx/gpx_writer.h"
#include "gpx_check.h"
#include "nav/route_file.h"
#include "support/text.h"
#include "testlib/temp_dir.h"
#include "track/track_file.h"
#include "waypoint/waypoint_file.h"

namespace {

using mw::Format;

const char* kOsgb = "Ord Srvy Grt Britn";

// Everything a document delivered, in order.
struct Collect : mw::GpxSink {
    std::vector<mw::Waypoint> waypoints;
    std::vector<mw::Route> routes;
    std::vector<mw::GpxTrackPoint> points;
    void OnWaypoint(mw::Waypoint&& w) override { waypoints.push_back(std::move(w)); }
    void OnRoute(mw::Route&& r) override { routes.push_back(std::move(r)); }
    void OnTrackPoint(const mw::GpxTrackPoint& p) override { points.push_back(p); }
};

std::string Gpx11(const std::string& body) {
    return "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"t\" "
           "xmlns=\"http://www.topografix.com/GPX/1/1\">" +
           body + "</gpx>\n";
}

TEST(GpxFiles, StoresRoundTripOnAMapInAnotherDatum) {
    mwtest::TempDir dir;
    const mw::DatumTable datums;
    const int osgb = mw::FindDatumByName(datums, kOsgb);
    mw::WaypointStore waypoints;
    mw::Waypoint w = mw::ParseWaypointLine(
        "-1,Tarn,54.5,-3.1,38000.5,7,3,4,255,0,By the water,1,2,80,1500,9,8,7,3,12,4,a.txt,"
        "p.bmp,s.wav");
    waypoints.Put(3, w);  // a slot later than the first: slots are not kept, order is
    w.name = "A&B <\"x\">'";  // texts the writer must escape, and Latin-1 to be UTF-8
    w.description = "caf\xE9\x01";
    w.proximitySound = "snd]]>.wav";
    w.lat = 55.25;
    waypoints.Put(7, w);
    mw::RouteStore routes;
    routes.Assign({{"Walk", "Round the lake", 0x00FF00, {{"A", 54.1, -3.1}, {"B", 54.2, -3.2}}},
                   {"Empty", "", 0x0000FF, {}}});
    mw::TrackStore track;
    mw::ClearTrack(track);
    const std::vector<std::pair<double, int>> pieces = {{54.0, 1}, {54.01, 0}, {54.02, 1}, {54.03, 0}};
    for (auto [lat, flag] : pieces) mw::AddTrackPoint(track, lat, -3.0, flag);

    ASSERT_TRUE(mw::ExportGpxFile(dir.File("all.gpx"), waypoints, routes, track, datums, osgb));
    EXPECT_EQ(mwtest::CheckGpx11(dir.File("all.gpx")), std::vector<std::string>{});

    mw::WaypointStore w2;
    mw::RouteStore r2;
    mw::TrackStore t2;
    const mw::GpxImportReport report = mw::ImportGpxFile(dir.File("all.gpx"), w2, r2, t2, datums, osgb);
    ASSERT_TRUE(report.read.ok) << report.read.error;
    EXPECT_EQ(mw::GpxImportMessage(report), "");
    EXPECT_EQ(w2.waypointCount, 2);
    ASSERT_NE(w2.At(0), nullptr);
    ASSERT_NE(w2.At(1), nullptr);
    // Every field but the position, as the waypoint file holds it.
    EXPECT_EQ(mw::FormatWaypointLine(*w2.At(0), 0, 0), mw::FormatWaypointLine(*waypoints.At(3), 0, 0));
    EXPECT_EQ(w2.At(1)->name, "A&B <\"x\">'");
    EXPECT_EQ(w2.At(1)->description, "caf\xC3\xA9");
    EXPECT_EQ(w2.At(1)->proximitySound, "snd]]>.wav");
    EXPECT_NEAR(w2.At(1)->lat, 55.25, 2e-7);
    EXPECT_NEAR(w2.At(1)->lon, -3.1, 2e-7);
    ASSERT_EQ(r2.Routes().size(), 2u);
    const mw::Route& walk = r2.Routes()[0];
    EXPECT_EQ(walk.name + "|" + walk.description, "Walk|Round the lake");
    EXPECT_EQ(walk.colour, 0x00FF00);
    ASSERT_EQ(walk.points.size(), 2u);
    EXPECT_NEAR(walk.points[1].lat, 54.2, 2e-7);
    EXPECT_NEAR(walk.points[1].lon, -3.2, 2e-7);
    std::vector<std::pair<double, int>> got;
    t2.ForEachPoint([&](int, const mw::TrackSlot& s) {
        got.push_back({std::round(s.lat * 1e6) / 1e6, s.flag});
        EXPECT_NEAR(s.lon, -3.0, 2e-7);
    });
    EXPECT_EQ(got, pieces);
}

TEST(GpxReader, DocumentsAndBadInput) {
    // GPX 1.0: the same elements in another namespace.
    const std::string gpx10 =
        "<?xml version=\"1.0\"?><gpx version=\"1.0\" creator=\"x\" "
        "xmlns=\"http://www.topografix.com/GPX/1/0\">"
        "<wpt lat=\"1.5\" lon=\"2.5\"><ele>100</ele><name>W</name></wpt>"
        "<trk><trkseg><trkpt lat=\"5\" lon=\"6\"><time>2001-02-03T04:05:06Z</time>"
        "<course>3</course></trkpt></trkseg></trk></gpx>";
    struct Case {
        const char* what;
        std::string doc;
        bool ok;
        std::int64_t skipped;
        std::size_t waypoints, points;
        const char* errorPart;
    };
    const Case cases[] = {
        {"GPX 1.0", gpx10, true, 0, 1, 1, ""},
        {"not XML", "lat,lon\n1,2\n", false, 0, 0, 0, "syntax"},
        {"truncated", Gpx11("<trk><trkseg><trkpt lat=\"1\" lon=\"2\"></trkpt>").substr(0, 150),
         false, 0, 0, 1, ""},
        {"not GPX", "<kml><Placemark/></kml>", false, 0, 0, 0, "not a GPX file"},
        {"unknown namespaces and extensions ignored",
         Gpx11("<o:thing xmlns:o=\"urn:o\"><wpt lat=\"9\" lon=\"9\"/></o:thing>"
               "<wpt lat=\"1\" lon=\"2\"><extensions><o:x xmlns:o=\"urn:o\"><name>no</name>"
               "</o:x></extensions><name>yes</name></wpt>"
               "<trk><trkseg><o:trkpt xmlns:o=\"urn:o\" lat=\"1\" lon=\"1\"/>"
               "<trkpt lat=\"1\" lon=\"1\"><extensions><o:hr xmlns:o=\"urn:o\">80</o:hr>"
               "</extensions></trkpt></trkseg></trk>"),
         true, 0, 1, 1, ""},
        {"lat missing", Gpx11("<wpt lon=\"2\"/><wpt lat=\"1\" lon=\"2\"/>"), true, 1, 1, 0, ""},
        {"out of range",
         Gpx11("<trk><trkseg><trkpt lat=\"90.0000001\" lon=\"0\"/><trkpt lat=\"0\" lon=\"-181\"/>"
               "<trkpt lat=\"-90\" lon=\"180\"/></trkseg></trk>"),
         true, 2, 0, 1, ""},
        {"not numbers",
         Gpx11("<wpt lat=\"abc\" lon=\"1\"/><wpt lat=\"1\" lon=\"nan\"/><wpt lat=\"1e1\" lon=\"1\"/>"
               "<wpt lat=\"\" lon=\"1\"/><wpt lat=\" +1.5 \" lon=\"-.5\"/>"),
         true, 4, 1, 0, ""},
        {"a default namespace ends with its element",
         Gpx11("<trk xmlns=\"urn:o\"><trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg></trk>"
               "<trk><trkseg><trkpt lat=\"2\" lon=\"2\"/></trkseg></trk>"),
         true, 0, 0, 1, ""},
    };
    // From memory and from a file (read in pieces): the same outcome.
    mwtest::TempDir dir;
    for (const Case& c : cases) {
        dir.Write("c.gpx", c.doc);
        for (bool fromFile : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (fromFile ? " (file)" : ""));
            Collect seen;
            const mw::GpxReadResult r = fromFile ? mw::ReadGpxFile(dir.File("c.gpx"), seen)
                                                 : mw::ReadGpxText(c.doc, seen);
            EXPECT_EQ(r.ok, c.ok) << r.error;
            EXPECT_EQ(r.skippedPoints, c.skipped);
            EXPECT_EQ(seen.waypoints.size(), c.waypoints);
            EXPECT_EQ(seen.points.size(), c.points);
            if (!c.ok) EXPECT_NE(r.error.find(c.errorPart), std::string::npos) << r.error;
            if (c.ok && c.waypoints == 1 && std::string(c.what).rfind("unknown", 0) == 0)
                EXPECT_EQ(seen.waypoints[0].name, "yes");
        }
    }
}

// Coordinates are read to the same double as from_chars gives, on both
// sides of the digit count the reader handles without it.
TEST(GpxReader, CoordinatesRoundAsFromChars) {
    const char* const texts[] = {"54.0123457",         "-3.14159265358979",  "0.1",
                                 "-179.999999999999",  "-179.9999999999999", "1.23456789012345",
                                 "1.",                 "-.5",                "179.9999999999999999",
                                 "0.000000000000001", "00000000000000000000.3"};
    std::string body = "<trk><trkseg>";
    for (const char* t : texts) body += Format("<trkpt lat=\"0\" lon=\"%s\"/>", t);
    Collect seen;
    ASSERT_TRUE(mw::ReadGpxText(Gpx11(body + "</trkseg></trk>"), seen).ok);
    ASSERT_EQ(seen.points.size(), std::size(texts));
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        const std::string_view t = texts[i];
        double expected = 0;
        std::from_chars(t.data(), t.data() + t.size(), expected);
        EXPECT_EQ(seen.points[i].lon, expected) << t;
    }
}

TEST(GpxReader, NamesWithSeparatorsBecomeBlanks) {
    Collect seen;
    const mw::GpxReadResult r = mw::ReadGpxText(
        Gpx11("<wpt lat=\"1\" lon=\"1\"><name>a,b</name><desc>line1\nline2</desc></wpt>"
              "<rte><rtept lat=\"1\" lon=\"1\"><name>p&#13;&#10;q</name></rtept></rte>"),
        seen);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.textsBlanked);
    EXPECT_EQ(seen.waypoints[0].name, "a b");
    EXPECT_EQ(seen.waypoints[0].description, "line1 line2");
    EXPECT_EQ(seen.routes[0].points[0].name, "p  q");
}

TEST(GpxImport, StoreLimits) {
    mwtest::TempDir dir;
    std::string body;
    for (int i = 0; i < 1003; ++i) body += Format("<wpt lat=\"1\" lon=\"%d.001\"/>", i % 170);
    for (int r = 0; r < 101; ++r) {
        body += "<rte>";
        for (int p = 0; p < (r == 0 ? 102 : 1); ++p) body += "<rtept lat=\"2\" lon=\"2\"/>";
        body += "</rte>";
    }
    body += "<trk><trkseg>";
    for (int i = 0; i < 1500; ++i) body += Format("<trkpt lat=\"3\" lon=\"%d.5\"/>", i % 170);
    body += "</trkseg></trk>";
    dir.Write("big.gpx", Gpx11(body));
    const mw::DatumTable datums;
    mw::WaypointStore w;
    mw::RouteStore r;
    mw::TrackStore t;
    const mw::GpxImportReport rep =
        mw::ImportGpxFile(dir.File("big.gpx"), w, r, t, datums, mw::kDatumWgs84);
    ASSERT_TRUE(rep.read.ok);
    EXPECT_EQ(w.waypointCount, 1000);
    EXPECT_EQ(r.Routes().size(), 100u);
    EXPECT_EQ(r.Routes()[0].points.size(), 100u);
    EXPECT_EQ(t.PointCount(), mw::kTrackMaxPoints);
    // What the message counts as left out; its wording is the command test's.
    EXPECT_EQ((std::vector<std::int64_t>{rep.read.skippedPoints, rep.waypointsLeftOut, rep.routesLeftOut,
                                         rep.routePointsLeftOut, rep.trackPointsLeftOut}),
              (std::vector<std::int64_t>{0, 3, 1, 3, 501}));
}

TEST(GpxTime, IsoAndTrackLogTimes) {
    // The offset is taken off, back across the end of a leap February.
    EXPECT_EQ(mw::ParseIsoTime("2024-03-01T01:00:00+02:00"), mw::UtcSeconds(2024, 2, 29, 23, 0, 0));
    // The first and last second the track log's two-digit years hold.
    for (std::int64_t t : {mw::UtcSeconds(1980, 1, 1, 0, 0, 0), mw::UtcSeconds(2079, 12, 31, 23, 59, 59)}) {
        EXPECT_EQ(mw::ParseIsoTime(mw::FormatIsoTime(t)), t);
        const auto [date, time] = mw::PltDateAndTime(t);
        EXPECT_EQ(mw::PltTime(date, time), t) << date << " " << time;
    }
}

}  // namespace

namespace {

TEST(GpxReader, AWaypointWithoutOurDateGetsTheFileDefaultDate) {
    Collect c;
    const mw::GpxReadResult r = mw::ReadGpxText(
        Gpx11("<wpt lat=\"1\" lon=\"2\"><time>2020-01-01T00:00:00Z</time></wpt>"
              "<wpt lat=\"1\" lon=\"2\"><extensions><mw:date xmlns:mw=\"urn:mapwanderer:gpx:1\">"
              "38123.5</mw:date></extensions></wpt>"),
        c);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(c.waypoints.size(), 2u);
    EXPECT_EQ(c.waypoints[0].date, 33605);
    EXPECT_EQ(c.waypoints[1].date, 38123.5);
}

TEST(GpxExportInputs, FilesOfZerosAreNoRecordsAndCutsAreTold) {
    mwtest::TempDir dir;
    const mw::DatumTable datums;
    dir.Write("z.plt", std::string(1 << 20, '\0'));
    dir.Write("z.wpt", std::string(1 << 20, '\0'));
    dir.Write("z.rte", std::string(1 << 20, '\0'));
    int points = 0;
    mw::ReadOutcome read = mw::ForEachTrackPointInFile(dir.File("z.plt"), datums,
                                                       [&](const mw::GpxTrackPoint&) { ++points; });
    EXPECT_STREQ(read.content, mw::kNotTrackFileText);
    read = mw::ForEachWaypointInFile(dir.File("z.wpt"), datums, [&](mw::Waypoint&&) { ++points; });
    EXPECT_STREQ(read.content, mw::kNotWaypointFileText);
    std::vector<mw::Route> routes;
    EXPECT_STREQ(mw::ReadRoutesForGpx(dir.File("z.rte"), datums, routes).content,
                 mw::kNotRouteFileText);
    EXPECT_EQ(points, 0);
    EXPECT_STREQ(
        mw::ForEachTrackPointInFile("/dev/zero", datums, [](const mw::GpxTrackPoint&) {}).content,
        mw::kNotRegularFileText);

    // Past its budget the reader stops with the points it read, and says so.
    std::string track = "h\r\nWGS 84\r\nh\r\nh\r\nh\r\nh\r\n";
    for (int i = 0; i < 100; ++i) track += "50.5,10.5,0\r\n";
    dir.Write("t.plt", track);
    read = mw::ForEachTrackPointInFile(
        dir.File("t.plt"), datums, [&](const mw::GpxTrackPoint&) { ++points; }, 500);
    EXPECT_TRUE(read.Ok());
    EXPECT_GT(points, 0);
    EXPECT_LT(points, 100);
    ASSERT_EQ(read.notes.size(), 1u);
}

}  // namespace
