#include "view/waypoint_layer.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "config/settings.h"
#include "support/paths.h"
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

// Rank of a picture kind when one number has several; 0: not a picture.
int PictureRank(std::string extension) {
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".bmp") return 3;
    if (extension == ".png") return 2;
    if (extension == ".svg") return 1;
    return 0;
}

}  // namespace

const std::string* SymbolSet::Find(const std::string& programFolder, int number) const {
    if (number == 0) return nullptr;
    if (folder_ != programFolder) {
        folder_ = programFolder;
        files_.clear();
        std::map<int, int> rank;
        std::error_code ec;
        namespace fs = std::filesystem;
        for (fs::directory_iterator it(JoinPath(programFolder, kSymbolFolder), ec), end;
             !ec && it != end; it.increment(ec)) {
            const fs::path& p = it->path();
            const std::string stem = p.stem().string();
            int n = 0;
            const auto [last, err] = std::from_chars(stem.data(), stem.data() + stem.size(), n);
            const int r = PictureRank(p.extension().string());
            if (err != std::errc() || last != stem.data() + stem.size() || n <= 0 || r == 0 ||
                !it->is_regular_file(ec))
                continue;
            if (r > rank[n]) {
                rank[n] = r;
                files_[n] = p.string();
            }
        }
    }
    const auto found = files_.find(number);
    return found == files_.end() ? nullptr : &found->second;
}

WaypointStyle WaypointStyleFrom(const AppSettings& settings, const ViewSettings& view,
                                double mapScale, const SymbolSet* symbols,
                                const std::string& programFolder) {
    WaypointStyle s;
    s.shown = view.viewWaypoints != 0;
    s.names = view.viewWaypointNames != 0;
    s.highlight = view.viewWaypointHighlights != 0;
    s.blackWhite = view.viewWaypointBW != 0;
    s.proximity = view.viewWaypointProximity != 0;
    s.symbolSize = settings.wpSymbolSize;
    s.fontSize = settings.wpFontSize;
    s.mapScale = mapScale;
    s.symbols = symbols;
    s.programFolder = programFolder;
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
    if (!style.shown || !view.PlacesPositions()) return;
    const int r = style.symbolSize;
    // The label's height is the font's line height whatever the name; asked
    // once a paint, since asking costs a font lookup on a real canvas.
    const int labelHeight = style.names ? canvas.TextHeight(" ", style.fontSize, kLabelWeight) : 0;
    store.ForEach([&](int, const Waypoint& w) {
        if (w.AtNoPosition()) return;
        const MapPixel p = view.ToPixel(w.lat, w.lon);
        const Point s = ImageToWindow(view, p.x, p.y);
        if (!InDrawRange(s.x) || !InDrawRange(s.y)) return;
        const int x = s.x, y = s.y;

        if (style.proximity && w.proximityDistance > 0) {
            const int zone = ProximityRadius(w.proximityDistance, style.mapScale, view.Zoom());
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
        const std::string* picture =
            style.symbols ? style.symbols->Find(style.programFolder, w.symbol) : nullptr;
        const int side = SymbolPictureSide(r);
        const int half = side / 2;
        // The label keeps its distance from whatever the symbol is.
        int reach = r;
        if (picture && canvas.Picture(Rect{x - half, y - half, x - half + side, y - half + side},
                                      *picture)) {
            reach = side - half - 1;
        } else {
            canvas.SetBrush(back);
            canvas.SetPen(kBlack, 1);
            canvas.Ellipse(Rect{x - r, y - r, x + r + 1, y + r + 1});
            const Point cross[] = {{x - r, y}, {x + r, y}, {x, y - r}, {x, y + r}};
            canvas.Lines(cross, 2);
        }

        if (style.highlight) {
            const int h = kWaypointHighlightRadius;
            canvas.SetBrush(kBlack, true);
            canvas.SetPen(kBlack, 2);
            canvas.Ellipse(Rect{x - h, y - h, x + h + 1, y + h + 1});
        }

        if (style.names) {
            const std::string label = " " + w.name + " ";
            canvas.Text({x + reach + 3, y - labelHeight / 2}, label, style.fontSize, kLabelWeight, text,
                        back, true);
        }
    });
}

}  // namespace mw
