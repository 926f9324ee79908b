// The waypoint commands and the application-level waypoint operations:
// creating a waypoint at the view centre, the default waypoints at start-up,
// centring the map on a position, and what the "Waypoints" list's buttons do.
#pragma once

#include <optional>
#include <vector>

#include "app/app_state.h"
#include "waypoint/waypoint_list.h"

namespace mw {

inline constexpr const char* kClearWaypointsQuestion = "Clear Waypoints from the Map ?";
inline constexpr const char* kDeleteWaypointLogQuestion =
    "Delete the Waypoint Log File ?\n\nIt will be created empty when Logging Resumes";
inline constexpr const char* kWaypointFileNotOpenedText = "Waypoint file could not be opened";
inline constexpr const char* kCannotCreateWaypointFileText = "Cannot Create Waypoint File";
inline constexpr const char* kTooManyWaypointsText = "Too many Waypoints Loaded";
inline constexpr const char* kWaypointLogSavedAsText = "Saved as : ";
inline constexpr const char* kWaypointLogNotSavedText = "Waypoint Log file could not be saved.";
inline constexpr const char* kWaypointLogMissingText = "Waypoint Log File does not exist";
inline constexpr const char* kWaypointLogDeletedText =
    "Waypoint Log File (ceWaypoints.wpt) has been Deleted";
inline constexpr const char* kWaypointLogNotDeletedText = "Waypoint Log File could not be Deleted";
inline constexpr const char* kLoadWaypointFileTitle = "Load Waypoint File";
inline constexpr const char* kSaveWaypointFileTitle = "Save Waypoint File";
// Base names of the proposed save names.
inline constexpr const char* kWaypointSaveBaseName = "Wp";
inline constexpr const char* kWaypointLogSaveBaseName = "WpLog";
inline constexpr const char* kWaypointExtension = "wpt";

// The data folder's waypoint log.
std::string WaypointLogFile(const App& app);

// Start-up with a map image on screen: when "Load Default Wps" is set, reads
// the data folder's waypoint log into the store. Returns whether it was read.
bool LoadDefaultWaypoints(App& app);

// A waypoint at the view centre, or at the last GPS position when the view
// centre is 0, 0, appended to the log; then the map is repainted. Needs a
// loaded map. Without a position: "Cursor Position not Selected". Returns
// the slot, or -1 when nothing was created. (The command also switches
// "View Waypoints" on; screen-control taps do not.)
int CreateWaypointAtPosition(App& app);
// A waypoint at (`lat`, `lon`) on the map datum, named or "WP" + slot, logged
// like every created waypoint; its slot, or -1 ("Too many Waypoints Loaded"
// when every slot is taken).
int CreateWaypointAt(App& app, double lat, double lon, const std::optional<std::string>& name);

// Centres the map on (`lat`, `lon`) (degrees on the map datum). Only with a
// map image and the GPS off. A position off the map loads a map covering it
// (the position then moves to the new map's datum).
void ShowPositionOnMap(App& app, double lat, double lon);

// The list's selection: `row` when it is a row (>= 0), otherwise -1 with
// "There is no Waypoint selected".
int SelectedRow(App& app, int row);

// The list's rows for the current store, positions in the configured format.
std::vector<WaypointListRow> WaypointListRows(const App& app);

// "Map": centres the map on the row's waypoint; false when its slot has been
// emptied meanwhile.
bool WaypointListShowOnMap(App& app, const WaypointListRow& row);
// "GoTo": the row's waypoint becomes the navigation target.
bool WaypointListGoTo(App& app, const WaypointListRow& row);
// "Delete": marks or unmarks the row. When the row's waypoint is the
// navigation target, navigation is switched off at once, whatever follows.
void WaypointListToggleDelete(App& app, WaypointListRow& row);
// OK: frees the marked rows' waypoints and repaints the map.
void WaypointListConfirm(App& app, const std::vector<WaypointListRow>& rows);

}  // namespace mw
