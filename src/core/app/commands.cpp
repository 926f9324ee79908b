#include "app/commands.h"

#include "app/command_table.h"

namespace mw {

namespace {

using K = MenuNode::Kind;

// A menu item takes its text and kind from the command's row.
MenuNode Entry(int id) {
    const CommandRow* row = FindCommandRow(id);
    if (!row) return MenuNode{K::Item, id, {}, {}, {}};
    return MenuNode{row->kind == CommandKind::Toggle ? K::Check : K::Item, id, row->text, {}, {}};
}
MenuNode Sep() { return MenuNode{K::Separator, -1, {}, {}, {}}; }
MenuNode Sub(const char* text, std::vector<MenuNode> children, const char* dynamicName = "") {
    return MenuNode{K::Submenu, -1, text, std::move(children), dynamicName};
}

std::vector<MenuNode> BuildMenuBar() {
    MenuNode file = Sub("File", {
        Entry(kCmdOpenMap),
        Entry(kCmdImportMap),
        Sub("Open Recent Maps", {Entry(kCmdRecentMap0)}, "recent"),
        Entry(kCmdCalibrateMap),
        Sep(),
        Entry(kCmdCreateWpAtPosition),
        Entry(kCmdLoadWpFile),
        Entry(kCmdSaveWaypoints),
        Entry(kCmdClearWaypoints),
        Entry(kCmdSaveWpLog),
        Entry(kCmdDeleteWpLog),
        Entry(kCmdWaypointList),
        Sep(),
        Entry(kCmdLoadRouteFile),
        Entry(kCmdClearRoutes),
        Sep(),
        Entry(kCmdLoadTrackFile),
        Entry(kCmdSaveTrack),
        Entry(kCmdClearTrack),
        Entry(kCmdSaveTrackLog),
        Entry(kCmdDeleteTrackLog),
        Entry(kCmdReplayTrack),
        Entry(kCmdImportGpx),
        Entry(kCmdExportGpx),
        Sep(),
        Entry(kCmdUploadDownload),
        Sub("Configuration", {
            Entry(kCmdSettingsSystem),
            Entry(kCmdSettingsMapDataFiles),
            Entry(kCmdSettingsImageFiles),
            Entry(kCmdSettingsNmea),
            Entry(kCmdSettingsMovingMap),
            Entry(kCmdSettingsTrack),
            Entry(kCmdSettingsUnits),
            Entry(kCmdSettingsWaypoints),
            Entry(kCmdSettingsRoutes),
            Entry(kCmdSettingsNavigation),
            Entry(kCmdSettingsSpeedMonitor),
        }),
        Sep(),
        Entry(kCmdHelp),
        Entry(kCmdAbout),
        Entry(kCmdDeveloperInfo),
        Sep(),
        Entry(kCmdQuit),
    });
    MenuNode view = Sub("View", {
        Entry(kCmdNameSearch),
        Sep(),
        Entry(kCmdViewMapView),
        Entry(kCmdViewScale),
        Entry(kCmdViewSpeedInfo),
        Entry(kCmdViewSpeedNavInfo),
        Entry(kCmdResetTrip),
        Sep(),
        Sub("Waypoints", {
            Entry(kCmdViewWaypoints),
            Entry(kCmdViewWaypointHighlights),
            Entry(kCmdViewWaypointNames),
            Entry(kCmdViewWaypointBW),
            Entry(kCmdViewWaypointProximity),
        }),
        Sub("Routes", {
            Entry(kCmdViewRoutes),
            Entry(kCmdViewRouteHighlights),
            Entry(kCmdViewRouteWpNames),
            Entry(kCmdViewRouteName),
            Entry(kCmdViewRouteBW),
        }),
        Entry(kCmdViewTrack),
        Entry(kCmdTrackInfo),
        Sep(),
        Entry(kCmdViewToolbar),
        Entry(kCmdSeamlessMaps),
    });
    // "Zoom" is item 11 of this menu, separators counted.
    MenuNode map = Sub("Map", {
        Entry(kCmdMovingMap),
        Sep(),
        Entry(kCmdDisplayNmea),
        Entry(kCmdViewSatellites),
        Sep(),
        Entry(kCmdCancelNavigation),
        Entry(kCmdMapInformation),
        Entry(kCmdFindMapsAtCursor),
        Sep(),
        Entry(kCmdDragMap),
        Entry(kCmdScreenControl),
        Sub("Zoom", {Entry(kCmdFullMap)}, "zoom"),
        Sub("Goto", {
            Entry(kCmdGotoTopLeft),
            Entry(kCmdGotoTopRight),
            Entry(kCmdGotoBottomLeft),
            Entry(kCmdGotoBottomRight),
            Entry(kCmdGotoCenter),
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
    const CommandRow* row = FindCommandRow(id);
    return row && row->run;
}

bool CommandEnabled(const App& app, int id) {
    const CommandRow* row = FindCommandRow(id);
    return row && row->run && (!row->available || row->available(app));
}

}  // namespace mw
