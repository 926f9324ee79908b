// The seamless map window as the application runs it: the neighbours come
// from the map catalogue over the folders automatic selection searches, and
// the "Seamless Maps" view setting switches the fill on and off.
#pragma once

#include "app/app_state.h"

namespace mw {

// Makes every render of the map window fill its margin from the
// neighbouring maps while the view setting is on.
void InstallSeamlessMaps(App& app);

// "Seamless Maps": flips the view setting, its check mark, and draws the
// view again with or without the neighbours.
void ToggleSeamlessMaps(App& app);

}  // namespace mw
