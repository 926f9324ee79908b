// The Qt canvas's kept pictures: a label or zone copied from the cache has
// the pixels of the same one drawn directly, one cache never hands out
// another label's picture, and a small budget is kept without losing a label
// of the paint in progress. Also the canvas's remembered pen and brush.
#include <QtTest>

#include "paint/label_cache.h"
#include "paint/qt_canvas.h"
#include "testlib/pixel_view.h"
#include "view/waypoint_layer.h"
#include "waypoint/waypoint_store.h"

using namespace mw;

namespace {

constexpr Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kRed{255, 0, 0}, kYellow{255, 255, 0},
    kBlue{0, 0, 255};

struct Label {
    std::string text;
    int height, weight;
    Rgb ink, back;
};

QImage Blank(qreal dpr = 1) {
    QImage image(static_cast<int>(200 * dpr), static_cast<int>(60 * dpr), QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::darkGreen);
    return image;
}

// Draws `label` at (7, 9), moved by `shift`, with `cache` (null: directly).
QImage Draw(const Label& label, LabelCache* cache, QPoint shift = {}, qreal dpr = 1) {
    QImage image = Blank(dpr);
    QPainter p(&image);
    p.translate(shift);
    QtCanvas canvas(p, cache);
    canvas.Text({7, 9}, label.text, label.height, label.weight, label.ink, label.back, true);
    return image;
}

}  // namespace

class LabelCacheTest : public QObject {
    Q_OBJECT

private slots:
    void cachedLabelHasTheDirectPixels() {
        struct Row {
            const char* name;
            Label label;
            QPoint shift;
            qreal dpr;
        };
        // Each row after the first differs from an earlier one in one part of
        // the key only, so leaving that part out gives the earlier picture.
        const Row rows[] = {
            {"waypoint", {" Waypoint 12 ", 12, 400, kRed, kYellow}, {}, 1},
            {"other ink", {" Waypoint 12 ", 12, 400, kBlack, kYellow}, {}, 1},
            {"other background", {" Waypoint 12 ", 12, 400, kBlack, kWhite}, {}, 1},
            {"other font", {" Waypoint 12 ", 12, 700, kBlack, kWhite}, {}, 1},
            {"2x device", {" Waypoint 12 ", 12, 700, kBlack, kWhite}, {}, 2},
            {"moved painter", {" Moved ", 12, 400, kBlack, kYellow}, {31, -4}, 1},
        };
        LabelCache cache;  // one for every row, so a wrong key shows as wrong pixels
        for (const Row& r : rows) {
            const QImage direct = Draw(r.label, nullptr, r.shift, r.dpr);
            const QImage first = Draw(r.label, &cache, r.shift, r.dpr);
            const std::size_t count = cache.Count();
            QVERIFY2(first == direct, r.name);
            QVERIFY2(Draw(r.label, &cache, r.shift, r.dpr) == direct, r.name);
            QCOMPARE(cache.Count(), count);  // the second paint was a hit
            QVERIFY2(direct != Blank(r.dpr), r.name);  // the label drew something
        }
    }

    void labelsOfThePaintInProgressStay() {
        LabelCache cache(1000);
        const LabelCache::Label a{"a", 0, 1, 2, 100}, b{"b", 0, 1, 2, 100}, c{"c", 0, 1, 2, 100};
        auto picture = [] { return QImage(10, 10, QImage::Format_RGB32); };  // 400 bytes
        cache.BeginPaint();
        QVERIFY(cache.Reserve(400));
        cache.Put(a, picture());
        QVERIFY(cache.Reserve(400));
        cache.Put(b, picture());
        // Full for this paint: nothing of it is dropped for c.
        QVERIFY(!cache.Reserve(400));
        QVERIFY(cache.Find(a) && cache.Find(b));
        // Next paint uses b only; c pushes out a, the least recently used.
        cache.BeginPaint();
        QVERIFY(cache.Find(b));
        QVERIFY(cache.Reserve(400));
        cache.Put(c, picture());
        QVERIFY(!cache.Find(a));
        QVERIFY(cache.Find(b) && cache.Find(c));
        QCOMPARE(cache.Bytes(), std::size_t{800});
        // A label larger than the whole budget is never stored.
        QVERIFY(!cache.Reserve(1001));
    }

