// The main window as the core's Ui port: messages, questions, file requests,
// timers, floating windows and the program's dialogs.
#include <QApplication>
#include <QMessageBox>
#include <QToolBar>

#include "app/alarm_actions.h"
#include "app/moving_map.h"
#include "support/paths.h"
#include "ui/alarm_popup.h"
#include "ui/calibrate_dialog.h"
#include "ui/file_requests.h"
#include "ui/help_window.h"
#include "ui/import_map_dialog.h"
#include "ui/main_window.h"
#include "ui/map_dialogs.h"
#include "ui/map_widget.h"
#include "ui/name_search_dialog.h"
#include "ui/nmea_monitor_dialog.h"
#include "ui/overview_window.h"
#include "paint/qt_canvas.h"
#include "ui/satellites_dialog.h"
#include "ui/scale_bar_window.h"
#include "ui/settings_dialog.h"
#include "ui/track_info_window.h"
#include "ui/waypoint_list_dialog.h"

namespace mw {

namespace {

// Long enough to read a path twice at a glance from the road.
constexpr int kStatusNoteMs = 15000;

}  // namespace

void MainWindow::StartTimer(int timerId, int periodMs) {
    if (timerId == kAlarmTimer) alarmTimer_.start(periodMs);
    if (timerId == kReplayTimer) replayTimer_.start(periodMs);
    if (timerId == kKeepAliveTimer) keepAlive_.start(periodMs);
}

void MainWindow::StopTimer(int timerId) {
    if (timerId == kAlarmTimer) alarmTimer_.stop();
    if (timerId == kReplayTimer) replayTimer_.stop();
    if (timerId == kKeepAliveTimer) keepAlive_.stop();
}

void MainWindow::ShowErrorMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, "Error", DisplayText(text), QMessageBox::Ok, this);
    box.exec();
}

void MainWindow::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, "Mapwanderer", DisplayText(text), QMessageBox::Ok, this);
    box.exec();
}

bool MainWindow::AskYesNo(const std::string& text) {
    QMessageBox box(QMessageBox::Question, "Mapwanderer", DisplayText(text),
                    QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> MainWindow::AskOpenFileName(const std::string& title,
                                                       const std::string& startFolder,
                                                       const std::vector<FileFilter>& filters) {
    return ShowOpenDialog(this, app_, title, startFolder, filters);
}

std::optional<std::string> MainWindow::AskSaveFileName(const std::string& title,
                                                       const std::string& proposedPath,
                                                       const std::vector<FileFilter>& filters) {
    return ShowSaveDialog(this, app_, title, proposedPath, filters);
}

void MainWindow::SetWaitCursor(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::Repaint(WindowId window) {
    switch (window) {
        case WindowId::Main:
            update();
            break;
        case WindowId::Map:
            map_->update();
            break;
        case WindowId::ToolPanel:
            toolPanel_->update();
            break;
        case WindowId::Overview:
            if (overview_) overview_->Refresh();
            break;
        case WindowId::Scale:
            if (scale_) scale_->update();
            break;
        case WindowId::AlarmPopup:
            alarmPopup_->Sync();
            break;
        default:
            break;
    }
    // The info panels show the fix and the view: they follow every repaint.
    central_->update();
}

void MainWindow::ShowFloatingWindow(WindowId window, bool show) {
    if (window == WindowId::ToolPanel) toolPanel_->setVisible(show && app_.mapView.screen.portrait);
    if (window == WindowId::AlarmPopup) alarmPopup_->Sync();
    if (window == WindowId::Scale) {
        if (!scale_ && show) scale_ = new ScaleBarWindow(app_, this);
        if (scale_) scale_->setVisible(show);
    }
    if (window == WindowId::Overview) {
        if (!overview_ && show) overview_ = new OverviewWindow(app_, this);
        if (overview_) {
            if (show) overview_->Refresh();
            overview_->setVisible(show);
        }
    }
}

void MainWindow::ShowList(const std::string& title, const std::vector<std::string>& lines) {
    ListDialog dialog(title, lines, this);
    dialog.exec();
}

void MainWindow::ShowMapsFound(const std::vector<std::string>& names,
                               const std::function<void(int)>& choose) {
    MapsFoundDialog dialog(names, choose, this);
    dialog.exec();
}

void MainWindow::OpenDialog(DialogId dialog, int parameter) {
    switch (dialog) {
        case DialogId::WaypointList: {
            WaypointListDialog box(app_, this);
            box.exec();
            break;
        }
        case DialogId::NameSearch: {
            NameSearchDialog box(app_, this);
            box.exec();
            break;
        }
        case DialogId::NmeaMonitor: {
            NmeaMonitorDialog box(app_, this);
            box.exec();
            break;
        }
        case DialogId::Satellites: {
            SatellitesDialog box(app_, this);
            box.exec();
            break;
        }
        case DialogId::Settings: {
            SettingsDialogBox box(app_, parameter, this);
            box.exec();
            break;
        }
        case DialogId::TrackInfo:
            TrackInfoWindow::ShowFor(app_, this);
            break;
        case DialogId::ImportMap: {
            ImportMapDialog box(app_, this);
            box.exec();
            break;
        }
        case DialogId::CalibrateMap: {
            CalibrateDialog box(app_, this);
            box.exec();
            break;
        }
        case DialogId::Help: {
            const std::string page =
                JoinPath(JoinPath(app_.state.programFolder, kHelpFolder), kHelpFile);
            HelpWindow box(QString::fromStdString(page), this);
            box.exec();
            break;
        }
        default:
            break;
    }
    map_->update();
    SyncChecks();
}

void MainWindow::ShowStatusNote(const std::string& text) {
    statusNote_ = text;
    statusNoteTimer_.start(kStatusNoteMs);
    central_->update();
}

void MainWindow::RequestQuit() {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

}  // namespace mw
