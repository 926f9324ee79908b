// The Qt canvas's wide lines have the pixels of QPainter's own round-capped,
// round-joined polyline (at most single pixels on the round ends of wide
// pens). That they leave the pen and brush in force is label_cache_test.
#include <QtTest>

#include <cmath>

#include "paint/qt_canvas.h"

using namespace mw;

namespace {

std::vector<Point> Shape(const QString& name) {
    std::vector<Point> pts;
    std::uint32_t s = 3;
    auto rnd = [&](int n) {
        s = s * 1664525u + 1013904223u;
        return static_cast<int>((s >> 8) % static_cast<std::uint32_t>(n));
    };
    int x = 150, y = 100;
    for (int i = 0; i < 60; ++i) {
        pts.push_back({x, y});
        if (name == "walk") x += rnd(81) - 40, y += rnd(81) - 40;
        if (name == "short steps") x += rnd(7) - 3, y += rnd(7) - 3;
        if (name == "axis") (i % 2 ? x : y) += i % 4 < 2 ? 17 : -9;
        if (name == "repeats" && i % 3) x += rnd(21) - 10, y += rnd(21) - 10;
        if (name == "hairpin") x += i % 2 ? 60 : -59, y += 2;
        x = std::clamp(x, -20, 320), y = std::clamp(y, -20, 220);  // some off the image
    }
    if (name == "two points") pts = {{40, 30}, {250, 170}};
    if (name == "one spot") pts.assign(3, Point{60, 60});
    return pts;
}

}  // namespace

class QtCanvasLinesTest : public QObject {
    Q_OBJECT
private slots:
    void widePolylineHasThePaintersPixels_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("painter");
        for (const char* shape : {"walk", "short steps", "axis", "repeats", "hairpin", "two points",
                                  "one spot"})
            for (int width : {1, 2, 3, 5, 6, 10})
                QTest::addRow("%s w%d", shape, width) << QString(shape) << width << "plain";
        QTest::newRow("moved painter") << "walk" << 4 << "moved";
        QTest::newRow("antialiased") << "walk" << 4 << "smooth";
    }
    void widePolylineHasThePaintersPixels() {
        QFETCH(QString, shape);
        QFETCH(int, width);
        QFETCH(QString, painter);
        const std::vector<Point> pts = Shape(shape);
        auto paint = [&](bool reference) {
            QImage image(300, 200, QImage::Format_RGB32);
            image.fill(Qt::darkGreen);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing, painter == "smooth");
            if (painter == "moved") p.translate(7, -3);
            if (reference) {
                QPen pen(QColor(200, 0, 120), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
                p.setPen(pen);
                QPolygon poly;
                for (Point q : pts) poly << QPoint(q.x, q.y);
                p.drawPolyline(poly);
            } else {
                QtCanvas qtCanvas(p, nullptr);
                Canvas& canvas = qtCanvas;  // the port's default arguments
                canvas.SetPen({200, 0, 120}, width);
                canvas.Polyline(pts);
            }
            return image;
        };
        const QImage want = paint(true), got = paint(false);
        const int shift = painter == "moved" ? 7 : 0, lift = painter == "moved" ? -3 : 0;
        int differ = 0;
        for (int y = 0; y < want.height(); ++y)
            for (int x = 0; x < want.width(); ++x) {
                if (want.pixel(x, y) == got.pixel(x, y)) continue;
                ++differ;
                // Only on a round end: next to one of the points.
                double nearest = 1e9;
                for (Point q : pts)
                    nearest = std::min(nearest, std::hypot(x + 0.5 - q.x - shift, y + 0.5 - q.y - lift));
                QVERIFY2(nearest <= width / 2.0 + 1.5,
                         qPrintable(QString("pixel %1,%2 off the ends").arg(x).arg(y)));
            }
        if (width <= 5) QCOMPARE(differ, 0);
        QVERIFY(differ <= 2 * static_cast<int>(pts.size()));
    }
};

QTEST_MAIN(QtCanvasLinesTest)
#include "qt_canvas_lines_test.moc"
