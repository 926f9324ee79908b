#include "ui/main_window.h"

#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QToolBar>
#include <algorithm>
#include <set>

#include "app/alarm_actions.h"
#include "app/commands.h"
#include "app/moving_map.h"
#include "app/view_commands.h"
#include "app/window_placement.h"
#include "config/settings.h"
#include "support/paths.h"
#include "ui/keep_awake.h"
#include "ui/help_window.h"
#include "ui/map_dialogs.h"
#include "ui/file_requests.h"
#include "ui/alarm_popup.h"
#include "ui/map_widget.h"
#include "ui/nmea_monitor_dialog.h"
#include "ui/overview_window.h"
#include "paint/panel_painter.h"
#include "ui/satellites_dialog.h"
#include "ui/scale_bar_window.h"
#include "ui/name_search_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/track_info_window.h"
#include "ui/waypoint_list_dialog.h"
#include "paint/qt_canvas.h"

namespace mw {

namespace {

constexpr int kKeepAlivePeriodMs = 30000;

}  // namespace

MainWindow::MainWindow(App& app, std::string home, std::string userHome)
    : app_(app), home_(std::move(home)), userHome_(std::move(userHome)) {
    setObjectName("mainWindow");
    setWindowTitle("Mapwanderer");
    app_.ports.ui = this;
    if (!app_.ports.files) app_.ports.files = &files_;
    central_ = new QWidget(this);
    central_->setObjectName("mainClient");
    central_->installEventFilter(this);
    setCentralWidget(central_);
    map_ = new MapWidget(app_, central_);
    // Taps, drags and the wheel move the view centre the status line shows.
    map_->installEventFilter(this);
    BuildMenus();
    commandBar_ = new QToolBar("Command Bar", this);
    commandBar_->setObjectName("commandBar");
    commandBar_->setMovable(false);
    commandBar_->setIconSize(QSize(24, 24));
    toolPanel_ = new QToolBar("Tool Panel", this);
    toolPanel_->setObjectName("toolPanel");
    toolPanel_->setMovable(false);
    toolPanel_->setIconSize(QSize(24, 24));
    addToolBar(Qt::TopToolBarArea, commandBar_);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, toolPanel_);
    resize(480, 640);
    SetScreenSize(app_, 480, 640);
    BuildToolBars();

    keepAlive_.setInterval(kKeepAlivePeriodMs);
    connect(&keepAlive_, &QTimer::timeout, this, [this] {
        if (KeepAliveTick(app_)) KeepDesktopAwake();
    });
    alarmPopup_ = new AlarmPopup(app_, this);
    alarmTimer_.setObjectName("timer4");
    connect(&alarmTimer_, &QTimer::timeout, this, [this] {
        EndProximityAlarm(app_);
        alarmPopup_->Sync();
    });
    replayTimer_.setObjectName("timer1");
    connect(&replayTimer_, &QTimer::timeout, this, [this] {
        ReplayTimerTick(app_);
        map_->update();
        update();
    });
    statusNoteTimer_.setSingleShot(true);
    connect(&statusNoteTimer_, &QTimer::timeout, this, [this] {
        statusNote_.clear();
        central_->update();
    });
    // Results of the GPS reader thread arrive here, on the GUI thread.
    app_.gps.mailboxes.SetArrivalHandler([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                DrainGpsResults(app_);
                map_->update();
                central_->update();
            },
            Qt::QueuedConnection);
    });
}

MainWindow::~MainWindow() {
    if (app_.ports.ui == this) app_.ports.ui = nullptr;
    if (app_.ports.files == &files_) app_.ports.files = nullptr;
}

