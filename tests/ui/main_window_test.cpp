// Turning the screen moves the tool buttons between the bars. (That every
// item reaches its command is menu_items_test's; the view file written at
// the end, program_lifecycle.sh's.)
#include <QAction>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include "app/app.h"
#include "app/commands.h"
#include "ui/main_window.h"
#include "ui/map_widget.h"

using namespace mw;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void portraitAndLandscapeToolBars() {
        QTemporaryDir home;
        App app;
        MainWindow w(app, home.path().toStdString(), "/home/u");
        w.resize(480, 640);
        w.show();
        w.Start();
        QVERIFY(app.state.portrait);
        QVERIFY(w.ToolPanel()->isVisible());
        w.Action(kCmdViewToolbar)->trigger();
        QVERIFY(!w.ToolPanel()->isVisible());

        w.resize(900, 500);
        QTRY_VERIFY(!app.state.portrait);
        QVERIFY(!w.ToolPanel()->isVisible());
        // Every button is on the bar in landscape, so "Toolbar" is grey.
        QVERIFY(!w.Action(kCmdViewToolbar)->isEnabled());
        QCOMPARE(w.Map()->width(), app.mapView.width);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
