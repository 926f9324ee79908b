// The rows of the "Waypoints" list and their deletion marks. A row finds its
// waypoint again by slot number; nothing is freed until the list is
// confirmed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "waypoint/waypoint_store.h"

namespace mw {

inline constexpr const char* kDeletedMark = "Deleted";
inline constexpr const char* kNoWaypointSelectedText = "There is no Waypoint selected";

struct WaypointListRow {
    int slot = -1;
    std::string name, description, position;
    // Marked for deletion: the first column reads "Deleted" instead of the
    // name. The mark, not the text, decides, so a waypoint that is itself
    // called "Deleted" is only freed when the user marks it.
    bool marked = false;

    const std::string& FirstColumn() const;
};

// One row per waypoint not at 0, 0, in slot order. `formatPosition` gives the
// position text (degrees on the map datum in, text out).
std::vector<WaypointListRow> BuildWaypointListRows(
    const WaypointStore& store, const std::function<std::string(double lat, double lon)>& formatPosition);

// Frees the waypoint of every marked row (an already empty slot is skipped)
// and returns how many were freed.
int FreeMarkedWaypoints(WaypointStore& store, const std::vector<WaypointListRow>& rows);

}  // namespace mw
