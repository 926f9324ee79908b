// What the map window shows: the one record of the view and the only ways it
// changes. The window size and where the centre sits on it, the centre in
// image pixels and (when the user chose it) in degrees, the zoom and the
// view corner it gives, the GPS pointer and whether the moving map follows.
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

struct MapView {
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
};

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
