#include "ui/map_widget.h"

#include <QPainter>

#include "app/logo.h"
#include "ui/qt_canvas.h"

namespace mw {

MapWidget::MapWidget(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("mapWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void MapWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QtCanvas canvas(painter);
    PaintStartupLogo(canvas, width(), height());
}

}  // namespace mw
