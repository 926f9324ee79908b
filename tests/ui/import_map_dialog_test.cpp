// The "Import Map…" dialog: an import writes both files into the chosen
// folder, and Stop leaves the folder as it was (no part of a map, no
// temporary file).
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "app/app.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "ui/import_map_dialog.h"

using namespace mw;

namespace {

// A UTM GeoTIFF of `size` × `size` pixels with a ramp in it (so that its
// colours are many and the encode takes a while).
void WriteGeoTiff(const std::string& path, int size) {
    GDALAllRegister();
    GDALDriver* gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
    GDALDataset* ds = gtiff->Create(path.c_str(), size, size, 3, GDT_Byte, nullptr);
    double gt[6] = {500000, 1, 0, 5200000, 0, -1};
    ds->SetGeoTransform(gt);
    OGRSpatialReference srs;
    srs.importFromEPSG(32632);
    ds->SetSpatialRef(&srs);
    std::vector<GByte> row(static_cast<std::size_t>(size));
    for (int b = 1; b <= 3; ++b)
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) row[x] = static_cast<GByte>((x * b + y) & 0xff);
            (void)ds->GetRasterBand(b)->RasterIO(GF_Write, 0, y, size, 1, row.data(), size, 1,
                                                 GDT_Byte, 0, 0);
        }
    GDALClose(ds);
}

QStringList Files(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

}  // namespace

class ImportMapDialogTest : public QObject {
    Q_OBJECT

private slots:
    void importsIntoTheFolder() {
        mwtest::TempDir dir;
        WriteGeoTiff(dir.File("sheet.tif"), 64);
        QDir().mkpath(QString::fromStdString(dir.File("maps")));
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        ImportMapDialog dialog(app);
        dialog.SetInput(QString::fromStdString(dir.File("sheet.tif")));
        dialog.SetFolder(QString::fromStdString(dir.File("maps")));
        QSignalSpy done(&dialog, &ImportMapDialog::importFinished);
        dialog.Start();
        QVERIFY(done.wait(30000));
        QVERIFY2(dialog.LastOutcome().ok, dialog.LastOutcome().message.c_str());
        QCOMPARE(Files(QString::fromStdString(dir.File("maps"))),
                 QStringList({"sheet.map", "sheet.mwf2"}));
        QVERIFY(dialog.findChild<QLabel*>("importStatus")->text().contains("sheet.map"));
    }

    void stopLeavesNothing() {
        mwtest::TempDir dir;
        WriteGeoTiff(dir.File("big.tif"), 3000);
        const QString maps = QString::fromStdString(dir.File("maps"));
        QDir().mkpath(maps);
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        ImportMapDialog dialog(app);
        dialog.SetInput(QString::fromStdString(dir.File("big.tif")));
        dialog.SetFolder(maps);
        QSignalSpy done(&dialog, &ImportMapDialog::importFinished);
        dialog.Start();
        dialog.Stop();
        QVERIFY(done.wait(60000));
        QVERIFY(!dialog.LastOutcome().ok);
        QVERIFY(dialog.LastOutcome().stopped);
        QCOMPARE(Files(maps), QStringList());
    }
};

QTEST_MAIN(ImportMapDialogTest)
#include "import_map_dialog_test.moc"
