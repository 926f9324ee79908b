// The program's command numbers, the identifiers every menu item, button and
// command row goes by. They are long-standing: the numbers are kept as they are.
#pragma once

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
    kCmdImportMap = 40132,
    kCmdCalibrateMap = 40133,
    kCmdTrackInfo = 40150,
    kCmdResetTrip = 40155,
    kCmdSeamlessMaps = 40160,
};

// The command a tool button alias stands for (0 -> 102, 1 -> 40004).
constexpr int CanonicalCommand(int id) {
    if (id == kCmdOpenMapButton) return kCmdOpenMap;
    if (id == kCmdMovingMapButton) return kCmdMovingMap;
    return id;
}

}  // namespace mw
