// The main window's own wiring: a toggle reaches the core and its check mark
// follows, the view settings are written at close, and turning the screen
// moves the tool buttons between the bars.
#include <QAction>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "app/app.h"
#include "app/commands.h"
#include "ui/main_window.h"
#include "ui/map_widget.h"

using namespace mw;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void togglesReachTheCoreAndTheViewFile() {
        QTemporaryDir home;
        App app;
        {
            MainWindow w(app, home.path().toStdString(), "/home/u");
            w.show();
            w.Start();
            QAction* track = w.Action(kCmdViewTrack);
            QVERIFY(track->isChecked());
            track->trigger();
            QCOMPARE(app.view.viewTrack, 0);
            QVERIFY(!track->isChecked());
            w.close();
            QVERIFY(w.ShutdownDone());
        }
        std::ifstream in(home.filePath("mapwanderer2.ini").toStdString(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        QVERIFY(text.str().find("\r\nView Track,0\r\n") != std::string::npos);
    }

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
