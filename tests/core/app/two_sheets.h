// Two neighbouring sheets, each 1000 × 500 pixels for 1° × 0.5° (west: 50..50.5
// N, 0..1 E; east: 1..2 E) with images, found through the map folder; the
// program started on a 400 × 300 window with the western sheet loaded.
#pragma once

#include <gtest/gtest.h>

#include "app/app.h"
#include "app/map_commands.h"
#include "testlib/fake_ui.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"

template <class Ui = mwtest::FakeUi>
class TwoSheets : public ::testing::Test {
protected:
    void SetUp() override {
        mwtest::WriteSheetMap(maps.Path(), "west.map", 50, 0);
        mwtest::WriteSheetMap(maps.Path(), "east.map", 50, 1);
        app.ports.ui = &ui;
        app.ports.clock = &clock;
        home.Write("Mapwanderer1.ini",
                   "Position Format,Deg.Min\r\nNMEA Datum,WGS 84\r\nFile Path 1,\r\n"
                   "File Path 2,\r\nMap Path 1," + maps.Path() + "\r\n");
        ASSERT_TRUE(mw::StartApplication(app, home.Path(), home.File("user"), 400, 300));
        ASSERT_TRUE(mw::LoadMapFile(app, maps.File("west.map")));
        ASSERT_TRUE(app.viewport.HasImage());
        ui.messages.clear();
        ui.repaints.clear();
    }

    mwtest::TempDir home, maps, data;
    Ui ui;
    mwtest::FakeClock clock;
    mw::App app;
};
