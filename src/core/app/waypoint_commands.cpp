// The waypoint commands of the File menu, the waypoint view toggles and the
// waypoint list.
// Rows with an empty handler are not built yet: their menu items are shown
// disabled.
#include "app/app.h"
#include "app/command_table.h"
#include "app/commands.h"

namespace mw {

CommandRows WaypointCommandRows() {
    return {
        {kCmdCreateWpAtPosition, "Create Wp at Position", CommandKind::Action, {}, {}, {}},
        {kCmdLoadWpFile, "Load Wp File", CommandKind::Action, {}, {}, {}},
        {kCmdSaveWaypoints, "Save Wp's from Map", CommandKind::Action, {}, {}, {}},
        {kCmdClearWaypoints, "Clear Wp's from Map", CommandKind::Action, {}, {}, {}},
        {kCmdSaveWpLog, "Save Wp Log File", CommandKind::Action, {}, {}, {}},
        {kCmdDeleteWpLog, "Delete Wp Log File", CommandKind::Action, {}, {}, {}},
        {kCmdWaypointList, "Waypoint List", CommandKind::Action, {}, {}, {}},
        ViewToggleRow(kCmdViewWaypoints, "Show", &ViewSettings::viewWaypoints, true),
        ViewToggleRow(kCmdViewWaypointHighlights, "Highlight Waypoints", &ViewSettings::viewWaypointHighlights, false),
        ViewToggleRow(kCmdViewWaypointNames, "Show Names", &ViewSettings::viewWaypointNames, false),
        ViewToggleRow(kCmdViewWaypointBW, "Black && White", &ViewSettings::viewWaypointBW, false),
        ViewToggleRow(kCmdViewWaypointProximity, "Show Proximity Zone", &ViewSettings::viewWaypointProximity, false),
    };
}

}  // namespace mw
