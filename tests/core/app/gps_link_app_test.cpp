// What the window shows while the receiver is silent or gone: the status text
// says it, and the pointer stays where the last fix was, greyed, until the
// receiver talks again.
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

namespace {

TEST(GpsLinkOnScreen, ASilentOrLostReceiverGreysThePointerUntilItIsBack) {
    mwtest::TempDir home, maps;
    mwtest::FakeUi ui;
    App app;
    app.ports.ui = &ui;
    ASSERT_TRUE(StartApplication(app, home.Path(), "/home/u", 400, 300));
    mwtest::CalibrationFileText calib;
    calib.image = "sheet.png";
    calib.points = {mwtest::PointAt(0, 0, 50.5, 0), mwtest::PointAt(1000, 500, 50, 1)};
    calib.borderLatLon = mwtest::RectangleBorder(50, 0, 50.5, 1);
    calib.borderPixels = {{0, 0}, {1000, 0}, {1000, 500}, {0, 500}};
    maps.Write("sheet.map", calib.Text());
    mwtest::WriteMapImage(maps.Path(), calib, 1000, 500);
    ASSERT_TRUE(LoadMapFile(app, maps.File("sheet.map")));
    ShowFix(app, 50.25, 0.5, 90);
    app.gps.fix.statusText = kStatusOn;

    // The pointer's fill: the "Pointer Color" (red by default) or grey.
    auto pointerFill = [&] {
        mwtest::RecordingCanvas canvas;
        DrawMapWindow(canvas, BuildMapScene(app));
        auto polygon = std::find_if(canvas.calls.begin(), canvas.calls.end(),
                                    [](const std::string& c) { return c.starts_with("polygon"); });
        EXPECT_NE(polygon, canvas.calls.end());
        auto brush = std::find_if(std::make_reverse_iterator(polygon), canvas.calls.rend(),
                                  [](const std::string& c) { return c.starts_with("brush"); });
        return brush == canvas.calls.rend() ? std::string() : *brush;
    };
    ASSERT_EQ(pointerFill(), "brush #ff0000");

    const struct {
        const char* status;
        const char* fill;
        bool mapRepainted;  // only when the pointer changes
    } steps[] = {
        {"---", "brush #a0a0a0", true},  // silent
        {"NC ", "brush #a0a0a0", false},  // then unplugged: still grey
        {"ON ", "brush #ff0000", true},  // back
        {"CSM", "brush #ff0000", false},  // a damaged sentence is no silence
        {"NC ", "brush #a0a0a0", true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.status);
        ui.repaints.clear();
        app.gps.mailboxes.OnStatus(step.status);
        DrainGpsResults(app);
        EXPECT_EQ(app.gps.fix.statusText, step.status);
        EXPECT_EQ(pointerFill(), step.fill);
        EXPECT_EQ(std::count(ui.repaints.begin(), ui.repaints.end(), WindowId::Map),
                  step.mapRepainted ? 1 : 0);
        EXPECT_EQ(std::count(ui.repaints.begin(), ui.repaints.end(), WindowId::Main), 1)
            << "the status text is redrawn";
    }
}

}  // namespace
