#include "nav/navigation.h"

namespace mw {

void SetNavigationTarget(NavigationState& nav, double lat, double lon, int waypointIndex,
                         std::string name) {
    nav.target = NavigationTarget{lat, lon, waypointIndex, std::move(name)};
}

void CancelNavigation(NavigationState& nav) { nav.target.reset(); }

}  // namespace mw
