#include "ui/overview_window.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "app/panels.h"
#include "paint/panel_painter.h"
#include "ui/scale_bar_window.h"
#include "view/overview.h"

namespace mw {

namespace {

constexpr int kButtonSize = 16;

QPushButton* ArrowButton(const char* text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setFixedSize(kButtonSize, kButtonSize);
    b->setFocusPolicy(Qt::NoFocus);
    // Drawn in the frame at this size: the finger-sized minimum of the
    // application's style sheet must not stretch them out of it.
    const Rgb c = kOverviewFrameColour;
    b->setStyleSheet(QString("QPushButton { background: rgb(%1,%2,%3); border: none; "
                             "font-weight: bold; padding: 0; min-height: 0; min-width: 0; }")
                         .arg(c.r)
                         .arg(c.g)
                         .arg(c.b));
    return b;
}

}  // namespace

OverviewWindow::OverviewWindow(App& app, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowCloseButtonHint | Qt::WindowTitleHint), app_(app) {
    setObjectName("overviewWindow");
    setWindowTitle(kOverviewTitle);
    setAttribute(Qt::WA_OpaquePaintEvent);
    smaller_ = ArrowButton("<", "ctl1140", this);
    larger_ = ArrowButton(">", "ctl1141", this);
    connect(smaller_, &QPushButton::clicked, this, [this] { Step(false); });
    connect(larger_, &QPushButton::clicked, this, [this] { Step(true); });
    FitToPicture();
}

void OverviewWindow::FitToPicture() {
    const OverviewGeometry& g = app_.overview.geometry;
    // Without a picture the window keeps a small empty square.
    const int w = g.Valid() ? g.ClientWidth() : kOverviewMinSize + 2 * kOverviewFrame;
    const int h = g.Valid() ? g.ClientHeight() : kOverviewMinSize + 2 * kOverviewFrame;
    // The buttons get a strip of their own below the frame: in the frame's
    // corners they covered the picture's, where a tap must recentre.
    pictureHeight_ = h;
    setFixedSize(w, h + kButtonSize);
    smaller_->move(0, h);
    larger_->move(w - kButtonSize, h);
    // Still in its corner of the map area: it grows and shrinks from there.
    if (isVisible()) Place();
}

void OverviewWindow::Place() {
    placed_ = PlaceFloating(this, parentWidget(), app_.view.mapViewPosX, app_.view.mapViewPosY,
                            MapCorner::TopRight);
}

void OverviewWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Place();
}

void OverviewWindow::Refresh() {
    if (SyncOverviewWithView(app_)) FitToPicture();
    update();
}

void OverviewWindow::Step(bool larger) {
    if (StepOverviewSize(app_, larger)) FitToPicture();
    update();
}

void OverviewWindow::paintEvent(QPaintEvent*) {
    if (SyncOverviewWithView(app_)) FitToPicture();
    QPainter p(this);
    p.fillRect(QRect(0, pictureHeight_, width(), height() - pictureHeight_), Qt::white);
    PaintOverview(p, app_, width(), pictureHeight_);
}

void OverviewWindow::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (at.y() >= pictureHeight_) return;  // the buttons' strip
    OverviewTap(app_, at.x(), at.y());
    update();
}

void OverviewWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // Only where the user put it is kept; its own placing in the map area's
    // corner is not, so it follows the map area until moved.
    if (isVisible() && pos() != placed_) {
        app_.view.mapViewPosX = pos().x();
        app_.view.mapViewPosY = pos().y();
    }
}

void OverviewWindow::closeEvent(QCloseEvent* event) {
    CloseOverview(app_);
    event->accept();
}

}  // namespace mw
