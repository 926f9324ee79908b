// Drawing 100 routes of 100 points over a full-HD map window: the route
// layer on a canvas that draws nothing (its own cost: transforms, clipping,
// symbol range), and into an image with QPainter, with and without labels.
// Baselines in the same run: the 10,000 position-to-window transforms
// alone, the track tail of 999 points drawn into the same image, and the
// route lines stroked by QPainter's wide pen.
//
// The map is latitude/longitude, 6000 × 4000 pixels over 0.6° × 0.4°; the
// window shows 1920 × 1080 of it at 100 %. Routes wander across the whole
// map, so about a tenth of their points fall in the window and the rest
// must be clipped or left out.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "config/settings.h"
#include "geo/datums.h"
#include "map/calibration.h"
#include "map/map_file.h"
#include "nav/route_store.h"
#include "track/track_store.h"
#include "paint/qt_canvas.h"
#include "view/overlays.h"
#include "view/route_layer.h"

namespace {

constexpr int kViewW = 1920, kViewH = 1080;
constexpr int kMapW = 6000, kMapH = 4000;
constexpr double kNorth = 50.4, kWest = 0.0, kDegPerPixel = 0.0001;

class NullCanvas : public mw::Canvas {
public:
    void SetPen(mw::Rgb, int, bool) override {}
    void SetBrush(mw::Rgb, bool) override {}
    void Line(mw::Point, mw::Point) override { ++calls; }
    void Polyline(const std::vector<mw::Point>& p) override { calls += static_cast<long>(p.size()); }
    void Polygon(const std::vector<mw::Point>&) override {}
    void Ellipse(mw::Rect b) override {
        ++calls;
        ++ellipses;
        if (b.right >= 0 && b.left < kViewW && b.bottom >= 0 && b.top < kViewH) ++visibleEllipses;
    }
    void FillRect(mw::Rect, mw::Rgb) override {}
    void Image(const mw::CanvasImage&, mw::Rect, mw::Rect) override {}
    void Text(mw::Point, const std::string&, int, int, mw::Rgb, mw::Rgb, bool) override { ++calls; }
    int TextWidth(const std::string& t, int, int) override { return 6 * static_cast<int>(t.size()); }
    int TextHeight(const std::string&, int h, int) override { return h; }
    long calls = 0, ellipses = 0, visibleEllipses = 0;
};

std::string MapText() {
    const double east = kWest + kMapW * kDegPerPixel, south = kNorth - kMapH * kDegPerPixel;
    std::string text =
        "Mapwanderer Map File,Version 1.0\r\nBench\r\nbench.png\r\n1 ,Map Code,\r\n"
        "WGS 84,WGS 84\r\nReserved 1\r\nReserved 2\r\nMagnetic Variation,,,E\r\n"
        "Map Projection,Latitude/Longitude\r\n";
    char line[160];
    std::snprintf(line, sizeof line, "Point01,xy,0,0,in, deg,50,%.4f,N,0,0,E, grid,,,,N\r\n",
                  (kNorth - 50) * 60);
    text += line;
    std::snprintf(line, sizeof line, "Point02,xy,%d,%d,in, deg,50,%.4f,N,0,%.4f,E, grid,,,,N\r\n",
                  kMapW, kMapH, (south - 50) * 60, east * 60);
    text += line;
    for (int i = 3; i <= 30; ++i) {
        std::snprintf(line, sizeof line, "Point%02d,xy,,,in, deg,,,N,,,E, grid,,,,N\r\n", i);
        text += line;
    }
    return text + "Projection Setup,,,,,,,,,,\r\n";
}

struct Scene {
    mw::DatumTable datums;
    mw::MapRecord map;
    mw::MapView mapView;
    mw::OverlayGeometry view{mapView, mw::CalibrationProjection(map, datums)};
    mw::RouteStore routes;
    mw::TrackStore track;

