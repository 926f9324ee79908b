// Keeps the desktop's screen saver away while the moving map runs.
#pragma once

namespace mw {

// Tells the desktop's screen saver the user is active; where there is no such
// service the call goes nowhere, silently.
void KeepDesktopAwake();

}  // namespace mw
