// Loading a map as the program does it, and the recent-maps file.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/settings.h"
#include "geo/datum_convert.h"
#include "map/map_file.h"
#include "map/recent_maps.h"
#include "testlib/fake_ui.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

using namespace mw;
using mwtest::CalibrationFileSpec;

namespace {

// A store holding a plain list of points.
class ListStore : public PositionStore {
public:
    ListStore(Kind kind, std::vector<GeoPoint> points) : kind_(kind), points(std::move(points)) {}
    Kind StoreKind() const override { return kind_; }
    void ForEachPosition(const std::function<void(double&, double&)>& visit) override {
        for (GeoPoint& p : points) visit(p.lat, p.lon);
    }

private:
    Kind kind_;

public:
    std::vector<GeoPoint> points;
};

class MapLoad : public ::testing::Test {
protected:
    std::string WriteMap(const std::string& name, const std::string& datum) {
        CalibrationFileSpec calib;
        calib.datum = datum;
        calib.image = "C:\\scans\\" + name + ".png";
        calib.points = {mwtest::PointAt(0, 0, 52, -2), mwtest::PointAt(1000, 1000, 51, -1)};
        calib.scale = 4;
        files.Write(name + ".map", calib.Text());
        return files.File(name + ".map");
    }
    bool Load(const std::string& path) {
        MapLoadContext context{datums, &ui, home.Path(), &hooks, &busy};
        bool ok = LoadMapFile(map, context, path);
        imageShown = context.imageShown;
        return ok;
    }
    mwtest::TempDir home, files;
    mwtest::FakeUi ui;
    DatumTable datums;
    MapRecord map;
    MapLoadHooks hooks;
    bool busy = false;
    bool imageShown = false;
};

TEST_F(MapLoad, AFileThatCannotBeReadChangesNothing) {
    std::string good = WriteMap("good", "WGS 84");
    ASSERT_TRUE(Load(good));
    ui.messages.clear();
    std::string before = home.Read("LastMap.ini");
    EXPECT_FALSE(Load(files.File("missing.map")));
    EXPECT_FALSE(Load(""));
    EXPECT_FALSE(Load(files.Path()));  // a folder
    EXPECT_EQ(map.mapFilePath, good);
    EXPECT_TRUE(map.mapLoaded);
    EXPECT_EQ(home.Read("LastMap.ini"), before);
    EXPECT_EQ(ReadRecentMaps(home.Path()), std::vector<std::string>{good});
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MapLoad, ALoadRecordsTheMapAndRunsTheImageStep) {
    std::string path = WriteMap("topo", "WGS 84");
    std::vector<std::string> recent;
    int resets = 0;
    bool busyDuringImage = false;
    std::string imageBase, imageMap;
    hooks.resetPositionState = [&] { ++resets; };
    hooks.recentMapsChanged = [&](const std::vector<std::string>& l) { recent = l; };
    hooks.loadImage = [&](MapRecord& m) {
        busyDuringImage = busy;
        imageBase = m.imageBaseName;
        imageMap = m.mapFilePath;
        m.imageWidth = 1000;
        return true;
    };
    ASSERT_TRUE(Load(path));
    EXPECT_TRUE(map.mapLoaded);
    EXPECT_EQ(map.mapFilePath, path);
    EXPECT_EQ(map.imageWidth, 1000);
    EXPECT_TRUE(imageShown);
    EXPECT_TRUE(busyDuringImage);
    EXPECT_FALSE(busy);
    EXPECT_EQ(imageBase, "topo.");
    EXPECT_EQ(imageMap, path);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(home.Read("LastMap.ini"), "Last Map," + path + "\r\nEnd End End\r\n");
    EXPECT_EQ(ReadLastIni(home.Path(), kLastMapFile), path);
    EXPECT_EQ(recent, std::vector<std::string>{path});
    EXPECT_EQ(ui.repaints, (std::vector<WindowId>{WindowId::Map, WindowId::Overview}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MapLoad, WithoutAnImageStepTheMapLoadsAndTheImageIsReportedMissing) {
    ASSERT_TRUE(Load(WriteMap("plain", "WGS 84")));
    EXPECT_TRUE(map.mapLoaded);
    EXPECT_FALSE(imageShown);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Image File not Found"});
}

TEST_F(MapLoad, StoredPositionsMoveToTheNewDatumOnce) {
    const int osgb = FindDatumByName(datums, "Ord Srvy Grt Britn");
    ListStore waypoints(PositionStore::Kind::Waypoints, {{52.0, -1.0}, {0, 0}, {0, 5.0}});
    ListStore routes(PositionStore::Kind::Routes, {{51.5, -0.5}, {0, 0}});
    ListStore track(PositionStore::Kind::Track, {{51.2, -1.2}, {7777, 7777}, {0, 0}, {7777, 3}});
    hooks.stores = {&waypoints, &routes, &track};
    ASSERT_TRUE(Load(WriteMap("wgs", "WGS 84")));
    EXPECT_EQ(waypoints.points[0].lat, 52.0);  // same datum as before: untouched

    ASSERT_TRUE(Load(WriteMap("osgb", "Ord Srvy Grt Britn")));
    ASSERT_TRUE(Load(files.File("osgb.map")));  // same datum again: no second move
    auto moved = [&](double lat, double lon) {
        ConvertDatum(datums, kDatumWgs84, osgb, lat, lon);
        return GeoPoint{lat, lon};
    };
    EXPECT_EQ(waypoints.points[0].lat, moved(52.0, -1.0).lat);
    EXPECT_EQ(waypoints.points[0].lon, moved(52.0, -1.0).lon);
    EXPECT_EQ(waypoints.points[1].lat, 0.0);                // unset
    EXPECT_EQ(waypoints.points[2].lat, moved(0, 5.0).lat);  // only both zero is unset
    EXPECT_EQ(routes.points[0].lon, moved(51.5, -0.5).lon);
    EXPECT_EQ(routes.points[1].lon, 0.0);
    EXPECT_EQ(track.points[0].lat, moved(51.2, -1.2).lat);
    EXPECT_EQ(track.points[1].lat, 7777.0);  // a break marker
    EXPECT_EQ(track.points[2].lat, 0.0);
    EXPECT_EQ(track.points[3].lon, 3.0);
}

class RecentMaps : public ::testing::Test {
protected:
    std::vector<std::string> Add(const std::string& path) {
        std::vector<std::string> list;
        EXPECT_TRUE(AddRecentMap(home.Path(), path, list));
        EXPECT_EQ(list, ReadRecentMaps(home.Path()));
        return list;
    }
    mwtest::TempDir home;
};

TEST_F(RecentMaps, MostRecentFirstAtMostTen) {
    EXPECT_TRUE(ReadRecentMaps(home.Path()).empty());
    EXPECT_EQ(RecentMapPath(home.Path(), 0), "");
    for (int i = 1; i <= 10; ++i) Add("/maps/" + std::to_string(i) + ".map");
    EXPECT_EQ(RecentMapPath(home.Path(), 0), "/maps/10.map");
    EXPECT_EQ(RecentMapPath(home.Path(), 9), "/maps/1.map");
    EXPECT_EQ(RecentMapPath(home.Path(), 10), "");
    EXPECT_EQ(RecentMapPath(home.Path(), -1), "");

    // Third in the list moves to the top; the others keep their order.
    auto list = Add("/maps/8.map");
    EXPECT_EQ(list.size(), 10u);
    EXPECT_EQ(list[0], "/maps/8.map");
    EXPECT_EQ(list[1], "/maps/10.map");
    EXPECT_EQ(list[2], "/maps/9.map");
    EXPECT_EQ(list[3], "/maps/7.map");

    // A new map drops the oldest; another letter case is another map.
    list = Add("/maps/7.MAP");
    EXPECT_EQ(list.size(), 10u);
    EXPECT_EQ(list[0], "/maps/7.MAP");
    EXPECT_EQ(list[4], "/maps/7.map");
    EXPECT_EQ(list[9], "/maps/2.map");
    EXPECT_EQ(home.Read("mrumaps.ini").substr(0, 13), "/maps/7.MAP\r\n");
}

TEST_F(RecentMaps, ListsWrittenElsewhereAreReadAsTheyAre) {
    std::string longPath = "/" + std::string(300, 'd') + "/x.map";
    std::string text;
    for (int i = 0; i < 12; ++i) text += "/old/" + std::to_string(i) + ".map\n";
    home.Write("mrumaps.ini", longPath + "\r\n" + text + "/old/last.map");
    auto before = ReadRecentMaps(home.Path());
    ASSERT_EQ(before.size(), 10u);  // no more than the list ever holds
    EXPECT_EQ(before[0], longPath);
    EXPECT_EQ(before[9], "/old/8.map");
    auto list = Add("/new.map");
    EXPECT_EQ(list.size(), 10u);
    EXPECT_EQ(list[1], longPath);
    EXPECT_EQ(list[9], "/old/7.map");

    // A list without an end (here a device) is read to its tenth line.
    std::filesystem::remove(home.File("mrumaps.ini"));
    std::filesystem::create_symlink("/dev/zero", home.File("mrumaps.ini"));
    EXPECT_EQ(ReadRecentMaps(home.Path()).size(), 10u);
}

TEST_F(RecentMaps, AListThatCannotBeWrittenKeepsTheOldOne) {
    std::vector<std::string> list{"stale"};
    std::string nowhere = home.File("no/such/folder");
    EXPECT_FALSE(AddRecentMap(nowhere, "/a.map", list));
    EXPECT_TRUE(list.empty());
    // The rename over the list fails when something else stands in its place;
    // nothing is left behind.
    std::filesystem::create_directories(home.File("mrumaps.ini"));
    EXPECT_FALSE(AddRecentMap(home.Path(), "/a.map", list));
    EXPECT_TRUE(std::filesystem::is_directory(home.File("mrumaps.ini")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
