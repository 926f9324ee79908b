// The main window: menu bar and tool bars built from the core's command
// table (main_window_menus.cpp), the map window in the middle, and the Qt
// side of the Ui port (main_window_port.cpp).
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <map>

#include "app/app.h"
#include "app/panels.h"
#include "platform/posix_file_system.h"
#include "ports/ui.h"

class QToolBar;
class QAction;

namespace mw {

class MapWidget;

class MainWindow : public QMainWindow, public Ui {
    Q_OBJECT
public:
    MainWindow(App& app, std::string home, std::string userHome);
    ~MainWindow() override;

    // Runs the start-up sequence; call once after the window is shown.
    void Start();
    // The action of a menu command (tool buttons share it); null when none.
    QAction* Action(int id) const;
    MapWidget* Map() const { return map_; }
    QToolBar* CommandBar() const { return commandBar_; }
    QToolBar* ToolPanel() const { return toolPanel_; }
    bool ShutdownDone() const { return shutdownDone_; }

    // Ui port.
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string& startFolder,
                                               const std::vector<FileFilter>& filters) override;
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string& proposedPath,
                                               const std::vector<FileFilter>& filters) override;
    void SetWaitCursor(bool on) override;
    void Repaint(WindowId window) override;
    void SetCommandChecked(int commandId, bool checked) override;
    void SetCommandEnabled(int commandId, bool enabled) override;
    void ShowFloatingWindow(WindowId window, bool show) override;
    void RequestQuit() override;
    void ShowErrorMessage(const std::string& text) override;
    void StartTimer(int timerId, int periodMs) override;
    void StopTimer(int timerId) override;
    void SetMenuItems(const std::string& dynamicName, const std::vector<MenuEntry>& items) override;
    void ShowList(const std::string& title, const std::vector<std::string>& lines) override;
    void OpenDialog(DialogId dialog, int parameter) override;
    void ShowMapsFound(const std::vector<std::string>& names,
                       const std::function<void(int)>& choose) override;
    void ShowStatusNote(const std::string& text) override;

    // The status line, map and panel rectangles of the client area below
    // the tool bars, as last laid out.
    const AroundMapLayout& Layout() const { return layout_; }
    // The note the status line shows now (empty: the position).
    const std::string& StatusNote() const { return statusNote_; }

public slots:
    void RunCommand(int id);
    // Brings the window to the front (a second start asks for this).
    void Raise();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBars();
    QAction* EnsureAction(int id, const std::string& text);
    void Relayout();
    void SyncChecks();

    App& app_;
    std::string home_, userHome_;
    QWidget* central_ = nullptr;
    MapWidget* map_ = nullptr;
    // The floating windows, made when first shown.
    class ScaleBarWindow* scale_ = nullptr;
    class OverviewWindow* overview_ = nullptr;
    class AlarmPopup* alarmPopup_ = nullptr;
    QTimer alarmTimer_;
    QToolBar* commandBar_ = nullptr;
    QToolBar* toolPanel_ = nullptr;
    std::map<int, QAction*> actions_;
    PosixFileSystem files_;
    QTimer keepAlive_;
    QTimer replayTimer_;
    QTimer statusNoteTimer_;
    std::string statusNote_;
    AroundMapLayout layout_;
    bool started_ = false;
    bool shutdownDone_ = false;
    bool builtForPortrait_ = true;
};

}  // namespace mw
