// Which layers the map window draws, and in which order, from the program's
// state: checked through the scene, without pixels.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/app.h"
#include "app/map_commands.h"
#include "app/map_scene.h"
#include "app/moving_map.h"
#include "two_sheets.h"

using namespace mw;
using L = MapLayer;

namespace {

class MapScenes : public TwoSheets<> {
protected:
    std::vector<MapLayer> Layers() { return VisibleLayers(BuildMapScene(app)); }
};

TEST_F(MapScenes, LayersFollowTheStateInDrawingOrder) {
    App empty;
    EXPECT_EQ(VisibleLayers(BuildMapScene(empty)), std::vector<MapLayer>{L::Logo});

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
    ShowFix(app, 50.25, 2.5, 90);  // east of both sheets
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::TrackTail, L::ZoomCaption}));
}

// A silent or lost receiver: the status says it and the pointer stays where
// the last fix was, greyed, until the receiver talks again.
TEST_F(MapScenes, PointerGreysWhileTheReceiverIsSilentOrGone) {
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
