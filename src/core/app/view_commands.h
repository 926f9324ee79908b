// The map window's view as the user drives it: the zoom and "Goto" commands,
// and what taps, drags and the arrow keys do on the map window. The steps
// these and the other command areas share are in view_steps.h.
#pragma once

#include "app/app_state.h"
#include "app/view_steps.h"

namespace mw {

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
