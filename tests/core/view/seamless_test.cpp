// The seamless map window on synthetic sheets: four UTM sheets meeting at
// 47.20 N 6.00 E, two in zone 31 and two in zone 32, one of them on
// "European 1950". Every sheet's pixel says where it is (red: x mod 16,
// green: y mod 15) and which sheet it is (blue), so a rendered view can be
// checked pixel by pixel against positions worked out here straight from
// the transverse Mercator and datum routines, not through the calibration.
#include "view/seamless.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "geo/datum_convert.h"
#include "geo/transverse_mercator.h"
#include "image/mwf2_writer.h"
#include "map/catalogue.h"
#include "map/map_file.h"
#include "ports/std_file_system.h"
#include "support/text.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"
#include "view/viewport.h"

namespace mw {
namespace {

constexpr int kCollar = 20;  // image pixels beyond the border on every side
constexpr std::uint32_t kWhite = 0xffffffffu;

struct SheetPlan {
    const char* name;
    int zone;
    const char* datum;
    double south, west, north, east;  // WGS 84
    double metres;                    // per image pixel
};

struct Sheet {
    SheetPlan plan;
    int shade = 0;  // blue = 40 + 50 shade
    int datum = kDatumWgs84;
    double e0 = 0, n0 = 0;  // grid position of pixel (0, 0)
    int width = 0, height = 0;
};

// Grid position (the sheet's zone and datum) of a WGS 84 position.
void SheetGrid(const Sheet& s, const DatumTable& datums, double lat, double lon, double& e,
               double& n) {
    ConvertDatum(datums, kDatumWgs84, s.datum, lat, lon);
    TmForward(lat, lon, 0, s.plan.zone * 6.0 - 183, 0.9996, e, n, datums, s.datum);
    e += 500000;
}

Sheet WriteSheet(const std::string& folder, const SheetPlan& plan, int shade,
                 const DatumTable& datums) {
    Sheet s{plan, shade, FindDatumByName(datums, plan.datum)};
    const double m = plan.metres;
    const double corners[4][2] = {{plan.north, plan.west},
                                  {plan.north, plan.east},
                                  {plan.south, plan.east},
                                  {plan.south, plan.west}};
    double minE = HUGE_VAL, maxE = -HUGE_VAL, minN = HUGE_VAL, maxN = -HUGE_VAL;
    mwtest::CalibrationFileText calib;
    for (const auto& c : corners) {
        double e, n;
        SheetGrid(s, datums, c[0], c[1], e, n);
        minE = std::min(minE, e), maxE = std::max(maxE, e);
        minN = std::min(minN, n), maxN = std::max(maxN, n);
        double lat = c[0], lon = c[1];
        ConvertDatum(datums, kDatumWgs84, s.datum, lat, lon);
        calib.borderLatLon.push_back({lat, lon});
    }
    s.e0 = minE - kCollar * m;
    s.n0 = maxN + kCollar * m;
    s.width = static_cast<int>(std::ceil((maxE - s.e0) / m)) + kCollar;
    s.height = static_cast<int>(std::ceil((s.n0 - minN) / m)) + kCollar;
    calib.title = plan.name;
    calib.image = std::string(plan.name) + ".bmp";
    calib.datum = plan.datum;
    calib.projection = "(UTM) Universal Transverse Mercator";
    for (auto [x, y] : {std::pair{0, 0}, {s.width, 0}, {0, s.height}, {s.width, s.height}}) {
        mwtest::TestPoint p;
        p.x = x, p.y = y;
        p.zone = Format("%d", plan.zone);
        p.easting = s.e0 + x * m;
        p.northing = s.n0 - y * m;
        calib.points.push_back(p);
    }
    calib.scale = m;
    std::ofstream(folder + "/" + plan.name + ".map", std::ios::binary) << calib.Text();

    Mwf2Image image;
    image.width = s.width;
    image.height = s.height;
    for (float percent : {100.0f, 50.0f}) {
        Mwf2Level level;
        level.percent = percent;
        const int w = static_cast<int>(std::lround(s.width * percent / 100));
        const int h = static_cast<int>(std::lround(s.height * percent / 100));
        EXPECT_TRUE(CreateIndexedBitmap(level.pixels, w, h, 255));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) level.pixels.Row(y)[x] = static_cast<std::uint8_t>(x % 16 + 16 * (y % 15));
        for (int i = 0; i < 240; ++i)
            level.colours[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(40 + 50 * shade),
                                                          static_cast<std::uint8_t>(8 + 15 * (i / 16)),
                                                          static_cast<std::uint8_t>(8 + 15 * (i % 16)), 0};
        level.colours[255] = {255, 255, 255, 0};
        image.levels.push_back(std::move(level));
    }
    std::string error;
    EXPECT_TRUE(WriteMwf2File(folder + "/" + plan.name + ".mwf2", image, &error)) << error;
    return s;
}

// The four sheets around 47.20 N 6.00 E, 10 m a pixel.
const SheetPlan kCorner[] = {
    {"a_nw", 31, "WGS 84", 47.20, 5.95, 47.25, 6.00, 10},
    {"b_ne", 32, "WGS 84", 47.20, 6.00, 47.25, 6.05, 10},
    {"c_sw", 31, "European 1950", 47.15, 5.95, 47.20, 6.00, 10},
    {"d_se", 32, "WGS 84", 47.15, 6.00, 47.20, 6.05, 10},
};

// One map window on one of the sheets.
struct Window {
    MapRecord map;
    Viewport vp;
    MapView view;
    NeighbourFill fill;
    bool enabled = true;
};

class SeamlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        int shade = 0;
        for (const SheetPlan& plan : kCorner) sheets.push_back(WriteSheet(dir.Path(), plan, shade++, datums));
    }

    NeighbourSource Source() const {
        NeighbourSource source;
        source.folders = {dir.Path()};
        source.covering = [this](const std::string& folder, const MapSearch& search) {
            return ScanFolderFiles(DefaultFileSystem(), folder, search, datums);
        };
        return source;
    }

    // Opens sheet `index` in a window of 400 × 300 at `percent`, centred on
    // (lat, lon) in WGS 84, rendered with the fill installed.
    void Open(Window& w, int index, double percent, double lat, double lon, bool withFill = true) {
        auto map = ReadMapFile(dir.File(std::string(kCorner[index].name) + ".map"), datums);
        ASSERT_TRUE(map);
        w.map = std::move(*map);
        w.map.mapLoaded = true;
        Resize(w.view, 400, 300, true);
        ASSERT_TRUE(LoadMapImage(w.vp, w.view, w.map, datums, "", "", dir.Path()));
        SetZoom(w.vp, w.view, FindZoomIndex(w.vp, 100 / percent));
        ConvertDatum(datums, kDatumWgs84, w.map.datumIndex, lat, lon);
        CentreOn(w.view, w.map, datums, {lat, lon});
        if (withFill) {
            w.vp.afterRender = [this, &w](Viewport& vp, const MapView& view) {
                w.fill.Apply(*vp.file, vp.view, view, w.map, datums, Source(), w.enabled);
            };
        }
        ASSERT_TRUE(RenderMapView(w.vp, w.view));
    }

    // WGS 84 position of view pixel (i, j) of a window on sheet `s`, worked
    // out from the sheet's grid.
    GeoPoint PositionOf(const Window& w, const Sheet& s, int i, int j) const {
        const ImageFile& f = *w.vp.file;
        const double sx = double(f.levelWidth) / f.width, sy = double(f.levelHeight) / f.height;
        const double x = (w.view.left + i + 0.5) / sx - 0.5, y = (w.view.top + j + 0.5) / sy - 0.5;
        double lat, lon;
        TmInverse(s.e0 + x * s.plan.metres - 500000, s.n0 - y * s.plan.metres, 0,
                  s.plan.zone * 6.0 - 183, 0.9996, lat, lon, datums, s.datum);
        ConvertDatum(datums, s.datum, kDatumWgs84, lat, lon);
        return {lat, lon};
    }

    // Whether a WGS 84 position lies inside sheet s, at least `pixels`
    // inside its border.
    static bool Inside(const Sheet& s, GeoPoint p, double pixels) {
        const double dLat = pixels * s.plan.metres / 111320;
        const double dLon = dLat / std::cos(p.lat * M_PI / 180);
        return p.lat > s.plan.south + dLat && p.lat < s.plan.north - dLat &&
               p.lon > s.plan.west + dLon && p.lon < s.plan.east - dLon;
    }

    mwtest::TempDir dir;
    DatumTable datums;
    std::vector<Sheet> sheets;
};

