// The windows around the map over a running program: the NMEA monitor's
// list and the overview window's size, buttons and taps.
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "image/mwf2_writer.h"
#include "ports/serial_port.h"
#include "testlib/fake_ui.h"
#include "testlib/image_fixtures.h"
#include "testlib/map_file_writer.h"
#include "ui/nmea_monitor_dialog.h"
#include "ui/overview_window.h"

using namespace mw;

namespace {

class NullSerial : public SerialPort {
public:
    SerialOpenResult Open(int, int) override { return SerialOpenResult::Failed; }
    bool IsOpen() const override { return false; }
    SerialReadResult Read(std::uint8_t*, std::size_t, int) override { return {}; }
    bool Write(const std::uint8_t*, std::size_t) override { return false; }
    void Wake() override {}
    void Close() override {}
};

void WriteFile(const QString& path, const std::string& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

// A 3000 × 1500 map, 100 m a pixel, loaded into a started application.
struct LoadedMap {
    QTemporaryDir home, maps;
    mwtest::FakeUi ui;
    App app;

    bool Load() {
        mwtest::CalibrationFileText calib;
        calib.image = "wide.bmp";
        calib.points = {mwtest::PointAt(0, 0, 51.5, 0), mwtest::PointAt(3000, 1500, 50, 3)};
        calib.borderLatLon = mwtest::RectangleBorder(50, 0, 51.5, 3);
        calib.borderPixels = {{0, 0}, {3000, 0}, {3000, 1500}, {0, 1500}};
        calib.scale = 100;
        WriteFile(maps.filePath("wide.map"), calib.Text());
        std::string error;
        if (!WriteMwf2File(maps.filePath("wide.mwf2").toStdString(),
                           mwtest::MakeTiledImage(3000, 1500, {100, 50, 25}), &error))
            return false;
        app.ports.ui = &ui;
        return StartApplication(app, home.path().toStdString(), "/home/u", 480, 640) &&
               LoadMapFile(app, maps.filePath("wide.map").toStdString());
    }
};

}  // namespace

class PanelsTest : public QObject {
    Q_OBJECT

private slots:
    void nmeaMonitorRestartsAfter200Lines() {
        App app;
        NullSerial serial;
        mwtest::FakeClock clock;
        GpsMailboxes mailboxes;
        app.gps.session = std::make_unique<GpsSession>(serial, clock, mailboxes);
        NmeaMonitor& monitor = app.gps.session->monitor;
        {
            NmeaMonitorDialog dialog(app, nullptr);
            QVERIFY(monitor.Snapshot().running);
            for (int i = 1; i <= 201; ++i) monitor.Feed("$GPGGA," + std::to_string(i), 0);
            dialog.Poll();
            QCOMPARE(dialog.List()->count(), 201);  // the 201st is still added
            monitor.Feed("$GPGGA,202", 0);
            dialog.Poll();
            QCOMPARE(dialog.List()->count(), 1);  // the 202nd empties the list first
            dialog.reject();
        }
        QVERIFY(!monitor.Snapshot().running);
    }

    void overviewWindowSizesTapsAndCloses() {
        LoadedMap m;
        QVERIFY(m.Load());
        App& app = m.app;
        app.view.viewMapView = 1;
        OverviewWindow w(app, nullptr);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Refresh();
        auto* larger = w.findChild<QPushButton*>("ctl1141");
        QVERIFY(larger);
        larger->click();
        QCOMPARE(app.view.mapViewSize, 115);
        QCOMPARE(w.size(), QSize(115 + 16, 57 + 16));

        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(8 + 10, 8 + 10));
        // Image pixel (10 × 3000 ÷ 115, 10 × 1500 ÷ 57) = (260, 263), through
        // the position and back, which may round a pixel away.
        QVERIFY(qAbs(app.mapView.centreX - 260) <= 1);
        QVERIFY(qAbs(app.mapView.centreY - 263) <= 1);

        QImage shot = w.grab().toImage();
        QCOMPARE(shot.pixelColor(2, 2), QColor(125, 180, 211));  // the frame
        w.close();
        QCOMPARE(app.view.viewMapView, 0);
    }
};

QTEST_MAIN(PanelsTest)
#include "panels_test.moc"
