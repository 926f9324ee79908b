// Every menu item and tool button of the main window is enabled and reaches
// its command: triggering it makes the core talk to the user interface (a
// message, a file request, a dialog, a check mark, a repaint, a window) or
// to the shell. A dummy item, or one whose row has no handler, does none of
// these. The status line sits above the map and shows a note when told.
#include <sys/stat.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <fstream>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/route_commands.h"
#include "app/waypoint_commands.h"
#include "testlib/fake_ui.h"
#include "testlib/map_file_writer.h"
#include "ui/main_window.h"
#include "ui/map_widget.h"

using namespace mw;

namespace {

// The real window, with the requests that would block (modal boxes, file
// requests, dialogs, quitting) recorded instead of run; the rest recorded
// and passed on.
class RecordingWindow : public MainWindow {
public:
    using MainWindow::MainWindow;
    void ShowMessage(const std::string& t) override { calls.push_back("message " + t); }
    void ShowErrorMessage(const std::string& t) override { calls.push_back("error " + t); }
    bool AskYesNo(const std::string& t) override { return calls.push_back("ask " + t), false; }
    std::optional<std::string> AskOpenFileName(const std::string& title, const std::string&,
                                               const std::vector<FileFilter>&) override {
        return calls.push_back("open " + title), std::nullopt;
    }
    std::optional<std::string> AskSaveFileName(const std::string& title, const std::string&,
                                               const std::vector<FileFilter>&) override {
        return calls.push_back("save " + title), std::nullopt;
    }
    void OpenDialog(DialogId, int) override { calls.push_back("dialog"); }
    void ShowList(const std::string& t, const std::vector<std::string>&) override { calls.push_back(t); }
    void ShowMapsFound(const std::vector<std::string>&, const std::function<void(int)>&) override {
        calls.push_back("maps found");
    }
    void RequestQuit() override { calls.push_back("quit"); }
    void Repaint(WindowId w) override { calls.push_back("repaint"), MainWindow::Repaint(w); }
    void SetCommandChecked(int id, bool c) override {
        calls.push_back("check"), MainWindow::SetCommandChecked(id, c);
    }
    void ShowFloatingWindow(WindowId w, bool s) override {
        calls.push_back("window"), MainWindow::ShowFloatingWindow(w, s);
    }
    void StartTimer(int id, int ms) override { calls.push_back("timer"), MainWindow::StartTimer(id, ms); }
    void StopTimer(int id) override { calls.push_back("timer"), MainWindow::StopTimer(id); }
    void SetMenuItems(const std::string& name, const std::vector<MenuEntry>& items) override {
        calls.push_back("menu"), MainWindow::SetMenuItems(name, items);
    }
    std::vector<std::string> calls;
};

void WriteText(const QString& path, const std::string& text) {
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

// What a user reaches: the items of every menu (fixed and rebuilt ones) and
// every tool button, once each, in menu order.
QList<QAction*> ReachableActions(RecordingWindow& w) {
    QList<QAction*> out;
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            if (a->menu())
                walk(a->menu());
            else if (!out.contains(a))
                out << a;
        }
    };
    for (QAction* top : w.menuBar()->actions())
        if (top->menu()) walk(top->menu());
    for (QToolBar* bar : {w.CommandBar(), w.ToolPanel()})
        for (QAction* a : bar->actions())
            if (!a->isSeparator() && !out.contains(a)) out << a;
    return out;
}

}  // namespace

class MenuItemsTest : public QObject {
    Q_OBJECT

private slots:
    void everyItemIsEnabledAndReachesItsCommand() {
        // The user's home too: the waypoint and track logs go to its data
        // folder.
        QTemporaryDir home, maps, userHome;
        mwtest::WriteSheetMap(maps.path().toStdString(), "sheet.map", 50, 0);
        WriteText(home.filePath("Mapwanderer1.ini"),
                  "NMEA Datum,WGS 84\r\nMap Path 1," + maps.path().toStdString() + "\r\n");
        // The companion program is started only when the user put it there.
        WriteText(home.filePath(kCompanionProgram), "#!/bin/sh\n");
        chmod(home.filePath(kCompanionProgram).toLocal8Bit().constData(), 0755);
        App app;
        mwtest::FakeShell shell;
        mwtest::FakeClock clock;
        clock.autoAdvance = 25;
        app.ports.shell = &shell;
        app.ports.clock = &clock;
        RecordingWindow w(app, home.path().toStdString(), userHome.path().toStdString());
        w.resize(480, 640);
        w.show();
        w.Start();
        // What the items act on: a map on screen, a waypoint and a target.
        QVERIFY(LoadMapFile(app, maps.filePath("sheet.map").toStdString()));
        CreateWaypointAt(app, 50.2, 0.4, std::string("Harbour"));
        SetNavigationTarget(app, 50.3, 0.6, -1, "Riverside");
        QVERIFY(app.mapView.screen.portrait);

        const QList<QAction*> actions = ReachableActions(w);
        QVERIFY(actions.size() > 60);
        QStringList silent;
        for (QAction* a : actions) {
            const int id = a->data().toInt();
            if (id == kCmdQuit) continue;  // last, below
            const QString what = QString("%1 (%2)").arg(a->text()).arg(id);
            QVERIFY2(a->isEnabled(), qPrintable(what + " is disabled"));
            const std::size_t before = w.calls.size() + shell.opened.size() + shell.started.size();
            a->trigger();
            if (w.calls.size() + shell.opened.size() + shell.started.size() == before) silent << what;
        }
        QVERIFY2(silent.isEmpty(), qPrintable("no command behind: " + silent.join(", ")));
        QVERIFY(!shell.started.empty());  // "Upload/Download"

        w.calls.clear();
        w.Action(kCmdQuit)->trigger();
        QCOMPARE(w.calls, std::vector<std::string>{"quit"});
    }

};

QTEST_MAIN(MenuItemsTest)
#include "menu_items_test.moc"
