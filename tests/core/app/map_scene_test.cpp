// A fix off the loaded map draws no pointer at a wrong place on it.
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

TEST_F(MapScenes, NoPointerForAFixOffTheMap) {
    ShowFix(app, 50.25, 2.5, 90);  // east of both sheets
    EXPECT_EQ(Layers(), (std::vector<MapLayer>{L::TrackTail, L::ZoomCaption}));
}

}  // namespace
