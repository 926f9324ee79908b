#include "view/route_layer.h"

#include <algorithm>
#include <vector>

#include "config/settings.h"
#include "nav/navigation.h"
#include "nav/route_store.h"
#include "view/colours.h"

namespace mw {

namespace {

constexpr int kHighlightRadius = 14;
constexpr double kFirstPointFlattening = 0.6666666666666666;
constexpr int kLabelGap = 3;
constexpr int kNormalWeight = 400;
// Figure keys of the point symbols: this tag in the top byte, then the
// flattened flag, the radius and the two colours.
constexpr std::uint64_t kSymbolFigure = std::uint64_t{0x52} << 56;
constexpr int kMaxFigureRadius = 127;

std::uint64_t Rgb24(Rgb c) {
    return (std::uint64_t{c.r} << 16) | (std::uint64_t{c.g} << 8) | c.b;
}

// A route point's symbol in the pen and brush selected: a filled ellipse
// with a cross through it.
void DrawSymbol(Canvas& canvas, int x, int y, int r, int ry) {
    canvas.Ellipse(Rect{x - r, y - ry, x + r + 1, y + ry + 1});
    const Point cross[] = {{x - r, y}, {x + r, y}, {x, y - ry}, {x, y + ry}};
    canvas.Lines(cross, 2);
}

struct WindowRect {
    int left, top, right, bottom;
};

WindowRect ClipRect(const OverlayGeometry& view) { return {0, 0, view.Width(), view.Height()}; }

bool InSymbolRange(Point p) {
    return p.x >= kSymbolRangeLow && p.x <= kSymbolRangeHigh && p.y >= kSymbolRangeLow &&
           p.y <= kSymbolRangeHigh;
}

// Draws the line through `points` as polylines of its visible pieces: a run
// of segments that stay joined after clipping is one polyline, so a route
// wholly inside the window is a single polyline of its points.
// `setPen` runs before the first piece, so a line wholly outside the window
// costs no pen either.
template <typename SetPen>
void DrawClippedPolyline(Canvas& canvas, const std::vector<Point>& points, const WindowRect& r,
                         std::vector<Point>& run, SetPen&& setPen) {
    run.clear();
    bool penSet = false;
    auto flush = [&] {
        if (!penSet) setPen();
        penSet = true;
        canvas.Polyline(run);
    };
    for (std::size_t i = 1; i < points.size(); ++i) {
        Point a = points[i - 1], b = points[i];
        if (!ClipSegment(a.x, a.y, b.x, b.y, r.left, r.top, r.right, r.bottom)) continue;
        if (!run.empty() && !(run.back() == a)) {
            flush();
            run.clear();
        }
        if (run.empty()) run.push_back(a);
        run.push_back(b);
    }
    if (run.size() >= 2) flush();
}

bool BoxMeets(const WindowRect& w, const Rect& box) {
    return box.right > w.left && box.left < w.right && box.bottom > w.top && box.top < w.bottom;
}

// Whether a label with its top left at `at` meets the window; the text is
// measured only when its position alone cannot tell.
bool LabelMeets(Canvas& canvas, const WindowRect& w, Point at, const std::string& label,
                int fontSize, int height) {
    if (at.x >= w.right || at.y >= w.bottom || at.y + height <= w.top) return false;
    if (at.x >= w.left) return true;
    return at.x + canvas.TextWidth(label, fontSize, kNormalWeight) > w.left;
}

}  // namespace

RouteStyle RouteStyleFrom(const AppSettings& s, const ViewSettings& v) {
    RouteStyle style;
    style.symbolSize = s.routeWpSymbolSize;
    style.fontSize = s.routeFontSize;
    style.lineWidth = s.routeLineWidth;
    style.lineColour = s.routeLineColor;
    style.pointColour = ColourByIndex(s.routeWpColor);
    style.textColour = ColourByIndex(s.routeTextColor);
    style.pointNames = v.viewRouteWpNames != 0;
    style.routeName = v.viewRouteName != 0;
    style.highlight = v.viewRouteHighlights != 0;
    style.blackAndWhite = v.viewRouteBW != 0;
    return style;
}

void DrawRoutes(Canvas& canvas, const RouteStore& routes, const OverlayGeometry& view,
                const RouteStyle& style) {
    if (!view.PlacesPositions()) return;
    const WindowRect clip = ClipRect(view);
    const int r = style.symbolSize;
    const int rFirst = static_cast<int>(r * kFirstPointFlattening);
    const Rgb fill = style.blackAndWhite ? kWhite : style.pointColour;
    const Rgb ink = style.blackAndWhite ? kBlack : style.textColour;
    const Rgb fixedLine = ColourByIndex(style.lineColour - 1);
    const int textHeight = canvas.TextHeight(" X ", style.fontSize, kNormalWeight);
    // How far from a point its symbol and highlight ring reach.
    const int reach = std::max(r, kHighlightRadius) + 1;

    // The symbol pen and brush stay selected from point to point unless a
    // highlight ring or a route line changed them.
    bool symbolPen = false;
    std::vector<Point> screen, run, at;
    std::vector<char> placed;
    for (const Route& route : routes.Routes()) {
        const std::size_t n = route.points.size();
        if (n == 0) continue;
        screen.clear();
        at.assign(n, Point{});
        placed.assign(n, 0);
        for (std::size_t i = 0; i < n; ++i) {
            const RoutePoint& p = route.points[i];
            if (p.lat == 0 && p.lon == 0) continue;
            const MapPixel px = view.ToPixel(p.lat, p.lon);
            at[i] = ImageToWindow(view, px.x, px.y);
            placed[i] = 1;
            screen.push_back(at[i]);
        }
        if (screen.size() >= 2) {
            DrawClippedPolyline(canvas, screen, clip, run, [&] {
                canvas.SetPen(style.lineColour == 0 ? RgbFromColourValue(route.colour) : fixedLine,
                              style.lineWidth);
                symbolPen = false;
            });
        }

        for (std::size_t i = 0; i < n; ++i) {
            if (!placed[i] || !InSymbolRange(at[i])) continue;
            const int x = at[i].x, y = at[i].y;
            const int ry = i == 0 ? rFirst : r;
            // A point this far outside the window shows at most a label
            // reaching in: the symbol and the ring are skipped, and a label
            // is drawn only when its box meets the window. The picture is
            // the same; a large window's symbol range holds many such points.
            const bool near = x + reach >= 0 && x - reach < clip.right && y + reach >= 0 &&
                              y - reach < clip.bottom;
            if (near) {
                // Every symbol of one size looks alike: a canvas may copy
                // it rather than draw it again, which costs a fraction of
                // an outlined ellipse. Figures are drawn only at
                // non-negative points, where they look the same everywhere.
                if (x >= 0 && y >= 0 && r >= 0 && r <= kMaxFigureRadius) {
                    const std::uint64_t key = kSymbolFigure |
                                              (std::uint64_t{i == 0} << 55) |
                                              (static_cast<std::uint64_t>(r) << 48) |
                                              (Rgb24(fill) << 24) | Rgb24(ink);
                    // Drawn straight onto this canvas, the symbol pen stays
                    // selected as for a symbol drawn directly; after a copy,
                    // or a figure drawn on a canvas of its own, it is unknown.
                    bool drewHere = false;
                    canvas.Figure({x, y}, Rect{-r - 2, -ry - 2, r + 3, ry + 3}, key,
                                  [&, r, ry](Canvas& c, Point p) {
                                      const bool here = &c == &canvas;
                                      if (!here || !symbolPen) {
                                          c.SetBrush(fill);
                                          c.SetPen(ink, 1);
                                      }
                                      drewHere = here;
                                      DrawSymbol(c, p.x, p.y, r, ry);
                                  });
                    symbolPen = drewHere;
                } else {
                    if (!symbolPen) {
                        canvas.SetBrush(fill);
                        canvas.SetPen(ink, 1);
                        symbolPen = true;
                    }
                    DrawSymbol(canvas, x, y, r, ry);
                }
                if (style.highlight) {
                    canvas.SetBrush(kBlack, true);
                    canvas.SetPen(kBlack, 2);
                    symbolPen = false;
                    canvas.Ellipse(Rect{x - kHighlightRadius, y - kHighlightRadius,
                                        x + kHighlightRadius + 1, y + kHighlightRadius + 1});
                }
            }
            if (style.pointNames) {
                const Point at{x + r + kLabelGap, y - textHeight / 2};
                const std::string label = " " + route.points[i].name + " ";
                if (near || LabelMeets(canvas, clip, at, label, style.fontSize, textHeight))
                    canvas.Text(at, label, style.fontSize, kNormalWeight, ink, fill, true);
            }
            if (i == 0 && style.routeName) {
                const std::string label = " " + route.name + " ";
                const int w = canvas.TextWidth(label, style.fontSize, kNormalWeight);
                const Point at{x - w / 2, y + r + kLabelGap};
                if (near || BoxMeets(clip, Rect{at.x, at.y, at.x + w, at.y + textHeight}))
                    canvas.Text(at, label, style.fontSize, kNormalWeight, ink, fill, true);
            }
        }
    }
}

NavLineStyle NavLineStyleFrom(const AppSettings& s) {
    return NavLineStyle{s.navDrawLine != 0, s.navLineWidth, ColourByIndex(s.navLineColor1),
                        ColourByIndex(s.navLineColor2)};
}

void DrawNavigationLine(Canvas& canvas, const NavigationState& nav, const OverlayGeometry& view,
                        const NavLineStyle& style) {
    if (!style.draw || !nav.Active() || !view.PlacesPositions()) return;
    const MapPixel target = view.ToPixel(nav.target->lat, nav.target->lon);
    Point a = view.Centre(), b = ImageToWindow(view, target.x, target.y);
    const WindowRect clip = ClipRect(view);
    if (!ClipSegment(a.x, a.y, b.x, b.y, clip.left, clip.top, clip.right, clip.bottom)) return;
    if (style.width < 3) {
        canvas.SetPen(style.colour1, style.width);
        canvas.Line(a, b);
        return;
    }
    canvas.SetPen(style.colour2, style.width);
    canvas.Line(a, b);
    canvas.SetPen(style.colour1, style.width - 2);
    canvas.Line(a, b);
}

}  // namespace mw
