// The map window as a scene of layers, drawn by the core through the Canvas
// port. The window layer only blits the view image and hands a canvas over;
// `mwtool render` draws the same scene, so what a test renders is what the
// user sees.
//
// A new layer is one row of the layer table in map_scene.cpp (its place in
// the drawing order, when it shows, how it draws) plus its drawing function.
#pragma once

#include <vector>

#include "ports/canvas.h"
#include "view/overlays.h"

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
// view geometry taken from it once.
struct MapScene {
    const App* app = nullptr;
    OverlayGeometry view;
    int windowWidth = 0, windowHeight = 0;
};

MapScene BuildMapScene(const App& app);

// The layers that show for this scene, in drawing order.
std::vector<MapLayer> VisibleLayers(const MapScene& scene);

// Draws every visible layer over the map image (or the logo when there is no
// image).
void DrawMapWindow(Canvas& canvas, const MapScene& scene);

}  // namespace mw
