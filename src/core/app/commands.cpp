#include "app/commands.h"

#include <set>

#include "view/viewport.h"

namespace mw {

namespace {

using K = MenuNode::Kind;

MenuNode Item(int id, const char* text) { return MenuNode{K::Item, id, text, {}, {}}; }
MenuNode Check(int id, const char* text) { return MenuNode{K::Check, id, text, {}, {}}; }
MenuNode Sep() { return MenuNode{K::Separator, -1, {}, {}, {}}; }
MenuNode Sub(const char* text, std::vector<MenuNode> children, const char* dynamicName = "") {
    return MenuNode{K::Submenu, -1, text, std::move(children), dynamicName};
}

std::vector<MenuNode> BuildMenuBar() {
    MenuNode file = Sub("File", {
        Item(kCmdOpenMap, "Open Map File"),
        Sub("Open Recent Maps", {Item(kCmdRecentMap0, "None")}, "recent"),
        Sep(),
        Item(kCmdCreateWpAtPosition, "Create Wp at Position"),
        Item(kCmdLoadWpFile, "Load Wp File"),
        Item(kCmdSaveWaypoints, "Save Wp's from Map"),
        Item(kCmdClearWaypoints, "Clear Wp's from Map"),
        Item(kCmdSaveWpLog, "Save Wp Log File"),
        Item(kCmdDeleteWpLog, "Delete Wp Log File"),
        Item(kCmdWaypointList, "Waypoint List"),
        Sep(),
        Item(kCmdLoadRouteFile, "Load Maw Route File"),
        Item(kCmdClearRoutes, "Clear Routes from Map"),
        Sep(),
        Item(kCmdLoadTrackFile, "Load Track File"),
        Item(kCmdSaveTrack, "Save Track From Map"),
        Item(kCmdClearTrack, "Clear Track from Map"),
        Item(kCmdSaveTrackLog, "Save Track Log File"),
        Item(kCmdDeleteTrackLog, "Delete Track Log File"),
        Check(kCmdReplayTrack, "Replay Track"),
        Sep(),
        Item(kCmdUploadDownload, "Upload/Download"),
        Sub("Settings", {
            Item(kCmdSettingsSystem, "System"),
            Item(kCmdSettingsMapDataFiles, "Map && Data Files"),
            Item(kCmdSettingsImageFiles, "Map Image Files"),
            Item(kCmdSettingsNmea, "NMEA (GPS)"),
            Item(kCmdSettingsMovingMap, "Moving Map"),
            Item(kCmdSettingsTrack, "Track Logging"),
            Item(kCmdSettingsUnits, "Units"),
            Item(kCmdSettingsWaypoints, "Waypoints"),
            Item(kCmdSettingsRoutes, "Maw Routes"),
            Item(kCmdSettingsNavigation, "Navigation"),
            Item(kCmdSettingsSpeedMonitor, "Speed Monitor"),
        }),
        Sep(),
        Item(kCmdHelp, "Help"),
        Item(kCmdAbout, "About"),
        Item(kCmdDeveloperInfo, "Developer Info"),
        Sep(),
        Item(kCmdQuit, "Quit"),
    });
    MenuNode view = Sub("View", {
        Item(kCmdNameSearch, "Name Search"),
        Sep(),
        Check(kCmdViewMapView, "Map View"),
        Check(kCmdViewScale, "Scale"),
        Check(kCmdViewSpeedInfo, "Speed"),
        Check(kCmdViewSpeedNavInfo, "Navigation Info"),
        Sep(),
        Sub("Waypoints", {
            Check(kCmdViewWaypoints, "Show"),
            Check(kCmdViewWaypointHighlights, "Highlight Waypoints"),
            Check(kCmdViewWaypointNames, "Show Names"),
            Check(kCmdViewWaypointBW, "Black && White"),
            Check(kCmdViewWaypointProximity, "Show Proximity Zone"),
        }),
        Sub("Routes", {
            Check(kCmdViewRoutes, "Show"),
            Check(kCmdViewRouteHighlights, "Highlight Route"),
            Check(kCmdViewRouteWpNames, "Show WP Names"),
            Check(kCmdViewRouteName, "Show Route Name"),
            Check(kCmdViewRouteBW, "Black && White"),
        }),
        Check(kCmdViewTrack, "Track"),
        Sep(),
        Check(kCmdViewToolbar, "Toolbar"),
    });
    // "Zoom" is item 11 of this menu, separators counted.
    MenuNode map = Sub("Map", {
        Check(kCmdMovingMap, "Moving Map (GPS) "),
        Sep(),
        Item(kCmdDisplayNmea, "Display NMEA Input"),
        Item(kCmdViewSatellites, "View Satellites"),
        Sep(),
        Item(kCmdCancelNavigation, "Cancel Navigation"),
        Item(kCmdMapInformation, "Map Information"),
        Item(kCmdFindMapsAtCursor, "Find Maps at Cursor"),
        Sep(),
        Check(kCmdDragMap, "Drag Map"),
        Check(kCmdScreenControl, "Screen Control"),
        Sub("Zoom", {Item(kCmdFullMap, "Full Map")}, "zoom"),
        Sub("Goto", {
            Item(kCmdGotoTopLeft, "Top Left"),
            Item(kCmdGotoTopRight, "Top Right"),
            Item(kCmdGotoBottomLeft, "Bottom Left"),
            Item(kCmdGotoBottomRight, "Bottom Right"),
            Item(kCmdGotoCenter, "Center"),
        }),
    });
    return {file, view, map};
}

void CollectTexts(const std::vector<MenuNode>& nodes, int id, std::string& out) {
    for (const MenuNode& n : nodes) {
        if (!out.empty()) return;
        if (n.id == id && n.kind != K::Submenu && n.kind != K::Separator) out = n.text;
        CollectTexts(n.children, id, out);
    }
}

}  // namespace

const std::vector<MenuNode>& MenuBar() {
    static const std::vector<MenuNode> bar = BuildMenuBar();
    return bar;
}

std::string CommandText(int id) {
    std::string out;
    CollectTexts(MenuBar(), id, out);
    return out;
}

const std::vector<ToolButton>& CommandBarButtons() {
    static const std::vector<ToolButton> buttons = {
        {true, -1, false, "", ""},
        {false, kCmdOpenMapButton, false, "Op", "Open Map File"},
        {false, kCmdMovingMapButton, true, "GPS", "Moving Map (GPS)"},
        {false, kCmdZoomIn, false, "+", "Zoom in"},
        {false, kCmdZoomOut, false, "-", "Zoom out"},
        {true, -1, false, "", ""},
        {false, kCmdFindMapsAtCursor, false, "mf", "Find Maps at Cursor"},
        {false, kCmdFullMap, false, "Fm", "Full Map"},
        {false, kCmdZoom100, false, "100", "100 %"},
        {true, -1, false, "", ""},
        {false, kCmdDragMap, true, "Dr", "Drag Map"},
        {false, kCmdScreenControl, true, "SC", "Screen Control"},
        {true, -1, false, "", ""},
        {false, kCmdViewTrack, true, "Tr", "Track"},
        {false, kCmdViewWaypoints, true, "Wp", "Show Waypoints"},
        {false, kCmdViewRoutes, true, "Rt", "Show Routes"},
    };
    return buttons;
}

const std::vector<ToolPanelButton>& ToolPanelButtons() {
    static const std::vector<ToolPanelButton> buttons = {
        {1037, "mf", kCmdFindMapsAtCursor, false},
        {1038, "Fm", kCmdFullMap, false},
        {1039, "100", kCmdZoom100, false},
        {1040, "Dr", kCmdDragMap, true},
        {1041, "SC", kCmdScreenControl, true},
        {1042, "Tr", kCmdViewTrack, true},
        {1043, "Wp", kCmdViewWaypoints, true},
        {1044, "Rt", kCmdViewRoutes, true},
        {1045, "Ns", kCmdNameSearch, false},
        {1046, "WL", kCmdWaypointList, false},
        {1047, "MV", kCmdViewMapView, true},
    };
    return buttons;
}

int CanonicalCommand(int id) {
    if (id == kCmdOpenMapButton) return kCmdOpenMap;
    if (id == kCmdMovingMapButton) return kCmdMovingMap;
    return id;
}

bool CommandAvailable(int id) {
    static const std::set<int> available = {
        kCmdQuit, kCmdAbout, kCmdDeveloperInfo, kCmdHelp, kCmdUploadDownload,
        kCmdViewWaypoints, kCmdViewWaypointHighlights, kCmdViewWaypointNames, kCmdViewWaypointBW,
        kCmdViewWaypointProximity, kCmdViewRoutes, kCmdViewRouteHighlights, kCmdViewRouteWpNames,
        kCmdViewRouteName, kCmdViewRouteBW, kCmdViewTrack, kCmdViewToolbar, kCmdDragMap,
        kCmdScreenControl, kCmdMovingMap, kCmdLoadTrackFile, kCmdSaveTrack, kCmdClearTrack,
        kCmdSaveTrackLog, kCmdDeleteTrackLog, kCmdReplayTrack, kCmdOpenMap, kCmdRecentMap0, kCmdMapInformation, kCmdFindMapsAtCursor,
    };
    if (id >= kCmdRecentMap1 && id <= kCmdRecentMap9) return true;
    if (id >= kCmdGotoTopLeft && id <= kCmdGotoCenter) return true;
    if (id == kCmdZoomIn || id == kCmdZoomOut || id == kCmdFullMap || id == kCmdZoom100) return true;
    if (ZoomEntryForCommand(id)) return true;
    return available.count(CanonicalCommand(id)) > 0;
}

}  // namespace mw
