#include "view/seamless.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>
#include <unordered_map>

#include "geo/datum_convert.h"
#include "map/calibration.h"
#include "map/coverage.h"
#include "map/map_file.h"
#include "ports/std_file_system.h"
#include "support/paths.h"
#include "view/viewport.h"

namespace mw {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Tile cache keys hold the neighbour's slot in their low bits.
constexpr int kKeySlots = 8;
static_assert(kMaxOpenNeighbours <= kKeySlots);
constexpr int kBucketRows = 64;
// Pixels: see the neighbours' spans in Fill.
constexpr double kEdgeSlack = 0.01;

bool Usable(int projectionError) {
    return projectionError == kProjOk || projectionError == kProjErrDomain;
}

// The calibration's grid-to-pixel transform without the rounding to a whole
// pixel that GridToPixel does.
bool ExactGridToPixel(const CalibrationState& cal, double e, double n, PlanePoint& out) {
    switch (cal.calibrationMode) {
        case 2:
            if (cal.straddles180 && e < 0) e += 360;
            out = {(e - cal.originEasting) / cal.metresPerPixelX,
                   (n - cal.originNorthing) / cal.metresPerPixelY};
            break;
        case 3: {
            const auto& a = cal.affineGridToPixel;
            out = {a[0] * e + a[1] * n + a[2], a[3] * e + a[4] * n + a[5]};
            break;
        }
        case 5: {
            const auto& x = cal.polyGridToX;
            const auto& y = cal.polyGridToY;
            out = {x[0] + x[1] * e + x[2] * n + x[3] * e * n, y[0] + y[1] * e + y[2] * n + y[3] * e * n};
            break;
        }
        default:
            return false;
    }
    return std::isfinite(out.x) && std::isfinite(out.y);
}

bool MapPixelToPosition(const MapRecord& map, const DatumTable& datums, PlanePoint at,
                        GeoPoint& out) {
    if (!HasCalibration(map)) return false;
    const GridPoint g = PixelToGrid(map.calibration, at.x, at.y);
    const GeoResult r = ProjectInverse(map.projectionId, map.projection, datums, g.easting, g.northing);
    if (!Usable(r.error) || !std::isfinite(r.lat) || !std::isfinite(r.lon)) return false;
    out = {r.lat, r.lon};
    return true;
}

inline int FloorToInt(double v) {
    const int t = static_cast<int>(v);
    return t - (v < t ? 1 : 0);
}

inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Pixel spans of one row, [first, end), sorted and apart.
using Spans = std::vector<std::pair<int, int>>;

void Intersect(const Spans& a, const Spans& b, Spans& out) {
    out.clear();
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const int lo = std::max(a[i].first, b[j].first), hi = std::min(a[i].second, b[j].second);
        if (lo < hi) out.emplace_back(lo, hi);
        if (a[i].second < b[j].second)
            ++i;
        else
            ++j;
    }
}

// a becomes the pixels of a or b.
void Unite(Spans& a, const Spans& b) {
    a.insert(a.end(), b.begin(), b.end());
    std::sort(a.begin(), a.end());
    std::size_t n = 0;
    for (const auto& s : a) {
        if (n > 0 && s.first <= a[n - 1].second)
            a[n - 1].second = std::max(a[n - 1].second, s.second);
        else
            a[n++] = s;
    }
    a.resize(n);
}

void Subtract(Spans& a, const Spans& b, Spans& scratch) {
    scratch.clear();
    std::size_t j = 0;
    for (auto [lo, hi] : a) {
        while (j < b.size() && b[j].second <= lo) ++j;
        std::size_t k = j;
        while (lo < hi && k < b.size() && b[k].first < hi) {
            if (b[k].first > lo) scratch.emplace_back(lo, b[k].first);
            lo = std::max(lo, b[k].second);
            ++k;
        }
        if (lo < hi) scratch.emplace_back(lo, hi);
    }
    a.swap(scratch);
}

// A border in pixels of the loaded map's level, with its edges bucketed by
// rows so that a row looks only at the edges near it.
struct Polygon {
    std::vector<PlanePoint> points;
    double bucketTop = 0;
    std::vector<std::vector<int>> buckets;  // edge i runs from point i to point i + 1
    bool valid = false;

