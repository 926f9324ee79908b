#include "ui/map_painter.h"

#include "app/map_scene.h"
#include "image/bitmap.h"
#include "ui/qt_canvas.h"

namespace mw {

QImage ViewQImage(const Viewport& vp) {
    const IndexedBitmap& b = vp.view.bitmap;
    if (!vp.HasImage() || b.Empty()) return QImage();
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
        painter.fillRect(QRect(0, 0, width, height), Qt::white);
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
