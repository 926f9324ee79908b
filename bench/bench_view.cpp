// Panning the map window by 64 pixels on a 1920 × 1080 view: on one sheet
// (the baseline: every pixel the map's own), and at the corner of four
// sheets with the neighbours drawn into the margin (two UTM zones, one
// sheet on European 1950), in the same run. Each pan goes through
// RenderMapView as the program's does, with the fill installed as the
// program installs it; the pans go round a square so the view stays where
// the neighbours were looked up (a lookup is measured on its own).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "geo/datum_convert.h"
#include "geo/transverse_mercator.h"
#include "image/mwf2_writer.h"
#include "map/catalogue.h"
#include "map/map_file.h"
#include "ports/std_file_system.h"
#include "support/text.h"
#include "view/seamless.h"
#include "view/viewport.h"

namespace {

constexpr int kViewW = 1920, kViewH = 1080;
constexpr double kMetres = 10;

mw::IndexedBitmap MapLike(int w, int h, unsigned seed) {
    mw::IndexedBitmap b;
    mw::CreateIndexedBitmap(b, w, h, 1);
    std::uint32_t s = seed;
    auto rnd = [&](int n) {
        s = s * 1664525u + 1013904223u;
        return int((s >> 8) % std::uint32_t(n));
    };
    for (int i = 0; i < w * h / 4000; ++i) {  // areas
        int x0 = rnd(w), y0 = rnd(h), bw = 20 + rnd(300), bh = 20 + rnd(200), c = rnd(40);
        for (int y = y0; y < std::min(h, y0 + bh); ++y)
            std::memset(b.Row(y) + x0, c, static_cast<std::size_t>(std::min(bw, w - x0)));
    }
    for (int i = 0; i < w * h / 600; ++i) {  // lettering and lines
        int x0 = rnd(w), y0 = rnd(h), c = 40 + rnd(80);
        for (int k = 0; k < 30; ++k) {
            int x = x0 + rnd(40), y = y0 + rnd(9);
            if (x < w && y < h) b.Row(y)[x] = std::uint8_t(c);
        }
    }
    return b;
}

// One UTM sheet (south..north, west..east in WGS 84) with a 20-pixel collar,
// written as a calibration file and a tiled image with levels 100 and 50 %.
void WriteSheet(const std::string& folder, const std::string& name, int zone,
                const std::string& datumName, double south, double west, double north,
                double east, const mw::DatumTable& datums) {
    const int datum = mw::FindDatumByName(datums, datumName);
    const double cm = zone * 6.0 - 183;
    double minE = HUGE_VAL, maxE = -HUGE_VAL, minN = HUGE_VAL, maxN = -HUGE_VAL;
    std::string border;
    int k = 0;
    for (auto [lat, lon] : {std::pair{north, west}, {north, east}, {south, east}, {south, west}}) {
        mw::ConvertDatum(datums, mw::kDatumWgs84, datum, lat, lon);
        double e, n;
        mw::TmForward(lat, lon, 0, cm, 0.9996, e, n, datums, datum);
        minE = std::min(minE, e + 500000), maxE = std::max(maxE, e + 500000);
        minN = std::min(minN, n), maxN = std::max(maxN, n);
        border += mw::Format("MMPLL,%d,%.10f,%.10f\r\n", ++k, lon, lat);
    }
    const double e0 = minE - 20 * kMetres, n0 = maxN + 20 * kMetres;
    const int w = static_cast<int>((maxE - e0) / kMetres) + 20;
    const int h = static_cast<int>((n0 - minN) / kMetres) + 20;
    std::string text = "Mapwanderer Map File,Version 1.0\r\n" + name + "\r\n" + name +
                       ".bmp\r\n1 ,Map Code,\r\n" + datumName +
                       ",WGS 84,0.0000,0.0000,WGS 84\r\nReserved 1\r\nReserved 2\r\n"
                       "Magnetic Variation,,,E\r\n"
                       "Map Projection,(UTM) Universal Transverse Mercator,PolyCal,No\r\n";
    int p = 0;
    for (auto [x, y] : {std::pair{0, 0}, {w, 0}, {0, h}, {w, h}})
        text += mw::Format("Point%02d,xy,%d,%d,in, deg,,,N,,,E, grid,%d,%.3f,%.3f,N\r\n", ++p, x,
                           y, zone, e0 + x * kMetres, n0 - y * kMetres);
    for (++p; p <= 30; ++p) text += mw::Format("Point%02d,xy,,,ex, deg,,,N,,,W, grid,,,,N\r\n", p);
    text += "Projection Setup,,,,,,,,,,\r\nMap Feature = MF ; Map Comment = MC\r\nMM0,Yes\r\n" +
            border + mw::Format("MM1B,%g\r\n", kMetres);
    std::ofstream(folder + "/" + name + ".map", std::ios::binary) << text;

    mw::Mwf2Image image;
    image.width = w;
    image.height = h;
    for (float percent : {100.0f, 50.0f}) {
        mw::Mwf2Level level;
        level.percent = percent;
        level.pixels = MapLike(static_cast<int>(std::lround(w * percent / 100)),
                               static_cast<int>(std::lround(h * percent / 100)),
                               static_cast<unsigned>(zone * 7 + name.size()));
        for (int i = 0; i < 256; ++i)
            level.colours[static_cast<std::size_t>(i)] = {std::uint8_t(i), std::uint8_t(255 - i),
                                                          std::uint8_t(i * 7), 0};
        image.levels.push_back(std::move(level));
    }
    std::string error;
    mw::WriteMwf2File(folder + "/" + name + ".mwf2", image, &error);
}

struct Sheets {
    std::string folder;
    mw::DatumTable datums;
    Sheets() {
        folder = (std::filesystem::temp_directory_path() / "mw_bench_view").string();
        std::filesystem::create_directories(folder);
        // The corner at 47.20 N 6.00 E; each sheet 0.15° × 0.1°, about
        // 1150 × 1130 pixels.
        WriteSheet(folder, "nw", 31, "WGS 84", 47.20, 5.85, 47.30, 6.00, datums);
        WriteSheet(folder, "ne", 32, "WGS 84", 47.20, 6.00, 47.30, 6.15, datums);
        WriteSheet(folder, "sw", 31, "European 1950", 47.10, 5.85, 47.20, 6.00, datums);
        WriteSheet(folder, "se", 32, "WGS 84", 47.10, 6.00, 47.20, 6.15, datums);
        // The baseline: one sheet larger than the view all round.
        WriteSheet(folder, "single", 32, "WGS 84", 46.00, 7.00, 46.25, 7.45, datums);
    }
    ~Sheets() { std::filesystem::remove_all(folder); }
};

Sheets& TheSheets() {
    static Sheets sheets;
    return sheets;
}

struct Window {
    mw::MapRecord map;
    mw::Viewport vp;
    mw::MapView view;
    mw::NeighbourFill fill;
    mw::NeighbourSource source;
    mw::MapCatalogue catalogue;
    bool enabled = true;