    void Index() {
        valid = points.size() >= 3;
        buckets.clear();
        if (!valid) return;
        double lo = points[0].y, hi = points[0].y;
        for (const PlanePoint& p : points) {
            lo = std::min(lo, p.y);
            hi = std::max(hi, p.y);
        }
        // A border millions of rows tall (a world map at full size) gets
        // coarser buckets rather than millions of them.
        bucketTop = std::floor(lo);
        double rows = std::max(1.0, std::ceil((hi - bucketTop) / kBucketRows) + 1);
        bucketSize = kBucketRows * std::max(1.0, std::ceil(rows / 4096));
        buckets.resize(static_cast<std::size_t>(std::ceil((hi - bucketTop) / bucketSize) + 1));
        const std::size_t n = points.size();
        for (std::size_t i = 0; i < n; ++i) {
            const PlanePoint& a = points[i];
            const PlanePoint& b = points[(i + 1) % n];
            const auto first = static_cast<std::size_t>((std::min(a.y, b.y) - bucketTop) / bucketSize);
            const auto last = static_cast<std::size_t>((std::max(a.y, b.y) - bucketTop) / bucketSize);
            for (std::size_t k = first; k <= last && k < buckets.size(); ++k)
                buckets[k].push_back(static_cast<int>(i));
        }
    }

    // Pixels x (level pixel centres at whole numbers) of row y inside the
    // border by the even-odd rule, shifted by -left into view pixels and
    // clipped to [clipLo, clipHi).
    void RowSpans(double y, std::int64_t left, int clipLo, int clipHi, Spans& out,
                  std::vector<double>& xs, double widen = 0) const {
        out.clear();
        if (!valid || y < bucketTop) return;
        const auto k = static_cast<std::size_t>((y - bucketTop) / bucketSize);
        if (k >= buckets.size()) return;
        xs.clear();
        const std::size_t n = points.size();
        for (int i : buckets[k]) {
            const PlanePoint& a = points[static_cast<std::size_t>(i)];
            const PlanePoint& b = points[(static_cast<std::size_t>(i) + 1) % n];
            if ((a.y <= y) == (b.y <= y)) continue;
            xs.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
            const double lo = std::clamp(std::ceil(xs[i] - left - widen), double(clipLo), double(clipHi));
            const double hi =
                std::clamp(std::ceil(xs[i + 1] - left + widen), double(clipLo), double(clipHi));
            if (lo < hi) out.emplace_back(static_cast<int>(lo), static_cast<int>(hi));
        }
    }

    bool Contains(PlanePoint p) const {
        bool inside = false;
        const std::size_t n = points.size();
        for (std::size_t i = 0; i < n; ++i) {
            const PlanePoint& a = points[i];
            const PlanePoint& b = points[(i + 1) % n];
            if ((a.y <= p.y) == (b.y <= p.y)) continue;
            if (a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y) > p.x) inside = !inside;
        }
        return inside;
    }

    double bucketSize = kBucketRows;
};

double Area(const std::vector<PlanePoint>& pts) {
    double a = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const PlanePoint& p = pts[i];
        const PlanePoint& q = pts[(i + 1) % pts.size()];
        a += p.x * q.y - q.x * p.y;
    }
    return std::fabs(a) / 2;
}

}  // namespace

// The loaded map's level as the view shows it.
struct NeighbourFill::Current {
    std::uint64_t serial = 0;
    int level = 0;           // tiled: the selected level; strip: the step
    bool tiled = true;
    double sx = 1, sy = 1;   // tiled: level pixels per image pixel
    std::int64_t step = 1;   // strip: every step-th pixel
    std::int64_t shownW = 0, shownH = 0;
    std::string path;
    int datum = kDatumWgs84;
    Polygon border;  // invalid: the image's rectangle is the map

