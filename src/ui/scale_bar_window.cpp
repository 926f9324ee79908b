#include "ui/scale_bar_window.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/panels.h"
#include "ui/qt_canvas.h"

namespace mw {

ScaleBarWindow::ScaleBarWindow(App& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName("scaleWindow");
    ApplyFlags();
    Refresh();
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