void MainWindow::Start() {
    if (started_) return;
    started_ = true;
    SetScreenSize(app_, width(), height());
    if (app_.mapView.screen.portrait != builtForPortrait_) BuildToolBars();
    // The map and its panels share what the status line leaves.
    SetMapArea(app_.mapView, central_->width(),
               std::max(central_->height() - kStatusLineHeight, 0));
    StartApplication(app_, home_, userHome_, width(), height());
    if (QScreen* s = screen()) {
        app_.state.display.colorRes = s->depth();
        app_.state.display.numColors = s->depth() > 8 ? -1 : (1 << s->depth());
    }
    Relayout();
    SyncChecks();
    // The floating windows come back as they were left.
    ShowFloatingWindow(WindowId::Scale, app_.view.viewScale == 1);
    ShowFloatingWindow(WindowId::Overview, app_.view.viewMapView == 1);
    if (app_.state.keepAliveTimer) keepAlive_.start();
}

void MainWindow::RunCommand(int id) {
    ExecuteCommand(app_, id);
    SyncChecks();
    // A panel switched on or off changes the map window's room.
    if (CommandChangesLayout(id)) Relayout();
    central_->update();
}

void MainWindow::Relayout() {
    SetScreenSize(app_, width(), height());
    if (app_.mapView.screen.portrait != builtForPortrait_) {
        BuildToolBars();
        SyncChecks();
    }
    layout_ = LayOutAroundMap(app_, central_->width(), central_->height());
    const Rect& m = layout_.map;
    map_->setGeometry(m.left, m.top, m.Width(), m.Height());
    map_->update();
    central_->update();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == central_ && event->type() == QEvent::Resize) Relayout();
    if (watched == central_ && event->type() == QEvent::Paint) {
        // The status line and the info panels take the room the layout left
        // around the map.
        QPainter painter(central_);
        PaintStatusLine(painter, app_, layout_.statusLine, statusNote_);
        PaintInfoPanels(painter, app_, layout_.panels);
        return true;
    }
    if (watched == central_ && event->type() == QEvent::MouseButtonPress) {
        // The main window's own area (the read-outs, the status line; the
        // map window takes its own taps): its top left corner is the way
        // into the "System" settings.
        auto* press = static_cast<QMouseEvent*>(event);
        const QPoint at = press->position().toPoint();
        if (press->button() == Qt::LeftButton && IsSystemCornerTap(at.x(), at.y())) {
            RunCommand(kCmdSettingsSystem);
            return true;
        }
    }
    if (watched == map_) {
        const QEvent::Type t = event->type();
        if (t == QEvent::MouseButtonRelease || t == QEvent::Wheel) central_->update();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            MapArrowKey(app_, ArrowKey::Left);
            break;
        case Qt::Key_Up:
            MapArrowKey(app_, ArrowKey::Up);
            break;
        case Qt::Key_Right:
            MapArrowKey(app_, ArrowKey::Right);
            break;
        case Qt::Key_Down:
            MapArrowKey(app_, ArrowKey::Down);
            break;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
        case Qt::Key_PageUp:
            ZoomSteps(app_, 1);
            break;
        case Qt::Key_Minus:
        case Qt::Key_PageDown:
            ZoomSteps(app_, -1);
            break;
        default:
            QMainWindow::keyPressEvent(event);
            return;
    }
    map_->update();
    central_->update();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!shutdownDone_) {
        shutdownDone_ = true;
        keepAlive_.stop();
        replayTimer_.stop();
        app_.gps.mailboxes.SetArrivalHandler(nullptr);
        // Nothing here waits for the user (a signal must end the program):
        // a file that cannot be saved is said on the standard error, the
        // window being about to go.
        std::string unsaved;
        if (started_) unsaved = ShutdownApplication(app_);
        if (!unsaved.empty()) std::fprintf(stderr, "mapwanderer: %s\n", unsaved.c_str());
        // A size the user chose comes back next time; a maximised window
        // says nothing about the size wanted on a desktop.
        if (started_ && !isMaximized() && !isFullScreen()) {
            const WriteOutcome saved = SaveLastIni(home_, kWindowSizeFile, "Window Size",
                                                   FormatWindowSize({width(), height()}));
            if (!saved)
                std::fprintf(stderr, "mapwanderer: %s\n",
                             WriteFailureText(kCannotSaveLastIniText, saved).c_str());
        }
    }
    event->accept();
}

void MainWindow::Raise() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

}  // namespace mw
