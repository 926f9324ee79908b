// The Settings menu: one dialog per item.
// Rows with an empty handler are not built yet: their menu items are shown
// disabled.
#include "app/app.h"
#include "app/command_table.h"
#include "app/commands.h"

namespace mw {

CommandRows SettingsCommandRows() {
    return {
        {kCmdSettingsSystem, "System", CommandKind::Action, {}, {}, {}},
        {kCmdSettingsMapDataFiles, "Map && Data Files", CommandKind::Action, {}, {}, {}},
        {kCmdSettingsImageFiles, "Map Image Files", CommandKind::Action, {}, {}, {}},
        {kCmdSettingsNmea, "NMEA (GPS)", CommandKind::Action, {}, {}, {}},
        {kCmdSettingsMovingMap, "Moving Map", CommandKind::Action, {}, {}, {}},
        {kCmdSettingsTrack, "Track Logging", CommandKind::Action, {}, {}, {}},
        {kCmdSettingsUnits, "Units", CommandKind::Action, {}, {}, {}},
        {kCmdSettingsWaypoints, "Waypoints", CommandKind::Action, {}, {}, {}},
        {kCmdSettingsRoutes, "Maw Routes", CommandKind::Action, {}, {}, {}},
        {kCmdSettingsNavigation, "Navigation", CommandKind::Action, {}, {}, {}},
        {kCmdSettingsSpeedMonitor, "Speed Monitor", CommandKind::Action, {}, {}, {}},
    };
}

}  // namespace mw
