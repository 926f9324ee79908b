// The map window's view as the application drives it: the image step of a
// map load, the zoom menu, the zoom and "Goto" commands, and what taps, drags
// and the arrow keys do on the map window.
#pragma once

#include <functional>
#include <initializer_list>

#include "app/app_state.h"

namespace mw {

// A damaged map image's fixed text and the open image's path
// (ImageFaultText); nothing for ImageFault::None or without a Ui. The view
// steps hand up only the first damage after an image was opened
// (DamageToTell), so the user hears of a damaged image once per load.
void ShowImageFault(App& app, ImageFault fault);

// Runs one step on the map view (a zoom, a move, a render) and lets the user
// see what it came to, once: the wait cursor while it runs, a damaged
// image's message, then the map window repainted when the view was drawn and
// the windows in `alsoRepaint` and the scale bar (which the window layer
// works out anew with ScaleBarFrom when it repaints it) when the step acted
// at all.
ViewChange RunViewStep(App& app, const std::function<ViewChange()>& step,
                       std::initializer_list<WindowId> alsoRepaint = {});

// "Full Map" followed by one item per zoom entry of the open image.
std::vector<MenuEntry> ZoomMenu(const Viewport& vp);

// The map window's client size is now `width` × `height` (or was laid out
// again): the view takes the new size and, when it changed, is drawn again.
void ApplyViewSize(App& app, int width, int height);

// Sizes the map window beside the info panels for the area below the tool
// bars (`areaWidth` × `areaHeight`) and sets the half view size.
void LayoutMapWindow(App& app, int areaWidth, int areaHeight);

// Taps on the map window, in its client coordinates. In centre mode a press
// centres the map there; in drag mode a press starts a drag and the release
// moves the map by the drag; in screen-control mode the press acts by the
// window's 3 × 3 zones.
void MapPress(App& app, int x, int y);
void MapRelease(App& app, int x, int y);
// The screen-control zone (1..9, row by row from the top left) of a point.
int ScreenZone(int x, int y, int width, int height);

// Zooms by whole steps of the zoom table around the view centre: positive
// closer, negative farther (the mouse wheel's notches, "+" and "-",
// Page Up and Page Down). Quietly nothing without a map image or while the
// moving map runs a drag.
void ZoomSteps(App& app, int steps);

enum class ArrowKey { Left, Up, Right, Down };
// The arrow keys move the view by half a window.
void MapArrowKey(App& app, ArrowKey key);

}  // namespace mw
