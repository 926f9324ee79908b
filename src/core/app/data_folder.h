// Where the program's data files go: the track and waypoint logs, and the
// folder every file request for data starts in.
#pragma once

#include <string>

#include "app/app_state.h"

namespace mw {

// The local folder of "Data Path" (the default one while it is blank).
std::string DataFolder(const App& app);

}  // namespace mw
