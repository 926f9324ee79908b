// The route commands of the File menu, "Cancel Navigation", and the way in
// for the "GoTo" buttons of the waypoint list and the name search.
#pragma once

#include <string>

namespace mw {

struct App;

inline constexpr const char* kLoadRouteTitle = "Load Route File";
inline constexpr const char* kClearRoutesQuestion = "Clear Routes from the Map";

// "Load Maw Route File": needs a map; asks for a route file in the data
// folder, loads it into app.routes on the map's datum, repaints the map.
void LoadRouteCommand(App& app);
// "Clear Routes from Map": on Yes to "Clear Routes from the Map", removes
// every route and repaints the map.
void ClearRoutesCommand(App& app);

// Starts navigation to (lat, lon) (degrees on the map datum) named `name`;
// `waypointIndex` is the target's waypoint slot, -1 for a place that is no
// stored waypoint. Repaints the main window (the navigation panel) and the
// map (the navigation line).
void SetNavigationTarget(App& app, double lat, double lon, int waypointIndex, std::string name);
// "Cancel Navigation": navigation off; repaints the map and the main window.
void CancelNavigation(App& app);
// The waypoint list deleted slot `waypointIndex`: navigation to it stops at
// once. The list repaints both windows when it closes.
void NavigationWaypointDeleted(App& app, int waypointIndex);

}  // namespace mw
