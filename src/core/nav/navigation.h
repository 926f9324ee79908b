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

// Starts navigation to a target; replaces any earlier one.
void SetNavigationTarget(NavigationState& nav, double lat, double lon, int waypointIndex,
                         std::string name);
// Stops navigation; nothing happens when it is off.
void CancelNavigation(NavigationState& nav);

}  // namespace mw
