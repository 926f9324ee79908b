#include "ui/main_window.h"

#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDBusConnection>
#include <QDBusMessage>
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

#include "app/alarms.h"
#include "app/commands.h"
#include "app/moving_map.h"
#include "app/view_commands.h"
#include "app/window_placement.h"
#include "config/settings.h"
#include "support/paths.h"
#include "ui/help_window.h"
#include "ui/map_dialogs.h"
#include "ui/file_requests.h"
#include "ui/alarm_popup.h"
#include "ui/map_widget.h"
#include "ui/nmea_monitor_dialog.h"
#include "ui/overview_window.h"
#include "ui/panel_painter.h"
#include "ui/satellites_dialog.h"
#include "ui/scale_bar_window.h"
#include "ui/name_search_dialog.h"
#include "ui/settings_dialog.h"
#include "ui/track_info_window.h"
#include "ui/waypoint_list_dialog.h"
#include "ui/qt_canvas.h"

namespace mw {

namespace {

constexpr int kKeepAlivePeriodMs = 30000;
// Long enough to read a path twice at a glance from the road.
constexpr int kStatusNoteMs = 15000;

// Tool button images are drawn here rather than shipped: a short caption on
// a rounded plate, 16 logical pixels like the handheld's strip.
QIcon ButtonIcon(const std::string& label) {
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 52, 70), 3));
    p.setBrush(QColor(236, 230, 206));
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 10, 10);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(label.size() <= 1 ? 44 : label.size() == 2 ? 30 : 22);
    p.setFont(f);
    p.drawText(QRect(0, 0, 64, 64), Qt::AlignCenter, QString::fromStdString(label));
    return QIcon(pm);
}


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

void MainWindow::BuildMenus() {
    std::function<void(QMenu*, const std::vector<MenuNode>&)> fill =
        [&](QMenu* menu, const std::vector<MenuNode>& nodes) {
            for (const MenuNode& n : nodes) {
                switch (n.kind) {
                    case MenuNode::Kind::Separator:
                        menu->addSeparator();
                        break;
                    case MenuNode::Kind::Submenu: {
                        QMenu* sub = menu->addMenu(QString::fromStdString(n.text));
                        sub->setObjectName(QString::fromStdString(
                            n.dynamicName.empty() ? "menu" + n.text : n.dynamicName));
                        fill(sub, n.children);
                        break;
                    }
                    default: {
                        QAction* a = menu->addAction(QString::fromStdString(n.text));
                        a->setObjectName(QString("cmd%1").arg(n.id));
                        a->setData(n.id);
                        a->setCheckable(n.kind == MenuNode::Kind::Check);
                        a->setEnabled(CommandAvailable(n.id));
                        int id = n.id;
                        connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
                        actions_[id] = a;
                    }
                }
            }
        };
    for (const MenuNode& top : MenuBar()) {
        QMenu* m = menuBar()->addMenu(QString::fromStdString(top.text));
        m->setObjectName(QString::fromStdString("menu" + top.text));
        fill(m, top.children);
    }
}

void MainWindow::BuildToolBars() {
    builtForPortrait_ = app_.state.portrait;
    commandBar_->clear();
    toolPanel_->clear();
    const auto& buttons = CommandBarButtons();
    int count = app_.state.portrait ? kPortraitCommandBarButtons : static_cast<int>(buttons.size());
    for (int i = 0; i < count; ++i) {
        const ToolButton& b = buttons[i];
        if (b.separator) {
            if (i > 0) commandBar_->addSeparator();
            continue;
        }
        QAction* a = EnsureAction(CanonicalCommand(b.command), b.tip);
        a->setIcon(ButtonIcon(b.label));
        a->setIconVisibleInMenu(false);
        a->setToolTip(QString::fromStdString(b.tip));
        commandBar_->addAction(a);
    }
    for (const ToolPanelButton& b : ToolPanelButtons()) {
        QAction* a = EnsureAction(b.command, b.caption);
        if (a->icon().isNull()) a->setIcon(ButtonIcon(b.caption));
        a->setIconVisibleInMenu(false);
        toolPanel_->addAction(a);
    }
    toolPanel_->setVisible(app_.state.portrait && app_.view.viewToolbar != 0);
}

