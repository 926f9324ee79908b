// Which layers the map window draws, and in which order, from the program's
// state: checked through the scene, without pixels.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/app.h"
#include "app/map_commands.h"
#include "app/map_scene.h"
#include "app/moving_map.h"
#include "testlib/fake_ui.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

using namespace mw;
using L = MapLayer;

namespace {

// One map of 1° × 0.5° (50..50.5 N, 0..1 E) at 1000 × 500 pixels.
class MapScenes : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        ASSERT_TRUE(StartApplication(app, home.Path(), "/home/u", 400, 300));
        mwtest::CalibrationFileText calib;
        calib.image = "sheet.png";
        calib.points = {mwtest::PointAt(0, 0, 50.5, 0), mwtest::PointAt(1000, 500, 50, 1)};
        calib.borderLatLon = mwtest::RectangleBorder(50, 0, 50.5, 1);
        calib.borderPixels = {{0, 0}, {1000, 0}, {1000, 500}, {0, 500}};
        maps.Write("sheet.map", calib.Text());
        mwtest::WriteMapImage(maps.Path(), calib, 1000, 500);
    }
    std::vector<MapLayer> Layers() { return VisibleLayers(BuildMapScene(app)); }

    mwtest::TempDir home, maps;
    mwtest::FakeUi ui;
    App app;
};

TEST_F(MapScenes, LayersFollowTheStateInDrawingOrder) {
    EXPECT_EQ(Layers(), std::vector<MapLayer>{L::Logo});

    ASSERT_TRUE(LoadMapFile(app, maps.File("sheet.map")));
    // A loaded map's centre has degrees: the cursor cross marks it.
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::TrackTail, L::CursorCross, L::ZoomCaption}));
    app.view.viewTrack = 0;
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::CursorCross, L::ZoomCaption}));

    // Following the GPS: the pointer, and no cross over it.
    ShowFix(app, 50.25, 0.5, 90);
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::GpsPointer, L::ZoomCaption}));
    app.replay.mode = true;
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::GpsPointer, L::ZoomCaption, L::ReplayCaption}));
}

TEST_F(MapScenes, NoPointerForAFixOffTheMap) {
    ASSERT_TRUE(LoadMapFile(app, maps.File("sheet.map")));
    ShowFix(app, 50.25, 1.5, 90);  // east of the sheet
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::TrackTail, L::ZoomCaption}));
    mwtest::RecordingCanvas canvas;
    DrawMapWindow(canvas, BuildMapScene(app));
    // Only the zoom caption is drawn: no pointer outline on white.
    ASSERT_FALSE(canvas.calls.empty());
    for (const std::string& call : canvas.calls)
        EXPECT_TRUE(call.rfind("polygon", 0) != 0 && call.rfind("ellipse", 0) != 0 &&
                    call.rfind("line", 0) != 0)
            << call;
}

// A silent or lost receiver: the status says it and the pointer stays where
// the last fix was, greyed, until the receiver talks again.
TEST_F(MapScenes, PointerGreysWhileTheReceiverIsSilentOrGone) {
    ASSERT_TRUE(LoadMapFile(app, maps.File("sheet.map")));
    ShowFix(app, 50.25, 0.5, 90);
    auto pointerFill = [&] {  // the brush before the pointer's polygon
        mwtest::RecordingCanvas canvas;
        DrawMapWindow(canvas, BuildMapScene(app));
        std::string brush;
        for (const std::string& call : canvas.calls) {
            if (call.starts_with("brush")) brush = call;
            if (call.starts_with("polygon")) return brush;
        }
        return std::string("no pointer");
    };
    const struct {
        const char* status;
        const char* fill;
        bool mapRepainted;  // only when the pointer changes
    } steps[] = {{"---", "brush #a0a0a0", true},  {"NC ", "brush #a0a0a0", false},
                 {"ON ", "brush #ff0000", true},  {"CSM", "brush #ff0000", false},
                 {"NC ", "brush #a0a0a0", true}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.status);
        ui.repaints.clear();
        app.gps.mailboxes.OnStatus(step.status);
        DrainGpsResults(app);
        EXPECT_EQ(app.gps.fix.statusText, step.status);
        EXPECT_EQ(pointerFill(), step.fill);
        EXPECT_EQ(std::count(ui.repaints.begin(), ui.repaints.end(), WindowId::Map),
                  step.mapRepainted ? 1 : 0);
    }
}

}  // namespace
