#include "ui/scale_bar_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "app/panels.h"
#include "ui/map_widget.h"
#include "paint/qt_canvas.h"

namespace mw {

namespace {

bool SameBar(const ScaleBar& a, const ScaleBar& b) {
    return a.length == b.length && a.step == b.step && a.label == b.label;
}

}  // namespace

bool MapAreaOnScreen(const QWidget* main, ScreenRect* area, ScreenRect* screen) {
    const MapWidget* map = main ? main->findChild<MapWidget*>() : nullptr;
    if (!map) return false;
    const QPoint topLeft = map->mapToGlobal(QPoint(0, 0));
    *area = {topLeft.x(), topLeft.y(), map->width(), map->height()};
    const QScreen* s = main->screen();
    const QRect free = s ? s->availableGeometry() : QRect(topLeft, map->size());
    *screen = {free.x(), free.y(), free.width(), free.height()};
    return true;
}

QPoint PlaceFloating(QWidget* window, const QWidget* main, int storedX, int storedY,
                     MapCorner corner) {
    ScreenRect area, screen;
    if (!MapAreaOnScreen(main, &area, &screen)) {
        window->move(storedX, storedY);
        return window->pos();
    }
    const WindowSize size{window->frameGeometry().width(), window->frameGeometry().height()};
    const ScreenPoint at = FloatingPositionUnmoved(storedX, storedY)
                               ? PlaceFloatingWindow(area, size, screen, corner)
                               : ClampToScreen({storedX, storedY}, size, screen);
    window->move(at.x, at.y);
    return {at.x, at.y};
}

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
    // A map loaded or closed since: the bar appears or goes.
    const bool wanted = app_.view.viewScale == 1;
    if (wanted && isVisible() != app_.map.mapLoaded) setVisible(true);
    if (!SameBar(ScaleBarFrom(app_), bar_)) Refresh();
}

void ScaleBarWindow::setVisible(bool visible) {
    QWidget::setVisible(visible && app_.map.mapLoaded);
}

void ScaleBarWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Place();
}

void ScaleBarWindow::Place() {
    if (!caption_)
        PlaceFloating(this, parentWidget(), app_.view.scalePosX, app_.view.scalePosY,
                      MapCorner::BottomLeft);
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
        Place();
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
