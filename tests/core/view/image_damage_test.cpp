// Where a map's image is looked for, and a map image damaged while it is
// open: the damage is handed up once per opening, and the view goes on
// drawing with the damaged parts as background.
#include <filesystem>

#include <gtest/gtest.h>

#include "image/mwf2_writer.h"
#include "map/map_file.h"
#include "testlib/image_fixtures.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"
#include "view/viewport.h"

using namespace mw;

// The map's own folder is tried for a calibration file named without one (a
// command line's "scan.map"), one in the root folder and one in a folder.
TEST(MapImageCandidates, TheCalibrationFilesFolderIsTriedHoweverItIsNamed) {
    const struct {
        const char* mapFile;
        std::vector<std::string> expected;
    } cases[] = {
        {"scan.map", {"./scan.mwf2", "./scan.mwf"}},
        {"/scan.map", {"/scan.mwf2", "/scan.mwf"}},
        {"maps/scan.map", {"maps/scan.mwf2", "maps/scan.mwf"}},
        {"/data/maps/scan.map", {"/data/maps/scan.mwf2", "/data/maps/scan.mwf"}},
    };
    for (const auto& c : cases) {
        // Line 3 named "scan.bmp" and no image folder is set: the map's
        // folder with the base name, then with the file's own name.
        std::vector<std::string> expected = c.expected;
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(MapImageCandidates("scan.", c.mapFile, "", "", "/home/u"), expected) << c.mapFile;
    }
}

namespace {

// A 2000 × 1000 pixel map with a tiled image of three levels.
class DamagedImage : public ::testing::Test {
protected:
    void SetUp() override {
        mwtest::CalibrationFileText calib;
        calib.image = "area.bmp";
        calib.points = {mwtest::PointAt(0, 0, 51, -1), mwtest::PointAt(2000, 1000, 50, 1)};
        calib.borderLatLon = mwtest::RectangleBorder(50, -1, 51, 1);
        calib.borderPixels = {{0, 0}, {2000, 0}, {2000, 1000}, {0, 1000}};
        calib.scale = 100;
        map = ParseMapFile(calib.Text(), datums);
        map.mapFilePath = dir.File("area.map");
        Resize(view, 400, 300, true);
        image = mwtest::MakeTiledImage(2000, 1000, {100, 50, 25});
        ASSERT_TRUE(WriteMwf2File(dir.File("area.mwf2"), image, nullptr));
    }

    mwtest::TempDir dir;
    DatumTable datums;
    MapRecord map;
    Viewport vp;
    MapView view;
    Mwf2Image image;
};

}  // namespace

// The file is cut short while it is open (a copy that was still being
// written, a card pulled): twelve view changes hand up one fault, the views
// are still drawn, and opening the image again tells its damage again.
TEST_F(DamagedImage, ACutFileIsToldOncePerOpeningAndStillDrawn) {
    ASSERT_TRUE(OpenMapImage(vp, view, map, datums, dir.File("area.mwf2")));
    const auto size = std::filesystem::file_size(dir.File("area.mwf2"));
    std::filesystem::resize_file(dir.File("area.mwf2"), size / 3);

    const std::function<ViewChange()> steps[] = {
        [&] { return ZoomOut(vp, view); },
        [&] { return ZoomOut(vp, view); },
        [&] { return DragMapBy(vp, view, map, datums, 300, 0); },
        [&] { return ZoomIn(vp, view); },
        [&] { return GotoMapPosition(vp, view, map, datums, 3); },
        [&] { return DragMapBy(vp, view, map, datums, -200, -100); },
        [&] { return ZoomIn(vp, view); },
        [&] { return GotoMapPosition(vp, view, map, datums, 1); },
        [&] { return ZoomOut(vp, view); },
        [&] { return DragMapBy(vp, view, map, datums, 50, 50); },
        [&] { return ZoomIn(vp, view); },
        [&] { return GotoMapPosition(vp, view, map, datums, 4); },
    };
    int told = 0, drawn = 0;
    for (const auto& step : steps) {
        const ViewChange change = step();
        if (change.fault != ImageFault::None) ++told;
        if (change.ok && change.drawn) ++drawn;
    }
    EXPECT_EQ(told, 1);
    // The four views at 100 % have their level: they are drawn, the cut
    // tiles blank. The other levels' records were cut off.
    EXPECT_EQ(drawn, 4);

    // Opened again (whole again, then cut again): its damage is news again.
    CloseMapImage(vp);
    ASSERT_TRUE(WriteMwf2File(dir.File("area.mwf2"), image, nullptr));
    ASSERT_TRUE(OpenMapImage(vp, view, map, datums, dir.File("area.mwf2")));
    std::filesystem::resize_file(dir.File("area.mwf2"), size / 3);
    told = 0;
    for (const auto& step : steps)
        if (step().fault != ImageFault::None) ++told;
    EXPECT_EQ(told, 1);
}

// A tile whose stream is garbage shows as background; the tiles around it
// are drawn, and the fault says which kind of damage it was.
TEST_F(DamagedImage, ADamagedTileIsBackgroundAndTheRestIsDrawn) {
    std::string bytes = dir.Read("area.mwf2");
    const std::size_t offsets = mwtest::ReadTiledLayout(bytes).tileOffsetsAt[0];
    // Tile 1 of level 0 (second from the left in the top row).
    bytes.replace(mwtest::U32At(bytes, offsets + 4) + 3, 20, std::string(20, '\x77'));
    dir.Write("area.mwf2", bytes);

    ImageFault fault = ImageFault::None;
    auto opened = OpenViewImage(dir.File("area.mwf2"), 1.0, 128, 64, 256, 128, fault);
    ASSERT_TRUE(opened);
    ImageFile& f = opened->file;
    ViewImage& shown = opened->view;
    ASSERT_TRUE(RenderView(f, shown, 1.0, 0, 0, 0, 0, fault));
    EXPECT_EQ(fault, ImageFault::ReadTile);
    mw::IndexedBitmap expected = mwtest::ExpectedView(image.levels[0].pixels, 0, 0, 256, 128,
                                                      std::uint8_t(shown.backgroundIndex));
    for (int y = 0; y < 64; ++y)
        for (int x = 64; x < 128; ++x) expected.Row(y)[x] = std::uint8_t(shown.backgroundIndex);
    EXPECT_TRUE(mwtest::SamePixels(shown.bitmap, expected));
}