    Scene() {
        map = mw::ParseMapFile(MapText(), datums);
        if (!mw::HasCalibration(map)) {
            std::fprintf(stderr, "bench_routes: the map has no calibration\n");
            std::abort();
        }
        mw::Resize(mapView, kViewW, kViewH, true);
        mw::CentreOnPixel(mapView, map, datums, kMapW / 2, kMapH / 2);
        // Random walks over the whole map, 40 pixels a step.
        std::uint32_t s = 11;
        auto rnd = [&](int n) {
            s = s * 1664525u + 1013904223u;
            return static_cast<int>((s >> 8) % static_cast<std::uint32_t>(n));
        };
        std::vector<mw::Route> list;
        for (int r = 0; r < mw::kMaxRoutes; ++r) {
            mw::Route route{"Route " + std::to_string(r), "", 0x0000FF, {}};
            double x = rnd(kMapW), y = rnd(kMapH);
            for (int p = 0; p < mw::kMaxRoutePoints; ++p) {
                x = std::clamp(x + rnd(81) - 40, 0.0, double(kMapW));
                y = std::clamp(y + rnd(81) - 40, 0.0, double(kMapH));
                route.points.push_back(mw::RoutePoint{"WP" + std::to_string(p),
                                                      kNorth - y * kDegPerPixel,
                                                      kWest + x * kDegPerPixel});
            }
            list.push_back(std::move(route));
        }
        routes.Assign(std::move(list));
        for (int i = 0; i < mw::kTrackMaxPoints; ++i)
            mw::AddTrackPoint(track, kNorth - (1000 + i) * kDegPerPixel,
                              kWest + (2000 + 2 * i) * kDegPerPixel, i == 0 ? 1 : 0);
    }
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

mw::RouteStyle Style(bool labels) {
    mw::RouteStyle style = mw::RouteStyleFrom(mw::AppSettings{}, mw::ViewSettings{});
    style.pointNames = style.routeName = labels;
    return style;
}

void BM_TransformsOnly(benchmark::State& state) {
    Scene& scene = TheScene();
    for (auto _ : state) {
        long sum = 0;
        for (const mw::Route& r : scene.routes.Routes())
            for (const mw::RoutePoint& p : r.points) {
                mw::MapPixel px = scene.view.ToPixel(p.lat, p.lon);
                mw::Point w = mw::ImageToWindow(scene.view, px.x, px.y);
                sum += w.x + w.y;
            }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_TransformsOnly)->Unit(benchmark::kMicrosecond);

void BM_RoutesNullCanvas(benchmark::State& state) {
    Scene& scene = TheScene();
    NullCanvas canvas;
    const mw::RouteStyle style = Style(true);
    for (auto _ : state) {
        canvas.ellipses = canvas.visibleEllipses = 0;
        mw::DrawRoutes(canvas, scene.routes, scene.view, style);
    }
    state.counters["symbols"] = static_cast<double>(canvas.ellipses);
    state.counters["visible"] = static_cast<double>(canvas.visibleEllipses);
}
BENCHMARK(BM_RoutesNullCanvas)->Unit(benchmark::kMicrosecond);

// Labels come from the thread's label cache (warm after the first paint, as
// in a window repainted over the same view) unless `cache` is null.
template <typename Draw>
void IntoImage(benchmark::State& state, Draw&& draw,
               mw::LabelCache* cache = &mw::LabelCache::ForThisThread()) {
    QImage image(kViewW, kViewH, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        mw::QtCanvas canvas(painter, cache);
        draw(canvas);
    }
}

void BM_RoutesQt(benchmark::State& state) {
    Scene& scene = TheScene();
    const mw::RouteStyle style = Style(state.range(0) != 0);
    IntoImage(state, [&](mw::Canvas& c) { mw::DrawRoutes(c, scene.routes, scene.view, style); });
}
BENCHMARK(BM_RoutesQt)->Arg(0)->Arg(1)->ArgName("labels")->Unit(benchmark::kMicrosecond);

// Every label drawn with QPainter::drawText, as before the label cache.
void BM_RoutesQtUncachedLabels(benchmark::State& state) {
    Scene& scene = TheScene();
    const mw::RouteStyle style = Style(true);
    IntoImage(
        state, [&](mw::Canvas& c) { mw::DrawRoutes(c, scene.routes, scene.view, style); }, nullptr);
}
BENCHMARK(BM_RoutesQtUncachedLabels)->Unit(benchmark::kMicrosecond);

// Passes only the polylines on, to see what the lines cost by themselves.
class LinesOnly : public NullCanvas {
public:
    explicit LinesOnly(mw::Canvas& to) : to_(to) {}
    void SetPen(mw::Rgb c, int w, bool none) override { to_.SetPen(c, w, none); }
    void Polyline(const std::vector<mw::Point>& p) override { to_.Polyline(p); }

private:
    mw::Canvas& to_;
};

void BM_RouteLinesOnlyQt(benchmark::State& state) {
    Scene& scene = TheScene();
    const mw::RouteStyle style = Style(false);
    IntoImage(state, [&](mw::Canvas& c) {
        LinesOnly lines(c);
        mw::DrawRoutes(lines, scene.routes, scene.view, style);
    });
}
BENCHMARK(BM_RouteLinesOnlyQt)->Unit(benchmark::kMicrosecond);

// The same lines stroked by QPainter itself as round-capped, round-joined
// polylines, as the canvas drew them before it filled segments and dots:
// the reference for BM_RouteLinesOnlyQt, with the same pixels.
class StrokedLines : public NullCanvas {
public:
    explicit StrokedLines(QPainter& p) : p_(p) {}
    void SetPen(mw::Rgb c, int w, bool) override {
        p_.setPen(QPen(QColor(c.r, c.g, c.b), w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    void Polyline(const std::vector<mw::Point>& pts) override {
        poly_.clear();
        for (const mw::Point& q : pts) poly_ << QPoint(q.x, q.y);
        p_.drawPolyline(poly_);
    }

private:
    QPainter& p_;
    QPolygon poly_;
};

void BM_RouteLinesStrokedQt(benchmark::State& state) {
    Scene& scene = TheScene();
    const mw::RouteStyle style = Style(false);
    QImage image(kViewW, kViewH, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        StrokedLines lines(painter);
        mw::DrawRoutes(lines, scene.routes, scene.view, style);
    }
}
BENCHMARK(BM_RouteLinesStrokedQt)->Unit(benchmark::kMicrosecond);

void BM_TrackTailQt(benchmark::State& state) {
    Scene& scene = TheScene();
    const mw::TrackTailStyle style{mw::kTrackTailWhenIdle, {255, 0, 0}, 2, false};
    IntoImage(state, [&](mw::Canvas& c) { mw::DrawTrackTail(c, scene.track, scene.view, style); });
}
BENCHMARK(BM_TrackTailQt)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    // Fonts need a QGuiApplication; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