    // Small proximity zones are copied figures: near and beyond the window's
    // top and left edges a copy is not exact and must not be used.
    void waypointLayerLooksAsDrawnDirectly() {
        // Image pixels are window pixels: x = longitude, y = latitude.
        const MapView mapView = mwtest::WindowView(800, 600, true, 400, 300);
        const OverlayGeometry view(mapView, mwtest::PixelProjection());
        WaypointStore store;
        const int at[][2] = {{19, 21}, {20, 20}, {-15, 40}, {300, -18}, {433, 310}, {805, 100}};
        for (int slot = 0; slot < static_cast<int>(std::size(at)); ++slot) {
            Waypoint w;
            w.name = "W" + std::to_string(slot);
            w.lat = at[slot][1];
            w.lon = at[slot][0];
            w.textColour = 0x0000FF;
            w.backColour = slot % 2 ? 0x00FFFF : 0xFFFFFF;
            w.proximityDistance = 400;
            store.Put(slot, w);
        }
        WaypointStyle style;
        style.highlight = true;
        style.mapScale = 133;  // zones of 3 pixels
        LabelCache cache;
        auto paint = [&](LabelCache* labels) {
            QImage image(800, 600, QImage::Format_RGB32);
            image.fill(Qt::darkGreen);
            QPainter p(&image);
            QtCanvas canvas(p, labels);
            DrawWaypoints(canvas, store, view, style);
            return image;
        };
        const QImage direct = paint(nullptr);
        QCOMPARE(paint(&cache), direct);
        QCOMPARE(paint(&cache), direct);  // from the kept pictures
        QVERIFY(cache.Count() > 0);
    }

    void rememberedPenAndBrushFollowEveryChange_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expect");  // the colour at the line's middle
        QTest::newRow("pen off then on") << QString("pen red;nopen;pen red;line") << "red";
        QTest::newRow("text between") << QString("pen red;text;line") << "red";
        QTest::newRow("brush filled then hollow") << QString("pen blue;brush red;hollow;circle") << "green";
        QTest::newRow("hollow then filled") << QString("pen blue;hollow;brush red;circle") << "red";
        // A wide line is filled with the pen's colour and no pen: both come back.
        QTest::newRow("brush after a wide line") << QString("brush red;pen blue 3;wide;circle") << "red";
        QTest::newRow("pen after a wide line") << QString("pen red 3;wide;line") << "red";
    }
    void rememberedPenAndBrushFollowEveryChange() {
        QFETCH(QString, steps);
        QFETCH(QString, expect);
        QImage image = Blank();
        {
            QPainter p(&image);
            QtCanvas qtCanvas(p, nullptr);
            Canvas& canvas = qtCanvas;  // the port's default arguments
            for (const QString& step : steps.split(';')) {
                const QStringList w = step.split(' ');
                const Rgb c = w.size() > 1 && w[1] == "red" ? kRed : kBlue;
                if (w[0] == "pen") canvas.SetPen(c, w.size() > 2 ? w[2].toInt() : 1);
                if (w[0] == "nopen") canvas.SetPen(kBlack, 1, true);
                if (w[0] == "brush") canvas.SetBrush(c);
                if (w[0] == "hollow") canvas.SetBrush(kBlack, true);
                if (w[0] == "text") canvas.Text({150, 40}, " t ", 10, 400, kYellow, kBlack, true);
                if (w[0] == "line") canvas.Line({10, 20}, {90, 20});
                if (w[0] == "wide") canvas.Polyline({{5, 50}, {60, 50}, {60, 55}});
                if (w[0] == "circle") canvas.Ellipse(Rect{30, 5, 60, 35});
            }
        }
        const QColor at = image.pixelColor(45, 20);
        const QColor want = expect == "red" ? QColor(Qt::red) : QColor(Qt::darkGreen);
        QCOMPARE(at, want);
    }
};

QTEST_MAIN(LabelCacheTest)
#include "label_cache_test.moc"
