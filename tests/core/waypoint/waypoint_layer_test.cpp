// The waypoint layer as canvas calls: symbol, label, colours, proximity
// zones, and the culling edges.
#include <gtest/gtest.h>

#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/pixel_view.h"
#include "view/waypoint_layer.h"
#include "waypoint/waypoint_store.h"

using namespace mw;

namespace {

using mwtest::PixelView;

Waypoint Cairn(double row = 1020, double col = 1010) {
    Waypoint w;
    w.name = "Cairn";
    w.lat = row;
    w.lon = col;
    w.textColour = 255;       // red
    w.backColour = 0x00FFFF;  // yellow
    w.proximityDistance = 100;
    return w;
}

WaypointStyle Plain() {
    WaypointStyle s;
    s.proximity = false;
    s.mapScale = 2;  // metres per image pixel
    return s;
}

std::vector<std::string> Draw(const WaypointStore& store, const WaypointStyle& style,
                              double zoom = 1.0) {
    mwtest::RecordingCanvas canvas;
    DrawWaypoints(canvas, store, PixelView(zoom), style);
    return canvas.calls;
}

const std::vector<std::string> kSymbol = {"brush #ffff00", "pen #000000 1",
                                          "ellipse 244,334 257,347", "line 244,340 256,340",
                                          "line 250,334 250,346"};
const std::string kLabel = "text 259,335 h11 w400 #ff0000 on #ffff00 \" Cairn \"";

std::vector<std::string> Join(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

TEST(WaypointLayer, SwitchesDecideWhatIsDrawn) {
    WaypointStore store;
    store.Put(4, Cairn());
    store.Put(5, Waypoint{"Nowhere", 0, 0});  // holds a slot, never drawn

    struct Case {
        const char* what;
        WaypointStyle style;
        double zoom;
        std::vector<std::string> calls;
    };
    WaypointStyle names = Plain();
    WaypointStyle zone = Plain();
    zone.proximity = true;
    WaypointStyle noScale = zone;
    noScale.mapScale = 0;

    const Case cases[] = {
        {"names", names, 1, Join({kSymbol, {kLabel}})},
        // 100 m at 2 m a pixel: radius 50; e = 35.36.
        {"zone", zone, 1,
         Join({{"pen #0000ff 1", "brush hollow", "line 201,340 250,290", "line 301,340 250,390",
                "line 286,304 214,375", "ellipse 201,291 300,390"},
               kSymbol,
               {kLabel}})},
        {"zone without a map scale", noScale, 1, Join({kSymbol, {kLabel}})},
    };
    for (const Case& c : cases) EXPECT_EQ(Draw(store, c.style, c.zoom), c.calls) << c.what;
}

TEST(WaypointLayer, OnlyWaypointsWithinMinus1000To1200AreDrawn) {
    // Image pixels around the view centre (1000, 1000) and the window point
    // each lands on; negative window points round towards zero.
    struct Case {
        int col, row, x, y;
        bool drawn;
    };
    const Case cases[] = {
        {1960, 1000, 1200, 320, true},  {1961, 1000, 1201, 320, false},
        {-241, 1000, -1000, 320, true}, {-242, 1000, -1001, 320, false},
        {1000, 1880, 240, 1200, true},  {1000, 1881, 240, 1201, false},
        {1000, -321, 240, -1000, true}, {1000, -322, 240, -1001, false},
    };
    WaypointStyle style = Plain();
    style.names = false;
    for (const Case& c : cases) {
        WaypointStore store;
        store.Put(0, Cairn(c.row, c.col));
        std::vector<std::string> calls = Draw(store, style);
        ASSERT_EQ(calls.size(), c.drawn ? 5u : 0u) << c.x << "," << c.y;
        if (c.drawn)  // the vertical bar of the cross runs through the point
            EXPECT_EQ(calls[4], Format("line %d,%d %d,%d", c.x, c.y - 6, c.x, c.y + 6));
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
