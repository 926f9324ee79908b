// The routes and the navigation line over the map, through the Canvas port
// in window pixels.
#pragma once

#include "ports/canvas.h"
#include "view/overlays.h"

namespace mw {

class RouteStore;
struct NavigationState;
struct AppSettings;
struct ViewSettings;

// Route points drawn as symbols and labels lie within this window range on
// both axes; farther ones cost only their coordinate transform.
inline constexpr int kSymbolRangeLow = -1000;
inline constexpr int kSymbolRangeHigh = 1200;

struct RouteStyle {
    int symbolSize = 6;  // point symbol radius, pixels
    int fontSize = 11;   // label font height, pixels
    int lineWidth = 2;
    // "Route Line Color": 0 draws each route in its own colour, n >= 1 all
    // routes in colour table entry n - 1.
    int lineColour = 0;
    Rgb pointColour{255, 255, 255};  // symbol fill and label background
    Rgb textColour{0, 0, 0};         // symbol outline and labels
    bool pointNames = true;
    bool routeName = true;
    bool highlight = false;
    bool blackAndWhite = false;  // white symbols, black outlines and labels
};
// Whether routes are drawn at all ("View Routes") is the caller's choice.
RouteStyle RouteStyleFrom(const AppSettings& settings, const ViewSettings& view);

// Each route with points: one line through its points (0, 0 points left
// out; fewer than two: no line), clipped to the window; then, for every
// point within the symbol range, its symbol (the first point's flattened to
// two thirds of the radius), the highlight ring, its name to the right and,
// under the first point, the route's name.
void DrawRoutes(Canvas& canvas, const RouteStore& routes, const OverlayGeometry& view,
                const RouteStyle& style);

struct NavLineStyle {
    bool draw = true;  // "Nav Draw Line"
    int width = 5;
    Rgb colour1{255, 255, 0};  // the line, or its middle
    Rgb colour2{255, 0, 0};    // the border of a line 3 pixels or wider
};
NavLineStyle NavLineStyleFrom(const AppSettings& settings);

// While navigating, the line from the window centre (the GPS position, or
// the view centre) to the target, clipped to the window: below 3 pixels wide
// one line in colour 1, otherwise colour 2 at the full width with colour 1
// at the width less 2 over it.
void DrawNavigationLine(Canvas& canvas, const NavigationState& nav, const OverlayGeometry& view,
                        const NavLineStyle& style);

}  // namespace mw
