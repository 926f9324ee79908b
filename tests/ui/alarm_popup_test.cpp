// The alarm picture window: the picture appears where the core placed it,
// at its own size, and Escape ends the alarm.
#include <QtTest>
#include <filesystem>

#include "app/alarms.h"
#include "testlib/fake_ui.h"
#include "testlib/image_fixtures.h"
#include "testlib/temp_dir.h"
#include "ui/alarm_popup.h"

using namespace mw;

class AlarmPopupTest : public QObject {
    Q_OBJECT

private slots:
    void showsThePictureWhereTheCorePlacedIt() {
        mwtest::TempDir home;
        std::filesystem::create_directory(home.File("PSymbols"));
        mwtest::BmpContent bmp;
        bmp.width = 30;
        bmp.height = 20;
        bmp.pixels.assign(30 * 20, 0xff0000);
        home.Write("PSymbols/cross.bmp", mwtest::MakeBmpFile(bmp));
        App app;
        mwtest::FakeUi ui;
        std::vector<AlarmEvent> events;
        app.state.programFolder = app.settings.dataPath = home.Path();
        app.state.screenWidth = 400;
        app.state.screenHeight = 500;
        app.state.mapTop = 39;
        app.ports.ui = &ui;
        app.alarms.onEvent = [&](const AlarmEvent& e) { events.push_back(e); };

        QWidget anchor;
        anchor.resize(400, 540);
        anchor.move(50, 60);
        anchor.show();
        AlarmPopup popup(app, &anchor);
        Waypoint w;
        w.name = "Bridge";
        w.lat = 50;
        w.lon = 8;
        w.proximityDistance = 100;
        w.popupPosition = 2;  // upper right of (200, 289)
        w.proximityImage = "cross.bmp";
        app.waypoints.Put(0, w);
        CheckProximity(app, w.lat, w.lon);
        popup.Sync();
        QVERIFY(popup.isVisible());
        QCOMPARE(popup.size(), QSize(30, 20));
        QCOMPARE(popup.pos(), anchor.mapToGlobal(QPoint(200 + 30, 289 - 20 - 30)));
        QTest::keyClick(&popup, Qt::Key_Escape);
        QVERIFY(!popup.isVisible());
        QVERIFY(!app.alarms.popup.shown);
        QCOMPARE(events.back().kind, AlarmEventKind::AlarmEnd);
    }
};

QTEST_MAIN(AlarmPopupTest)
#include "alarm_popup_test.moc"
