// The window's 32-bit view and the views that only moved: along a walk of
// pans, jumps, zooms and resizes over tiled and strip images, a view kept
// from render to render (so each move reuses what stays in sight) must equal
// a view drawn afresh, and the 32-bit view must be the fresh indexed view in
// the palette's colours.
#include <gtest/gtest.h>

#include "image/view_render.h"
#include "testlib/image_fixtures.h"
#include "testlib/temp_dir.h"

namespace {

using mwtest::SamePixels;

::testing::AssertionResult SameColours(const mw::RgbBitmap& actual,
                                       const mw::IndexedBitmap& indices,
                                       const mw::DisplayPalette& palette) {
    if (actual.width != indices.width || actual.height != indices.height)
        return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height
                                             << ", want " << indices.width << "x"
                                             << indices.height;
    const auto argb = mw::PaletteArgb(palette);
    for (int y = 0; y < indices.height; ++y)
        for (int x = 0; x < indices.width; ++x)
            if (actual.At(x, y) != argb[indices.At(x, y)])
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex << actual.At(x, y)
                       << ", want " << argb[indices.At(x, y)];
    return ::testing::AssertionSuccess();
}

struct Step {
    const char* name;
    double divisor;
    int left, top;
    int width = 0, height = 0;          // 0: the client size
    int clientWidth = 0, clientHeight = 0;  // 0: unchanged
};

// Pans by a few pixels each way, jumps, zooms and resizes.
const Step kWalk[] = {
    {"first view", 1.0, 20, 10},
    {"4 px east", 1.0, 24, 10},
    {"4 px west, 3 down", 1.0, 20, 13},
    {"partly off the left and top", 1.0, -30, -20},
    {"past the right and bottom", 1.0, 250, 160},
    {"wholly outside", 1.0, 900, 900},
    {"back from outside", 1.0, 898, 901},
    {"another level", 2.0, 100, 20},
    {"same level, other percentage", 2.5, 97, 25},
    {"back to the first level", 1.0, 97, 25},
    {"a narrower drawn part", 1.0, 99, 25, 50, 30},
    {"resized window", 1.0, 93, 21, 0, 0, 90, 70},
    {"pan after the resize", 1.0, 96, 19},
};

// Renders each step into a kept indexed view, a kept 32-bit view and a fresh
// indexed view, and compares them.
void Walk(mw::ImageFile& file, int clientWidth, int clientHeight) {
    mw::ImageFault fault = mw::ImageFault::None;
    mw::ViewImage indexed, display;
    display.format = mw::ViewFormat::Display32;
    for (mw::ViewImage* v : {&indexed, &display}) {
        v->clientWidth = clientWidth;
        v->clientHeight = clientHeight;
    }
    for (const Step& s : kWalk) {
        SCOPED_TRACE(s.name);
        if (s.clientWidth > 0) {
            clientWidth = s.clientWidth;
            clientHeight = s.clientHeight;
            for (mw::ViewImage* v : {&indexed, &display}) {
                v->clientWidth = clientWidth;
                v->clientHeight = clientHeight;
            }
        }
        mw::ViewImage fresh;
        fresh.clientWidth = clientWidth;
        fresh.clientHeight = clientHeight;
        ASSERT_TRUE(mw::RenderView(file, fresh, s.divisor, s.top, s.height, s.left, s.width, fault));
        ASSERT_TRUE(
            mw::RenderView(file, indexed, s.divisor, s.top, s.height, s.left, s.width, fault));
        ASSERT_TRUE(
            mw::RenderView(file, display, s.divisor, s.top, s.height, s.left, s.width, fault));
        EXPECT_TRUE(SamePixels(indexed.bitmap, fresh.bitmap));
        EXPECT_TRUE(SameColours(display.display, fresh.bitmap, fresh.palette));
        EXPECT_EQ(display.palette, fresh.palette);
        EXPECT_EQ(display.backgroundIndex, fresh.backgroundIndex);
        // Each format holds only its own buffers.
        EXPECT_TRUE(indexed.display.Empty() && indexed.spareDisplay.Empty());
        EXPECT_TRUE(display.bitmap.Empty() && display.spare.Empty());
    }
    EXPECT_EQ(fault, mw::ImageFault::None);
}

TEST(ViewFormats, KeptAndFreshViewsAgreeOnATiledImage) {
    mwtest::TempDir dir;
    ASSERT_TRUE(mw::WriteMwf2File(dir.File("m.mwf2"),
                                  mwtest::MakeTiledImage(300, 200, {100, 50, 40}), nullptr));
    auto f = mw::OpenImageFile(dir.File("m.mwf2"));
    ASSERT_TRUE(f);
    Walk(*f, 120, 80);
}

TEST(ViewFormats, KeptAndFreshViewsAgreeOnStripImages) {
    const mw::IndexedBitmap picture = mwtest::MakeMapLikeIndexed(300, 200, 256, 5);
    for (int bits : {8, 4}) {
        SCOPED_TRACE(bits);
        mwtest::TempDir dir;
        dir.Write("s.mwf", mwtest::MakeStripFile(mwtest::StripOf(picture, bits)));
        auto f = mw::OpenImageFile(dir.File("s.mwf"));
        ASSERT_TRUE(f);
        Walk(*f, 120, 80);
    }
}

// Views of two files in one ViewImage: the second file's pixels are never
// taken for the first's, even at the same corner and level.
TEST(ViewFormats, AnotherFileIsDrawnAfresh) {
    mwtest::TempDir dir;
    ASSERT_TRUE(mw::WriteMwf2File(dir.File("a.mwf2"), mwtest::MakeTiledImage(300, 200, {100}),
                                  nullptr));
    mw::Mwf2Image other = mwtest::MakeTiledImage(300, 200, {100});
    other.levels[0].pixels = mwtest::MakeMapLikeIndexed(300, 200, 200, 77);
    ASSERT_TRUE(mw::WriteMwf2File(dir.File("b.mwf2"), other, nullptr));
    auto a = mw::OpenImageFile(dir.File("a.mwf2"));
    auto b = mw::OpenImageFile(dir.File("b.mwf2"));
    ASSERT_TRUE(a && b);
    mw::ImageFault fault = mw::ImageFault::None;
    mw::ViewImage view;
    view.clientWidth = 100;
    view.clientHeight = 60;
    ASSERT_TRUE(mw::RenderView(*a, view, 1.0, 10, 0, 10, 0, fault));
    ASSERT_TRUE(mw::RenderView(*b, view, 1.0, 12, 0, 12, 0, fault));
    EXPECT_TRUE(SamePixels(view.bitmap, mwtest::ExpectedView(other.levels[0].pixels, 12, 12, 100,
                                                             60, std::uint8_t(view.backgroundIndex))));
}

}  // namespace
