// Command identifiers and the menu and tool bar tables the window layer builds
// its menus and buttons from, gathered from the places the command rows give
// (command_table.h). Identifiers are the program's long-standing command
// numbers; the texts are the menu texts exactly ("&&" shows one "&").
#pragma once

#include <string>
#include <vector>

namespace mw {

enum CommandId : int {
    kCmdOpenMapButton = 0,    // tool button alias of kCmdOpenMap
    kCmdMovingMapButton = 1,  // tool button alias of kCmdMovingMap
    kCmdZoomIn = 33,
    kCmdZoomOut = 34,
    kCmdOpenMap = 102,
    kCmdAbout = 40001,
    kCmdMovingMap = 40004,
    kCmdQuit = 40007,
    kCmdHelp = 40009,
    kCmdGotoTopLeft = 40012,
    kCmdGotoTopRight = 40013,
    kCmdGotoBottomLeft = 40014,
    kCmdGotoBottomRight = 40015,
    kCmdGotoCenter = 40016,
    kCmdSettingsSystem = 40017,
    kCmdSettingsNmea = 40018,
    kCmdViewWaypoints = 40019,
    kCmdLoadWpFile = 40020,
    kCmdDeleteTrackLog = 40023,
    kCmdClearTrack = 40025,
    kCmdFindMapsAtCursor = 40026,
    kCmdLoadTrackFile = 40027,
    kCmdViewSpeedInfo = 40028,
    kCmdViewSpeedNavInfo = 40029,
    kCmdSettingsUnits = 40030,
    kCmdReplayTrack = 40031,
    kCmdViewWaypointHighlights = 40032,
    kCmdSaveTrackLog = 40033,
    kCmdViewWaypointNames = 40034,
    kCmdZoom100 = 40035,
    kCmdFullMap = 40036,
    kCmdSettingsSpeedMonitor = 40041,
    kCmdWaypointList = 40043,
    kCmdSettingsMapDataFiles = 40044,
    kCmdSettingsImageFiles = 40045,
    kCmdZoom2_5 = 40046,
    kCmdZoom5 = 40047,
    kCmdZoom10 = 40048,
    kCmdZoom20 = 40049,
    kCmdZoom33 = 40050,
    kCmdZoom50 = 40051,
    kCmdMapInformation = 40058,
    kCmdSettingsTrack = 40059,
    kCmdViewScale = 40060,
    kCmdViewToolbar = 40061,
    kCmdDragMap = 40062,
    kCmdScreenControl = 40063,
    kCmdCreateWpAtPosition = 40065,
    kCmdSettingsMovingMap = 40069,
    kCmdViewTrack = 40070,
    kCmdClearWaypoints = 40071,
    kCmdSettingsWaypoints = 40072,
    kCmdDeveloperInfo = 40074,
    kCmdZoom75 = 40075,
    kCmdZoom25 = 40076,
    kCmdViewWaypointBW = 40089,
    kCmdSaveWaypoints = 40090,
    kCmdLoadRouteFile = 40092,
    kCmdViewRoutes = 40093,
    kCmdUploadDownload = 40094,
    kCmdSettingsRoutes = 40095,
    kCmdViewRouteHighlights = 40096,
    kCmdViewRouteWpNames = 40097,
    kCmdViewRouteName = 40098,
    kCmdViewRouteBW = 40099,
    kCmdDeleteWpLog = 40100,
    kCmdSaveWpLog = 40101,
    kCmdClearRoutes = 40102,
    kCmdSaveTrack = 40103,
    kCmdSettingsNavigation = 40105,
    kCmdCancelNavigation = 40106,
    kCmdViewWaypointProximity = 40108,
    kCmdNameSearch = 40109,
    kCmdDisplayNmea = 40110,
    kCmdViewSatellites = 40111,
    kCmdRecentMap1 = 40113,  // 40113..40121: recent maps 1..9
    kCmdRecentMap9 = 40121,
    kCmdRecentMap0 = 40123,
    kCmdViewMapView = 40124,
    kCmdImportGpx = 40130,
    kCmdExportGpx = 40131,
    kCmdTrackInfo = 40150,
    kCmdResetTrip = 40155,
};

// One node of the menu bar: an item, a check item, a separator or a submenu.
struct MenuNode {
    enum class Kind { Item, Check, Separator, Submenu };
    Kind kind = Kind::Item;
    int id = -1;           // command; -1 for separators and submenus
    std::string text;      // menu text; submenu title
    std::vector<MenuNode> children;
    // A submenu whose items are rebuilt at run time ("Open Recent Maps",
    // "Zoom") carries a name the window layer finds it by.
    std::string dynamicName;
};

// The three top-level menus "File", "View" and "Map".
const std::vector<MenuNode>& MenuBar();
// The menu text of a command, or empty when no menu item carries it.
std::string CommandText(int id);

// The command bar: entries 0..15; in portrait only the first five are shown.
struct ToolButton {
    bool separator = false;
    int command = -1;
    bool checkable = false;
    std::string label;  // short caption drawn on the button image
    std::string tip;    // tool tip
};
const std::vector<ToolButton>& CommandBarButtons();
inline constexpr int kPortraitCommandBarButtons = 5;

// The portrait tool panel: control number, caption and the command it runs.
struct ToolPanelButton {
    int control;
    std::string caption;
    int command;
    bool toggle;
};
const std::vector<ToolPanelButton>& ToolPanelButtons();

// Commands whose work exists in this build. The window layer disables every
// other item rather than offering something that does nothing.
bool CommandAvailable(int id);

// Whether the command carries a check mark (its action is checkable).
bool CommandIsToggle(int id);
// Whether the window must lay itself out again after the command.
bool CommandChangesLayout(int id);

struct App;
// Whether the command's menu item and button are enabled now: built, and
// choosable in the program's present state.
bool CommandEnabled(const App& app, int id);

// The command a tool button alias stands for (0 -> 102, 1 -> 40004).
int CanonicalCommand(int id);

}  // namespace mw