// Pixel distance on a ring of `period` positions.
int RingDistance(int a, int b, int period) {
    const int d = ((a - b) % period + period) % period;
    return std::min(d, period - d);
}

struct CornerCase {
    int current;
    double percent;
    int neighbourPercent;  // the level the neighbours are read from
};

class CornerTest : public SeamlessTest, public ::testing::WithParamInterface<CornerCase> {};

// No white pixel inside the four sheets' union; every pixel comes from the
// sheet that should show it (the loaded one inside its border, else the one
// the position lies on) and shows that sheet's pixel within one pixel of
// where the sheet's own grid puts the position.
TEST_P(CornerTest, FourSheetsMeetWithoutGapsAndLineUp) {
    const CornerCase& c = GetParam();
    Window w;
    Open(w, c.current, c.percent, 47.20, 6.00);
    ASSERT_EQ(w.fill.ActiveNeighbours().size(), 3u);
    const Sheet& cur = sheets[static_cast<std::size_t>(c.current)];
    int checked = 0, edgePixels = 0;
    for (int j = 0; j < w.view.height; ++j) {
        for (int i = 0; i < w.view.width; ++i) {
            const GeoPoint p = PositionOf(w, cur, i, j);
            // The four sheets make one rectangle.
            Sheet all = sheets[0];
            all.plan.south = 47.15, all.plan.east = 6.05;
            if (!Inside(all, p, 0.75)) continue;
            int expected = -1;
            bool nearEdge = true;
            if (Inside(cur, p, 1.5)) {
                expected = c.current, nearEdge = false;
            } else if (!Inside(cur, p, -1.5)) {
                for (std::size_t k = 0; k < sheets.size(); ++k)
                    if (Inside(sheets[k], p, 1.5)) expected = static_cast<int>(k), nearEdge = false;
            }
            const std::uint32_t px = w.vp.view.display.At(i, j);
            ASSERT_NE(px, kWhite) << "white at " << i << "," << j;
            const int shade = ((px & 0xff) - 40) / 50;
            ASSERT_TRUE(shade >= 0 && shade < 4 && (px & 0xff) == 40u + 50u * shade) << std::hex << px;
            if (!nearEdge) ASSERT_EQ(shade, expected) << "at " << i << "," << j;
            const Sheet& s = sheets[static_cast<std::size_t>(shade)];
            double e, n;
            SheetGrid(s, datums, p.lat, p.lon, e, n);
            const double level = shade == c.current ? c.percent : c.neighbourPercent;
            const double scale = std::min(level, 100.0) / 100;
            const double x = ((e - s.e0) / s.plan.metres + 0.5) * scale - 0.5;
            const double y = ((s.n0 - n) / s.plan.metres + 0.5) * scale - 0.5;
            const int r = static_cast<int>((px >> 16) & 0xff), g = static_cast<int>((px >> 8) & 0xff);
            EXPECT_LE(RingDistance((r - 8) / 15, static_cast<int>(std::lround(x)), 16), 1)
                << "x at " << i << "," << j << " on " << s.plan.name;
            EXPECT_LE(RingDistance((g - 8) / 15, static_cast<int>(std::lround(y)), 15), 1)
                << "y at " << i << "," << j << " on " << s.plan.name;
            ++checked;
            if (nearEdge) ++edgePixels;
        }
    }
    // The corner sits in the middle of the window: all of it is map.
    EXPECT_GT(checked, 400 * 300 * 9 / 10);
    EXPECT_GT(edgePixels, 1000);
}