    bool Open(const Sheets& s, const std::string& name, double lat, double lon, bool seamless) {
        auto m = mw::ReadMapFile(s.folder + "/" + name + ".map", s.datums);
        if (!m) return false;
        map = std::move(*m);
        map.mapLoaded = true;
        mw::Resize(view, kViewW, kViewH, false);
        if (!mw::LoadMapImage(vp, view, map, s.datums, "", "", s.folder)) return false;
        mw::ConvertDatum(s.datums, mw::kDatumWgs84, map.datumIndex, lat, lon);
        mw::CentreOn(view, map, s.datums, {lat, lon});
        source.folders = {s.folder};
        // The program's catalogue, as the window uses it.
        source.covering = [this, &s](const std::string& folder, const mw::MapSearch& search) {
            return catalogue.Covering(mw::DefaultFileSystem(), folder, search, s.datums);
        };
        enabled = seamless;
        vp.afterRender = [this, &s](mw::Viewport& v, const mw::MapView& mv) {
            fill.Apply(*v.file, v.view, mv, map, s.datums, source, enabled);
        };
        return static_cast<bool>(mw::RenderMapView(vp, view));
    }
};

// Pans by 64 pixels round a square: right, down, left, up.
void Pan(benchmark::State& state, const std::string& sheet, double lat, double lon, bool seamless) {
    Sheets& s = TheSheets();
    Window w;
    if (!w.Open(s, sheet, lat, lon, seamless)) {
        state.SkipWithError("cannot open the sheet");
        return;
    }
    const int moves[4][2] = {{64, 0}, {0, 64}, {-64, 0}, {0, -64}};
    int i = 0;
    for (auto _ : state) {
        const auto& m = moves[i++ % 4];
        benchmark::DoNotOptimize(mw::DragMapBy(w.vp, w.view, w.map, s.datums, m[0], m[1]));
    }
    state.counters["neighbours"] = static_cast<double>(w.fill.ActiveNeighbours().size());
    state.counters["lookups"] = w.fill.NeighbourLookups();
}

void BM_PanSingleSheet(benchmark::State& state) { Pan(state, "single", 46.125, 7.225, true); }
void BM_PanCornerOfFourSheets(benchmark::State& state) { Pan(state, "nw", 47.20, 6.00, true); }
void BM_PanCornerSeamlessOff(benchmark::State& state) { Pan(state, "nw", 47.20, 6.00, false); }

// The first view at the corner: the neighbours looked up, opened and drawn
// over the whole window.
void BM_FirstViewAtCorner(benchmark::State& state) {
    Sheets& s = TheSheets();
    for (auto _ : state) {
        Window w;
        benchmark::DoNotOptimize(w.Open(s, "nw", 47.20, 6.00, true));
    }
}

BENCHMARK(BM_PanSingleSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PanCornerOfFourSheets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PanCornerSeamlessOff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstViewAtCorner)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
