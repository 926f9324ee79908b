// The name search as the dialog drives it through the application: the map
// border and the buttons on the map's datum (loading, filtering and what
// each button does are the dialog's tests).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/name_commands.h"
#include "geo/datum_convert.h"
#include "support/text.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"
#include "dbase_writer.h"

using namespace mw;

namespace {

class NameSearch : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        app.state.programFolder = home.Path();
        app.state.userHome = home.Path();
    }
    std::string WritePlaces(const std::string& name = "places.names") {
        mwtest::DbfTable s;
        s.fields = mwtest::GazetteerFields(20);
        s.records = {{"Aberdeen", "PPL", "", "57.15", "-2.11"},
                     {"Ben Nevis", "MT", "", "56.7969", "-5.0036"},
                     {"Edinburgh", "PPL", "", "55.953", "-3.189"}};
        data.Write(name, s.Bytes());
        return data.File(name);
    }
    mwtest::TempDir home, data;
    mwtest::FakeUi ui;
    App app;
};

TEST_F(NameSearch, MapBorderIsConvertedToTheNamesDatum) {
    // Places on Tokyo datum; the map's border on WGS 84. The datums differ by
    // hundreds of metres, so points 20 m either side of the converted border
    // land on the wrong side unless the border is converted.
    const int tokyo = FindDatumByName(app.datums, "Tokyo");
    app.map.mapLoaded = true;
    app.map.datumIndex = kDatumWgs84;
    app.map.borderCount = 4;
    const double lat[] = {35, 36, 36, 35}, lon[] = {139, 139, 140, 140};
    for (int i = 0; i < 4; ++i) {
        app.map.borderLat[i + 1] = lat[i];
        app.map.borderLon[i + 1] = lon[i];
    }
    // The west edge at 35.5 N on Tokyo datum.
    double edgeLat = 35.5, edgeLon = 139;
    ConvertDatum(app.datums, kDatumWgs84, tokyo, edgeLat, edgeLon);
    const double metre = 1.0 / 91000;  // degrees of longitude at 35.5 N
    mwtest::DbfTable s;
    s.fields = mwtest::GazetteerFields(12);
    s.records = {{"INSIDE", "", "", Format("%.7f", edgeLat), Format("%.7f", edgeLon + 20 * metre)},
                 {"OUTSIDE", "", "", Format("%.7f", edgeLat), Format("%.7f", edgeLon - 20 * metre)}};
    data.Write("jp.names", s.Bytes());
    data.Write("jp.types", "DATUM,Tokyo\n");
    ASSERT_TRUE(LoadNamesDatabase(app, data.File("jp.names")));
    ASSERT_GT(std::abs(edgeLon - 139) / metre, 100);  // the shift is real

    NameQuery q = MakeNameQuery(app, "", "All Codes", true, true);
    EXPECT_EQ(FilterNames(app.names.file, q), std::vector<std::uint32_t>{0});
    // "M" without a loaded map filters nothing.
    app.map.mapLoaded = false;
    EXPECT_EQ(FilterNames(app.names.file, MakeNameQuery(app, "", "All Codes", true, true)).size(), 2u);
}

TEST_F(NameSearch, ButtonsActOnThePlaceInTheMapDatum) {
    data.Write("places.types", "DATUM,European 1950\n");
    ASSERT_TRUE(LoadNamesDatabase(app, WritePlaces()));
    // No row selected, or one past the list: every button says so.
    for (auto button : {NameSearchShowOnMap, NameSearchWaypoint, NameSearchGoTo, NameSearchFindMaps}) {
        for (int row : {-1, 3}) {
            ui.messages.clear();
            button(app, row);
            EXPECT_EQ(ui.messages, std::vector<std::string>{"There is no Record selected"}) << row;
        }
    }
    ui.messages.clear();
    app.map.datumIndex = kDatumWgs84;
    double lat = 56.7969, lon = -5.0036;
    ConvertDatum(app.datums, FindDatumByName(app.datums, "European 1950"), kDatumWgs84, lat, lon);

    double shownLat = 0, shownLon = 0;
    app.names.actions.showOnMap = [&](double a, double b) {
        shownLat = a;
        shownLon = b;
    };
    NameSearchShowOnMap(app, 1);
    EXPECT_NEAR(shownLat, lat, 1e-9);
    EXPECT_NEAR(shownLon, lon, 1e-9);
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace

TEST_F(NameSearch, ASideFileThatCannotBeReadIsToldAndAMissingOneIsNot) {
    // No side file: the normal case, nothing to say.
    ASSERT_TRUE(LoadNamesDatabase(app, WritePlaces()));
    EXPECT_TRUE(ui.messages.empty());
    // A FIFO as the side file is refused unread (no wait on a writer) and
    // said with its path; the gazetteer itself still loads.
    const std::string fifo = data.File("fifo.types");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ui.messages.clear();
    ASSERT_TRUE(LoadNamesDatabase(app, WritePlaces("fifo.names")));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(fifo), std::string::npos) << ui.messages[0];
    EXPECT_NE(ui.messages[0].find(kNotRegularFileText), std::string::npos) << ui.messages[0];
}
