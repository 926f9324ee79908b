// "Calibrate Map…": taps and typed positions reach the core's model, Save
// stays grey with its reason until the points fix a calibration, the worst
// point is marked in the list, Cancel writes nothing, Save writes the pair
// the catalogue finds, and an opened file comes back with its points.
//
// With MW_SHOTS_DIR set (run under Xvfb with QT_QPA_PLATFORM=xcb) the
// screenshots slot also saves the screen while the third point is placed
// and with the residual list showing; MW_SHOTS_PICTURE and MW_SHOTS_POINTS
// ("x,y,position;...") choose the picture and points.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

#include "app/app.h"
#include "map/coverage.h"
#include "ports/std_file_system.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "ui/calibrate_dialog.h"

using namespace mw;

namespace {

// The truth of the test picture: 800 x 600 pixels, 54.51 N 3.085 W at the
// top left, 2e-5 degrees of latitude and 3e-5 of longitude a pixel.
QString At(int x, int y) {
    return QString("%1,%2").arg(54.51 - 2e-5 * y, 0, 'f', 8).arg(-3.085 + 3e-5 * x, 0, 'f', 8);
}

QString WritePicture(const mwtest::TempDir& dir) {
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(QColor(240, 235, 220));
    QPainter p(&image);
    p.setPen(QPen(QColor(60, 120, 200), 2));
    for (int x = 0; x < 800; x += 100) p.drawLine(x, 0, x, 600);
    for (int y = 0; y < 600; y += 100) p.drawLine(0, y, 800, y);
    p.setPen(QPen(QColor(200, 60, 40), 5));
    p.drawLine(0, 600, 800, 0);
    p.end();
    const QString path = QString::fromStdString(dir.File("scan.png"));
    image.save(path);
    return path;
}

QStringList Names(const std::string& folder) {
    return QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::NoDotAndDotDot);
}

}  // namespace

class CalibrateDialogTest : public QObject {
    Q_OBJECT

private slots:
    void placingPointsAndSaving() {
        mwtest::TempDir dir;
        QDir().mkpath(QString::fromStdString(dir.File("maps")));
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        app.settings.mapPath[0] = dir.File("maps");
        const QString picture = WritePicture(dir);

        CalibrateDialog d(app);
        auto* save = d.findChild<QPushButton*>("saveButton");
        auto* reason = d.findChild<QLabel*>("saveReason");
        QVERIFY(!save->isEnabled());
        QVERIFY(d.LoadPicture(picture));
        QCOMPARE(d.Edit().imageWidth, 800);
        QVERIFY(!save->isEnabled());
        QCOMPARE(reason->text().toStdString(), std::string(kTooFewPointsText));

        d.PlacePoint(100, 80);
        d.SetPointText(0, At(100, 80));
        d.PlacePoint(700, 520);
        d.SetPointText(1, "not a place");
        QVERIFY(!save->isEnabled());
        // The field says which format it expected.
        QVERIFY(d.findChild<QLabel*>("positionError")->text().contains("not a position in"));
        d.SetPointText(1, At(700, 520));
        QVERIFY(save->isEnabled());
        // Four more points; the fifth, in the middle, is placed 40 px off.
        d.PlacePoint(650, 90);
        d.SetPointText(2, At(650, 90));
        d.PlacePoint(160, 500);
        d.SetPointText(3, At(160, 500));
        d.PlacePoint(400, 300);
        d.SetPointText(4, At(360, 300));
        d.PlacePoint(300, 150);
        d.SetPointText(5, At(300, 150));
        QCOMPARE(d.Fit().worst, 4);
        auto* table = d.findChild<QTableWidget*>("residualTable");
        QCOMPARE(table->rowCount(), 6);
        QVERIFY(table->item(4, 0)->font().bold());
        QVERIFY(!table->item(0, 0)->font().bold());
        QVERIFY(d.Fit().rmsPixels > 5);
        // A click on the switch column turns the point off.
        emit table->cellClicked(4, 1);
        QVERIFY(!d.Edit().points[4].on);
        QVERIFY(d.Fit().rmsPixels < 1);

        // Dragging a point moves it.
        d.MovePoint(4, 360, 300);
        QCOMPARE(d.Edit().points[4].x, 360);

        QVERIFY(d.Save());
        const std::string mapPath = dir.File("maps/scan.map");
        QCOMPARE(d.SavedMapPath().toStdString(), mapPath);
        QVERIFY(Names(dir.File("maps")).contains("scan.mwf2"));
        // The catalogue finds the new map for a place on it.
        StdFileSystem files;
        QVERIFY(MapCoversPosition(files, mapPath, 54.505, -3.07, kDatumWgs84, app.datums, nullptr));

        // Opened again: the points come back, the switched-off one off.
        CalibrateDialog again(app);
        QVERIFY(again.OpenCalibration(QString::fromStdString(mapPath)));
        QCOMPARE(again.Edit().points.size(), std::size_t(6));
        QVERIFY(!again.Edit().points[4].on);
        QCOMPARE(again.Edit().points[4].x, 360);
        QCOMPARE(again.Edit().imageWidth, 800);
        again.SetPointOn(4, true);
        QVERIFY(again.Save());
    }

