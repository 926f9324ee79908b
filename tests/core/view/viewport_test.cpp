#include <gtest/gtest.h>

#include "image/mwf2_writer.h"
#include "map/map_file.h"
#include "testlib/image_fixtures.h"
#include "testlib/map_file_writer.h"
#include "testlib/temp_dir.h"
#include "view/viewport.h"

using namespace mw;

namespace {

// A 2000 × 1000 pixel map of 2° × 1° with its image beside it.
class ViewportTest : public ::testing::Test {
protected:
    void SetUp() override {
        mwtest::CalibrationFileText calib;
        calib.image = "area.bmp";
        calib.points = {mwtest::PointAt(0, 0, 51, -1), mwtest::PointAt(2000, 1000, 50, 1)};
        calib.borderLatLon = mwtest::RectangleBorder(50, -1, 51, 1);
        calib.borderPixels = {{0, 0}, {2000, 0}, {2000, 1000}, {0, 1000}};
        calib.scale = 100;
        dir.Write("area.map", calib.Text());
        map = ParseMapFile(calib.Text(), datums);
        map.mapFilePath = dir.File("area.map");
        Resize(view, 400, 300, true);
    }

    void WriteTiled(const std::string& name, int width, int height, std::vector<float> levels) {
        std::string error;
        ASSERT_TRUE(
            WriteMwf2File(dir.File(name), mwtest::MakeTiledImage(width, height, levels), &error))
            << error;
    }

    mwtest::TempDir dir;
    DatumTable datums;
    MapRecord map;
    Viewport vp;
    MapView view;
};

}  // namespace

TEST_F(ViewportTest, AWindowOfNoSizeKeepsTheImageForLater) {
    WriteTiled("area.mwf2", 1001, 1000, {100, 50});
    ASSERT_TRUE(OpenMapImage(vp, view, map, datums, dir.File("area.mwf2")));
    Resize(view, 400, 0, true);
    EXPECT_TRUE(RenderMapView(vp, view));
    EXPECT_TRUE(vp.HasImage());
    Resize(view, 400, 300, true);
    EXPECT_TRUE(RenderMapView(vp, view));
    EXPECT_EQ(vp.view.Width(), 400);
}

TEST_F(ViewportTest, NothingMovesWithoutAnImage) {
    view.centreX = 5;  // the fixture's view, no image behind it
    for (const ViewChange& change :
         {CentreOnScreenPoint(vp, view, map, datums, 300, 100, nullptr),
          GotoMapPosition(vp, view, map, datums, 3), ShowFullMap(vp, view, map, datums),
          ZoomIn(vp, view)}) {
        EXPECT_FALSE(change.acted);
        EXPECT_FALSE(change.drawn);
    }
    EXPECT_EQ(view.centreX, 5);
}
