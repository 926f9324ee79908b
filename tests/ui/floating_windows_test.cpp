// The scale bar and the overview open inside the map area, out of the way of
// the tool buttons and read-outs, and keep where the user moved them; the
// overview's arrows leave the picture's corners to taps; "Scale" without a
// map shows nothing.
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "testlib/map_file_writer.h"
#include "ui/main_window.h"
#include "ui/map_widget.h"
#include "ui/overview_window.h"
#include "ui/scale_bar_window.h"
#include "view/overview.h"

using namespace mw;

namespace {

struct MapOnScreen {
    QTemporaryDir home, maps;
    std::string mapPath = [this] {
        mwtest::WriteSheetMap(maps.path().toStdString(), "area.map", 50, 0);
        return maps.filePath("area.map").toStdString();
    }();
    App app;
    MainWindow window{app, home.path().toStdString(), home.filePath("user").toStdString()};
    MapOnScreen() {
        window.resize(480, 640);
        window.show();
        window.Start();
    }
    QRect MapArea() const {
        const MapWidget* map = window.findChild<MapWidget*>();
        return QRect(map->mapToGlobal(QPoint(0, 0)), map->size());
    }
};

}  // namespace

class FloatingWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void scaleShowsNothingWithoutAMapThenOpensBottomLeft() {
        MapOnScreen s;
        App& app = s.app;
        QVERIFY(!app.map.mapLoaded);
        if (app.view.viewScale == 0) ExecuteCommand(app, kCmdViewScale);
        QCOMPARE(app.view.viewScale, 1);
        auto* scale = s.window.findChild<ScaleBarWindow*>("scaleWindow");
        QVERIFY(scale);
        QVERIFY(!scale->isVisible());

        QVERIFY(LoadMapFile(app, s.mapPath));
        QTRY_VERIFY(scale->isVisible());
        QTRY_VERIFY(scale->width() > 2);
        const QRect area = s.MapArea();
        QTRY_VERIFY2(area.contains(scale->frameGeometry()),
                     qPrintable(QString("scale %1,%2 outside the map area")
                                    .arg(scale->x())
                                    .arg(scale->y())));
        // The bottom left: in the lower half, the left half.
        QVERIFY(scale->frameGeometry().center().y() > area.center().y());
        QVERIFY(scale->frameGeometry().center().x() < area.center().x());

        // Off again: hidden, and a map closed keeps it so.
        ExecuteCommand(app, kCmdViewScale);
        QTRY_VERIFY(!scale->isVisible());
    }

    void overviewOpensTopRightAndKeepsAMovedPlace() {
        MapOnScreen s;
        App& app = s.app;
        QVERIFY(LoadMapFile(app, s.mapPath));
        if (app.view.viewMapView == 0) ExecuteCommand(app, kCmdViewMapView);
        auto* overview = s.window.findChild<OverviewWindow*>("overviewWindow");
        QVERIFY(overview);
        QTRY_VERIFY(overview->isVisible());
        const QRect area = s.MapArea();
        QTRY_VERIFY(area.contains(overview->frameGeometry()));
        QVERIFY(overview->frameGeometry().center().y() < area.center().y());
        QVERIFY(overview->frameGeometry().center().x() > area.center().x());

        // Moved by the user: kept, and used the next time it opens.
        overview->move(area.left() + 20, area.top() + 30);
        QTRY_COMPARE(app.view.mapViewPosX, area.left() + 20);
        QCOMPARE(app.view.mapViewPosY, area.top() + 30);
        ExecuteCommand(app, kCmdViewMapView);
        QTRY_VERIFY(!overview->isVisible());
        ExecuteCommand(app, kCmdViewMapView);
        overview = s.window.findChild<OverviewWindow*>("overviewWindow");
        QTRY_VERIFY(overview->isVisible());
        QTRY_COMPARE(overview->pos(), QPoint(area.left() + 20, area.top() + 30));
    }

    void theArrowsLeaveThePictureCornersToTaps() {
        MapOnScreen s;
        App& app = s.app;
        QVERIFY(LoadMapFile(app, s.mapPath));
        if (app.view.viewMapView == 0) ExecuteCommand(app, kCmdViewMapView);
        auto* overview = s.window.findChild<OverviewWindow*>("overviewWindow");
        QVERIFY(overview);
        QVERIFY(QTest::qWaitForWindowExposed(overview));
        const OverviewGeometry& g = app.overview.geometry;
        QVERIFY(g.Valid());
        const Rect pic = OverviewPictureRect(g.ClientWidth(), g.ClientHeight());
        const QRect picture(pic.left, pic.top, pic.Width(), pic.Height());
        for (const char* name : {"ctl1140", "ctl1141"}) {
            auto* b = overview->findChild<QPushButton*>(name);
            QVERIFY(b);
            QVERIFY2(!b->geometry().intersects(picture), name);
        }

        // Each corner of the picture, just inside it: the view centre moves
        // towards it and the overview keeps its size.
        const int size = app.view.mapViewSize;
        const int in = 6;
        const QPoint corners[] = {picture.topLeft() + QPoint(in, in),
                                  picture.topRight() + QPoint(-in, in),
                                  picture.bottomLeft() + QPoint(in, -in),
                                  picture.bottomRight() + QPoint(-in, -in)};
        for (const QPoint& at : corners) {
            const int beforeX = app.mapView.centreX, beforeY = app.mapView.centreY;
            QTest::mouseClick(overview, Qt::LeftButton, {}, at);
            QCOMPARE(app.view.mapViewSize, size);
            QVERIFY2(app.mapView.centreX != beforeX || app.mapView.centreY != beforeY,
                     qPrintable(QString("tap at %1,%2 did not recentre").arg(at.x()).arg(at.y())));
        }
        // Bottom right tapped last: the centre is in the map's bottom right.
        QVERIFY(app.mapView.centreX > g.width * g.scaleX / 2);
        QVERIFY(app.mapView.centreY > g.height * g.scaleY / 2);
    }
};

QTEST_MAIN(FloatingWindowsTest)
#include "floating_windows_test.moc"
