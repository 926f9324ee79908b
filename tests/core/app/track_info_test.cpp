// The Track Info window's core: the command, the sources it measures, the
// figures in the user's units and a point shown on the map.
#include "app/data_folder.h"
#include "app/track_info.h"

#include <gtest/gtest.h>

#include "app/commands.h"
#include "app/moving_map.h"
#include "geo/datum_convert.h"
#include "track/track_file.h"
#include "two_sheets.h"

namespace {

class DialogUi : public mwtest::FakeUi {
public:
    void OpenDialog(mw::DialogId dialog, int) override { dialogs.push_back(dialog); }
    std::vector<mw::DialogId> dialogs;
};

using TrackInfo = TwoSheets<DialogUi>;

TEST_F(TrackInfo, CommandOpensTheWindowFromTheViewMenu) {
    ASSERT_TRUE(mw::ExecuteCommand(app, mw::kCmdTrackInfo));
    EXPECT_EQ(ui.dialogs, std::vector<mw::DialogId>{mw::DialogId::TrackInfo});
    EXPECT_EQ(mw::CommandText(mw::kCmdTrackInfo), "Track Info");
}

TEST_F(TrackInfo, SourcesMapLogAndFile) {
    app.settings.dataPath = data.Path();
    mw::ClearTrack(app.track);
    mw::AddTrackPoint(app.track, 50.1, 0.1, mw::kTrackNewSegment);
    mw::AddTrackPoint(app.track, 50.2, 0.1, mw::kTrackContinue);
    // Without the moving map the window opens on the map's track.
    EXPECT_EQ(mw::DefaultTrackInfoSource(app), mw::TrackInfoSource::Map);
    const mw::TrackInfoTrack onMap = mw::LoadTrackInfo(app, mw::TrackInfoSource::Map);
    ASSERT_EQ(onMap.points.size(), 2u);
    EXPECT_EQ(onMap.datum, app.map.datumIndex);
    EXPECT_TRUE(onMap.problem.empty());

    // The log: a recorded fix carries its time and height.
    int newSegment = 0;
    const std::string log = mw::TrackLogPath(mw::DataFolder(app));
    ASSERT_TRUE(mw::AppendTrackLog(log, 50.1, 0.1, "070524", "100000", 328, newSegment));
    ASSERT_TRUE(mw::AppendTrackLog(log, 50.11, 0.1, "070524", "100100", 656, newSegment));
    const mw::TrackInfoTrack logged = mw::LoadTrackInfo(app, mw::TrackInfoSource::Log);
    ASSERT_EQ(logged.points.size(), 2u);
    EXPECT_EQ(logged.path, log);
    EXPECT_TRUE(logged.points[1].time);
    EXPECT_EQ(logged.datum, mw::kDatumWgs84);
    // While the moving map runs, the log is what is being recorded.
    app.mapView.following = true;
    EXPECT_EQ(mw::DefaultTrackInfoSource(app), mw::TrackInfoSource::Log);
    app.mapView.following = false;

    const mw::TrackInfoTrack missing =
        mw::LoadTrackInfo(app, mw::TrackInfoSource::File, data.File("none.gpx"));
    EXPECT_TRUE(missing.points.empty());
    EXPECT_NE(missing.problem.find("none.gpx"), std::string::npos) << missing.problem;
}

TEST(TrackInfoLines, FiguresInTheUsersUnits) {
    mw::TrackStats s;
    s.points = 3;
    s.segments = 1;
    s.distanceMetres = 12345;
    s.startTime = 1715076000;  // 2024-05-07 10:00:00
    s.endTime = 1715076000 + 3725;
    s.elapsedSeconds = 3725;
    s.movingSeconds = 3600;
    s.averageKmh = 11.93;
    s.movingAverageKmh = 12.345;
    s.maxKmh = 20;
    s.ascentMetres = 300;
    s.descentMetres = 100;
    s.highestMetres = 1300;
    s.lowestMetres = 1000;
    mw::AppSettings metric;
    auto text = [](const std::vector<mw::TrackInfoLine>& lines) {
        std::string t;
        for (const auto& l : lines) t += l.label + "=" + l.value + ";";
        return t;
    };
    EXPECT_EQ(text(mw::TrackInfoLines(s, metric)),
              "Points=3;Segments=1;Distance=12.35 km;Date=2024-05-07;Start=10:00:00 UTC;"
              "End=11:02:05 UTC;Elapsed=1:02:05;Moving=1:00:00;Average=11.9 km/h;"
              "Moving avg.=12.3 km/h;Max speed=20.0 km/h;Ascent=300 m;Descent=100 m;"
              "Highest=1300 m;Lowest=1000 m;");
    // Past midnight the end carries its date.
    s.endTime = *s.startTime + 86400;
    EXPECT_NE(text(mw::TrackInfoLines(s, metric)).find("End=2024-05-08 10:00:00 UTC;"),
              std::string::npos);
    mw::AppSettings imperial;
    imperial.speedUnit = 1;
    imperial.distanceUnit = 1;
    imperial.altitudeUnit = 1;
    const std::string t = text(mw::TrackInfoLines(s, imperial));
    EXPECT_NE(t.find("Distance=7.67 mi"), std::string::npos) << t;
    EXPECT_NE(t.find("Max speed=12.4 mph"), std::string::npos) << t;
    EXPECT_NE(t.find("Highest=4265 ft"), std::string::npos) << t;
    imperial.speedUnit = 2;
    EXPECT_NE(text(mw::TrackInfoLines(s, imperial)).find("Max speed=10.8 kn"), std::string::npos);

    // No times, no heights: said, not left blank.
    mw::TrackStats bare;
    bare.points = 2;
    bare.segments = 1;
    bare.distanceMetres = 500;
    EXPECT_EQ(text(mw::TrackInfoLines(bare, metric)),
              "Points=2;Segments=1;Distance=500 m;Times=none: distance and heights only;"
              "Heights=none;");
}

TEST_F(TrackInfo, TappedPointIsShownOnTheMapWithTheCross) {
    mw::TrackInfoTrack t;
    t.datum = mw::kDatumWgs84;
    t.points.resize(2);
    t.points[1].lat = 50.25;
    t.points[1].lon = 0.5;
    ASSERT_TRUE(mw::ShowTrackPointOnMap(app, t, 1));
    ASSERT_TRUE(app.mapView.centre);  // the cursor cross marks the chosen centre
    double lat = 50.25, lon = 0.5;
    mw::ConvertDatum(app.datums, mw::kDatumWgs84, app.map.datumIndex, lat, lon);
    EXPECT_NEAR(app.mapView.centre->lat, lat, 1e-9);
    EXPECT_NEAR(app.mapView.centre->lon, lon, 1e-9);
    EXPECT_FALSE(mw::ShowTrackPointOnMap(app, t, 2));
    EXPECT_FALSE(mw::ShowTrackPointOnMap(app, t, -1));
}

}  // namespace
