// The waypoints over the map: proximity zone, symbol, highlight ring and
// name label of every waypoint near the window, through the Canvas port.
#pragma once

#include <map>
#include <optional>
#include <string>

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

// The folder of the application home that holds the symbol pictures.
inline constexpr const char* kSymbolFolder = "PSymbols";

// The symbol pictures by symbol number: "<number>.bmp", ".png" or ".svg" in
// the home's symbol folder (a bitmap the user drew wins over the picture
// that came with the program). The folder is read on the first lookup and
// again when another home is asked for or after Forget(), not at every
// paint.
class SymbolSet {
public:
    // The picture of symbol `number`, or null: none there, or symbol 0,
    // which is every waypoint's default and keeps the plain figure.
    const std::string* Find(const std::string& programFolder, int number) const;
    // The folder is read again at the next lookup (the user changed it).
    void Forget() { folder_.reset(); }

private:
    mutable std::optional<std::string> folder_;
    mutable std::map<int, std::string> files_;
};

// Side of a symbol picture for the "Symbol Size" radius `r`: a pictogram
// needs more room than the plain circle to be read.
constexpr int SymbolPictureSide(int r) { return 3 * r > 9 ? 3 * r : 9; }

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
    // Where the symbol pictures are looked up; none: every waypoint is the
    // plain figure.
    const SymbolSet* symbols = nullptr;
    std::string programFolder;
};
WaypointStyle WaypointStyleFrom(const AppSettings& settings, const ViewSettings& view,
                                double mapScale, const SymbolSet* symbols = nullptr,
                                const std::string& programFolder = {});

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
// blue circle with two short and one long diagonal), its symbol (the picture
// of its symbol number, SymbolPictureSide square, centred on the point; a
// waypoint without one, or one the canvas cannot draw, gets a circle in its
// background colour with a cross, black outline), the highlight ring and the
// name " name " in its own colours (black on white in black-and-white mode)
// to the right of the symbol. Nothing when not shown.
void DrawWaypoints(Canvas& canvas, const WaypointStore& store, const OverlayGeometry& view,
                   const WaypointStyle& style);

}  // namespace mw
