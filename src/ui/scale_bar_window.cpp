#include "ui/scale_bar_window.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/panels.h"
#include "ui/map_widget.h"
#include "ui/qt_canvas.h"

namespace mw {

namespace {

bool SameBar(const ScaleBar& a, const ScaleBar& b) {
    return a.length == b.length && a.step == b.step && a.label == b.label;
}

}  // namespace

ScaleBarWindow::ScaleBarWindow(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("scaleWindow");
    ApplyFlags();
    Refresh();
    // Every zoom, map change and unit change repaints the map window.
    if (parent)
        if (auto* map = parent->findChild<MapWidget*>())
            connect(map, &MapWidget::painted, this, &ScaleBarWindow::Follow);
}

void ScaleBarWindow::Follow() {
    if (!SameBar(ScaleBarFrom(app_), bar_)) Refresh();
}

void ScaleBarWindow::ApplyFlags() {
    // Borderless while fixed; with a title bar (and a thin border) while the
    // user drags it.
    Qt::WindowFlags flags = Qt::Tool;
    if (caption_)
        flags |= Qt::WindowTitleHint | Qt::CustomizeWindowHint;
    else
        flags |= Qt::FramelessWindowHint;
    const bool visible = isVisible();
    setWindowFlags(flags);
    setWindowTitle(caption_ ? kScaleDragTitle : "");
    if (visible) show();
}

void ScaleBarWindow::Refresh() {
    bar_ = ScaleBarFrom(app_);
    // The client keeps the bar's height; the caption is the window
    // manager's, above it.
    if (bar_.length > 0) {
        setFixedSize(ScaleWindowWidth(bar_), kScaleWindowHeight);
        if (!caption_) move(app_.view.scalePosX, app_.view.scalePosY);
    }
    update();
}

void ScaleBarWindow::paintEvent(QPaintEvent*) {
    // A repaint asked for after a zoom or a map change shows the bar for the
    // view as it is now; a bar of another length resizes the window first.
    const ScaleBar now = ScaleBarFrom(app_);
    if (!SameBar(now, bar_)) {
        const bool resize = now.length > 0 && now.length != bar_.length;
        bar_ = now;
        if (resize) QMetaObject::invokeMethod(this, &ScaleBarWindow::Refresh, Qt::QueuedConnection);
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    QtCanvas canvas(p);
    // Without a map the bar is blank.
    DrawScaleBar(canvas, app_.map.mapLoaded ? bar_ : ScaleBar{}, width(), height());
}

void ScaleBarWindow::mousePressEvent(QMouseEvent*) {
    const QPoint at = pos();
    caption_ = ToggleScaleCaption(caption_, at.x(), at.y(), app_.view);
    ApplyFlags();
    Refresh();
}

}  // namespace mw
