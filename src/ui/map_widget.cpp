#include "ui/map_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "app/view_commands.h"
#include "paint/map_painter.h"

namespace mw {

MapWidget::MapWidget(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("mapWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
}

void MapWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const MapDrag& drag = app_.mapView.drag;
    if (dragging_ && drag.mode && app_.map.mapLoaded) {
        PaintMapWindow(painter, app_,
                       Point{dragNow_.x() - drag.startX, dragNow_.y() - drag.startY});
        return;
    }
    PaintMapWindow(painter, app_);
    emit painted();
}

void MapWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    QPoint p = event->position().toPoint();
    dragging_ = app_.mapView.drag.mode;
    dragNow_ = p;
    MapPress(app_, p.x(), p.y());
    update();
}

void MapWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !app_.mapView.drag.mode || !app_.map.mapLoaded) return;
    dragNow_ = event->position().toPoint();
    update();
}

void MapWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    QPoint p = event->position().toPoint();
    bool wasDragging = dragging_;
    dragging_ = false;
    if (wasDragging) MapRelease(app_, p.x(), p.y());
    update();
}

void MapWidget::wheelEvent(QWheelEvent* event) {
    // One zoom step a notch (120 eighths of a degree); a touchpad's small
    // deltas add up to a notch first.
    wheelAngle_ += event->angleDelta().y();
    const int steps = wheelAngle_ / 120;
    wheelAngle_ -= steps * 120;
    if (steps != 0) ZoomSteps(app_, steps);
    event->accept();
    update();
}

}  // namespace mw
