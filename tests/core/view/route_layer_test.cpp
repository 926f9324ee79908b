// Routes and the navigation line as canvas calls: points left out, the
// line's two widths and clipping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nav/navigation.h"
#include "nav/route_store.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/pixel_view.h"
#include "view/route_layer.h"

using namespace mw;

namespace {

using mwtest::PixelView;

// Image pixel of window pixel (x, y) as a route point.
RoutePoint At(const char* name, int x, int y) { return RoutePoint{name, y + 680.0, x + 760.0}; }

RouteStore Store(std::vector<Route> routes) {
    RouteStore store;
    store.Assign(std::move(routes));
    return store;
}

// Symbols, labels off: only lines and symbols are left to compare.
RouteStyle Plain() {
    RouteStyle s;
    s.pointNames = s.routeName = false;
    return s;
}

std::vector<std::string> Symbol(int x, int y, int r, int ry) {
    return {Format("ellipse %d,%d %d,%d", x - r, y - ry, x + r + 1, y + ry + 1),
            Format("line %d,%d %d,%d", x - r, y, x + r, y),
            Format("line %d,%d %d,%d", x, y - ry, x, y + ry)};
}

std::vector<std::string> Join(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<std::string> Draw(const RouteStore& store, const RouteStyle& style) {
    mwtest::RecordingCanvas canvas;
    DrawRoutes(canvas, store, PixelView(), style);
    return canvas.calls;
}

}  // namespace

TEST(RouteLayer, PointsWithoutPositionOrOutOfRangeAreNotDrawn) {
    struct Case {
        const char* what;
        std::vector<RoutePoint> points;
        std::vector<std::string> calls;
    };
    const std::vector<std::string> pens = {"brush #ffffff", "pen #000000 1"};
    const std::vector<Case> cases = {
        {"one point: no line", {At("p", 50, 60)}, Join({pens, Symbol(50, 60, 6, 4)})},
        {"a 0, 0 point is left out of the line and the symbols",
         {At("p", 50, 60), RoutePoint{"zero", 0, 0}, At("q", 70, 60)},
         Join({{"pen #ff0000 2", "polyline 50,60 70,60"}, pens, Symbol(50, 60, 6, 4),
               Symbol(70, 60, 6, 6)})},
        {"only one point with a position: no line",
         {RoutePoint{"zero", 0, 0}, At("q", 70, 60)}, Join({pens, Symbol(70, 60, 6, 6)})},
    };
    for (const Case& c : cases) {
        RouteStore store = Store({Route{"r", "", 0x0000FF, c.points}});
        EXPECT_EQ(Draw(store, Plain()), c.calls) << c.what;
    }
}

TEST(NavigationLine, NarrowLinesAreOneColourWideOnesTwoAndAFarTargetIsClipped) {
    NavigationState nav;
    SetNavigationTarget(nav, 680 + 100, 760 + 40, 3, "t");  // window (40, 100)
    struct Case {
        int width;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {2, {"pen #ffff00 2", "line 240,320 40,100"}},
        {4, {"pen #ff0000 4", "line 240,320 40,100", "pen #ffff00 2", "line 240,320 40,100"}},
    };
    for (const Case& c : cases) {
        mwtest::RecordingCanvas canvas;
        DrawNavigationLine(canvas, nav, PixelView(),
                           NavLineStyle{true, c.width, {255, 255, 0}, {255, 0, 0}});
        EXPECT_EQ(canvas.calls, c.calls) << c.width;
    }

    SetNavigationTarget(nav, 680 + 320, 760 + 100000, 3, "far");
    mwtest::RecordingCanvas clipped;
    DrawNavigationLine(clipped, nav, PixelView(), NavLineStyle{true, 1, {0, 0, 0}, {0, 0, 0}});
    EXPECT_EQ(clipped.calls, (std::vector<std::string>{"pen #000000 1", "line 240,320 480,320"}));
}
