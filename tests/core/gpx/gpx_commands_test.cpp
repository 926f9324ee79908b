// "Import GPX..." and "Export GPX..." as the File menu runs them.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/gpx_commands.h"
#include "app/moving_map.h"
#include "gpx/gpx_transfer.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"

namespace {

class GpxCommands : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        app.settings.dataPath = dir.Path();
        // A map on another datum: the commands move positions to and from it.
        app.map.mapLoaded = true;
        app.map.datumIndex = mw::FindDatumByName(app.datums, "Ord Srvy Grt Britn");
        mw::ClearTrack(app.track);
        mw::Waypoint w;
        w.name = "Old";
        w.lat = 50;
        w.lon = -1;
        app.waypoints.Put(0, w);
        app.waypoints.waypointCount = 1;
        app.routes.Assign({{"R", "", 0, {{"P", 50, -1}}}});
    }

    mw::App app;
    mwtest::FakeUi ui;
    mwtest::TempDir dir;
};

TEST_F(GpxCommands, ImportReplacesTheKindsTheFileHoldsAndSaysWhatWasSkipped) {
    dir.Write("in.gpx",
              "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><wpt lat=\"51\" lon=\"-2\">"
              "<name>New</name></wpt><wpt lat=\"\" lon=\"1\"/></gpx>");
    ui.files.push_back(dir.File("in.gpx"));
    ASSERT_TRUE(mw::ExecuteCommand(app, mw::kCmdImportGpx));
    ASSERT_NE(app.waypoints.At(0), nullptr);
    EXPECT_EQ(app.waypoints.At(0)->name, "New");
    // Moved from WGS 84 to the map's datum (about 0.001° here).
    EXPECT_NEAR(app.waypoints.At(0)->lat, 51, 0.003);
    EXPECT_NE(app.waypoints.At(0)->lat, 51);
    EXPECT_EQ(ui.messages, std::vector<std::string>{
                               "1 points skipped: position missing, not a number or out of range"});
    EXPECT_EQ(app.routes.Routes().size(), 1u) << "the file holds no routes: they stay";
}

TEST_F(GpxCommands, ExportThatCannotBeWrittenSaysSo) {
    ui.files.push_back(dir.File("no/such/folder/out.gpx"));
    ASSERT_TRUE(mw::ExecuteCommand(app, mw::kCmdExportGpx));
    EXPECT_EQ(ui.messages, std::vector<std::string>{std::string(mw::kGpxNotWrittenText) + ": " +
                                                    dir.File("no/such/folder/out.gpx") +
                                                    ": No such file or directory"});
}

}  // namespace