    bool SameAs(const Current& o) const {
        return serial == o.serial && level == o.level && path == o.path && shownW == o.shownW &&
               shownH == o.shownH;
    }
    PlanePoint ToImage(double x, double y) const {
        if (!tiled) return {x * double(step), y * double(step)};
        return {(x + 0.5) / sx - 0.5, (y + 0.5) / sy - 0.5};
    }
    PlanePoint ToLevel(PlanePoint c) const {
        if (!tiled) return {c.x / double(step), c.y / double(step)};
        return {(c.x + 0.5) * sx - 0.5, (c.y + 0.5) * sy - 0.5};
    }
    // Whether the level pixel (x, y) shows the map itself.
    bool Keeps(double x, double y) const {
        if (x < 0 || y < 0 || x >= double(shownW) || y >= double(shownH)) return false;
        return !border.valid || border.Contains({x, y});
    }
};

// A map's border corners in degrees on its datum.
struct NeighbourFill::Border {
    std::vector<GeoPoint> corners;
    int datum = kDatumWgs84;
};

struct NeighbourFill::Neighbour {
    std::string path;
    double scale = 0;
    int folder = 0;
    int slot = 0;  // in the tile cache keys
    std::uint64_t lastUse = 0;
    MapRecord map;
    Border corners;
    ImageFile file;
    std::array<std::uint32_t, 256> argb{};
    DisplayPalette palette{};
    // Geometry in the loaded map's level, for `geometryOf`.
    std::uint64_t geometryOf = 0;
    int geometryLevel = -1;
    std::string geometryPath;
    bool geometryValid = false;
    Polygon border;
    double sx = 1, sy = 1;  // the neighbour level's pixels per image pixel
    // Control points by grid node: the neighbour level position + 0.5 (so
    // the pixel shown is its floor); NaN where the chain fails.
    std::unordered_map<std::uint64_t, PlanePoint> nodes;
    // Indexed views: the nearest colour of the view's palette.
    std::array<std::uint8_t, 256> toView{};
};

namespace {

}  // namespace

