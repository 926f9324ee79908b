// The "Waypoints" list dialog: a delete mark frees the waypoint on OK only.
// Which rows it has and the marks' effect on navigation are the core's
// (waypoint_commands_test).
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "app/app.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "ui/waypoint_edit_dialog.h"
#include "ui/waypoint_list_dialog.h"

using namespace mw;

class WaypointListDialogTest : public QObject {
    Q_OBJECT

private slots:
    void marksFreeOnOkOnly() {
        for (bool ok : {false, true}) {
            App app;
            mwtest::FakeUi ui;
            app.ports.ui = &ui;
            app.waypoints.Put(0, Waypoint{"Mill", 50.2, 0.3});
            app.waypoints.Put(4, Waypoint{"Deleted", 50.4, 0.6});  // only a name
            app.waypoints.Put(7, Waypoint{"Caf\xC3\xA9", 50.1, 0.1});
            WaypointListDialog d(app, nullptr);
            d.List()->setCurrentItem(d.List()->topLevelItem(2));
            d.findChild<QPushButton*>("ctl1100")->click();  // Delete
            QVERIFY(app.waypoints.At(7) != nullptr);  // nothing freed before OK
            d.findChild<QPushButton*>(ok ? "ok" : "cancel")->click();
            QCOMPARE(app.waypoints.At(7) == nullptr, ok);
            // The waypoint called "Deleted" was never marked: it stays.
            QVERIFY(app.waypoints.At(4) != nullptr);
            QVERIFY(app.waypoints.At(0) != nullptr);
        }
    }

    // A double tap opens the editor on that row's waypoint; OK saves it and
    // the row and its symbol picture show the change; a refused field keeps
    // the editor open with the message.
    void doubleTapEditsTheRow() {
        mwtest::TempDir home;
        QDir().mkpath(QString::fromStdString(home.File("PSymbols")));
        home.Write("PSymbols/151.svg",
                   "<svg xmlns='http://www.w3.org/2000/svg' width='24' height='24'>"
                   "<rect width='24' height='24' fill='#2e8b3e'/></svg>");
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        app.state.programFolder = home.Path();
        app.settings.dataPath = home.Path();
        app.waypoints.Put(0, Waypoint{"Mill", 50.2, 0.3});
        app.waypoints.Put(3, Waypoint{"Bridge", 50.3, 0.6});
        WaypointListDialog d(app, nullptr);
        QTreeWidgetItem* row = d.List()->topLevelItem(1);
        QVERIFY(row->icon(0).isNull());

        bool sawEditor = false;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<WaypointEditDialog*>(QApplication::activeModalWidget());
            QVERIFY(editor);
            sawEditor = true;
            QCOMPARE(editor->findChild<QLineEdit*>("name")->text(), QString("Bridge"));
            editor->findChild<QLineEdit*>("symbol")->setText("99999");
            editor->findChild<QPushButton*>("ok")->click();  // refused: stays open
            QCOMPARE(ui.messages.size(), std::size_t{1});
            QVERIFY(editor->isVisible());
            editor->findChild<QLineEdit*>("name")->setText("Ford");
            editor->findChild<QLineEdit*>("symbol")->setText("151");
            editor->findChild<QPushButton*>("ok")->click();
        });
        emit d.List()->itemDoubleClicked(row, 0);
        QVERIFY(sawEditor);
        QCOMPARE(app.waypoints.At(3)->name, std::string("Ford"));
        QCOMPARE(app.waypoints.At(3)->symbol, 151);
        QCOMPARE(app.waypoints.At(0)->name, std::string("Mill"));
        QCOMPARE(row->text(0), QString("Ford"));
        QVERIFY(!row->icon(0).isNull());
        QVERIFY(home.Read("ceWaypoints.wpt").find("-1,Ford ,") != std::string::npos);
    }
};

QTEST_MAIN(WaypointListDialogTest)
#include "waypoint_list_dialog_test.moc"
