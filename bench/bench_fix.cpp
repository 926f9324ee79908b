// One GPS fix on a map window of 640 × 480, 1280 × 720 and 1920 × 1080: the
// position pipeline (datum, border test, recording, recentring) with the
// re-render of the view that moved by 4 pixels (the tile cache warm, as on
// the road), then the map window's paint with its overlays into an image.
// Times are wall times, so work the paint hands to Qt's worker threads
// counts. Baselines in the same run: the same with the view kept as 8-bit
// palette indices (converted to 32 bits by every paint), the re-render alone
// and the paint alone.
//
// The map is 6000 × 4000 pixels of map-like content over 0.6° × 0.4° of
// latitude/longitude, so 4 pixels east are about 29 m: a car at 100 km/h with
// a fix a second. The fixes run east and back along a parallel, so the view
// keeps moving and the track log and the track ring record as they would.
#include <benchmark/benchmark.h>

#include "ports/headless_ui.h"

#include <unistd.h>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "app/app.h"
#include "app/map_commands.h"
#include "app/moving_map.h"
#include "image/mwf2_writer.h"
#include "map/calibration.h"
#include "paint/map_painter.h"

namespace {

constexpr int kMapW = 6000, kMapH = 4000;
constexpr double kWest = 0.0, kNorth = 50.4, kDegPerPixel = 0.0001;
constexpr int kViewW = 1920, kViewH = 1080;  // of the render and paint baselines
constexpr int kStepPx = 4;
constexpr int kRunFixes = 900;  // east for this many fixes, then back west

using NullUi = mw::HeadlessUi;

// A receiver's clock: one second a fix.
class FixClock : public mw::Clock {
public:
    std::uint32_t TickCount() override { return tick; }
    mw::DateTime UtcNow() override { return {2026, 6, 6, 10, 0, 0, 0}; }
    mw::DateTime LocalNow() override { return UtcNow(); }
    std::uint32_t tick = 1;
};

// Flat areas, winding lines and lettering in 120 colours, as a scanned map.
mw::IndexedBitmap MapLike(int w, int h) {
    mw::IndexedBitmap b;
    mw::CreateIndexedBitmap(b, w, h, 1);
    std::uint32_t s = 7;
    auto rnd = [&](int n) {
        s = s * 1664525u + 1013904223u;
        return static_cast<int>((s >> 8) % static_cast<std::uint32_t>(n));
    };
    auto set = [&](int x, int y, int c) {
        if (x >= 0 && y >= 0 && x < w && y < h) b.Row(y)[x] = static_cast<std::uint8_t>(c);
    };
    for (int i = 0; i < 900; ++i) {
        int x0 = rnd(w), y0 = rnd(h), bw = 20 + rnd(400), bh = 20 + rnd(300), c = rnd(40);
        for (int y = y0; y < std::min(h, y0 + bh); ++y)
            std::memset(b.Row(y) + x0, c, static_cast<std::size_t>(std::min(bw, w - x0)));
    }
    for (int i = 0; i < 1500; ++i) {
        double x = rnd(w), y = rnd(h), a = rnd(628) / 100.0;
        int c = 40 + rnd(60), len = 100 + rnd(1500), width = 1 + rnd(3);
        for (int k = 0; k < len; ++k, x += std::cos(a), y += std::sin(a)) {
            a += (rnd(21) - 10) / 400.0;
            for (int d = 0; d < width; ++d) set(static_cast<int>(x) + d, static_cast<int>(y), c);
        }
    }
    for (int i = 0; i < 15000; ++i) {
        int x0 = rnd(w), y0 = rnd(h), c = 100 + rnd(20), letters = 3 + rnd(8);
        for (int l = 0; l < letters; ++l)
            for (int k = 0; k < 14; ++k) set(x0 + 7 * l + rnd(6), y0 + rnd(9), c);
    }
    return b;
}

// A map folder with the image and its calibration file, a data folder for
// the track log and an application home, all under one temporary folder.
struct Files {
    std::filesystem::path root;
    Files() {
        root = std::filesystem::temp_directory_path() /
               ("bench_fix_" + std::to_string(static_cast<long>(::getpid())));
        std::filesystem::create_directories(root / "maps");
        std::filesystem::create_directories(root / "data");
        mw::Mwf2Image image;
        image.width = kMapW;
        image.height = kMapH;
        mw::Mwf2Level level;
        level.pixels = MapLike(kMapW, kMapH);
        for (int i = 0; i < 256; ++i)
            level.colours[static_cast<std::size_t>(i)] = mw::ColourEntry{
                static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(255 - i),
                static_cast<std::uint8_t>(i * 13), 0};
        image.levels.push_back(std::move(level));
        std::string error;
        if (!mw::WriteMwf2File((root / "maps" / "bench.mwf2").string(), image, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::abort();
        }
        const double east = kWest + kMapW * kDegPerPixel, south = kNorth - kMapH * kDegPerPixel;
        std::ofstream map(root / "maps" / "bench.map", std::ios::binary);
        char line[160];
        map << "Mapwanderer Map File,Version 1.0\r\nBench\r\nbench.png\r\n1 ,Map Code,\r\n"
               "WGS 84,WGS 84\r\nReserved 1\r\nReserved 2\r\nMagnetic Variation,,,E\r\n"
               "Map Projection,Latitude/Longitude\r\n";
        std::snprintf(line, sizeof line,
                      "Point01,xy,0,0,in, deg,%d,%.4f,N,%d,%.4f,E, grid,,,,N\r\n",
                      static_cast<int>(kNorth), (kNorth - static_cast<int>(kNorth)) * 60,
                      static_cast<int>(kWest), (kWest - static_cast<int>(kWest)) * 60);
        map << line;
        std::snprintf(line, sizeof line,
                      "Point02,xy,%d,%d,in, deg,%d,%.4f,N,%d,%.4f,E, grid,,,,N\r\n", kMapW, kMapH,
                      static_cast<int>(south), (south - static_cast<int>(south)) * 60,
                      static_cast<int>(east), (east - static_cast<int>(east)) * 60);
        map << line;
        for (int i = 3; i <= 30; ++i) {
            std::snprintf(line, sizeof line, "Point%02d,xy,,,in, deg,,,N,,,E, grid,,,,N\r\n", i);
            map << line;
        }
        map << "Projection Setup,,,,,,,,,,\r\nMM0,Yes\r\nMMPNUM,4\r\n";
        const int xs[4] = {0, kMapW, kMapW, 0}, ys[4] = {0, 0, kMapH, kMapH};
        for (int i = 0; i < 4; ++i) {
            std::snprintf(line, sizeof line, "MMPXY,%d,%d,%d\r\n", i + 1, xs[i], ys[i]);
            map << line;
        }
        const double lons[4] = {kWest, east, east, kWest}, lats[4] = {kNorth, kNorth, south, south};
        for (int i = 0; i < 4; ++i) {
            std::snprintf(line, sizeof line, "MMPLL,%d,%.6f,%.6f\r\n", i + 1, lons[i], lats[i]);
            map << line;
        }
        map << "MM1B,7\r\n";
    }
    ~Files() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
};

Files& TheFiles() {
    static Files f;
    return f;
}

// The program started on the map, the moving map on without a port, the
// view `width` × `height` in `format`, the view moving on every fix.
struct Program {
    NullUi ui;
    FixClock clock;
    mw::App app;
    int width, height;
    QImage window;
    int fix = 0;

