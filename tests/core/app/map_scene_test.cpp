// Which layers the map window draws, and in which order, from the program's
// state: checked through the scene, without pixels.
#include <gtest/gtest.h>

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

}  // namespace