    void cancelWritesNothing() {
        mwtest::TempDir dir;
        QDir().mkpath(QString::fromStdString(dir.File("maps")));
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        app.settings.mapPath[0] = dir.File("maps");
        const QString picture = WritePicture(dir);
        {
            CalibrateDialog d(app);
            QVERIFY(d.LoadPicture(picture));
            d.PlacePoint(100, 80);
            d.SetPointText(0, At(100, 80));
            d.PlacePoint(700, 520);
            d.SetPointText(1, At(700, 520));
            d.findChild<QPushButton*>("cancelButton")->click();
            QCOMPARE(d.result(), int(QDialog::Rejected));
        }
        QVERIFY(Names(dir.File("maps")).isEmpty());
    }

    void screenshots() {
        const QByteArray shots = qgetenv("MW_SHOTS_DIR");
        if (shots.isEmpty()) QSKIP("MW_SHOTS_DIR not set");
        mwtest::TempDir dir;
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        app.settings.mapPath[0] = dir.File("maps");
        QString picture = QString::fromLocal8Bit(qgetenv("MW_SHOTS_PICTURE"));
        if (picture.isEmpty()) picture = WritePicture(dir);
        QStringList points = QString::fromLocal8Bit(qgetenv("MW_SHOTS_POINTS")).split(';', Qt::SkipEmptyParts);
        if (points.isEmpty())
            points = {"100,80," + At(100, 80), "700,520," + At(700, 520), "650,90," + At(650, 90),
                      "160,500," + At(160, 500), "400,300," + At(360, 300), "300,150," + At(300, 150)};
        const QString size = QString::number(QGuiApplication::primaryScreen()->size().width()) + "x" +
                             QString::number(QGuiApplication::primaryScreen()->size().height());
        auto shoot = [&](const QString& name) {
            QTest::qWait(300);
            QGuiApplication::primaryScreen()->grabWindow(0).save(QString(shots) + "/" + name + "-" + size + ".png");
        };

        CalibrateDialog d(app);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(d.LoadPicture(picture));
        for (int i = 0; i < points.size(); ++i) {
            const QStringList f = points[i].split(',');
            const int x = f[0].toInt(), y = f[1].toInt();
            if (i == 2) {
                // The third point: centred, zoomed in, the loupe under the
                // finger as the tap lands.
                d.View()->ZoomBy(2.0);
                d.View()->CentreOn(QPointF(x, y));
                d.PlacePoint(x, y);
                d.View()->ShowLoupeAt(QPointF(x + 0.5, y + 0.5));
                d.SetPointText(i, f.mid(2).join(','));
                shoot("third-point");
            } else {
                d.PlacePoint(x, y);
                d.SetPointText(i, f.mid(2).join(','));
            }
        }
        d.View()->HideLoupe();
        d.View()->FitWhole();
        // The residual list in sight, with the worst point marked.
        auto* table = d.findChild<QTableWidget*>("residualTable");
        if (auto* area = d.findChild<QScrollArea*>("calibrateControls"))
            area->verticalScrollBar()->setValue(table->y() - 4);
        if (d.Fit().worst >= 0) table->scrollToItem(table->item(d.Fit().worst, 0));
        shoot("residuals");
    }
};

QTEST_MAIN(CalibrateDialogTest)
#include "calibrate_dialog_test.moc"
