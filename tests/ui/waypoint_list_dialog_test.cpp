// The "Waypoints" list dialog: the delete marks with OK and Cancel and the
// navigation target.
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "app/app.h"
#include "testlib/fake_ui.h"
#include "ui/waypoint_list_dialog.h"

using namespace mw;

namespace {

QPushButton* Button(QDialog& d, const char* name) {
    auto* b = d.findChild<QPushButton*>(name);
    if (!b) qFatal("no button %s", name);
    return b;
}

void Select(WaypointListDialog& d, int row) {
    d.List()->setCurrentItem(d.List()->topLevelItem(row));
}

QStringList FirstColumn(WaypointListDialog& d) {
    QStringList out;
    for (int i = 0; i < d.List()->topLevelItemCount(); ++i)
        out << d.List()->topLevelItem(i)->text(0);
    return out;
}

}  // namespace

class WaypointListDialogTest : public QObject {
    Q_OBJECT

    App app;
    mwtest::FakeUi ui;

private slots:
    void init() {
        app.waypoints.ClearWaypoints();
        app.waypoints.Put(0, Waypoint{"Mill", 50.2, 0.3});
        app.waypoints.Put(1, Waypoint{"Nowhere", 0, 0});
        app.waypoints.Put(4, Waypoint{"Deleted", 50.4, 0.6});  // only a name
        app.waypoints.Put(7, Waypoint{"Caf\xC3\xA9", 50.1, 0.1});
        app.waypoints.At(7)->description = "Tea";
        app.ports.ui = &ui;
        ui.messages.clear();
        app.navigation = {};
        app.state.navigationActive = false;
    }

    // The marks, navigation and freeing rules are the core's; here the
    // buttons reach them and the rows show the marks.
    void marksFreeOnOkOnlyAndStopNavigationAtOnce() {
        for (bool ok : {false, true}) {
            init();
            WaypointListDialog d(app, nullptr);
            Select(d, 2);
            Button(d, "ctl1099")->click();  // GoTo
            QVERIFY(app.navigation.target.has_value());
            QCOMPARE(app.navigation.target->waypointIndex, 7);
            Button(d, "ctl1100")->click();
            QCOMPARE(FirstColumn(d), (QStringList{"Mill", "Deleted", "Deleted"}));
            QVERIFY(!app.state.navigationActive);
            QVERIFY(app.waypoints.At(7) != nullptr);  // nothing freed before OK
            Button(d, ok ? "ok" : "cancel")->click();
            QCOMPARE(app.waypoints.At(7) == nullptr, ok);
            // The waypoint called "Deleted" was never marked: it stays.
            QVERIFY(app.waypoints.At(4) != nullptr);
            QVERIFY(!app.state.navigationActive);
        }
    }
};

QTEST_MAIN(WaypointListDialogTest)
#include "waypoint_list_dialog_test.moc"
