// Files the program cannot read: each is told once, naming the file and the
// reason, and a damaged map image is told once for every step that meets it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/panels.h"
#include "app/view_commands.h"
#include "testlib/fake_ui.h"
#include "testlib/image_fixtures.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

class UnreadableFiles : public ::testing::Test {
protected:
    void SetUp() override { app.ports.ui = &ui; }
    // Starts the program and loads a map of 50..51 N, 10..11 E whose image
    // is files/test.mwf2.
    std::string StartWithMap() {
        EXPECT_TRUE(StartApplication(app, home.Path(), user.Path(), 480, 640));
        mwtest::CalibrationFileText calib = mwtest::CoverageMap(50, 10, 51, 11, 5);
        calib.points = {mwtest::PointAt(0, 0, 51, 10), mwtest::PointAt(200, 200, 50, 11)};
        files.Write("sheet.map", calib.Text());
        mwtest::WriteMapImage(files.Path(), calib);
        return files.File("sheet.map");
    }

    mwtest::TempDir home, user, files;
    mwtest::FakeUi ui;
    App app;
};

}  // namespace

TEST_F(UnreadableFiles, EachKindIsToldWithItsNameAndReason) {
    const std::string map = StartWithMap();
    ASSERT_TRUE(LoadMapFile(app, map));
    const std::string folder = " (is a folder)";
    const std::string missing = " (No such file or directory)";
    struct Case {
        const char* kind;
        std::string path;  // made a folder unless the case is about a missing file
        bool makeFolder;
        std::function<void(const std::string& path)> load;
        std::string message;
    };
    // The loads of the user's files, as the menus run them.
    const auto pick = [this](int command) {
        return [this, command](const std::string& path) {
            ui.files.push_back(path);
            ExecuteCommand(app, command);
        };
    };
    // The files of the application home are read at start-up; a missing one
    // is the first start and is not told.
    const auto start = [this](const std::string&) {
        App again;
        again.ports.ui = &ui;
        ASSERT_TRUE(StartApplication(again, home.Path(), user.Path(), 480, 640));
    };
    const Case cases[] = {
        {"track", files.File("walk.plt"), true, pick(kCmdLoadTrackFile),
         "Track file could not be opened: " + files.File("walk.plt") + folder},
        {"waypoints", files.File("points.wpt"), true, pick(kCmdLoadWpFile),
         "Waypoint file could not be opened: " + files.File("points.wpt") + folder},
        {"waypoints, missing", files.File("gone.wpt"), false, pick(kCmdLoadWpFile),
         "Waypoint file could not be opened: " + files.File("gone.wpt") + missing},
        {"routes", files.File("tour.rte"), true, pick(kCmdLoadRouteFile),
         "Route file could not be opened: " + files.File("tour.rte") + folder},
        {"settings", home.File("Mapwanderer1.ini"), true, start,
         "Settings file could not be opened: " + home.File("Mapwanderer1.ini") + folder},
        {"datums.dat", home.File("datums.dat"), true, start,
         "Datum file could not be opened: " + home.File("datums.dat") + folder},
        {"user pointer", home.File("userPointer1.dat"), true, start,
         "Pointer file could not be opened: " + home.File("userPointer1.dat") + folder},
    };
    for (const Case& c : cases) {
        if (c.makeFolder) std::filesystem::create_directory(c.path);
        ui.messages.clear();
        c.load(c.path);
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message}) << c.kind;
        // One unreadable file at a time: a start-up case must not see the
        // last one's folder.
        std::filesystem::remove(c.path);
    }
}

// The view code hands a damaged image's fault up; the application shows it
// with the image's name once for each load of the map, however many views,
// moves and overviews meet the damage afterwards (a box at every pan would
// stop the user working). Loading the map again tells it again.
TEST_F(UnreadableFiles, ADamagedImageIsToldOncePerLoadWithItsName) {
    const std::string map = StartWithMap();
    // The first tile's compressed stream is garbage: the image opens, but
    // every view and the overview meet the damage.
    std::string bytes = files.Read("test.mwf2");
    const std::size_t offsets = mwtest::ReadTiledLayout(bytes).tileOffsetsAt[0];
    bytes.replace(mwtest::U32At(bytes, offsets) + 3, 20, std::string(20, '\x77'));
    files.Write("test.mwf2", bytes);
    const std::string told = "ReadTile Exception: " + files.File("test.mwf2");

    const struct {
        const char* step;
        std::function<void()> run;
        bool tells;
    } steps[] = {
        {"load", [&] { EXPECT_TRUE(LoadMapFile(app, map)); }, true},
        {"zoom in", [&] { ExecuteCommand(app, kCmdZoomIn); }, false},
        {"go to the centre", [&] { ExecuteCommand(app, kCmdGotoTopLeft + 4); }, false},
        {"resize", [&] { ApplyViewSize(app, 300, 200); }, false},
        {"overview", [&] { SyncOverviewWithView(app); }, false},
        {"go to the top left", [&] { ExecuteCommand(app, kCmdGotoTopLeft); }, false},
        {"load again", [&] { EXPECT_TRUE(LoadMapFile(app, map)); }, true},
        {"zoom out", [&] { ExecuteCommand(app, kCmdZoomOut); }, false},
    };
    for (const auto& s : steps) {
        ui.messages.clear();
        s.run();
        EXPECT_EQ(ui.messages,
                  s.tells ? std::vector<std::string>{told} : std::vector<std::string>{})
            << s.step;
    }
    EXPECT_FALSE(ui.waitCursor);
}
