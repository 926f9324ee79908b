#include "paint/map_painter.h"

#include <QRegion>

#include "app/map_scene.h"
#include "image/bitmap.h"
#include "paint/qt_canvas.h"

namespace mw {

QImage ViewQImage(const Viewport& vp) {
    if (!vp.HasImage() || vp.view.Empty()) return QImage();
    if (vp.view.format == ViewFormat::Display32) {
        // Opaque 0xffRRGGBB pixels: drawing them is a plain copy.
        const RgbBitmap& d = vp.view.display;
        return QImage(reinterpret_cast<const uchar*>(d.pixels.data()), d.width, d.height,
                      static_cast<qsizetype>(d.width) * 4, QImage::Format_RGB32);
    }
    const IndexedBitmap& b = vp.view.bitmap;
    QImage image(b.pixels.data(), b.width, b.height, b.stride, QImage::Format_Indexed8);
    auto argb = PaletteArgb(vp.view.palette);
    image.setColorTable(QList<QRgb>(argb.begin(), argb.end()));
    return image;
}

namespace {

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

void PaintView(QPainter& painter, const App& app, const QImage& view, QPoint offset) {
    PaintRects rects = MapPaintRects(app.mapView);
    if (app.mapView.zoom >= 1)
        painter.drawImage(offset, view);
    else
        painter.drawImage(ToQRect(rects.target).translated(offset), view, ToQRect(rects.source));
}

// Where PaintView draws the view (without offset).
QRect ViewTarget(const App& app, const QImage& view) {
    if (app.mapView.zoom >= 1) return QRect(QPoint(0, 0), view.size());
    return ToQRect(MapPaintRects(app.mapView).target);
}

// White where the view does not cover the window; nothing is painted twice.
void FillOutside(QPainter& painter, const QRect& window, const QRect& covered) {
    for (const QRect& r : QRegion(window).subtracted(QRegion(covered)))
        painter.fillRect(r, Qt::white);
}

}  // namespace

void PaintMapWindow(QPainter& painter, const App& app, int width, int height) {
    MapScene scene = BuildMapScene(app);
    scene.windowWidth = width;
    scene.windowHeight = height;
    QImage view = ViewQImage(app.viewport);
    if (view.isNull()) {
        // The logo is drawn smooth; the map's overlays pixel-exact.
        painter.setRenderHint(QPainter::Antialiasing, true);
    } else {
        painter.setRenderHint(QPainter::Antialiasing, false);
        // Outside the view bitmap (a window larger than the last render) is white.
        FillOutside(painter, QRect(0, 0, width, height), ViewTarget(app, view));
        PaintView(painter, app, view, QPoint(0, 0));
    }
    QtCanvas canvas(painter);
    DrawMapWindow(canvas, scene);
}

void PaintDragPreview(QPainter& painter, const App& app, int width, int height, int dx, int dy) {
    QImage view = ViewQImage(app.viewport);
    painter.fillRect(QRect(0, 0, width, height), Qt::white);
    if (!view.isNull()) PaintView(painter, app, view, QPoint(dx, dy));
    const int cx = app.mapView.halfWidth, cy = app.mapView.halfHeight;
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPoint(cx, cy), 8, 8);
    painter.drawLine(cx - 12, cy, cx + 12, cy);
    painter.drawLine(cx, cy - 12, cx, cy + 12);
}

}  // namespace mw
