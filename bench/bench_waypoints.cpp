// Painting the waypoint layer over a 1920 × 1080 view:
//   BM_Waypoints/InView      1,000 named waypoints with proximity zones, all
//                            inside the view (goal ≤ 3 ms a paint);
//   BM_Waypoints/NoneInView  a full store whose waypoints all lie far off
//                            the view (goal ≤ 0.3 ms a paint);
// each drawn with QPainter into an image and onto a canvas that draws
// nothing (the layer's own cost). The baseline, measured in the same run, is
// the track tail of a full 1,000-point ring drawn into the same image.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "track/track_store.h"
#include "paint/qt_canvas.h"
#include "view/overlays.h"
#include "view/waypoint_layer.h"
#include "waypoint/waypoint_store.h"

using namespace mw;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// Image pixels equal positions (latitude = row, longitude = column) so the
// benchmark measures the layer, not a calibration.
OverlayGeometry View() {
    static const MapView record = [] {
        MapView v;
        Resize(v, kWidth, kHeight, true);
        CentreOnPixel(v, MapRecord{}, DatumTable{}, kWidth / 2, kHeight / 2);
        return v;
    }();
    return OverlayGeometry(record,
                           {[](double lat, double lon) {
                                return MapPixel{static_cast<int>(lon), static_cast<int>(lat)};
                            },
                            {}});
}

WaypointStore Store(bool inView) {
    WaypointStore store;
    for (int i = 0; i < kWaypointSlots; ++i) {
        Waypoint w;
        w.name = "Waypoint " + std::to_string(i);
        // A 40 × 25 grid across the view, or the same grid 5,000 pixels off.
        const double offset = inView ? 0 : 5000;
        w.lat = 20 + (i / 40) * 42 + offset;
        w.lon = 20 + (i % 40) * 47 + offset;
        w.backColour = 0x00FFFF;
        w.textColour = 0x0000FF;
        w.proximityDistance = 200;
        store.Put(i, w);
    }
    return store;
}

WaypointStyle Style(bool names = true, bool zones = true) {
    WaypointStyle s;
    s.names = names;
    s.proximity = zones;
    s.mapScale = 10;  // a 200 m zone is 20 pixels
    return s;
}

class NullCanvas : public Canvas {
public:
    void SetPen(Rgb, int, bool) override {}
    void SetBrush(Rgb, bool) override {}
    void Line(Point, Point) override {}
    void Polyline(const std::vector<Point>&) override {}
    void Polygon(const std::vector<Point>&) override {}
    void Ellipse(Rect) override {}
    void FillRect(Rect, Rgb) override {}
    void Image(const CanvasImage&, Rect, Rect) override {}
    void Text(Point, const std::string&, int, int, Rgb, Rgb, bool) override {}
    int TextWidth(const std::string& t, int, int) override { return static_cast<int>(t.size()) * 6; }
    int TextHeight(const std::string&, int h, int) override { return h; }
};

// Labels: the thread's label cache, warm after the first paint as in a
// window repainted over the same view; None draws each label with
// QPainter::drawText (as every paint did before the cache); Cold starts each
// paint with an empty cache (the first paint of a view).
enum class Labels { Cached, None, Cold };

void PaintWaypoints(benchmark::State& state, bool inView, bool names = true, bool zones = true,
                    Labels labels = Labels::Cached) {
    const WaypointStore store = Store(inView);
    const OverlayGeometry view = View();
    const WaypointStyle style = Style(names, zones);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (auto _ : state) {
        LabelCache cold;
        LabelCache* cache = labels == Labels::Cached ? &LabelCache::ForThisThread()
                            : labels == Labels::Cold ? &cold
                                                     : nullptr;
        QtCanvas canvas(painter, cache);
        DrawWaypoints(canvas, store, view, style);
    }
}

void LayerOnly(benchmark::State& state, bool inView) {
    const WaypointStore store = Store(inView);
    const OverlayGeometry view = View();
    const WaypointStyle style = Style();
    NullCanvas canvas;
    for (auto _ : state) DrawWaypoints(canvas, store, view, style);
}

void BM_Baseline_TrackTail(benchmark::State& state) {
    TrackStore track;
    for (int i = 0; i < kTrackMaxPoints; ++i)
        AddTrackPoint(track, 100 + (i % 30) * 30, 20 + i * 1.9, 0);
    const OverlayGeometry view = View();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    for (auto _ : state) DrawTrackTail(canvas, track, view, TrackTailStyle{1000, {255, 0, 0}, 2, false});
}

}  // namespace

BENCHMARK(BM_Baseline_TrackTail)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PaintWaypoints, InView, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PaintWaypoints, InViewUncachedLabels, true, true, true, Labels::None)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PaintWaypoints, InViewColdCache, true, true, true, Labels::Cold)
    ->Unit(benchmark::kMillisecond);
// Where the time of a paint goes: without labels, without zones.
BENCHMARK_CAPTURE(PaintWaypoints, InViewNoNames, true, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PaintWaypoints, InViewNoZones, true, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PaintWaypoints, NoneInView, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LayerOnly, InView, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LayerOnly, NoneInView, false)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // Text needs a Gui application; no display is needed offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
