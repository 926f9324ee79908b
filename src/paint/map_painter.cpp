#include "paint/map_painter.h"

#include "app/map_scene.h"
#include "paint/qt_canvas.h"

namespace mw {

QImage ViewQImage(const Viewport& vp) {
    std::array<std::uint32_t, 256> palette;
    // The colour table is copied into the image; the pixels stay shared.
    return WrapCanvasImage(ViewCanvasImage(vp, palette));
}

void PaintMapWindow(QPainter& painter, const App& app, std::optional<Point> dragShift) {
    MapScene scene = BuildMapScene(app);
    scene.dragShift = dragShift;
    // The logo is drawn smooth; the map and its overlays pixel-exact.
    painter.setRenderHint(QPainter::Antialiasing, !dragShift && !MapImageOnScreen(app));
    QtCanvas canvas(painter);
    DrawMapWindow(canvas, scene);
}

}  // namespace mw