namespace {

using Border = NeighbourFill::Border;

bool Degenerate(const std::vector<GeoPoint>& corners) {
    std::vector<PlanePoint> pts;
    for (const GeoPoint& g : corners) pts.push_back({g.lon, g.lat});
    return pts.size() < 3 || Area(pts) < 1e-12;
}

// The border a map covers by: its "MMPLL" corners as the catalogue reads
// them (what automatic selection goes by), or the corners the map record
// holds from its pixel border, whichever `recordFirst` prefers when both are
// there. Empty when neither gives an area.
Border BorderOf(const MapRecord& map, const DatumTable& datums, bool recordFirst) {
    Border record;
    record.datum = map.datumIndex;
    const int count = std::clamp(map.borderCount, 0, kMaxBorderCorners);
    for (int k = 1; k <= count; ++k) record.corners.push_back({map.borderLat[k], map.borderLon[k]});
    if (Degenerate(record.corners)) record.corners.clear();
    if (recordFirst && !record.corners.empty()) return record;
    Border coverage;
    if (auto data = ReadFilePrefix(map.mapFilePath, kMaxCalibrationFileBytes)) {
        const CoverageInfo info = ReadCoverageInfo(*data, datums);
        coverage.datum = info.datum;
        for (std::size_t k = 0; k < info.borderLat.size() && k < info.borderLon.size(); ++k)
            coverage.corners.push_back({info.borderLat[k], info.borderLon[k]});
        if (!info.CanCover() || Degenerate(coverage.corners)) coverage.corners.clear();
    }
    return coverage.corners.empty() ? record : coverage;
}

// The border polygon (corners in degrees on their datum) in pixels of the
// loaded map's level; straight in latitude/longitude between corners.
Polygon BorderInLevel(const Border& border, const MapRecord& map, const DatumTable& datums,
                      const NeighbourFill::Current& cur) {
    Polygon poly;
    const int count = static_cast<int>(border.corners.size());
    auto toLevel = [&](double lat, double lon, PlanePoint& out) {
        ConvertDatum(datums, border.datum, map.datumIndex, lat, lon);
        PlanePoint c;
        if (!ExactMapPixel(map, datums, lat, lon, c)) return false;
        out = cur.ToLevel(c);
        return true;
    };
    for (int k = 0; k < count; ++k) {
        const GeoPoint& from = border.corners[static_cast<std::size_t>(k)];
        const GeoPoint& to = border.corners[static_cast<std::size_t>((k + 1) % count)];
        const double lat0 = from.lat, lon0 = from.lon, lat1 = to.lat, lon1 = to.lon;
        PlanePoint a, b;
        if (!toLevel(lat0, lon0, a) || !toLevel(lat1, lon1, b)) return {};
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        const int pieces = static_cast<int>(std::clamp(std::ceil(length / kBorderStep), 1.0, 512.0));
        poly.points.push_back(a);
        for (int i = 1; i < pieces; ++i) {
            const double t = double(i) / pieces;
            PlanePoint p;
            if (!toLevel(lat0 + (lat1 - lat0) * t, lon0 + (lon1 - lon0) * t, p)) return {};
            poly.points.push_back(p);
        }
    }
    if (poly.points.size() < 3 || Area(poly.points) < 1) return {};
    poly.Index();
    return poly;
}

int NearestColour(const DisplayPalette& palette, const Rgb& c) {
    int best = 0;
    long bestD = std::numeric_limits<long>::max();
    for (int i = 0; i < 256; ++i) {
        const long dr = long(palette[i].r) - c.r, dg = long(palette[i].g) - c.g,
                   db = long(palette[i].b) - c.b;
        const long d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

}  // namespace

bool ExactMapPixel(const MapRecord& map, const DatumTable& datums, double lat, double lon,
                   PlanePoint& out) {
    const ProjectedPoint p = ProjectForward(map.projectionId, map.projection, datums, lat, lon);
    if (!Usable(p.error)) return false;
    return ExactGridToPixel(map.calibration, p.easting, p.northing, out);
}

bool MapToNeighbourPixel(const MapRecord& from, const MapRecord& to, const DatumTable& datums,
                         PlanePoint at, PlanePoint& out) {
    GeoPoint g;
    if (!MapPixelToPosition(from, datums, at, g)) return false;
    ConvertDatum(datums, from.datumIndex, to.datumIndex, g.lat, g.lon);
    return ExactMapPixel(to, datums, g.lat, g.lon, out);
}

NeighbourFill::NeighbourFill() = default;
NeighbourFill::~NeighbourFill() = default;

std::vector<std::string> NeighbourFill::ActiveNeighbours() const {
    std::vector<std::string> out;
    for (const Neighbour* n : active_) out.push_back(n->path);
    return out;
}

int NeighbourFill::OpenNeighbourCount() const { return static_cast<int>(open_.size()); }

void NeighbourFill::Forget() {
    haveLookup_ = false;
    if (!active_.empty()) ++generation_;
    active_.clear();
}

void NeighbourFill::Close(std::size_t index) {
    Neighbour* n = open_[index].get();
    for (int s = 0; s < cache_.Size(); ++s)
        if (cache_.entries[s].key >= 0 && cache_.entries[s].key % kKeySlots == n->slot)
            ClearSlot(cache_, s);
    CloseImageFile(n->file);
    open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(index));
}

NeighbourFill::Neighbour* NeighbourFill::Open(const std::string& path, double scale, int folder,
                                              const DatumTable& datums,
                                              const NeighbourSource& source) {
    for (auto& n : open_)
        if (n->path == path) return n.get();
    std::optional<MapRecord> map = ReadMapFile(path, datums);
    if (!map || !HasCalibration(*map) || map->projectionId == kProjUnsupported) return nullptr;
    auto n = std::make_unique<Neighbour>();
    for (const std::string& candidate : MapImageCandidates(map->imageBaseName, path, source.filePath1,
                                                           source.filePath2, source.userHome)) {
        if (!FileExists(candidate)) continue;
        std::optional<ImageFile> f = OpenImageFile(candidate);
        if (!f) continue;
        // The strip format has no levels to match the view's scale and is
        // read a whole row at a time: it is left out of the fill.
        if (!f->IsTiled()) break;
        // Tile keys carry the slot in kKeySlots values.
        if (std::int64_t{f->tilesX} * f->tilesY >= (std::numeric_limits<int>::max() / kKeySlots))
            break;
        n->file = std::move(*f);
        break;
    }
    if (!n->file.IsOpen()) return nullptr;
    n->path = path;
    n->scale = scale;
    n->folder = folder;
    n->map = std::move(*map);
    n->corners = BorderOf(n->map, datums, false);
    bool used[kKeySlots] = {};
    for (const auto& o : open_) used[o->slot] = true;
    n->slot = static_cast<int>(std::find(std::begin(used), std::end(used), false) - std::begin(used));
    open_.push_back(std::move(n));
    return open_.back().get();
}

bool NeighbourFill::Refresh(const Current& cur, const MapView& mv, const MapRecord& map,
                            const DatumTable& datums, const NeighbourSource& source) {
    const double w = mv.width, h = mv.height;
    const double x0 = mv.left, y0 = mv.top, x1 = x0 + w, y1 = y0 + h;
    if (haveLookup_ && x0 >= lookedUp_[0] && y0 >= lookedUp_[1] && x1 <= lookedUp_[2] &&
        y1 <= lookedUp_[3])
        return false;
    ++lookups_;
    const double area[4] = {x0 - w / 2, y0 - h / 2, x1 + w / 2, y1 + h / 2};
    std::copy(std::begin(area), std::end(area), lookedUp_);
    haveLookup_ = true;

    // Every covering map found at the probes, by (scale, folder, path): the
    // order in which automatic selection prefers them.
    std::set<std::tuple<double, int, std::string>> found;
    std::set<std::string> seen;
    const double step = kNeighbourProbeStep;
    for (double y = std::floor(area[1] / step) * step; y <= area[3]; y += step) {
        for (double x = std::floor(area[0] / step) * step; x <= area[2]; x += step) {
            if (cur.Keeps(x, y)) continue;
            GeoPoint g;
            if (!MapPixelToPosition(map, datums, cur.ToImage(x, y), g)) continue;
            const MapSearch search{g.lat, g.lon, map.datumIndex};
            for (std::size_t f = 0; f < source.folders.size(); ++f) {
                if (!source.covering) break;
                for (const CoveringMap& c : source.covering(source.folders[f], search)) {
                    if (c.path == map.mapFilePath || seen.count(c.path)) continue;
                    seen.insert(c.path);
                    found.insert({c.scale, static_cast<int>(f), c.path});
                }
            }
        }
    }
    std::vector<Neighbour*> active;
    for (const auto& key : found) {
        if (static_cast<int>(active.size()) >= kMaxOpenNeighbours) break;
        // Plain names, not a structured binding: clang before 16 cannot
        // capture a binding in the lambda below.
        const double scale = std::get<0>(key);
        const int folder = std::get<1>(key);
        const std::string& path = std::get<2>(key);
        Neighbour* n = nullptr;
        // Room for one more: close the neighbour used longest ago that this
        // view does not use.
        while (static_cast<int>(open_.size()) >= kMaxOpenNeighbours &&
               std::none_of(open_.begin(), open_.end(), [&](auto& o) { return o->path == path; })) {
            std::size_t victim = open_.size();
            for (std::size_t i = 0; i < open_.size(); ++i) {
                if (std::find(active.begin(), active.end(), open_[i].get()) != active.end()) continue;
                if (victim == open_.size() || open_[i]->lastUse < open_[victim]->lastUse) victim = i;
            }
            if (victim == open_.size()) break;
            Close(victim);
        }
        n = Open(path, scale, folder, datums, source);
        if (!n) continue;
        n->lastUse = ++clock_;
        active.push_back(n);
    }
    if (active != active_) {
        active_ = std::move(active);
        ++generation_;
        return true;
    }
    return false;
}

void NeighbourFill::Fill(const Current& cur, ViewImage& view, const MapView& mv,
                         const MapRecord& map, const DatumTable& datums, const int* rects,
                         int count) {
    const bool indexed = view.format == ViewFormat::Indexed8;
    for (Neighbour* n : active_) {
        if (n->geometryOf == cur.serial && n->geometryLevel == cur.level && n->geometryPath == cur.path)
            continue;
        n->geometryOf = cur.serial;
        n->geometryLevel = cur.level;
        n->geometryPath = cur.path;
        n->nodes.clear();
        n->border = BorderInLevel(n->corners, map, datums, cur);
        n->geometryValid = n->border.valid;
        if (!n->geometryValid) continue;
        // The neighbour's level closest to the view's scale without being
        // coarser: its image pixels per view pixel, measured at its border's
        // first corner.
        const PlanePoint c0 = n->border.points[0];
        PlanePoint a, b, d;
        double ideal = 100;
        if (MapToNeighbourPixel(map, n->map, datums, cur.ToImage(c0.x, c0.y), a) &&
            MapToNeighbourPixel(map, n->map, datums, cur.ToImage(c0.x + 64, c0.y), b) &&
            MapToNeighbourPixel(map, n->map, datums, cur.ToImage(c0.x, c0.y + 64), d)) {
            const double det = std::fabs((b.x - a.x) * (d.y - a.y) - (b.y - a.y) * (d.x - a.x));
            if (det > 0) ideal = 100 * 64 / std::sqrt(det);
        }
        int level = 0;
        double best = HUGE_VAL;
        for (int i = 0; i < static_cast<int>(n->file.levelPercent.size()); ++i) {
            const double p = n->file.levelPercent[static_cast<std::size_t>(i)];
            // Prefer the smallest level at least as fine as the view.
            const double cost = p >= ideal * 0.97 ? p - ideal : 1000 + (ideal - p);
            if (cost < best) {
                best = cost;
                level = i;
            }
        }
        if (level != n->file.level) {
            for (int s = 0; s < cache_.Size(); ++s)
                if (cache_.entries[s].key >= 0 && cache_.entries[s].key % kKeySlots == n->slot)
                    ClearSlot(cache_, s);
            if (!SelectLevel(n->file, level)) {
                n->geometryValid = false;
                continue;
            }
        }
        n->sx = n->file.width > 0 ? double(n->file.levelWidth) / n->file.width : 1;
        n->sy = n->file.height > 0 ? double(n->file.levelHeight) / n->file.height : 1;
        n->palette = MakeDisplayPalette(n->file.palette);
        n->argb = PaletteArgb(n->palette);
    }
    if (indexed)
        for (Neighbour* n : active_)
            for (int i = 0; i < 256; ++i)
                n->toView[static_cast<std::size_t>(i)] =
                    static_cast<std::uint8_t>(NearestColour(view.palette, n->palette[static_cast<std::size_t>(i)]));
    GrowTileCache(cache_, TileCacheSlotsFor(view.clientWidth, view.clientHeight));
    if (cache_.Size() == 0) return;

    const std::int64_t left = mv.left, top = mv.top;
    auto node = [&](Neighbour& n, std::int64_t gx, std::int64_t gy) -> PlanePoint {
        const std::uint64_t key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(gx)) << 32) |
                                  static_cast<std::uint32_t>(gy);
        auto it = n.nodes.find(key);
        if (it != n.nodes.end()) return it->second;
        if (n.nodes.size() > 200000) n.nodes.clear();
        PlanePoint q;
        PlanePoint v{kNaN, kNaN};
        if (MapToNeighbourPixel(map, n.map, datums,
                                cur.ToImage(double(gx * kControlCell), double(gy * kControlCell)), q))
            v = {(q.x + 0.5) * n.sx, (q.y + 0.5) * n.sy};
        n.nodes.emplace(key, v);
        return v;
    };

    Spans margin, keep, mine, other, scratch;
    std::vector<double> xs;
    for (int r = 0; r < count; ++r) {
        const int rx0 = rects[4 * r], rx1 = rects[4 * r + 1], ry0 = rects[4 * r + 2],
                  ry1 = rects[4 * r + 3];
        if (rx0 >= rx1 || ry0 >= ry1) continue;
        for (int j = ry0; j < ry1; ++j) {
            const std::int64_t Y = top + j;
            margin.assign(1, {rx0, rx1});
            // The map keeps what lies inside its border and its image.
            if (Y >= 0 && Y < cur.shownH) {
                const int lo = static_cast<int>(std::clamp<std::int64_t>(-left, rx0, rx1));
                const int hi = static_cast<int>(std::clamp<std::int64_t>(cur.shownW - left, rx0, rx1));
                if (cur.border.valid) {
                    cur.border.RowSpans(double(Y), left, lo, hi, keep, xs);
                } else {
                    keep.clear();
                    if (lo < hi) keep.emplace_back(lo, hi);
                }
                Subtract(margin, keep, scratch);
            }
            for (Neighbour* np : active_) {
                if (margin.empty()) break;
                Neighbour& n = *np;
                if (!n.geometryValid) continue;
                // Borders often run exactly through pixel centres (a sheet
                // edge on its last pixel), where the loaded map's border and
                // its neighbour's, each converted on its own path, may both
                // miss the pixel by a rounding error: a neighbour takes what
                // lies within kEdgeSlack of its border.
                n.border.RowSpans(double(Y) - kEdgeSlack, left, rx0, rx1, mine, xs, kEdgeSlack);
                n.border.RowSpans(double(Y) + kEdgeSlack, left, rx0, rx1, other, xs, kEdgeSlack);
                Unite(mine, other);
                Intersect(margin, mine, keep);
                if (keep.empty()) continue;
                Subtract(margin, keep, scratch);
                std::uint32_t* out32 = indexed ? nullptr : view.display.Row(j);
                std::uint8_t* out8 = indexed ? view.bitmap.Row(j) : nullptr;
                const int levelW = static_cast<int>(n.file.levelWidth),
                          levelH = static_cast<int>(n.file.levelHeight), tilesX = n.file.tilesX;
                const std::int64_t gy = FloorDiv(Y, kControlCell);
                const double ty = double(Y - gy * kControlCell) / kControlCell;
                for (auto [i0, i1] : keep) {
                    int lastTile = -1;
                    const std::uint8_t* tile = nullptr;
                    for (int i = i0; i < i1;) {
                        const std::int64_t X = left + i;
                        const std::int64_t gx = FloorDiv(X, kControlCell);
                        const int end = static_cast<int>(std::min<std::int64_t>(
                            i1, (gx + 1) * kControlCell - left));
                        const PlanePoint a = node(n, gx, gy), b = node(n, gx + 1, gy),
                                         c = node(n, gx, gy + 1), d = node(n, gx + 1, gy + 1);
                        if (std::isnan(a.x) || std::isnan(b.x) || std::isnan(c.x) || std::isnan(d.x)) {
                            i = end;
                            continue;
                        }
                        const double lx = a.x + (c.x - a.x) * ty, ly = a.y + (c.y - a.y) * ty;
                        const double rx = b.x + (d.x - b.x) * ty, ry = b.y + (d.y - b.y) * ty;
                        const double dx = (rx - lx) / kControlCell, dy = (ry - ly) / kControlCell;
                        const double t0 = double(X - gx * kControlCell);
                        double fx = lx + dx * t0, fy = ly + dy * t0;
                        for (; i < end; ++i, fx += dx, fy += dy) {
                            const int u = FloorToInt(fx), v = FloorToInt(fy);
                            if (u < 0 || v < 0 || u >= levelW || v >= levelH) continue;
                            const int t = (v >> 6) * tilesX + (u >> 6);
                            if (t != lastTile) {
                                lastTile = t;
                                tile = nullptr;
                                const int key = n.slot + kKeySlots * t;
                                int slot = FindCachedTile(cache_, key);
                                if (slot < 0) {
                                    slot = ChooseVictim(cache_);
                                    ClearSlot(cache_, slot);
                                    if (ReadTile(n.file, t, cache_.Buffer(slot))) {
                                        AssignSlot(cache_, slot, key);
                                    } else {
                                        slot = -1;
                                    }
                                }
                                if (slot >= 0) {
                                    TouchSlot(cache_, slot);
                                    tile = cache_.Buffer(slot);
                                }
                            }
                            if (!tile) continue;
                            // Tiles are stored bottom row first.
                            const std::uint8_t index =
                                tile[(kTileEdge - 1 - (v & (kTileEdge - 1))) * kTileEdge + (u & (kTileEdge - 1))];
                            if (indexed)
                                out8[i] = n.toView[index];
                            else
                                out32[i] = n.argb[index];
                        }
                    }
                }
            }
        }
    }
}