INSTANTIATE_TEST_SUITE_P(Sheets, CornerTest,
                         ::testing::Values(CornerCase{0, 100, 100},  // zone 31, WGS 84
                                           CornerCase{2, 100, 100},  // European 1950
                                           CornerCase{1, 50, 50}));  // zone 32, at 50 %

// A view reached by pans shows what the same view drawn at once shows, and
// with the switch off the map's own pixels, exactly as without the fill.
TEST_F(SeamlessTest, PansMatchAFreshViewAndOffGivesTheMapAlone) {
    Window panned;
    Open(panned, 0, 100, 47.205, 5.99);
    for (auto [dx, dy] : {std::pair{-64, 0}, {-64, -64}, {0, -64}, {64, 0}, {-200, 30}, {-64, 0}})
        ASSERT_TRUE(DragMapBy(panned.vp, panned.view, panned.map, datums, dx, dy));
    Window fresh;
    Open(fresh, 0, 100, 47.20, 6.00);
    fresh.view = panned.view;
    ASSERT_TRUE(RenderMapView(fresh.vp, fresh.view));
    EXPECT_EQ(panned.vp.view.display.pixels, fresh.vp.view.display.pixels);

    Window plain;
    Open(plain, 0, 100, 47.20, 6.00, false);
    plain.view = panned.view;
    ASSERT_TRUE(RenderMapView(plain.vp, plain.view));
    EXPECT_NE(panned.vp.view.display.pixels, plain.vp.view.display.pixels);
    panned.enabled = false;
    ASSERT_TRUE(DragMapBy(panned.vp, panned.view, panned.map, datums, 0, 0));
    EXPECT_EQ(panned.vp.view.display.pixels, plain.vp.view.display.pixels);
    for (auto [dx, dy] : {std::pair{64, 0}, {0, 64}}) {
        ASSERT_TRUE(DragMapBy(panned.vp, panned.view, panned.map, datums, dx, dy));
        plain.view = panned.view;
        ASSERT_TRUE(RenderMapView(plain.vp, plain.view));
        EXPECT_EQ(panned.vp.view.display.pixels, plain.vp.view.display.pixels);
    }
}

