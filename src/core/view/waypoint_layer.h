// The waypoints over the map: proximity zone, symbol, highlight ring and
// name label of every waypoint near the window, through the Canvas port.
#pragma once

#include "ports/canvas.h"
#include "view/overlays.h"

namespace mw {

class WaypointStore;
struct AppSettings;
struct ViewSettings;

// Window coordinates (both axes) inside which a waypoint is drawn; anything
// further off costs only its coordinate transform.
inline constexpr int kWaypointDrawMin = -1000;
inline constexpr int kWaypointDrawMax = 1200;
// Radius of the highlight ring: the box (x − 17, y − 17) to (x + 18, y + 18).
inline constexpr int kWaypointHighlightRadius = 17;
inline constexpr Rgb kProximityZoneColour{0, 0, 255};

struct WaypointStyle {
    bool shown = true;        // "View Waypoints"
    bool names = true;        // "View Waypoint Names"
    bool highlight = false;   // "View Waypoint HighLights"
    bool blackWhite = false;  // "View Waypoint Black & White"
    bool proximity = true;    // "View Waypoint Proximity"
    int symbolSize = 6;       // symbol radius, pixels ("Symbol Size")
    int fontSize = 11;        // label font height ("Font Size")
    // Ground metres of one full-resolution image pixel (the map's scale);
    // proximity zones are drawn only when it is positive.
    double mapScale = 0;
};
WaypointStyle WaypointStyleFrom(const AppSettings& settings, const ViewSettings& view,
                                double mapScale);

// A waypoint colour as files store it (red in the low byte, then green, then
// blue).
constexpr Rgb WaypointColour(int packed) {
    return Rgb{static_cast<std::uint8_t>(packed & 0xFF),
               static_cast<std::uint8_t>((packed >> 8) & 0xFF),
               static_cast<std::uint8_t>((packed >> 16) & 0xFF)};
}

// Pixel radius of a proximity zone of `metres` at `mapScale` metres per
// image pixel and zoom divisor `zoom`: trunc(metres ÷ scale ÷ zoom + 0.5),
// at most 2^24 (a zone that large covers any window many times over).
// 0 when the scale or the zoom is not positive.
int ProximityRadius(int metres, double mapScale, double zoom);

// Draws every waypoint not at 0, 0 whose window point lies within
// −1000..1200 on both axes, in slot order: its proximity zone (a 1-pixel
// blue circle with two short and one long diagonal), its symbol (a circle in
// the waypoint's background colour with a cross, black outline), the
// highlight ring and the name " name " in its own colours (black on white in
// black-and-white mode) to the right of the symbol. Nothing when not shown.
void DrawWaypoints(Canvas& canvas, const WaypointStore& store, const OverlayGeometry& view,
                   const WaypointStyle& style);

}  // namespace mw
