// What the map window shows: the one record of the view and the only ways it
// changes. The main window's client area and where the map window sits in
// it, the window size and where the centre sits on it, the centre in image
// pixels and (when the user chose it) in degrees, the zoom and the view
// corner it gives, the GPS pointer, the last fix and whether it lay on the
// map, whether the moving map follows, and a drag under way.
//
// Every operation keeps the record consistent (the corner always matches the
// centre, the zoom and the half sizes), so a caller changes the view through
// them and never by writing a field. They are plain geometry: rendering the
// view image is the viewport's business (view/viewport.h).
//
// Coordinates: the centre is in full-resolution image pixels; the corner is
// in pixels of the level shown; the zoom divisor is image pixels per screen
// pixel (below 1 the view is magnified when it is painted).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geo/geo_point.h"
#include "map/calibration.h"
#include "map/map_record.h"

namespace mw {

// One entry of the zoom table: divisor, menu text and command.
struct ZoomEntry {
    double divisor = 1.0;
    std::string label;
    int command = 0;
    friend bool operator==(const ZoomEntry&, const ZoomEntry&) = default;
};

// Where the GPS pointer is drawn: the image pixel of the last fix shown and
// the course it points along (-777 or 777: none, drawn as a circle).
struct GpsPointer {
    int x = 0, y = 0;
    double heading = -777;
    bool operator==(const GpsPointer&) const = default;
};

// In landscape the centre sits this far above the window's middle, as the
// program has always placed it there.
inline constexpr int kLandscapeCentreLift = 23;

// The main window's client area and the map window's place in it.
struct MapScreen {
    int width = 480, height = 640;  // the main window's client size
    bool portrait = true;
    // Top of the map window below the command bar: 39, or 59 while the
    // portrait tool panel is shown. The window layer stacks its tool bars
    // itself; the value is kept for the layout rules that read it.
    int mapTop = 39;
    // The area below the tool bars that the map window and the info panels
    // share, as the window layer last measured it (0: not known yet).
    int areaWidth = 0, areaHeight = 0;
};

// "Drag Map": taps drag the view; a press starts a drag at (startX, startY)
// in window pixels.
struct MapDrag {
    bool mode = false;
    int startX = 0, startY = 0;
};

// The last GPS position on the map datum, as the position pipeline keeps
// it; 0, 0 until a fix arrives (a map load clears it). `onMap`: it lay on
// the loaded map (the track tail then reaches the centre, the pointer shows).
struct ShownFix {
    double lat = 0, lon = 0;
    bool onMap = false;
};

struct MapView {
    MapScreen screen;
    // The map window's client size and the window point the centre is drawn
    // at (half the size, lifted in landscape).
    int width = 0, height = 0;
    int halfWidth = 0, halfHeight = 0;
    // The view centre in full-resolution image pixels.
    int centreX = 0, centreY = 0;
    // The centre in degrees on the map datum while it is one the user chose
    // (the cursor cross marks it); none while the GPS places the view.
    std::optional<GeoPoint> centre;
    // The entry of the viewport's zoom table shown and its divisor.
    int zoomIndex = 0;
    double zoom = 1.0;
    // The view corner in pixels of the level shown.
    int left = 0, top = 0;
    // Where the last fix was drawn; none while the GPS is off.
    std::optional<GpsPointer> pointer;
    // The moving map runs: fixes place the view, taps do not.
    bool following = false;
    ShownFix lastFix;
    MapDrag drag;
    // Whether the loaded map's image is on screen (a map whose image was not
    // found has none).
    bool imageShown = false;
};

// --- The main window around the map ---

// The main window's client size; portrait when it is taller than wide.
void SetScreenSize(MapView& view, int clientWidth, int clientHeight);
// The panels' layout chosen whatever the client size's shape says.
void SetPortrait(MapView& view, bool portrait);
// The map window's top below the command bar, with or without the tool panel.
void PlaceMapTop(MapView& view, bool toolPanelShown);
// The area below the tool bars, as the window layer measured it.
void SetMapArea(MapView& view, int width, int height);

// A point in screen pixels (on the main window's client area).
struct ScreenPoint {
    int x = 0, y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};
// Where a picture shown over the map (an alarm's) is centred: the middle of
// the client area, moved down by the command bar above the map.
ScreenPoint PopupCentre(const MapView& view);

// --- The moving map ---

// The moving map starts following: fixes place the view, so the centre
// keeps no degrees of its own (no cursor cross covers the pointer).
void StartFollowing(MapView& view);
// The moving map stops: no pointer is left on screen.
void StopFollowing(MapView& view);
// The pointer goes (a new run or the end of a replay); the fix shown stays.
void ForgetPointer(MapView& view);
// The GPS places the view from now on: the centre's degrees go.
void ReleaseCentre(MapView& view);
// The pointer turns with the course before the next fix moves it.
void TurnPointer(MapView& view, double heading);
// The last fix on the map datum, and whether it lay on the map.
void KeepLastFix(MapView& view, double lat, double lon);
void SetFixOnMap(MapView& view, bool onMap);
// A map load: the last fix belonged to the old map.
void ForgetLastFix(MapView& view);

// A place off the map becomes the cursor: its degrees are the centre's,
// while the view itself stays.
void MarkCentre(MapView& view, GeoPoint position);

// --- Taps and the image ---

void SetDragMode(MapView& view, bool on);
// A press in drag mode: the drag starts at window point (x, y).
void StartDrag(MapView& view, int x, int y);
// Whether the map image is on screen.
void SetImageShown(MapView& view, bool shown);

// A map load shows the view it opened (`opened`, a copy of `shown` changed by
// the opening) without undoing what changed meanwhile around it: the screen
// and the drag stay as they are now. The last fix, on the old map's datum,
// is forgotten.
void ShowOpenedView(MapView& shown, const MapView& opened);

// The window is `width` × `height`; the half sizes follow (the centre lifted
// in landscape). True when anything changed.
bool Resize(MapView& view, int width, int height, bool portrait);

// The image pixel (x, y) becomes the centre; its degrees become the chosen
// centre.
void CentreOnPixel(MapView& view, const MapRecord& map, const DatumTable& datums, int x, int y);

// The position (degrees on the map datum) becomes the chosen centre.
void CentreOn(MapView& view, const MapRecord& map, const DatumTable& datums, GeoPoint position);

// The moving map shows a fix (degrees on the map datum): centre and pointer
// move to its pixel, and the centre is no longer a chosen one.
void FollowFix(MapView& view, const MapRecord& map, const DatumTable& datums, GeoPoint fix,
               double heading);

// Shows entry `index` of `table` (clamped); nothing with an empty table.
void ZoomTo(MapView& view, const std::vector<ZoomEntry>& table, int index);

// The closest zoom at which the whole image fits the window both ways, never
// magnified (entries up to `zoomIndex100`); the most distant entry when none
// fits. The image centre becomes the centre.
void FullMap(MapView& view, const std::vector<ZoomEntry>& table, int zoomIndex100,
             const MapRecord& map, const DatumTable& datums);

// The view moves with a drag of (dx, dy) window pixels: the map under the
// finger stays under it.
void Pan(MapView& view, const MapRecord& map, const DatumTable& datums, int dx, int dy);

// The image pixel under the window point (x, y).
MapPixel WindowToImagePixel(const MapView& view, int x, int y);

}  // namespace mw