// The bilinear grid departs from the exact chain by less than the stated
// bound between zones and datums, at 1:25,000 (2.5 m a pixel) to 1:250,000
// (25 m a pixel).
TEST_F(SeamlessTest, ControlGridStaysWithinItsErrorBound) {
    const double metres[] = {2.5, 25};
    const std::pair<int, int> pairs[] = {{0, 1}, {0, 2}, {2, 3}};
    for (double m : metres) {
        for (auto [from, to] : pairs) {
            // The same sheets at another scale: the calibrations scale with it.
            SheetPlan a = kCorner[from], b = kCorner[to];
            a.metres = b.metres = m;
            mwtest::TempDir other;
            WriteSheet(other.Path(), a, 0, datums);
            WriteSheet(other.Path(), b, 1, datums);
            auto mapA = ReadMapFile(other.File(std::string(a.name) + ".map"), datums);
            auto mapB = ReadMapFile(other.File(std::string(b.name) + ".map"), datums);
            ASSERT_TRUE(mapA && mapB);
            double worst = 0;
            // Cells along the shared edge, on A's image.
            for (int cell = 0; cell < 40; ++cell) {
                const double x0 = 200 + 37 * cell, y0 = 150 + 23 * cell;
                PlanePoint n[4];
                for (int k = 0; k < 4; ++k)
                    ASSERT_TRUE(MapToNeighbourPixel(*mapA, *mapB, datums,
                                                    {x0 + kControlCell * (k % 2), y0 + kControlCell * (k / 2)}, n[k]));
                for (int sy = 1; sy < 8; ++sy) {
                    for (int sx = 1; sx < 8; ++sx) {
                        const double tx = sx / 8.0, ty = sy / 8.0;
                        PlanePoint exact;
                        ASSERT_TRUE(MapToNeighbourPixel(*mapA, *mapB, datums,
                                                        {x0 + kControlCell * tx, y0 + kControlCell * ty}, exact));
                        const double ix = (n[0].x * (1 - tx) + n[1].x * tx) * (1 - ty) + (n[2].x * (1 - tx) + n[3].x * tx) * ty;
                        const double iy = (n[0].y * (1 - tx) + n[1].y * tx) * (1 - ty) + (n[2].y * (1 - tx) + n[3].y * tx) * ty;
                        worst = std::max(worst, std::hypot(ix - exact.x, iy - exact.y));
                    }
                }
            }
            EXPECT_LT(worst, kMaxInterpolationError) << m << " m, " << a.name << " to " << b.name;
        }
    }
}