    Program(int w, int h, mw::ViewFormat format)
        : width(w), height(h), window(w, h, QImage::Format_RGB32) {
        Files& files = TheFiles();
        app.ports.ui = &ui;
        app.ports.clock = &clock;
        // Each program has its own home and track log.
        const std::string name = std::to_string(w) + "x" + std::to_string(h) +
                                 (format == mw::ViewFormat::Display32 ? "" : "-8bit");
        const std::string home = (files.root / ("home-" + name)).string();
        std::filesystem::create_directories(files.root / ("data-" + name));
        mw::StartApplication(app, home, files.root.string(), w, h);
        app.settings.filePath1 = (files.root / "maps").string();
        app.settings.dataPath = (files.root / ("data-" + name)).string();
        app.settings.mapPath = {(files.root / "maps").string(), "", "", "", "", ""};
        app.settings.nmeaUpdate = 1;
        // The 30 s search for a more detailed map is a catalogue scan of its
        // own, not part of a fix's usual cost.
        app.settings.check4DetailedMap = 0;
        mw::LayoutMapWindow(app, w, h);
        if (!mw::LoadMapFile(app, (files.root / "maps" / "bench.map").string()) ||
            !mw::StartMovingMapWithoutPort(app) || app.mapView.width != w ||
            app.mapView.height != h) {
            std::fprintf(stderr, "bench_fix: set-up failed (window %d x %d)\n", app.mapView.width,
                         app.mapView.height);
            std::abort();
        }
        if (format != app.viewport.view.format) {
            const int cw = app.viewport.view.clientWidth, ch = app.viewport.view.clientHeight;
            app.viewport.view = mw::ViewImage{format};
            app.viewport.view.clientWidth = cw;
            app.viewport.view.clientHeight = ch;
        }
        // Warm up: one run east, so the tiles along the way are cached as
        // after the first minutes of a drive.
        for (int i = 0; i < 2 * kRunFixes; ++i) Fix();
        // The first paint touches the window's pages and fills Qt's caches.
        Paint();
    }
    ~Program() { mw::ShutdownApplication(app); }

