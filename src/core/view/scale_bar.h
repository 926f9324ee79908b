// The floating scale bar: a bar of three segments, each one "nice" ground
// distance long, with that distance written after the first segment. The
// step is the first of a 1-2-5 series (metres, or feet then miles or
// nautical miles) that is longer than 30 screen pixels at the current zoom.
#pragma once

#include <string>

#include "ports/canvas.h"

namespace mw {

struct ViewSettings;

struct ScaleBar {
    int length = 0;     // pixels of one segment; 0: no step fits, nothing drawn
    double step = 0;    // the chosen step in its own unit
    std::string label;  // "500 m", "2 Km", "200 ft", "0.5 m" (miles), "10 nm"
};

// Chooses the step for "Distance Unit" `distanceUnit` (0 km, 1 miles,
// 2 nautical miles), zoom divisor `zoomDivisor` (image pixels per screen
// pixel) and map scale `metresPerPixel` (ground metres per image pixel).
// A scale or divisor that is not positive and finite gives no bar, and so
// does a step that would be more than 10000 pixels long.
ScaleBar ChooseScaleBar(int distanceUnit, double zoomDivisor, double metresPerPixel);

// The scale window's client size: 3L + 2 wide; 15 high, or 38 while it
// carries its caption (the user is dragging it).
inline constexpr int kScaleWindowHeight = 15;
inline constexpr int kScaleWindowCaptionHeight = 38;
inline constexpr const char* kScaleDragTitle = "Drag Scale";
int ScaleWindowWidth(const ScaleBar& bar);

// Draws the bar into a client area `width` × `height`: white, then black
// from x 1 to L + 1, white to 2L + 1, black to 3L − 1, one pixel short of
// the top and bottom; the label at (L + 2, 0) on white in a 12-pixel font.
void DrawScaleBar(Canvas& canvas, const ScaleBar& bar, int width, int height);

// A tap on the scale window: the caption goes on (or off), and the window's
// screen position is kept in the view settings. Returns whether the caption
// is now shown.
bool ToggleScaleCaption(bool captionShown, int screenX, int screenY, ViewSettings& view);

}  // namespace mw