// More neighbours than may stay open: the least recently used are closed as
// the view travels along a row of sheets.
TEST_F(SeamlessTest, OnlyAFewNeighboursStayOpen) {
    mwtest::TempDir row;
    std::vector<Sheet> strip;
    for (int k = 0; k < 12; ++k) {
        const std::string name = Format("s%02d", k);
        SheetPlan plan{nullptr, 32, "WGS 84", 47.20, 6.00 + 0.05 * k, 47.25, 6.05 + 0.05 * k, 10};
        plan.name = name.c_str();
        strip.push_back(WriteSheet(row.Path(), plan, k % 4, datums));
    }
    Window w;
    auto map = ReadMapFile(row.File("s00.map"), datums);
    ASSERT_TRUE(map);
    w.map = std::move(*map);
    Resize(w.view, 400, 300, true);
    ASSERT_TRUE(LoadMapImage(w.vp, w.view, w.map, datums, "", "", row.Path()));
    SetZoom(w.vp, w.view, FindZoomIndex(w.vp, 2.0));
    NeighbourSource source;
    source.folders = {row.Path()};
    source.covering = [this](const std::string& folder, const MapSearch& search) {
        return ScanFolderFiles(DefaultFileSystem(), folder, search, datums);
    };
    w.vp.afterRender = [&](Viewport& vp, const MapView& view) {
        w.fill.Apply(*vp.file, vp.view, view, w.map, datums, source, true);
    };
    std::size_t most = 0;
    for (int step = 0; step < 30; ++step) {
        CentreOn(w.view, w.map, datums, {47.225, 6.0 + 0.02 * step});
        ASSERT_TRUE(RenderMapView(w.vp, w.view));
        EXPECT_LE(w.fill.OpenNeighbourCount(), kMaxOpenNeighbours);
        most = std::max(most, w.fill.ActiveNeighbours().size());
        const std::uint32_t middle = w.vp.view.display.At(200, 150);
        EXPECT_NE(middle, kWhite) << "step " << step << " " << w.fill.ActiveNeighbours().size() << " " << w.view.left << "," << w.view.top << " lookups " << w.fill.NeighbourLookups();
    }
    EXPECT_GE(most, 3u);
}

}  // namespace
}  // namespace mw

namespace mw {
namespace {

// Overlapping neighbours: the most detailed covering a pixel shows it, as
// automatic selection would choose it; a coarser map shows only where no
// finer one covers.
TEST_F(SeamlessTest, TheMostDetailedNeighbourShowsFirst) {
    mwtest::TempDir folder;
    const SheetPlan specs[] = {
        {"a_here", 32, "WGS 84", 47.20, 6.00, 47.25, 6.05, 10},    // the loaded map
        {"b_next", 32, "WGS 84", 47.20, 6.05, 47.25, 6.10, 10},    // its neighbour
        {"c_inset", 32, "WGS 84", 47.235, 6.05, 47.245, 6.06, 5},    // a detailed inset
        {"d_region", 32, "WGS 84", 47.10, 5.90, 47.40, 6.20, 20},  // a coarse map of it all
    };
    std::vector<Sheet> all;
    int shade = 0;
    for (const SheetPlan& s : specs) all.push_back(WriteSheet(folder.Path(), s, shade++, datums));
    Window w;
    auto map = ReadMapFile(folder.File("a_here.map"), datums);
    ASSERT_TRUE(map);
    w.map = std::move(*map);
    Resize(w.view, 400, 300, true);
    ASSERT_TRUE(LoadMapImage(w.vp, w.view, w.map, datums, "", "", folder.Path()));
    CentreOn(w.view, w.map, datums, {47.245, 6.048});
    NeighbourSource source;
    source.folders = {folder.Path()};
    source.covering = [this](const std::string& f, const MapSearch& search) {
        return ScanFolderFiles(DefaultFileSystem(), f, search, datums);
    };
    w.vp.afterRender = [&](Viewport& vp, const MapView& view) {
        w.fill.Apply(*vp.file, vp.view, view, w.map, datums, source, true);
    };
    ASSERT_TRUE(RenderMapView(w.vp, w.view));
    EXPECT_EQ(w.fill.ActiveNeighbours(),
              (std::vector<std::string>{folder.File("c_inset.map"), folder.File("b_next.map"),
                                        folder.File("d_region.map")}));
    int seen[4] = {};
    for (int j = 0; j < 300; ++j) {
        for (int i = 0; i < 400; ++i) {
            const GeoPoint p = PositionOf(w, all[0], i, j);
            // The loaded map, then the neighbours best first; a pixel
            // within 1.5 pixels of a border on the way is left out.
            int expected = -1;
            bool edge = false;
            for (int k : {0, 2, 1, 3}) {
                if (Inside(all[k], p, 1.5)) {
                    expected = k;
                    break;
                }
                if (Inside(all[k], p, -1.5)) {
                    edge = true;
                    break;
                }
            }
            if (edge || expected < 0) continue;
            const std::uint32_t px = w.vp.view.display.At(i, j);
            const int got = static_cast<int>(((px & 0xff) - 40) / 50);
            ASSERT_EQ(got, expected) << "at " << i << "," << j;
            ++seen[expected];
        }
    }
    for (int k = 0; k < 4; ++k) EXPECT_GT(seen[k], 500) << "sheet " << k;
}

}  // namespace
}  // namespace mw
