#include "view/overlays.h"

#include <algorithm>
#include <cmath>

#include "config/settings.h"
#include "geo/distance.h"
#include "support/text.h"
#include "track/track_store.h"
#include "view/colours.h"
#include "view/user_pointer.h"

namespace mw {

namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kWindowLimit = 268435456.0;  // 2^28
constexpr double kClipOffsetLimit = 32767.0;
constexpr int kMapUpRows = 500;

int WindowInt(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::trunc(std::clamp(value, -kWindowLimit, kWindowLimit)));
}

int OutCode(int v, int low, int high) { return v < low ? -1 : (v > high ? 1 : 0); }

void Circle(Canvas& canvas, Point c, int r) {
    canvas.Ellipse(Rect{c.x - r, c.y - r, c.x + r + 1, c.y + r + 1});
}

}  // namespace

MapProjection CalibrationProjection(const MapRecord& map, const DatumTable& datums) {
    return {
        [&map, &datums](double lat, double lon) { return LatLonToMapPixel(map, datums, lat, lon); },
        [&map, &datums](double x, double y) { return MapPixelToLatLon(map, datums, x, y); }};
}

Point ImageToWindow(const OverlayGeometry& view, double px, double py) {
    const double z = view.Zoom();
    const Point half = view.Centre();
    return Point{WindowInt((px - view.CentreX()) / z + half.x + 0.5),
                 WindowInt((py - view.CentreY()) / z + half.y + 0.5)};
}

bool ClipSegment(int& x0, int& y0, int& x1, int& y1, int left, int top, int right, int bottom) {
    // Each pass moves one outside end onto an edge line; four passes reach
    // any visible part, so the bound only guards against a degenerate input.
    for (int pass = 0; pass < 8; ++pass) {
        const int cx0 = OutCode(x0, left, right), cy0 = OutCode(y0, top, bottom);
        const int cx1 = OutCode(x1, left, right), cy1 = OutCode(y1, top, bottom);
        if (cx0 == 0 && cy0 == 0 && cx1 == 0 && cy1 == 0) return true;
        if ((cx0 != 0 && cx0 == cx1) || (cy0 != 0 && cy0 == cy1)) return false;

        const bool moveFirst = cx0 != 0 || cy0 != 0;
        const int cx = moveFirst ? cx0 : cx1;
        const int cy = moveFirst ? cy0 : cy1;
        const double dx = static_cast<double>(x1) - x0, dy = static_cast<double>(y1) - y0;
        int nx, ny;
        if (cx != 0) {
            nx = cx < 0 ? left : right;
            double offset = std::clamp(dy * (nx - static_cast<double>(x0)) / dx, -kClipOffsetLimit,
                                       kClipOffsetLimit);
            ny = y0 + static_cast<int>(offset);
        } else {
            ny = cy < 0 ? top : bottom;
            double offset = std::clamp(dx * (ny - static_cast<double>(y0)) / dy, -kClipOffsetLimit,
                                       kClipOffsetLimit);
            nx = x0 + static_cast<int>(offset);
        }
        if (moveFirst) {
            x0 = nx;
            y0 = ny;
        } else {
            x1 = nx;
            y1 = ny;
        }
    }
    return false;
}

double MapUpBearing(const OverlayGeometry& view, double px, double py) {
    if (!view.ReadsPositions()) return 0;
    GeoPoint below = view.ToLatLon(px, py + kMapUpRows);
    GeoPoint at = view.ToLatLon(px, py);
    double bearing = InitialBearing(below.lat, below.lon, at.lat, at.lon);
    return bearing > 180 ? bearing - 360 : bearing;
}

int TrackTailLength(bool followingGps, int trackLength) {
    return followingGps ? std::clamp(trackLength, 0, kTrackTailWhenIdle) : kTrackTailWhenIdle;
}

TrackTailStyle TrackTailStyleFrom(const AppSettings& settings, bool followingGps, bool gpsOnMap) {
    return TrackTailStyle{TrackTailLength(followingGps, settings.trackLength),
                          ColourByIndex(settings.trackColor), settings.trackWidth, gpsOnMap};
}

