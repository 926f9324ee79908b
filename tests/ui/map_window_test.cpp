#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include "app/app.h"
#include "app/commands.h"
#include "app/map_commands.h"
#include "testlib/map_file_writer.h"
#include "ui/main_window.h"
#include "paint/map_painter.h"
#include "ui/map_widget.h"

using namespace mw;

namespace {

QStringList MenuTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << a->text();
    return out;
}

// A started 480 × 640 main window with a home of its own, and a 1000 × 500
// map with its tiled image of three levels ready to load.
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
};

}  // namespace

class MapWindowTest : public QObject {
    Q_OBJECT

private slots:
    void aLoadedMapIsPaintedAndZoomedFromTheMenu() {
        MapOnScreen s;
        App& app = s.app;
        MainWindow& w = s.window;
        QVERIFY(LoadMapFile(app, s.mapPath));
        QVERIFY(app.viewport.HasImage());

        QMenu* zoom = w.findChild<QMenu*>("zoom");
        QCOMPARE(MenuTexts(zoom), (QStringList{"Full Map", "25 %", "50 %", "100 %", "125 %",
                                               "150 %", "200 %", "250 %", "500 %", "1000 %"}));
        // The tool buttons that share the zoom menu's actions keep them.
        QVERIFY(w.Action(kCmdFullMap));
        QVERIFY(w.ToolPanel()->actions().contains(w.Action(kCmdFullMap)));

        // The window shows the view bitmap 1:1 at 100 %, apart from the zoom
        // caption and the cursor cross drawn over it.
        QImage shot = w.Map()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage view = ViewQImage(app.viewport).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), view.size());
        const int cx = app.mapView.halfWidth, cy = app.mapView.halfHeight;
        for (QImage* img : {&shot, &view}) {
            QPainter p(img);
            p.fillRect(QRect(0, 0, 70, 22), Qt::black);
            p.fillRect(QRect(cx - 13, cy - 13, 27, 27), Qt::black);
        }
        QCOMPARE(shot, view);

        zoom->actions()[2]->trigger();  // "50 %"
        QCOMPARE(app.viewport.zoomTable[app.mapView.zoomIndex].label, std::string("50 %"));
        w.Action(kCmdZoomIn)->trigger();
        QCOMPARE(app.viewport.zoomTable[app.mapView.zoomIndex].label, std::string("100 %"));

        // At 100 % a tap and an arrow key move the centre by window pixels.
        int x = app.mapView.centreX;
        QTest::mouseClick(w.Map(), Qt::LeftButton, {},
                          QPoint(app.mapView.halfWidth + 20, app.mapView.halfHeight));
        QCOMPARE(app.mapView.centreX, x + 20);
        QTest::keyClick(&w, Qt::Key_Left);
        QCOMPARE(app.mapView.centreX, x + 20 - app.mapView.halfWidth);
    }
};

QTEST_MAIN(MapWindowTest)
#include "map_window_test.moc"
