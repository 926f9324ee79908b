// The map commands and start-up steps of the application core, driven as the
// menus drive them.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/open_file.h"
#include "map/recent_maps.h"
#include "track/track_file.h"
#include "testlib/fake_ui.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

class MapCommands : public ::testing::Test {
protected:
    void SetUp() override { app.ports.ui = &ui; }
    void Start() {
        ASSERT_TRUE(StartApplication(app, home.Path(), user.Path(), 480, 640));
        app.settings.mapPath = {maps.File("one"), maps.File("two"), "", "", "", ""};
        app.settings.mapPathActive = {1, 1, 0, 0, 0, 0};
    }
    // A moving map covering 50..51 N, 10..11 E with the given scale.
    std::string WriteMap(const std::string& folder, const std::string& name, double scale) {
        mwtest::CalibrationFileText calib = mwtest::CoverageMap(50, 10, 51, 11, scale);
        calib.points = {mwtest::PointAt(0, 0, 51, 10), mwtest::PointAt(1000, 1000, 50, 11)};
        std::filesystem::create_directories(maps.File(folder));
        maps.Write(folder + "/" + name, calib.Text());
        mwtest::WriteMapImage(maps.File(folder), calib);
        return maps.File(folder + "/" + name);
    }

    mwtest::TempDir home, user, maps;
    mwtest::FakeUi ui;
    App app;
};

TEST_F(MapCommands, StartUpLoadsTheLastMapAndTheTrackLogOnlyWhenAskedAndWhole) {
    const std::string path = WriteMap("one", "last.map", 5);
    home.Write("mapwanderer2.ini", "a,0\nb,0\nc,1\nd,0\ne,1\nView Scale,1\n");
    TrackStore log;
    AddTrackPoint(log, 50.2, 10.2, 1);
    AddTrackPoint(log, 50.3, 10.3, 0);
    ASSERT_TRUE(SaveTrackFile(log, user.File("ceTrack.plt"), app.datums, kDatumWgs84));
    const struct {
        const char* what;
        int loadLastMap;
        std::string lastMap;
        bool imageGone, loaded;
        std::vector<std::string> messages;
    } cases[] = {
        {"asked", 1, path, false, true, {}},
        {"not asked", 0, path, false, false, {}},
        // No image on screen: the scale window stays off and the track log
        // stays where it is.
        {"image gone", 1, path, true, false, {"Image File not Found: test"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.imageGone) std::filesystem::remove(maps.File("one/test.mwf2"));
        AppSettings settings;
        settings.loadLastMap = c.loadLastMap;
        settings.dataPath = user.Path();
        settings.loadDefaultTrack = true;
        ASSERT_TRUE(WriteConfiguration(home.Path(), app.datums, settings));
        home.Write("LastMap.ini", "Last Map," + c.lastMap + "\r\nEnd End End\r\n");
        App started;
        mwtest::FakeUi seen;
        started.ports.ui = &seen;
        ASSERT_TRUE(StartApplication(started, home.Path(), user.Path(), 480, 640));
        EXPECT_EQ(started.map.mapLoaded, c.loaded);
        EXPECT_EQ(started.view.viewScale, c.loaded ? 1 : 0);
        EXPECT_EQ(started.track.PointCount(), c.loaded ? 2 : 0);
        EXPECT_EQ(seen.messages, c.messages);
    }
}

TEST_F(MapCommands, AFailedLoadLeavesTheMapViewAndFilesAsTheyWere) {
    Start();
    std::string good = WriteMap("one", "good.map", 5);
    ASSERT_TRUE(LoadMapFile(app, good));
    app.mapView.centreX = 123;
    const std::string lastMap = home.Read("LastMap.ini");
    const auto recent = ReadRecentMaps(home.Path());
    const std::string imagePath = app.viewport.imagePath;

    maps.Write("one/garbage.map", std::string("\x89PNG\r\n\x1a\n binary junk\0\x01", 20));
    mwtest::CalibrationFileText noImage = mwtest::CoverageMap(50, 10, 51, 11, 5);
    noImage.image = "gone.bmp";
    noImage.points = {mwtest::PointAt(0, 0, 51, 10), mwtest::PointAt(1000, 1000, 50, 11)};
    maps.Write("one/noimage.map", noImage.Text());
    noImage.image = "damaged.png";
    maps.Write("one/damaged.map", noImage.Text());
    maps.Write("one/damaged.mwf2", std::string(4000, '\x5a'));
    struct Case {
        std::string file, message;
    } cases[] = {
        {"one/garbage.map", "garbage.map: not a calibration file"},
        {"one/noimage.map", "Image File not Found: gone"},
        // The image is there: the reader's own complaint, not "not found",
        // with the file and what is wrong with it.
        {"one/damaged.map", "LoadStrips Exception: " + maps.File("one/damaged.mwf2") +
                                ": bits per pixel not 1, 2, 4 or 8"},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        EXPECT_FALSE(LoadMapFile(app, maps.File(c.file))) << c.file;
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
        EXPECT_EQ(app.map.mapFilePath, good);
        EXPECT_EQ(app.mapView.centreX, 123);
        EXPECT_EQ(app.viewport.imagePath, imagePath);
        EXPECT_TRUE(app.viewport.HasImage());
        EXPECT_EQ(home.Read("LastMap.ini"), lastMap);
        EXPECT_EQ(ReadRecentMaps(home.Path()), recent);
        EXPECT_FALSE(app.state.busy);
    }
}

// Files handed to the program from outside open by their kind.
TEST_F(MapCommands, OpenFileByKindLoadsMapsImagesAndTracks) {
    Start();
    maps.Write("walk.plt",
               "Mapwanderer CE Track Point File Version 2.0\r\nWGS 84\r\nAltitude is in Feet\r\n"
               "Reserved 3\r\n0,2,255,Track,0,0,2,0\r\n3\r\n"
               "50.5,10.5,1,   -777\r\n50.6,10.6,0,   -777\r\n50.7,10.7,0,   -777\r\n");
    const std::string track = maps.File("walk.plt");
    // A map image loads the calibration file beside it.
    const std::string map = WriteMap("one", "scan.map", 5);
    std::filesystem::copy_file(maps.File("one/test.mwf2"), maps.File("one/scan.mwf2"));
    EXPECT_EQ(OpenFileByKind(app, maps.File("one/scan.mwf2")), OpenFileResult::Opened);
    EXPECT_EQ(app.map.mapFilePath, map);

    EXPECT_EQ(OpenFileByKind(app, track), OpenFileResult::Opened);
    EXPECT_EQ(app.track.PointCount(), 3);
    maps.Write("notes.txt", "hello");
    EXPECT_EQ(OpenFileByKind(app, maps.File("notes.txt")), OpenFileResult::UnknownKind);
    EXPECT_NE(ui.messages.back().find("notes.txt"), std::string::npos);
}

}  // namespace
