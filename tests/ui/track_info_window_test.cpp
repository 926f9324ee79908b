// The "Track Info" window: what it measures, following the recording, the
// axes, a tap on the graph, and that it fits a 240 × 320 screen.
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>
#include <QtTest>

#include "app/app.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "ui/track_info_window.h"

using namespace mw;

namespace {

QString Figure(TrackInfoWindow& w, const QString& label) {
    auto* table = w.findChild<QTableWidget*>("trackFigures");
    for (int r = 0; r < table->rowCount(); ++r)
        if (table->item(r, 0)->text() == label) return table->item(r, 1)->text();
    return {};
}

}  // namespace

class TrackInfoWindowTest : public QObject {
    Q_OBJECT

private slots:
    void followsTheTrackOnTheMap() {
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        ClearTrack(app.track);
        AddTrackPoint(app.track, 50, 0, kTrackNewSegment);
        AddTrackPoint(app.track, 50.01, 0, kTrackContinue);
        TrackInfoWindow w(app, nullptr);
        w.show();
        QCOMPARE(w.Track().source, TrackInfoSource::Map);
        QCOMPARE(w.Stats().points, 2);
        QCOMPARE(Figure(w, "Times"), QString("none: distance and heights only"));
        const QString before = Figure(w, "Distance");
        // The recording goes on: the next look picks it up.
        AddTrackPoint(app.track, 50.02, 0, kTrackContinue);
        w.Follow();
        QCOMPARE(w.Stats().points, 3);
        QVERIFY(Figure(w, "Distance") != before);
    }

    void fileWithTimesAxesAndTap() {
        mwtest::TempDir dir;
        dir.Write("walk.gpx",
                  "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\" "
                  "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>"
                  "<trkpt lat=\"46.0\" lon=\"7\"><ele>500</ele><time>2024-05-07T10:00:00Z</time></trkpt>"
                  "<trkpt lat=\"46.001\" lon=\"7\"><ele>510</ele><time>2024-05-07T10:01:00Z</time></trkpt>"
                  "<trkpt lat=\"46.002\" lon=\"7\"><ele>530</ele><time>2024-05-07T10:02:00Z</time></trkpt>"
                  "<trkpt lat=\"46.003\" lon=\"7\"><ele>560</ele><time>2024-05-07T10:03:00Z</time></trkpt>"
                  "</trkseg></trk></gpx>");
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        ui.files.push_back(dir.File("walk.gpx"));
        TrackInfoWindow w(app, nullptr);
        w.resize(400, 500);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* source = w.findChild<QComboBox*>("trackSource");
        source->activated(2);  // "File": asks for the file
        QCOMPARE(ui.requestTitles.back(), std::string(kTrackInfoOpenTitle));
        QCOMPARE(w.Track().source, TrackInfoSource::File);
        QCOMPARE(source->currentText(), QString("walk.gpx"));
        QCOMPARE(w.Stats().points, 4);
        QCOMPARE(Figure(w, "Elapsed"), QString("0:03:00"));
        QCOMPARE(Figure(w, "Highest"), QString("560 m"));
        QCOMPARE(w.Profile().yAxis, ProfileY::Elevation);
        w.findChild<QComboBox*>("profileY")->setCurrentIndex(1);
        w.findChild<QComboBox*>("profileX")->setCurrentIndex(1);
        QCOMPARE(w.Profile().yAxis, ProfileY::Speed);
        QCOMPARE(w.Profile().xAxis, ProfileX::Time);
        QCOMPARE(static_cast<int>(w.Profile().samples.size()), 4);

        // A tap at the far right of the graph marks the last sample.
        auto* graph = w.findChild<QWidget*>("trackProfile");
        QVERIFY(w.TapGraph(graph->width() - 1));
        QVERIFY(w.Marked());
        QCOMPARE(*w.Marked(), std::size_t{3});
        QVERIFY(w.findChild<QLabel*>("profileReadout")->text().startsWith("0:03:00: "));
        // Cancelling the file request keeps what was shown.
        source->activated(2);
        QCOMPARE(w.Track().source, TrackInfoSource::File);
        QCOMPARE(w.Stats().points, 4);
    }

    void fitsASmallScreen() {
        App app;
        mwtest::FakeUi ui;
        app.ports.ui = &ui;
        TrackInfoWindow w(app, nullptr);
        const QSize least = w.minimumSizeHint();
        QVERIFY2(least.width() <= 240 && least.height() <= 320,
                 qPrintable(QString("%1 x %2").arg(least.width()).arg(least.height())));
        w.resize(240, 320);
        w.show();
        QVERIFY(w.findChild<QWidget*>("trackProfile")->height() >= 90);
    }
};

QTEST_MAIN(TrackInfoWindowTest)
#include "track_info_window_test.moc"
