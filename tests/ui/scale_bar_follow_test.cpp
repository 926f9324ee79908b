// The floating scale bar follows the view: a zoom, another map and another
// distance unit each show the bar for the view as it now is, without a tap.
#include <QTemporaryDir>
#include <QtTest>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "app/panels.h"
#include "image/mwf2_writer.h"
#include "testlib/image_fixtures.h"
#include "testlib/map_file_writer.h"
#include "ui/main_window.h"
#include "ui/scale_bar_window.h"

using namespace mw;

class ScaleBarFollowTest : public QObject {
    Q_OBJECT

private slots:
    void theBarFollowsZoomMapAndUnit() {
        QTemporaryDir home, maps;
        // A sheet of 100 m a pixel with levels 100, 50 and 25 %, and a
        // coarser one beside it, 400 m a pixel.
        const std::string folder = maps.path().toStdString();
        mwtest::WriteSheetMap(folder, "area.map", 50, 0);
        mwtest::CalibrationFileText coarse;
        coarse.image = "next.bmp";
        coarse.points = {mwtest::PointAt(0, 0, 50.5, 1), mwtest::PointAt(1000, 500, 50, 2)};
        coarse.borderLatLon = mwtest::RectangleBorder(50, 1, 50.5, 2);
        coarse.borderPixels = {{0, 0}, {1000, 0}, {1000, 500}, {0, 500}};
        coarse.scale = 400;
        {
            QFile f(maps.filePath("next.map"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray::fromStdString(coarse.Text()));
        }
        QVERIFY(WriteMwf2File(folder + "/next.mwf2",
                              mwtest::MakeTiledImage(1000, 500, {100, 50, 25}), nullptr));
        App app;
        MainWindow w{app, home.path().toStdString(), home.filePath("user").toStdString()};
        w.resize(480, 640);
        w.show();
        w.Start();
        QVERIFY(LoadMapFile(app, maps.filePath("area.map").toStdString()));
        if (app.view.viewScale == 0) ExecuteCommand(app, kCmdViewScale);
        auto* scale = w.findChild<ScaleBarWindow*>("scaleWindow");
        QVERIFY(scale);
        QVERIFY(QTest::qWaitForWindowExposed(scale));
        QCOMPARE(app.mapView.zoom, 1.0);
        QTRY_COMPARE(QString::fromStdString(scale->Bar().label), QString("5 Km"));

        // 100 % to 25 %: 50 pixels are 20 km now.
        ExecuteCommand(app, kCmdZoomOut);
        ExecuteCommand(app, kCmdZoomOut);
        QCOMPARE(app.mapView.zoom, 4.0);
        QTRY_COMPARE(QString::fromStdString(scale->Bar().label), QString("20 Km"));
        QTRY_COMPARE(scale->width(), ScaleWindowWidth(scale->Bar()));

        // Another map, four times coarser, at the same 25 %: 50 pixels are
        // 80 km, so the bar takes the 50 km step.
        QVERIFY(LoadMapFile(app, maps.filePath("next.map").toStdString()));
        QCOMPARE(app.mapView.zoom, 4.0);
        QTRY_COMPARE(QString::fromStdString(scale->Bar().label), QString("50 Km"));

        // Miles: the "Units" dialog repaints the map window when it closes.
        app.settings.distanceUnit = 1;
        w.Repaint(WindowId::Map);
        QTRY_COMPARE(QString::fromStdString(scale->Bar().label),
                     QString::fromStdString(ScaleBarFrom(app).label));
        QVERIFY(!QString::fromStdString(scale->Bar().label).endsWith("Km"));
    }
};

QTEST_MAIN(ScaleBarFollowTest)
#include "scale_bar_follow_test.moc"
