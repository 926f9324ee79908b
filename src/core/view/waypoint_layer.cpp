#include "view/waypoint_layer.h"

#include <cmath>

#include "config/settings.h"
#include "view/colours.h"
#include "waypoint/waypoint_store.h"

namespace mw {

namespace {

constexpr int kLabelWeight = 400;
constexpr int kMaxZoneRadius = 1 << 24;
constexpr double kHalfSqrt2 = 0.7071135624381276;
constexpr std::uint64_t kZoneFigure = std::uint64_t{1} << 32;

bool InDrawRange(int v) { return v >= kWaypointDrawMin && v <= kWaypointDrawMax; }

void DrawProximityZone(Canvas& canvas, int x, int y, int r) {
    canvas.SetPen(kProximityZoneColour, 1);
    canvas.SetBrush(kBlack, true);
    const double e = r * kHalfSqrt2;
    const Point lines[] = {{x - r + 1, y},
                           {x, y - r},
                           {x + r + 1, y},
                           {x, y + r},
                           {static_cast<int>(x + e + 1), static_cast<int>(y - e)},
                           {static_cast<int>(x - e), static_cast<int>(y + e)}};
    canvas.Lines(lines, 3);
    canvas.Ellipse(Rect{x - r + 1, y - r + 1, x + r, y + r});
}

}  // namespace

WaypointStyle WaypointStyleFrom(const AppSettings& settings, const ViewSettings& view,
                                double mapScale) {
    WaypointStyle s;
    s.shown = view.viewWaypoints != 0;
    s.names = view.viewWaypointNames != 0;
    s.highlight = view.viewWaypointHighlights != 0;
    s.blackWhite = view.viewWaypointBW != 0;
    s.proximity = view.viewWaypointProximity != 0;
    s.symbolSize = settings.wpSymbolSize;
    s.fontSize = settings.wpFontSize;
    s.mapScale = mapScale;
    return s;
}

int ProximityRadius(int metres, double mapScale, double zoom) {
    if (!(mapScale > 0) || !(zoom > 0)) return 0;
    const double r = metres / mapScale / zoom + 0.5;
    if (!(r < kMaxZoneRadius)) return kMaxZoneRadius;
    return r > 0 ? static_cast<int>(r) : 0;
}

void DrawWaypoints(Canvas& canvas, const WaypointStore& store, const OverlayGeometry& view,
                   const WaypointStyle& style) {
    if (!style.shown || !view.toPixel) return;
    const int r = style.symbolSize;
    // The label's height is the font's line height whatever the name; asked
    // once a paint, since asking costs a font lookup on a real canvas.
    const int labelHeight = style.names ? canvas.TextHeight(" ", style.fontSize, kLabelWeight) : 0;
    store.ForEach([&](int, const Waypoint& w) {
        if (w.AtNoPosition()) return;
        const MapPixel p = view.toPixel(w.lat, w.lon);
        const Point s = ImageToWindow(view, p.x, p.y);
        if (!InDrawRange(s.x) || !InDrawRange(s.y)) return;
        const int x = s.x, y = s.y;

        if (style.proximity && w.proximityDistance > 0) {
            const int zone = ProximityRadius(w.proximityDistance, style.mapScale, view.zoomDivisor);
            // A zone whose every corner lies at non-negative coordinates
            // has the same pixels wherever it is: one figure per radius.
            if (zone > 0 && x > zone && y > zone && zone < kMaxZoneRadius) {
                canvas.Figure({x, y}, Rect{-zone - 1, -zone - 1, zone + 2, zone + 2},
                              kZoneFigure | static_cast<std::uint64_t>(zone),
                              [zone](Canvas& c, Point at) { DrawProximityZone(c, at.x, at.y, zone); });
            } else if (zone > 0) {
                DrawProximityZone(canvas, x, y, zone);
            }
        }

        const Rgb back = style.blackWhite ? kWhite : WaypointColour(w.backColour);
        const Rgb text = style.blackWhite ? kBlack : WaypointColour(w.textColour);
        canvas.SetBrush(back);
        canvas.SetPen(kBlack, 1);
        canvas.Ellipse(Rect{x - r, y - r, x + r + 1, y + r + 1});
        const Point cross[] = {{x - r, y}, {x + r, y}, {x, y - r}, {x, y + r}};
        canvas.Lines(cross, 2);

        if (style.highlight) {
            const int h = kWaypointHighlightRadius;
            canvas.SetBrush(kBlack, true);
            canvas.SetPen(kBlack, 2);
            canvas.Ellipse(Rect{x - h, y - h, x + h + 1, y + h + 1});
        }

        if (style.names) {
            const std::string label = " " + w.name + " ";
            canvas.Text({x + r + 3, y - labelHeight / 2}, label, style.fontSize, kLabelWeight, text,
                        back, true);
        }
    });
}

}  // namespace mw
