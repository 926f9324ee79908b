// Views of tiled images. Along a walk of pans, jumps, zooms and
// resizes, a view kept from render to render (so each move reuses what stays
// in sight) must equal a view drawn afresh, the fresh view must show the
// file's pixels and the background where the view leaves the image, and the
// 32-bit view must be the indexed view in the palette's colours. A damaged
// level met during a render reports one fault and keeps the previous view.
#include <functional>

#include <gtest/gtest.h>

#include <algorithm>

#include "image/view_render.h"
#include "testlib/image_fixtures.h"
#include "testlib/temp_dir.h"

namespace {

using mwtest::PatchU32;
using mwtest::SamePixels;
using mwtest::U32At;

const std::vector<float> kPercents{100, 50, 25, 10, 3.3f};

// The image code reports faults as values; kept here as the texts the user
// would be shown. Each call starts from a stale fault so that one left unset
// shows up.
struct Reported {
    std::vector<std::string> messages;
    template <typename Call>
    auto operator()(Call call) {
        mw::ImageFault fault = mw::ImageFault::LoadStrips;
        auto result = call(fault);
        if (fault != mw::ImageFault::None) messages.push_back(mw::ImageFaultMessage(fault));
        return result;
    }
};

bool Render(mw::ImageFile& file, mw::ViewImage& view, double z, int left, int top,
            Reported& ui, int width = 0, int height = 0) {
    return ui([&](mw::ImageFault& f) {
        return mw::RenderView(file, view, z, top, height, left, width, f);
    });
}

mw::ViewImage ViewOf(int clientWidth, int clientHeight,
                     mw::ViewFormat format = mw::ViewFormat::Indexed8) {
    mw::ViewImage v(format);
    v.clientWidth = clientWidth;
    v.clientHeight = clientHeight;
    return v;
}

::testing::AssertionResult SameColours(const mw::RgbBitmap& actual,
                                       const mw::IndexedBitmap& indices,
                                       const mw::DisplayPalette& palette) {
    if (actual.width != indices.width || actual.height != indices.height)
        return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height;
    const auto argb = mw::PaletteArgb(palette);
    for (int y = 0; y < indices.height; ++y)
        for (int x = 0; x < indices.width; ++x)
            if (actual.At(x, y) != argb[indices.At(x, y)])
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
}

struct Step {
    const char* name;
    double divisor;
    int level;  // the level shown
    int left, top;
    int width = 0, height = 0;              // the part drawn; 0: the client size
    int clientWidth = 0, clientHeight = 0;  // 0: unchanged
};

// Pans by a few pixels each way, jumps, zooms and resizes.
const Step kWalk[] = {
    {"first view", 1.0, 0, 20, 10},
    {"4 px east", 1.0, 0, 24, 10},
    {"partly off the left and top", 1.0, 0, -30, -20},
    {"past the right and bottom", 1.0, 0, 250, 160},
    {"wholly outside", 1.0, 0, 900, 900},
    {"back from outside", 1.0, 0, 898, 901},
    {"another level", 2.0, 1, 100, 20},
    {"33 %: no such level, level 0 is used", 3.0, 0, 97, 25},
    {"the last level", 100 / 3.3, 4, -3, 2},
    {"magnified: drawn at 100 %, stretched when painted", 0.5, 0, 97, 25},
    {"a narrower drawn part", 1.0, 0, 99, 25, 50, 30},
    {"resized window", 1.0, 0, 93, 21, 0, 0, 90, 70},
    {"pan after the resize", 1.0, 0, 96, 19},
};

// What a fresh view of a step must show, before the undrawn part is blanked.
using Expect = std::function<mw::IndexedBitmap(const Step&, const mw::ViewImage& fresh)>;

void Walk(mw::ImageFile& file, const Expect& expect) {
    Reported ui;
    mw::ViewImage indexed = ViewOf(120, 80), display = ViewOf(120, 80, mw::ViewFormat::Display32);
    for (const Step& s : kWalk) {
        SCOPED_TRACE(s.name);
        if (s.clientWidth > 0) {
            for (mw::ViewImage* v : {&indexed, &display}) {
                v->clientWidth = s.clientWidth;
                v->clientHeight = s.clientHeight;
            }
        }
        mw::ViewImage fresh = ViewOf(indexed.clientWidth, indexed.clientHeight);
        for (mw::ViewImage* v : {&fresh, &indexed, &display})
            ASSERT_TRUE(Render(file, *v, s.divisor, s.left, s.top, ui, s.width, s.height));
        mw::IndexedBitmap want = expect(s, fresh);
        for (int y = 0; y < want.height && s.width; ++y)
            for (int x = 0; x < want.width; ++x)
                if (x >= s.width || y >= s.height) want.Row(y)[x] = std::uint8_t(fresh.backgroundIndex);
        EXPECT_TRUE(SamePixels(fresh.bitmap, want));
        EXPECT_TRUE(SamePixels(indexed.bitmap, fresh.bitmap));
        EXPECT_TRUE(SameColours(display.display, fresh.bitmap, fresh.palette));
        EXPECT_EQ(display.palette, fresh.palette);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST(ViewWalk, TiledImage) {
    mwtest::TempDir dir;
    const mw::Mwf2Image image = mwtest::MakeTiledImage(300, 200, kPercents);
    ASSERT_TRUE(mw::WriteMwf2File(dir.File("m.mwf2"), image, nullptr));
    auto f = mw::OpenImageFile(dir.File("m.mwf2"));
    ASSERT_TRUE(f);
    Walk(*f, [&](const Step& s, const mw::ViewImage& fresh) {
        EXPECT_EQ(f->level, s.level);
        EXPECT_EQ(fresh.palette, mw::MakeDisplayPalette(image.levels[s.level].colours));
        return mwtest::ExpectedView(image.levels[s.level].pixels, s.left, s.top, fresh.clientWidth,
                                    fresh.clientHeight, std::uint8_t(fresh.backgroundIndex));
    });
}

// The oldest unlocked slot goes; with every slot locked (a view needing more
// tiles than the cache holds) slot 0, never an index out of the cache.
TEST(TileCache, EvictsTheLeastRecentlyUsedUnlockedSlot) {
    mw::TileCache cache;
    ASSERT_TRUE(mw::GrowTileCache(cache, 3));
    const std::uint64_t stamps[] = {9, 3, 5};
    for (int i = 0; i < 3; ++i) {
        mw::AssignSlot(cache, i, 100 + i);
        cache.entries[i].stamp = stamps[i];
    }
    cache.entries[1].locked = true;
    EXPECT_EQ(mw::ChooseVictim(cache), 2);
    for (mw::TileSlot& slot : cache.entries) slot.locked = true;
    EXPECT_EQ(mw::ChooseVictim(cache), 0);
}

// Growing keeps every tile where it was, whether the cache held tiles or
// was empty (then its old bytes are dropped, not copied); new slots are
// empty and usable.
TEST(TileCache, GrowingKeepsTheTilesItHolds) {
    mw::TileCache cache;
    ASSERT_TRUE(mw::GrowTileCache(cache, 2));
    ASSERT_TRUE(mw::GrowTileCache(cache, 5));
    EXPECT_EQ(cache.Size(), 5);
    EXPECT_EQ(cache.buffers.size(), std::size_t{5} * mw::kTileBytes);
    for (int i = 0; i < 2; ++i) {
        mw::AssignSlot(cache, i, 40 + i);
        std::fill_n(cache.Buffer(i), mw::kTileBytes, std::uint8_t(7 + i));
    }
    ASSERT_TRUE(mw::GrowTileCache(cache, 300));
    EXPECT_EQ(cache.buffers.size(), std::size_t{300} * mw::kTileBytes);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(mw::FindCachedTile(cache, 40 + i), i);
        const std::uint8_t* b = cache.Buffer(i);
        EXPECT_TRUE(std::all_of(b, b + mw::kTileBytes, [&](std::uint8_t v) { return v == 7 + i; }));
    }
    for (int i = 2; i < 300; ++i) EXPECT_EQ(cache.entries[i].key, -1);
    EXPECT_EQ(mw::ChooseVictim(cache), 299);
    EXPECT_TRUE(mw::GrowTileCache(cache, 10));  // never shrinks
    EXPECT_EQ(cache.Size(), 300);
}

// A damaged file during a render: the message once. A level that cannot be
// selected keeps the previous view and palette; a damaged tile draws as
// background in a view that is otherwise shown. A later good view works.
TEST(TiledView, DamageShowsItsMessageOnceAndDrawsWhatItCan) {
    const struct {
        const char* name;
        const char* message;
        // Damage that the first view (tile 0 of level 0) does not meet.
        std::function<void(std::string& bytes)> damage;
        bool drawn;  // the damaged view is shown (its tile as background)
    } cases[] = {
        {"level 1 record damaged", "LoadMWF2tile(s) Exception",
         [](std::string& b) { PatchU32(b, mwtest::ReadTiledLayout(b).records[1] + 8, 0); }, false},
        // A failed level change keeps level and percent together: the next
        // view at 100 % comes from level 0 again, not from the level tried.
        {"level 1 first tile corrupt", "ReadTile Exception",
         [](std::string& b) {
             std::size_t at = mwtest::ReadTiledLayout(b).tileOffsetsAt[1];
             b.replace(U32At(b, at) + 3, 20, std::string(20, '\x77'));
         },
         true},
    };
    const mw::Mwf2Image image = mwtest::MakeTiledImage(300, 200, kPercents);
    mwtest::TempDir dir;
    ASSERT_TRUE(mw::WriteMwf2File(dir.File("good.mwf2"), image, nullptr));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = dir.Read("good.mwf2");
        c.damage(bytes);
        dir.Write("m.mwf2", bytes);
        auto file = mw::OpenImageFile(dir.File("m.mwf2"));
        ASSERT_TRUE(file);
        mw::ViewImage view = ViewOf(60, 60);
        Reported ui;
        ASSERT_TRUE(Render(*file, view, 1.0, 0, 0, ui));
        const mw::IndexedBitmap before = view.bitmap;
        const mw::DisplayPalette palette = view.palette;
        EXPECT_EQ(Render(*file, view, 2.0, 0, 0, ui), c.drawn);
        EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
        if (c.drawn) {
            // The 60 × 60 view lies inside the damaged tile 0 of level 1.
            EXPECT_NE(view.palette, palette);
            mw::IndexedBitmap blank = before;
            for (int y = 0; y < 60; ++y)
                std::fill(blank.Row(y), blank.Row(y) + 60, std::uint8_t(view.backgroundIndex));
            EXPECT_TRUE(SamePixels(view.bitmap, blank));
        } else {
            EXPECT_TRUE(SamePixels(view.bitmap, before));
            EXPECT_EQ(view.palette, palette);
        }
        ASSERT_TRUE(Render(*file, view, 1.0, 2, 3, ui));
        EXPECT_EQ(file->level, 0);
        EXPECT_TRUE(SamePixels(view.bitmap, mwtest::ExpectedView(image.levels[0].pixels, 2, 3, 60, 60,
                                                                 std::uint8_t(view.backgroundIndex))));
        EXPECT_EQ(ui.messages.size(), 1u);
    }
}

}  // namespace
