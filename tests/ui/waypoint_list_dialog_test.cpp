// The "Waypoints" list dialog: a delete mark frees the waypoint on OK only.
// Which rows it has and the marks' effect on navigation are the core's
// (waypoint_commands_test).
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "app/app.h"
#include "testlib/fake_ui.h"
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
};

QTEST_MAIN(WaypointListDialogTest)
#include "waypoint_list_dialog_test.moc"
