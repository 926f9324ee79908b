#include "nav/navigation.h"

#include <cmath>

namespace mw {

void SetNavigationTarget(NavigationState& nav, double lat, double lon, int waypointIndex,
                         std::string name) {
    if (!std::isfinite(lat) || !std::isfinite(lon)) {
        nav.target.reset();
        return;
    }
    nav.target = NavigationTarget{lat, lon, waypointIndex, std::move(name)};
}

void CancelNavigation(NavigationState& nav) { nav.target.reset(); }

bool WaypointDeleted(NavigationState& nav, int waypointIndex) {
    if (!nav.target || waypointIndex < 0 || nav.target->waypointIndex != waypointIndex) return false;
    nav.target.reset();
    return true;
}

}  // namespace mw
