// The map window as a scene of layers, drawn by the core through the Canvas
// port: the view image and the white margin around it, the layers over it,
// or the drag preview. The window layer only hands a canvas over; `mwtool
// render` draws the same scene, so what a test renders is what the user sees.
//
// A new layer is one row of the layer table in map_scene.cpp (its place in
// the drawing order, when it shows, how it draws) plus its drawing function.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "ports/canvas.h"
#include "view/overlays.h"
#include "view/viewport.h"

namespace mw {

struct App;

// The layers in their drawing order, bottom first.
enum class MapLayer {
    Logo,            // the start-up logo, while no map image is shown
    TrackTail,
    NavigationLine,
    Waypoints,
    Routes,
    GpsPointer,
    CursorCross,
    ZoomCaption,
    ReplayCaption,
};

// What one paint of the map window draws from: the program's state and the
// view record read where it lies, with the loaded map's calibration. The
// window is the view record's size.
struct MapScene {
    const App* app = nullptr;
    OverlayGeometry view;
    // While a drag is under way: how far the finger has moved the map
    // (window pixels). The preview shows the view shifted, nothing over it.
    std::optional<Point> dragShift;
};

MapScene BuildMapScene(const App& app);

// Whether the view image is on screen (otherwise the logo is).
bool MapImageOnScreen(const App& app);

// The view image as a canvas copies it; `palette` holds its colours for the
// life of the result. Empty without an image.
CanvasImage ViewCanvasImage(const Viewport& vp, std::array<std::uint32_t, 256>& palette);

// The layers that show for this scene, in drawing order.
std::vector<MapLayer> VisibleLayers(const MapScene& scene);

// Draws the map window: the view image with the window's margin white and
// every visible layer over it (or the logo when there is no image); during a
// drag, the view shifted with white where it uncovers the window, and the
// cursor cross.
void DrawMapWindow(Canvas& canvas, const MapScene& scene);

}  // namespace mw
