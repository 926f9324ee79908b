#include "ui/map_painter.h"

#include "app/logo.h"
#include "image/bitmap.h"
#include "map/calibration.h"
#include "ui/qt_canvas.h"
#include "view/overlays.h"

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
    PaintRects rects = MapPaintRects(app.viewport);
    if (app.viewport.Divisor() >= 1)
        painter.drawImage(offset, view);
    else
        painter.drawImage(ToQRect(rects.target).translated(offset), view, ToQRect(rects.source));
}

OverlayGeometry Geometry(const App& app) {
    OverlayGeometry g;
    g.viewCentreX = app.map.viewCentreX;
    g.viewCentreY = app.map.viewCentreY;
    g.zoomDivisor = app.viewport.Divisor();
    g.halfViewWidth = app.state.halfViewWidth;
    g.halfViewHeight = app.state.halfViewHeight;
    g.windowWidth = app.state.mapWidth;
    g.windowHeight = app.state.mapHeight;
    g.toPixel = [&app](double lat, double lon) {
        return LatLonToMapPixel(app.map, app.datums, lat, lon);
    };
    g.toLatLon = [&app](double x, double y) { return MapPixelToLatLon(app.map, app.datums, x, y); };
    return g;
}

// The overlays in their drawing order over the map image.
void PaintOverlays(QPainter& painter, const App& app) {
    QtCanvas canvas(painter);
    const OverlayGeometry view = Geometry(app);
    const bool following = app.state.gpsActive;
    if (app.view.viewTrack)
        DrawTrackTail(canvas, app.track, view,
                      TrackTailStyleFrom(app.settings, following, following && app.gps.onMap));
    // The pointer shows where the last fix was drawn: the view follows it.
    if (following && (app.gps.gpsPixelX != 0 || app.gps.gpsPixelY != 0)) {
        // A course not known (-777) draws the circle: the pointer knows the marker.
        DrawGpsPointer(canvas, view, app.gps.fix.trueCourse, GpsPointerStyleFrom(app.settings),
                       app.userPointer, app.replay.mode);
    }
    if (app.map.viewCentreLat != 0 || app.map.viewCentreLon != 0) DrawCursorCross(canvas, view);
    DrawZoomCaption(canvas, app.viewport.Divisor());
    if (app.replay.mode && following) DrawReplayCaption(canvas);
}

}  // namespace

void PaintMapWindow(QPainter& painter, const App& app, int width, int height) {
    QImage view = ViewQImage(app.viewport);
    if (view.isNull()) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        QtCanvas canvas(painter);
        PaintStartupLogo(canvas, width, height);
        return;
    }
    // Overlays are drawn pixel-exact: a one-pixel line is one pixel wide.
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Outside the view bitmap (a window larger than the last render) is white.
    painter.fillRect(QRect(0, 0, width, height), Qt::white);
    PaintView(painter, app, view, QPoint(0, 0));
    PaintOverlays(painter, app);
}

void PaintDragPreview(QPainter& painter, const App& app, int width, int height, int dx, int dy) {
    QImage view = ViewQImage(app.viewport);
    painter.fillRect(QRect(0, 0, width, height), Qt::white);
    if (!view.isNull()) PaintView(painter, app, view, QPoint(dx, dy));
    const int cx = app.state.halfViewWidth, cy = app.state.halfViewHeight;
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPoint(cx, cy), 8, 8);
    painter.drawLine(cx - 12, cy, cx + 12, cy);
    painter.drawLine(cx, cy - 12, cx, cy + 12);
}

}  // namespace mw
