// What the map window draws over the map image from the track and the GPS:
// the track tail, the GPS pointer, the cursor cross at the view centre, the
// zoom caption and the replay caption. Everything goes through the Canvas
// port in window pixels.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "geo/geo_point.h"
#include "map/calibration.h"
#include "ports/canvas.h"
#include "view/map_view.h"

namespace mw {

class TrackStore;
struct AppSettings;

// Position on the map datum (degrees) to image pixel, and back: the map's
// calibration, or a stand-in where a test gives positions as pixels.
struct MapProjection {
    std::function<MapPixel(double lat, double lon)> toPixel;
    std::function<GeoPoint(double x, double y)> toLatLon;
};

// The loaded map's calibration (LatLonToMapPixel, MapPixelToLatLon); `map`
// and `datums` must outlive the result.
MapProjection CalibrationProjection(const MapRecord& map, const DatumTable& datums);

// The view as the overlays read it: the view record itself, never a copy of
// its numbers, so a paint draws the view as it is now and nothing has to be
// kept in step with it. The record must outlive the geometry.
class OverlayGeometry {
public:
    OverlayGeometry(const MapView& view, MapProjection projection)
        : view_(&view), projection_(std::move(projection)) {}
    // A temporary record would be gone before anything is drawn from it.
    OverlayGeometry(const MapView&&, MapProjection) = delete;

    // The view centre in full-resolution image pixels.
    int CentreX() const { return view_->centreX; }
    int CentreY() const { return view_->centreY; }
    // Image pixels per window pixel (below 1: magnified).
    double Zoom() const { return view_->zoom; }
    // The map window's size. In landscape the centre is lifted above the
    // middle, so the window is taller than twice the centre's row.
    int Width() const { return view_->width; }
    int Height() const { return view_->height; }
    // The window point the view centre is drawn at.
    Point Centre() const { return {view_->halfWidth, view_->halfHeight}; }

    // Whether positions can be placed on the image, and read back from it.
    bool PlacesPositions() const { return static_cast<bool>(projection_.toPixel); }
    bool ReadsPositions() const { return static_cast<bool>(projection_.toLatLon); }
    MapPixel ToPixel(double lat, double lon) const { return projection_.toPixel(lat, lon); }
    GeoPoint ToLatLon(double x, double y) const { return projection_.toLatLon(x, y); }

private:
    const MapView* view_;
    MapProjection projection_;
};

// Window pixel of image pixel (px, py): trunc((p − centre) ÷ z + half + 0.5)
// on each axis. Kept within ±2^28 so segment arithmetic cannot overflow.
Point ImageToWindow(const OverlayGeometry& view, double px, double py);

// Clips the segment (x0, y0)-(x1, y1) in place to the rectangle, edges
// included. Returns false when no part of it lies inside. Intersections are
// computed in doubles, each offset from an end point clamped to ±32767.
bool ClipSegment(int& x0, int& y0, int& x1, int& y1, int left, int top, int right, int bottom);

// Bearing of "up" on the map at image pixel (px, py): the bearing from the
// pixel 500 rows below to it, in (-180, 180] degrees.
double MapUpBearing(const OverlayGeometry& view, double px, double py);

// --- Track tail ---

inline constexpr int kTrackTailWhenIdle = 1000;

// Points drawn: "Track Length" while the moving map follows the GPS (at most
// 1000), all of them otherwise.
int TrackTailLength(bool followingGps, int trackLength);

struct TrackTailStyle {
    int tail = kTrackTailWhenIdle;  // most recent points drawn
    Rgb colour{255, 0, 0};
    int width = 2;
    // The GPS position lies on the map: the tail ends at the window centre.
    bool toCentre = false;
};
TrackTailStyle TrackTailStyleFrom(const AppSettings& settings, bool followingGps, bool gpsOnMap);

// Draws the `tail` most recent points of the ring as lines of the track pen:
// each point joined to the one before unless it starts a new segment, every
// segment clipped to the window, and with toCentre one more segment from the
// newest point to the window centre.
void DrawTrackTail(Canvas& canvas, const TrackStore& track, const OverlayGeometry& view,
                   const TrackTailStyle& style);

// --- GPS pointer ---

enum PointerStyle : int { kPointerCircle = 0, kPointerArrow = 1, kPointerUser = 2 };

struct GpsPointerStyle {
    int style = kPointerArrow;  // "Pointer Style"
    int size = 5;               // "Pointer Size"; the outline is scaled by size × 0.2
    Rgb colour{255, 0, 0};      // "Pointer Color"
    bool solid = true;          // "Solid Pointer"
};
GpsPointerStyle GpsPointerStyleFrom(const AppSettings& settings);
// The pointer's colour while its fix is not current (the receiver is silent
// or gone): it stays where the last fix was, greyed.
inline constexpr Rgb kStalePointerColour{160, 160, 160};

// Heading value meaning "no heading" (compared by absolute value).
inline constexpr double kNoHeading = 777;

// Draws the pointer at the window centre. A circle with a cross when there
// is no heading, the style is "Circle" or a replay runs; otherwise the arrow
// (or `userOutline` for "User"; empty: the arrow) turned by `heading`
// (degrees true) minus the map's up bearing at the view centre.
void DrawGpsPointer(Canvas& canvas, const OverlayGeometry& view, double heading,
                    const GpsPointerStyle& style, const std::vector<Point>& userOutline,
                    bool replaying);

// The cross and ring at the window centre (drawn while the view centre has a
// position).
void DrawCursorCross(Canvas& canvas, const OverlayGeometry& view);

// " 50% ": 100 ÷ divisor, one decimal below 10. Empty for a divisor that is
// not positive.
std::string ZoomCaptionText(double divisor);
void DrawZoomCaption(Canvas& canvas, double divisor);

inline constexpr const char* kReplayCaption = " Track Replay ";
void DrawReplayCaption(Canvas& canvas);

}  // namespace mw
