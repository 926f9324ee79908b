// The picture the map window shows while no map is loaded.
#pragma once

#include "ports/canvas.h"

namespace mw {

// Draws the start-up logo centred in a window of `width` × `height` pixels:
// a compass rose over a folded map sheet with the program's name under it.
void PaintStartupLogo(Canvas& canvas, int width, int height);

}  // namespace mw
