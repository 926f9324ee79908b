// The alarm picture window: the picture appears where the core placed it,
// at its own size, and Escape ends the alarm.
#include <QTemporaryDir>
#include <QtTest>

#include "app/alarms.h"
#include "testlib/fake_ui.h"
#include "testlib/image_fixtures.h"
#include "ui/alarm_popup.h"

using namespace mw;

namespace {

void WriteFile(const QString& path, const std::string& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace

class AlarmPopupTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    App app;
    mwtest::FakeUi ui;
    std::vector<AlarmEvent> events;

    // Raises the alarm of a waypoint with a 30 × 20 picture, popup position
    // `position`, and returns the slot.
    int Raise(int position) {
        const int slot = app.waypoints.FindFreeSlot();
        Waypoint w;
        w.name = "Bridge";
        w.lat = 50 + slot * 0.1;
        w.lon = 8;
        w.proximityDistance = 100;
        w.popupPosition = position;
        w.proximityImage = "cross.bmp";
        app.waypoints.Put(slot, w);
        CheckProximity(app, w.lat, w.lon);
        return slot;
    }

private slots:
    void init() {
        QVERIFY(home.isValid());
        QDir(home.path()).mkpath("PSymbols");
        mwtest::BmpContent bmp;
        bmp.width = 30;
        bmp.height = 20;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) bmp.pixels.push_back(x < 15 ? 0xff0000 : 0x0000ff);
        WriteFile(home.filePath("PSymbols/cross.bmp"), mwtest::MakeBmpFile(bmp));
        app.state.programFolder = home.path().toStdString();
        app.settings.dataPath = home.path().toStdString();
        app.state.screenWidth = 400;
        app.state.screenHeight = 500;
        app.state.mapTop = 39;
        app.ports.ui = &ui;
        app.alarms.onEvent = [this](const AlarmEvent& e) { events.push_back(e); };
    }

    void showsThePictureWhereTheCorePlacedIt() {
        QWidget anchor;
        anchor.resize(400, 540);
        anchor.move(50, 60);
        anchor.show();
        AlarmPopup popup(app, &anchor);
        Raise(2);  // upper right of (200, 289)
        popup.Sync();
        QVERIFY(popup.isVisible());
        QCOMPARE(popup.size(), QSize(30, 20));
        QCOMPARE(popup.pos(), anchor.mapToGlobal(QPoint(200 + 30, 289 - 20 - 30)));
        // Escape ends the alarm early.
        QTest::keyClick(&popup, Qt::Key_Escape);
        QVERIFY(!popup.isVisible());
        QVERIFY(!app.alarms.popup.shown);
        QCOMPARE(events.back().kind, AlarmEventKind::AlarmEnd);
    }
};

QTEST_MAIN(AlarmPopupTest)
#include "alarm_popup_test.moc"
