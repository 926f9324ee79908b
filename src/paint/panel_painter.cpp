#include "paint/panel_painter.h"

#include "app/panels.h"
#include "image/bitmap.h"
#include "paint/qt_canvas.h"
#include "view/overview.h"

namespace mw {

void PaintStatusLine(QPainter& painter, const App& app, Rect strip, const std::string& note) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    QtCanvas canvas(painter);
    StatusLineInputs in = StatusLineInputsFrom(app);
    in.note = note;
    DrawStatusLine(canvas, in, strip);
}

void PaintInfoPanels(QPainter& painter, const App& app, Rect area) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    QtCanvas canvas(painter);
    DrawInfoPanels(canvas, InfoPanelInputsFrom(app), area, InfoPanelLayoutFor(app));
}

QImage OverviewQImage(const App& app) {
    if (!app.overview.picture || app.overview.picture->bitmap.Empty()) return QImage();
    const IndexedBitmap& b = app.overview.picture->bitmap;
    QImage image(b.pixels.data(), b.width, b.height, b.stride, QImage::Format_Indexed8);
    auto argb = PaletteArgb(app.overview.picture->palette);
    image.setColorTable(QList<QRgb>(argb.begin(), argb.end()));
    return image;
}

void PaintOverview(QPainter& painter, const App& app, int width, int height) {
    painter.fillRect(QRect(0, 0, width, height), Qt::white);
    QImage picture = OverviewQImage(app);
    if (picture.isNull() || !app.overview.geometry.Valid()) return;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    QtCanvas canvas(painter);
    DrawOverviewFrame(canvas, width, height);
    Rect r = OverviewPictureRect(width, height);
    painter.drawImage(QRect(r.left, r.top, r.Width(), r.Height()), picture);
    DrawOverviewMarker(canvas,
                       OverviewMarker(app.overview.geometry, app.mapView.centreX, app.mapView.centreY));
}

}  // namespace mw
