#include "ui/nmea_monitor_dialog.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/panels.h"
#include "gps/nmea_monitor.h"
#include "ui/handheld_layout.h"
#include "paint/qt_canvas.h"

namespace mw {

NmeaMonitorDialog::NmeaMonitorDialog(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("nmeaMonitorDialog");
    setWindowTitle("Display NMEA Input");
    list_ = new QListWidget(this);
    list_->setObjectName("NMEA Strings");
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setUniformItemSizes(true);
    startStop_ = new QPushButton("Start/Stop", this);
    startStop_->setObjectName("Start/Stop");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(startStop_);
    resize(460, 300);
    FitDialogToScreen(this);
    connect(startStop_, &QPushButton::clicked, this, [this] {
        if (NmeaMonitor* m = GpsNmeaMonitor(app_)) m->ToggleRunning();
    });
    if (NmeaMonitor* m = GpsNmeaMonitor(app_)) {
        m->Open();
        open_ = true;
    }
    poll_.setInterval(100);
    connect(&poll_, &QTimer::timeout, this, &NmeaMonitorDialog::Poll);
    poll_.start();
    Poll();
}

NmeaMonitorDialog::~NmeaMonitorDialog() { Close(); }

void NmeaMonitorDialog::Close() {
    poll_.stop();
    if (!open_) return;
    open_ = false;
    if (NmeaMonitor* m = GpsNmeaMonitor(app_)) m->Close();
}

void NmeaMonitorDialog::done(int result) {
    Close();
    QDialog::done(result);
}

void NmeaMonitorDialog::Poll() {
    NmeaMonitor* m = GpsNmeaMonitor(app_);
    if (!m || m->Version() == shownVersion_) return;
    shownVersion_ = m->Version();
    const NmeaMonitorState s = m->Snapshot();
    // The list only grows between restarts: append what is new, or start
    // over when the monitor emptied it.
    const bool restarted =
        static_cast<std::size_t>(list_->count()) > s.lines.size() ||
        (list_->count() > 0 && list_->item(0)->text() != DisplayText(s.lines.front()));
    if (restarted) list_->clear();
    for (std::size_t i = static_cast<std::size_t>(list_->count()); i < s.lines.size(); ++i)
        list_->addItem(DisplayText(s.lines[i]));
    if (s.selection >= 0 && s.selection < list_->count()) {
        list_->setCurrentRow(s.selection);
        list_->scrollToBottom();
    }
}

}  // namespace mw