    // Image x of fix n: east for kRunFixes fixes, then back.
    static double PixelX(int n) {
        const int leg = n / kRunFixes, k = n % kRunFixes;
        const int step = (leg % 2 == 0) ? k : kRunFixes - k;
        return 1200 + step * kStepPx + 0.5;
    }

    // False when the fix did not move the view.
    bool Fix() {
        const double lon = kWest + PixelX(fix) * kDegPerPixel;
        const double lat = kNorth - 2000.5 * kDegPerPixel;
        const int before = app.mapView.centreX;
        clock.tick += 1000;
        ++fix;
        mw::UpdateGpsPosition(app, lat, lon, "060626", "100000");
        return app.mapView.centreX != before;
    }

    void Paint() {
        QPainter painter(&window);
        mw::PaintMapWindow(painter, app);
    }
};

// One program per window size and view format, made when first used.
Program& TheProgram(int w = kViewW, int h = kViewH,
                    mw::ViewFormat format = mw::ViewFormat::Display32) {
    // The files first, so that they outlive the programs (statics go in
    // the reverse order): each program saves its settings when it ends.
    TheFiles();
    static std::map<std::tuple<int, int, mw::ViewFormat>, std::unique_ptr<Program>> programs;
    auto& p = programs[{w, h, format}];
    if (!p) p = std::make_unique<Program>(w, h, format);
    return *p;
}

void FixAndPaint(benchmark::State& state, mw::ViewFormat format) {
    Program& p = TheProgram(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                            format);
    const long before = p.app.gps.fixesProcessed;
    long stayed = 0;
    for (auto _ : state) {
        if (!p.Fix()) ++stayed;
        p.Paint();
        benchmark::DoNotOptimize(p.window.constBits());
    }
    if (stayed != 0 || p.app.gps.fixesProcessed - before != static_cast<long>(state.iterations()))
        state.SkipWithError("a fix did not reach the pipeline or did not move the view");
    state.counters["trackPoints"] = p.app.track.PointCount();
}

void WindowSizes(benchmark::internal::Benchmark* b) {
    b->Args({640, 480})->Args({1280, 720})->Args({1920, 1080});
    // Wall time, and the CPU time of every thread of the process.
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
}

// The window's view as 32-bit display pixels.
void BM_FixWithRenderAndPaint(benchmark::State& state) {
    FixAndPaint(state, mw::ViewFormat::Display32);
}
BENCHMARK(BM_FixWithRenderAndPaint)->Apply(WindowSizes);

// Baseline: the view as 8-bit indices, converted by each paint.
void BM_FixIndexedView(benchmark::State& state) { FixAndPaint(state, mw::ViewFormat::Indexed8); }
BENCHMARK(BM_FixIndexedView)->Apply(WindowSizes);

// Baseline: the view re-rendered after the same 4-pixel move, nothing else.
void BM_RenderMovedView(benchmark::State& state) {
    Program& p = TheProgram();
    int n = 0;
    for (auto _ : state) {
        mw::CentreOnPixel(p.app.mapView, p.app.map, p.app.datums,
                          static_cast<int>(Program::PixelX(p.fix + n++)), p.app.mapView.centreY);
        if (!mw::RenderMapView(p.app.viewport, p.app.mapView)) state.SkipWithError("render");
        benchmark::DoNotOptimize(p.app.viewport.view.display.pixels.data());
    }
}
BENCHMARK(BM_RenderMovedView)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// Baseline: the map window's paint with its overlays, the view unchanged.
void BM_PaintWindow(benchmark::State& state) {
    Program& p = TheProgram();
    for (auto _ : state) {
        p.Paint();
        benchmark::DoNotOptimize(p.window.constBits());
    }
}
BENCHMARK(BM_PaintWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv) {
    // Painting text needs a Qt application; no display is needed.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
