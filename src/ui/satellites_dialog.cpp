#include "ui/satellites_dialog.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QWheelEvent>

#include "app/panels.h"
#include "ui/handheld_layout.h"
#include "paint/qt_canvas.h"

namespace mw {

class SatellitesView : public QWidget {
public:
    SatellitesView(SatellitesDialog& dialog, QScrollBar& scroll, QWidget* parent)
        : QWidget(parent), dialog_(dialog), scroll_(scroll) {
        setObjectName("satellitesView");
        setMinimumSize(kSatelliteViewWidth, kSatelliteViewHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        SatelliteViewInputs in = dialog_.Inputs();
        const int content = SatelliteBarsHeight(static_cast<int>(in.satellites.size()));
        scroll_.setRange(0, std::max(0, content - height()));
        scroll_.setPageStep(height());
        scroll_.setVisible(content > height());
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, false);
        QtCanvas canvas(p);
        auto* random = QRandomGenerator::global();
        DrawSatellitesView(canvas, in, width(), height(), scroll_.value(),
                           [random] { return static_cast<int>(random->bounded(32768)); });
    }
    void wheelEvent(QWheelEvent* event) override {
        scroll_.setValue(scroll_.value() - event->angleDelta().y() / 120 * kBarRowHeight);
    }

private:
    SatellitesDialog& dialog_;
    QScrollBar& scroll_;
};

SatellitesDialog::SatellitesDialog(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("satellitesDialog");
    setWindowTitle("View Satellites");
    setsAtOpening_ = lastSets_ = app_.gps.fix.satellites.completedSets;
    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->setObjectName("barScroll");
    scroll_->setSingleStep(kBarRowHeight);
    view_ = new SatellitesView(*this, *scroll_, this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    layout->addWidget(scroll_);
    connect(scroll_, &QScrollBar::valueChanged, view_, qOverload<>(&QWidget::update));
    resize(kSatelliteViewWidth + 20, kSatelliteViewHeight + 2 * kBarRowHeight);
    // A 240-pixel screen is narrower than the view's usual width: the bars
    // get shorter (the sky plot keeps its size).
    if (IsSmallScreen(this)) view_->setMinimumWidth(kBarLeft + 4 * kBarRowHeight);
    FitDialogToScreen(this);
    SetSatellitesViewOpen(app_, true);
    poll_.setInterval(200);
    connect(&poll_, &QTimer::timeout, this, &SatellitesDialog::Poll);
    poll_.start();
}

SatellitesDialog::~SatellitesDialog() { SetSatellitesViewOpen(app_, false); }

void SatellitesDialog::done(int result) {
    SetSatellitesViewOpen(app_, false);
    poll_.stop();
    QDialog::done(result);
}

SatelliteViewInputs SatellitesDialog::Inputs() const {
    return SatelliteViewInputsFrom(app_, setsAtOpening_);
}

void SatellitesDialog::Poll() {
    // The sky is drawn again only when a set arrived: the stars move on
    // every redraw, as on the handheld.
    const unsigned sets = app_.gps.fix.satellites.completedSets;
    if (sets == lastSets_) return;
    lastSets_ = sets;
    view_->update();
}

}  // namespace mw