bool NeighbourFill::Apply(ImageFile& image, ViewImage& view, const MapView& mv, const MapRecord& map,
                          const DatumTable& datums, const NeighbourSource& source, bool enabled) {
    if (!image.IsOpen() || !view.content.valid || view.Empty()) return false;
    auto renderAgain = [&] {
        view.content.valid = false;
        ImageFault fault = ImageFault::None;
        RenderView(image, view, mv.zoom, mv.top, 0, mv.left, 0, fault);
    };
    if (!enabled || !HasCalibration(map)) {
        const bool wasFilled = filled_;
        filled_ = false;
        Forget();
        // A view that only moved keeps pixels of the filled one.
        if (wasFilled) renderAgain();
        shown_ = view.content;
        return wasFilled;
    }

    Current cur;
    cur.serial = image.serial;
    cur.tiled = image.IsTiled();
    cur.path = map.mapFilePath;
    cur.datum = map.datumIndex;
    if (cur.tiled) {
        cur.level = image.level;
        cur.sx = image.width > 0 ? double(image.levelWidth) / image.width : 1;
        cur.sy = image.height > 0 ? double(image.levelHeight) / image.height : 1;
        cur.shownW = image.ShownLevelWidth();
        cur.shownH = image.ShownLevelHeight();
    } else {
        cur.step = std::max<std::int64_t>(view.content.step, 1);
        cur.level = static_cast<int>(std::min<std::int64_t>(cur.step, 1 << 20));
        cur.shownW = image.width / cur.step;
        cur.shownH = (std::int64_t{image.height} + cur.step - 1) / cur.step;
    }
    if (!current_ || !current_->SameAs(cur)) {
        cur.border = BorderInLevel(BorderOf(map, datums, true), map, datums, cur);
        current_ = std::make_unique<Current>(std::move(cur));
        Forget();
    }
    const Current& c = *current_;
    Refresh(c, mv, map, datums, source);

    const ViewContent& now = view.content;
    ViewContent moved = shown_;
    moved.left = now.left;
    moved.top = now.top;
    const std::int64_t dx = now.left - shown_.left, dy = now.top - shown_.top;
    bool kept = shown_.valid && moved == now && std::llabs(dx) < now.width &&
                std::llabs(dy) < now.height;
    if (kept && filled_ && filledGeneration_ != generation_) {
        // The kept part shows neighbours this view no longer uses.
        renderAgain();
        kept = false;
    }
    shown_ = view.content;
    if (active_.empty()) {
        filled_ = false;
        return false;
    }
    const int w = view.clientWidth, h = view.clientHeight;
    int rects[16];
    int count = 0;
    auto add = [&](std::int64_t x0, std::int64_t x1, std::int64_t y0, std::int64_t y1) {
        rects[4 * count] = static_cast<int>(x0);
        rects[4 * count + 1] = static_cast<int>(x1);
        rects[4 * count + 2] = static_cast<int>(y0);
        rects[4 * count + 3] = static_cast<int>(y1);
        ++count;
    };
    if (kept && filled_) {
        // What the move uncovered, as the map's own render drew it.
        const std::int64_t kx0 = std::max<std::int64_t>(0, -dx), kx1 = std::min<std::int64_t>(w, w - dx);
        const std::int64_t ky0 = std::max<std::int64_t>(0, -dy), ky1 = std::min<std::int64_t>(h, h - dy);
        add(0, w, 0, ky0);
        add(0, w, ky1, h);
        add(0, kx0, ky0, ky1);
        add(kx1, w, ky0, ky1);
    } else {
        add(0, w, 0, h);
    }
    Fill(c, view, mv, map, datums, rects, count);
    filled_ = true;
    filledGeneration_ = generation_;
    return true;
}

}  // namespace mw