void DrawTrackTail(Canvas& canvas, const TrackStore& track, const OverlayGeometry& view,
                   const TrackTailStyle& style) {
    if (!view.PlacesPositions()) return;
    canvas.SetPen(style.colour, style.width);
    const int left = 0, top = 0, right = view.Width(), bottom = view.Height();

    // The ring holds at most kTrackMaxPoints points, the newest just before
    // the write index; start `points` slots back from it.
    const int points = std::clamp(style.tail, 0, kTrackMaxPoints);
    const int start = track.WriteIndex() - points;
    bool havePrevious = false;
    Point previous;
    for (int n = 0; n < points; ++n) {
        const TrackSlot& slot = track.Slot(start + n);
        if (slot.flag == kTrackEndMarker) break;
        if (slot.flag == kTrackEmptySlot || slot.lat == kTrackBreakLat) continue;
        const MapPixel pixel = view.ToPixel(slot.lat, slot.lon);
        const Point p = ImageToWindow(view, pixel.x, pixel.y);
        if (havePrevious && slot.flag == kTrackContinue) {
            Point a = previous, b = p;
            if (ClipSegment(a.x, a.y, b.x, b.y, left, top, right, bottom)) canvas.Line(a, b);
        }
        previous = p;
        havePrevious = true;
    }
    if (style.toCentre && havePrevious) {
        Point a = previous, b = view.Centre();
        if (ClipSegment(a.x, a.y, b.x, b.y, left, top, right, bottom)) canvas.Line(a, b);
    }
}

GpsPointerStyle GpsPointerStyleFrom(const AppSettings& settings) {
    return GpsPointerStyle{settings.pointerStyle, settings.pointerSize,
                           ColourByIndex(settings.pointerColor), settings.pointerSolid != 0};
}

void DrawGpsPointer(Canvas& canvas, const OverlayGeometry& view, double heading,
                    const GpsPointerStyle& style, const std::vector<Point>& userOutline,
                    bool replaying) {
    const Point c = view.Centre();
    const double s = style.size * 0.2;
    const bool noHeading = !std::isfinite(heading) || std::fabs(heading) == kNoHeading;

    if (noHeading || style.style == kPointerCircle || replaying) {
        canvas.SetBrush(kBlack, true);
        canvas.SetPen(style.colour, 2);
        Circle(canvas, c, WindowInt(s * 19));
        canvas.SetPen(style.colour, 1);
        Circle(canvas, c, WindowInt(s * 12));
        const int arm = WindowInt(s * 24);
        canvas.Line({c.x - arm, c.y}, {c.x + arm, c.y});
        canvas.Line({c.x, c.y - arm}, {c.x, c.y + arm});
        return;
    }

    std::vector<Point> outline;
    if (style.style == kPointerUser && !userOutline.empty())
        outline = userOutline;
    else
        outline.assign(kArrowOutline.begin(), kArrowOutline.end());

    // The map's north need not point up the image: turn by the heading less
    // the bearing of "up" where the pointer stands, the view centre.
    const double a = (heading - MapUpBearing(view, view.CentreX(), view.CentreY())) * kDegToRad;
    const double cosA = std::cos(a), sinA = std::sin(a);
    std::vector<Point> polygon;
    polygon.reserve(outline.size());
    for (const Point& v : outline) {
        const double x = v.x, y = v.y;
        polygon.push_back(Point{WindowInt((x * cosA - y * sinA) * s + c.x + 0.5),
                                WindowInt((x * sinA + y * cosA) * s + c.y + 0.5)});
    }
    if (style.solid) {
        canvas.SetBrush(style.colour);
        canvas.SetPen(kBlack, 2);
    } else {
        canvas.SetBrush(kBlack, true);
        canvas.SetPen(style.colour, 2);
    }
    canvas.Polygon(polygon);
}

void DrawCursorCross(Canvas& canvas, const OverlayGeometry& view) {
    const Point c = view.Centre();
    canvas.SetPen(kBlack, 1);
    canvas.SetBrush(kBlack, true);
    canvas.Line({c.x - 12, c.y}, {c.x + 12, c.y});
    canvas.Line({c.x, c.y - 12}, {c.x, c.y + 12});
    canvas.Ellipse(Rect{c.x - 8, c.y - 8, c.x + 9, c.y + 9});
}

std::string ZoomCaptionText(double divisor) {
    if (!(divisor > 0) || !std::isfinite(divisor)) return {};
    const double v = 100 / divisor;
    return " " + (v < 10 ? Format("%.1f", v) : Format("%.0f", v)) + "% ";
}

void DrawZoomCaption(Canvas& canvas, double divisor) {
    const std::string text = ZoomCaptionText(divisor);
    if (!text.empty()) canvas.Text({2, 4}, text, 11, 400, kBlack, kWhite, true);
}

void DrawReplayCaption(Canvas& canvas) {
    canvas.Text({2, 18}, kReplayCaption, 14, 700, kBlack, kYellow, true);
}

}  // namespace mw
