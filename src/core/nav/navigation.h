// The navigation target: where the navigation line and the navigation panel
// point to. There is no automatic arrival: navigation runs until it is
// cancelled or its target waypoint is deleted.
#pragma once

#include <optional>
#include <string>

namespace mw {

struct NavigationTarget {
    double lat = 0, lon = 0;  // degrees on the loaded map's datum
    // The waypoint slot the target came from; -1 for a place that is no
    // stored waypoint (a name search result).
    int waypointIndex = -1;
    std::string name;
};

struct NavigationState {
    // No target while navigation is off.
    std::optional<NavigationTarget> target;
    bool Active() const { return target.has_value(); }
};

// Starts navigation to a target; replaces any earlier one. A position that
// is not a number (NaN, infinite) is no target: navigation is then off.
void SetNavigationTarget(NavigationState& nav, double lat, double lon, int waypointIndex,
                         std::string name);
// Stops navigation; nothing happens when it is off.
void CancelNavigation(NavigationState& nav);
// The waypoint in slot `waypointIndex` was deleted: navigation to it stops.
// Returns whether it did (false when the target is another place).
bool WaypointDeleted(NavigationState& nav, int waypointIndex);

}  // namespace mw
