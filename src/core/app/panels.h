// The windows and panels around the map as the application drives them:
// what the status line, the info panels, the scale bar, the overview and the
// satellites view show of the running program, and what their taps and
// buttons do. The window layer draws with the view functions and calls
// these; their commands are rows of panel_commands.cpp.
#pragma once

#include "app/app_state.h"
#include "view/info_panels.h"
#include "view/satellite_view.h"
#include "view/scale_bar.h"

namespace mw {

inline constexpr const char* kNotInPvtModeText = "Does not work in Garmin PVT mode";
inline constexpr const char* kGpsMustBeOnText = "Communication with the GPS must be On";

// The client area below the tool bars as the main window divides it: the
// status line strip along the top, the map window under it, and the info
// panels under the map (portrait) or in the column right of it (landscape).
struct AroundMapLayout {
    Rect statusLine, map, panels;
};
// Lays out the map window for the room the status line leaves
// (LayoutMapWindow) and remembers that room for re-layouts after a panel is
// switched on or off. Rectangles are in the client area's coordinates.
AroundMapLayout LayOutAroundMap(App& app, int clientWidth, int clientHeight);

// Bottom in portrait, the right column in landscape.
PanelLayout InfoPanelLayoutFor(const App& app);

// Where the status line and the navigation panel measure from: the last GPS
// position while the moving map follows the GPS (stale while the receiver is
// silent), else the view centre the user chose; with neither (the moving map
// stopped, the view left where the GPS put it) the last GPS position, stale.
// None before any fix: the panels then show no position and no distance.
struct PanelPosition {
    std::optional<GeoPoint> at;  // degrees on the map datum
    bool stale = false;
};
PanelPosition PanelPositionFrom(const App& app);

// The status line: the position of PanelPositionFrom in the "Position
// Format" ("---" for none), grey while it is stale.
StatusLineInputs StatusLineInputsFrom(const App& app);

// The panels' shown flags, the fix's speed, heading (by "Heading Unit") and
// altitude, and whether there is a navigation target. The navigation texts
// (name, distance, unit, bearing) are the navigation code's to fill.
InfoPanelInputs InfoPanelInputsFrom(const App& app);

// The scale bar for the loaded map at the current zoom and "Distance Unit";
// no bar (length 0) without a map image. The window layer works it out anew
// at every repaint of the scale window and of the map window: the core asks
// for the scale window's repaint at every zoom and map change (RunViewStep,
// LoadMapFile), and a unit change repaints the map window.
ScaleBar ScaleBarFrom(const App& app);

// Brings the overview's picture and geometry up to date with the open image
// and "MapView Size". Returns whether the window must be resized.
bool SyncOverviewWithView(App& app);
// ">" (larger) or "<": with a loaded map, steps "MapView Size"; at a limit
// nothing else changes. Returns whether the size changed.
bool StepOverviewSize(App& app, bool larger);
// A tap at client point (x, y) of the overview (with a loaded map): the
// view is centred on the image pixel under it.
void OverviewTap(App& app, int x, int y);
// The view centre moves to a position on the map datum; off the map's
// border the "Maps Found" dialog is opened for it instead. Ignored without
// a view image and while the moving map follows the GPS.
void CentreOnPosition(App& app, double lat, double lon);
// The overview window was closed by the user: "View MapView" off.
void CloseOverview(App& app);

// The satellites view opened or closed: GSV sentences are parsed only
// while it is open.
void SetSatellitesViewOpen(App& app, bool open);
// What the view shows. `setsAtOpening` is the count of complete sets when
// it opened: until another set arrives it waits.
SatelliteViewInputs SatelliteViewInputsFrom(const App& app, unsigned setsAtOpening);

// The receiver's NMEA monitor, or null while no receiver was ever opened.
NmeaMonitor* GpsNmeaMonitor(App& app);

}  // namespace mw
