// The waypoint layer as canvas calls: the culling edges and the proximity
// zone's radius.
#include <gtest/gtest.h>

#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/pixel_view.h"
#include "view/waypoint_layer.h"
#include "waypoint/waypoint_store.h"

using namespace mw;

namespace {

using mwtest::PixelView;

// The calls that draw a waypoint at image pixel (col, row): its symbol only.
std::vector<std::string> DrawAt(int col, int row) {
    Waypoint w;
    w.lat = row;
    w.lon = col;
    WaypointStore store;
    store.Put(0, w);
    WaypointStyle style;
    style.names = false;
    style.proximity = false;
    mwtest::RecordingCanvas canvas;
    DrawWaypoints(canvas, store, PixelView(1.0), style);
    return canvas.calls;
}

}  // namespace

TEST(WaypointLayer, OnlyWaypointsWithinMinus1000To1200AreDrawn) {
    // Image pixels around the view centre (1000, 1000) and the window point
    // each lands on; negative window points round towards zero.
    struct Case {
        int col, row, x, y;
        bool drawn;
    };
    const Case cases[] = {
        {1960, 1000, 1200, 320, true},  {1961, 1000, 1201, 320, false},
        {1000, -321, 240, -1000, true}, {1000, -322, 240, -1001, false},
    };
    for (const Case& c : cases) {
        std::vector<std::string> calls = DrawAt(c.col, c.row);
        ASSERT_EQ(calls.size(), c.drawn ? 5u : 0u) << c.x << "," << c.y;
        if (c.drawn) {  // the vertical bar of the cross runs through the point
            EXPECT_EQ(calls[4], Format("line %d,%d %d,%d", c.x, c.y - 6, c.x, c.y + 6));
        }
    }
}

TEST(WaypointLayer, ProximityRadiusRoundsAndStaysBounded) {
    struct Case {
        int metres;
        double scale, zoom;
        int radius;
    };
    const Case cases[] = {
        {99, 2, 1, 50}, {97, 2, 1, 49}, {100, 2, 0.5, 100}, {100, 0, 1, 0},
        {2000000000, 1e-9, 1, 1 << 24},  // bounded, not an overflowing int
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProximityRadius(c.metres, c.scale, c.zoom), c.radius)
            << c.metres << " " << c.scale << " " << c.zoom;
}
