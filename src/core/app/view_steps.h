// The steps every command area takes on the map window's view: running one
// view step and telling what it came to, the window's size and layout beside
// the info panels, and the zoom menu of the open image. They act on the App
// record alone, so the map, moving-map and waypoint commands use them
// without standing above the view commands.
#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

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

}  // namespace mw