QAction* MainWindow::EnsureAction(int id, const std::string& text) {
    if (QAction* a = Action(id)) return a;
    // Zoom steps have no fixed menu item; their buttons get actions of their own.
    auto* a = new QAction(QString::fromStdString(text), this);
    a->setObjectName(QString("cmd%1").arg(id));
    a->setData(id);
    a->setCheckable(CommandIsToggle(id));
    a->setEnabled(CommandAvailable(id));
    connect(a, &QAction::triggered, this, [this, id] { RunCommand(id); });
    actions_[id] = a;
    return a;
}

QAction* MainWindow::Action(int id) const {
    auto it = actions_.find(CanonicalCommand(id));
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::Start() {
    if (started_) return;
    started_ = true;
    SetScreenSize(app_, width(), height());
    if (app_.state.portrait != builtForPortrait_) BuildToolBars();
    // The map and its panels share what the status line leaves.
    app_.state.areaWidth = central_->width();
    app_.state.areaHeight = std::max(central_->height() - kStatusLineHeight, 0);
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

void MainWindow::SyncChecks() {
    // A checkable action flips itself when clicked; the core's state is what
    // counts, so every check mark and enabled state is set from the command
    // rows after each command.
    for (auto& [id, a] : actions_) {
        a->setEnabled(CommandEnabled(app_, id));
        if (a->isCheckable()) a->setChecked(CommandChecked(app_, id));
    }
}

void MainWindow::Relayout() {
    SetScreenSize(app_, width(), height());
    if (app_.state.portrait != builtForPortrait_) {
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

void MainWindow::KeepDesktopAwake() {
    // The desktop's screen saver counts this as user activity; where there is
    // no such service the call goes nowhere, silently.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
        "org.freedesktop.ScreenSaver", "SimulateUserActivity");
    bus.call(call, QDBus::NoBlock);
}

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

void MainWindow::SetCommandChecked(int commandId, bool checked) {
    // Only a toggle's action is checkable (its row says so when the action
    // is made); a check mark for anything else has nowhere to show.
    if (QAction* a = Action(commandId); a && a->isCheckable()) a->setChecked(checked);
}

void MainWindow::SetCommandEnabled(int commandId, bool enabled) {
    if (QAction* a = Action(commandId)) a->setEnabled(enabled && CommandAvailable(commandId));
}

void MainWindow::ShowFloatingWindow(WindowId window, bool show) {
    if (window == WindowId::ToolPanel) toolPanel_->setVisible(show && app_.state.portrait);
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

void MainWindow::SetMenuItems(const std::string& dynamicName, const std::vector<MenuEntry>& items) {
    QMenu* menu = menuBar()->findChild<QMenu*>(QString::fromStdString(dynamicName));
    if (!menu) return;
    std::set<int> kept;
    for (const MenuEntry& item : items) kept.insert(item.id);
    for (QAction* old : menu->actions()) {
        menu->removeAction(old);
        // An action that stays (or that a tool button shares, like "Full
        // Map" and "100 %") is put back below, not destroyed.
        int id = old->data().toInt();
        if (kept.count(id)) continue;
        bool onToolBar =
            commandBar_->actions().contains(old) || toolPanel_->actions().contains(old);
        if (onToolBar) continue;
        auto it = actions_.find(id);
        if (it != actions_.end() && it->second == old) actions_.erase(it);
        old->deleteLater();
    }
    for (const MenuEntry& item : items) {
        // "&" in a file name is text, not a shortcut marker.
        QString text = DisplayText(item.text).replace("&", "&&");
        QAction* a = EnsureAction(item.id, item.text);
        a->setText(text);
        menu->addAction(a);
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
