// Views of tiled and strip images: what the view bitmap shows, level and
// palette changes with the zoom, the tile cache, and damaged files during a
// render (one fault reported, previous view kept).
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

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

mw::ViewImage ViewOf(int clientWidth, int clientHeight) {
    mw::ViewImage v;
    v.clientWidth = clientWidth;
    v.clientHeight = clientHeight;
    return v;
}

struct TiledView {
    mwtest::TempDir dir;
    mw::Mwf2Image image;
    std::string path = dir.File("m.mwf2");
    mw::ImageFile file;
    mw::ViewImage view;
    Reported ui;

    TiledView(int w, int h, int clientW, int clientH, std::vector<float> percents = kPercents,
              bool compressed = true)
        : image(mwtest::MakeTiledImage(w, h, percents, compressed)), view(ViewOf(clientW, clientH)) {
        EXPECT_TRUE(mw::WriteMwf2File(path, image, nullptr));
        Reopen();
    }
    // Opens the file again, after `damage` has changed its bytes.
    void Reopen(const std::function<void(std::string&)>& damage = nullptr) {
        std::string bytes = dir.Read("m.mwf2");
        if (damage) damage(bytes);
        dir.Write("m.mwf2", bytes);
        auto f = mw::OpenImageFile(path);
        ASSERT_TRUE(f);
        file = std::move(*f);
    }
    bool Render(double z, int left, int top, int width = 0, int height = 0) {
        return ::Render(file, view, z, left, top, ui, width, height);
    }
    mw::IndexedBitmap Expected(int level, int left, int top) const {
        return mwtest::ExpectedView(image.levels[level].pixels, left, top, view.clientWidth,
                                    view.clientHeight, std::uint8_t(view.backgroundIndex));
    }
};

TEST(TiledView, ShowsTheLevelAndBackgroundWhereTheViewLeavesIt) {
    TiledView t(300, 200, 160, 120);
    const struct {
        const char* name;
        int left, top;
        int width = 0, height = 0;  // the part drawn; 0: all of the window
    } cases[] = {
        {"inside", 30, 20},
        {"left edge at -100", -100, 10},
        {"beyond right and bottom", 250, 150},
        {"wholly outside", 1000, -1000},
        {"a narrower drawn part", 10, 10, 50, 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(t.Render(1.0, c.left, c.top, c.width, c.height));
        EXPECT_EQ(t.view.palette, mw::MakeDisplayPalette(t.image.levels[0].colours));
        EXPECT_EQ(t.view.backgroundIndex, mw::BackgroundIndex(t.view.palette));
        mw::IndexedBitmap want = t.Expected(0, c.left, c.top);
        for (int y = 0; y < 120 && c.width; ++y) {
            for (int x = 0; x < 160; ++x)
                if (x >= c.width || y >= c.height) want.Row(y)[x] = t.view.backgroundIndex;
        }
        EXPECT_TRUE(SamePixels(t.view.bitmap, want));
    }
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST(TiledView, ShowsOnlyTheLevelsSizeNotTheWholeEdgeTiles) {
    TiledView t(300, 200, 100, 80, {100});
    // Declare the level 290 × 190: the stored tiles still hold the pixels
    // beyond, which must not be shown.
    t.Reopen([](std::string& b) {
        const std::uint32_t record = mwtest::ReadTiledLayout(b).records[0];
        PatchU32(b, record, 290);
        PatchU32(b, record + 4, 190);
    });
    ASSERT_TRUE(t.Render(1.0, 240, 150));
    mw::IndexedBitmap cut;
    ASSERT_TRUE(mw::CreateIndexedBitmap(cut, 290, 190, 0));
    for (int y = 0; y < 190; ++y) std::copy_n(t.image.levels[0].pixels.Row(y), 290, cut.Row(y));
    EXPECT_TRUE(SamePixels(t.view.bitmap, mwtest::ExpectedView(cut, 240, 150, 100, 80,
                                                               t.view.backgroundIndex)));
}

TEST(TiledView, ZoomSelectsTheLevelItsPaletteAndAFreshCache) {
    TiledView t(300, 200, 128, 96);
    const struct {
        double divisor;
        int level;
    } steps[] = {
        {1.0, 0}, {2.0, 1}, {10.0, 3},
        {3.0, 0},        // 33 %: no such level, level 0 is used
        {0.5, 0},        // magnified: drawn at 100 %, stretched when painted
        {100 / 3.3, 4},  // the last level is a level like the others
        {2.0, 1},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.divisor);
        ASSERT_TRUE(t.Render(s.divisor, 3, 5));
        EXPECT_EQ(t.file.level, s.level);
        EXPECT_EQ(t.view.palette, mw::MakeDisplayPalette(t.image.levels[s.level].colours));
        EXPECT_TRUE(SamePixels(t.view.bitmap, t.Expected(s.level, 3, 5)));
        // Only tiles of this level are cached: those of this view.
        const int lw = t.image.levels[s.level].pixels.width;
        const int lh = t.image.levels[s.level].pixels.height;
        const int inView = ((std::min(lw, 3 + 128) - 1) / 64 + 1) * ((std::min(lh, 5 + 96) - 1) / 64 + 1);
        int held = 0;
        for (const mw::TileSlot& slot : t.file.cache.entries) {
            if (slot.key < 0) continue;
            ++held;
            EXPECT_LT(slot.key, t.file.tilesX * t.file.tilesY);
        }
        EXPECT_EQ(held, inView);
    }
    EXPECT_EQ(t.file.currentLevelPercent, 50);
}

TEST(TiledView, AWarmViewIsServedFromTheCache) {
    // Two disjoint full-HD views must both stay cached: the cache holds
    // twice the tiles of a view at the window size in use.
    TiledView t(3900, 1100, 1920, 1080, {100}, false);
    ASSERT_TRUE(t.Render(1.0, 0, 0));
    ASSERT_TRUE(t.Render(1.0, 1950, 10));
    EXPECT_GE(t.file.cache.Size(), 2 * 31 * 18);
    // Wipe every tile on disk: views already seen still render.
    const std::uint32_t firstTile = t.file.offsets[0];
    const std::uint32_t record = mwtest::ReadTiledLayout(t.dir.Read("m.mwf2")).records[0];
    std::fstream(t.path, std::ios::in | std::ios::out | std::ios::binary)
        .seekp(firstTile)
        .write(std::string(record - firstTile, '\0').data(), record - firstTile);
    ASSERT_TRUE(t.Render(1.0, 0, 0));
    EXPECT_TRUE(SamePixels(t.view.bitmap, t.Expected(0, 0, 0)));
    ASSERT_TRUE(t.Render(1.0, 1950, 10));
    EXPECT_TRUE(SamePixels(t.view.bitmap, t.Expected(0, 1950, 10)));
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST(TileCache, EvictsTheLeastRecentlyUsedUnlockedSlot) {
    const struct {
        const char* name;
        std::vector<std::uint64_t> stamps;  // 0: never used, empty
        std::vector<bool> locked;
        int victim;
    } cases[] = {
        {"oldest unlocked", {5, 3, 9}, {false, true, false}, 0},
        {"empty before used", {6, 0, 2}, {false, false, false}, 1},
        {"all locked: slot 0", {5, 3, 9}, {true, true, true}, 0},
    };
    for (const auto& c : cases) {
        mw::TileCache cache;
        ASSERT_TRUE(mw::GrowTileCache(cache, int(c.stamps.size())));
        for (std::size_t i = 0; i < c.stamps.size(); ++i) {
            if (c.stamps[i] == 0) continue;
            mw::AssignSlot(cache, int(i), 100 + int(i));
            cache.entries[i].stamp = c.stamps[i];
            cache.entries[i].locked = c.locked[i];
        }
        EXPECT_EQ(mw::ChooseVictim(cache), c.victim) << c.name;
    }
}

// A damaged file during a render: the message once, the previous view and
// palette kept, and a later good view works.
TEST(TiledView, DamageShowsItsMessageOnceAndKeepsThePreviousView) {
    const struct {
        const char* name;
        double divisor;
        int at;  // the failing view's left and top
        const char* message;
        // Damage that the first view (tile 0 only) does not meet.
        std::function<void(std::string& bytes)> damage;
    } cases[] = {
        {"tile offset beyond the end", 1.0, 100, "ReadTile Exception",
         [](std::string& b) {
             std::size_t at = mwtest::ReadTiledLayout(b).tileOffsetsAt[0];
             PatchU32(b, at + 4 * 12, std::uint32_t(b.size() + 100));  // tile (2, 2)
         }},
        {"level 1 record damaged", 2.0, 100, "LoadMWF2tile(s) Exception",
         [](std::string& b) { PatchU32(b, mwtest::ReadTiledLayout(b).records[1] + 8, 0); }},
        // A failed level change keeps level and percent together: the next
        // view at 100 % comes from level 0 again, not from the level tried.
        {"level 1 first tile corrupt", 2.0, 0, "ReadTile Exception",
         [](std::string& b) {
             std::size_t at = mwtest::ReadTiledLayout(b).tileOffsetsAt[1];
             b.replace(U32At(b, at) + 3, 20, std::string(20, '\x77'));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TiledView t(300, 200, 60, 60);
        t.Reopen(c.damage);
        ASSERT_TRUE(t.Render(1.0, 0, 0));
        const mw::IndexedBitmap before = t.view.bitmap;
        const mw::DisplayPalette palette = t.view.palette;
        EXPECT_FALSE(t.Render(c.divisor, c.at, c.at));
        EXPECT_EQ(t.ui.messages, std::vector<std::string>{c.message});
        EXPECT_TRUE(SamePixels(t.view.bitmap, before));
        EXPECT_EQ(t.view.palette, palette);
        // The undamaged corner still renders at full size.
        ASSERT_TRUE(t.Render(1.0, 2, 3));
        EXPECT_EQ(t.file.level, 0);
        EXPECT_TRUE(SamePixels(t.view.bitmap, t.Expected(0, 2, 3)));
        EXPECT_EQ(t.ui.messages.size(), 1u);
    }
}

// Every depth, packed and compressed or not, shown at every step-th pixel.
TEST(StripView, ShowsEveryStepthPixelAtEachDepth) {
    for (int bits : {1, 2, 4, 8}) {
        for (bool compressed : {true, false}) {
            const mwtest::StripContent content =
                mwtest::StripOf(mwtest::MakeMapLikeIndexed(75, 52, 256, 3), bits, compressed);
            mwtest::TempDir dir;
            dir.Write("s.mwf", mwtest::MakeStripFile(content));
            auto f = mw::OpenImageFile(dir.File("s.mwf"));
            ASSERT_TRUE(f);
            mw::ViewImage view = ViewOf(40, 30);
            Reported ui;
            const struct {
                double divisor;
                int left, top;
            } cases[] = {{1, 10, 5}, {1, -7, -3}, {2, 30, 20}, {2.5, 5, 5}, {3.0, -2, 1}, {0.5, 0, 0}};
            for (const auto& c : cases) {
                SCOPED_TRACE(testing::Message() << bits << " bits, compressed " << compressed
                                                << ", divisor " << c.divisor << " at " << c.left
                                                << "," << c.top);
                ASSERT_TRUE(Render(*f, view, c.divisor, c.left, c.top, ui));
                const int step = c.divisor < 1 ? 1 : int(c.divisor);
                mw::IndexedBitmap want;
                mw::CreateIndexedBitmap(want, 40, 30, view.backgroundIndex);
                for (int y = 0; y < 30; ++y) {
                    for (int x = 0; x < 40; ++x) {
                        int vx = c.left + x, vy = c.top + y;
                        if (vx >= 0 && vx < 75 / step && vy >= 0 && step * vy < 52)
                            want.Row(y)[x] = content.indices[step * vy][step * vx];
                    }
                }
                EXPECT_TRUE(SamePixels(view.bitmap, want));
            }
            EXPECT_TRUE(ui.messages.empty());
        }
    }
}

TEST(StripView, DamagedRowShowsItsMessageOnceAndKeepsThePreviousView) {
    for (bool compressed : {true, false}) {
        SCOPED_TRACE(compressed);
        std::string bytes = mwtest::MakeStripFile(
            mwtest::StripOf(mwtest::MakeMapLikeIndexed(60, 50, 256, 9), 8, compressed));
        // Row 30 ends before it starts.
        std::size_t table = U32At(bytes, bytes.size() - 4);
        PatchU32(bytes, table + 4 * 31, U32At(bytes, table + 4 * 30) - 1);
        mwtest::TempDir dir;
        dir.Write("s.mwf", bytes);
        auto f = mw::OpenImageFile(dir.File("s.mwf"));
        ASSERT_TRUE(f);
        mw::ViewImage view = ViewOf(30, 20);
        Reported ui;
        ASSERT_TRUE(Render(*f, view, 1, 0, 0, ui));
        const mw::IndexedBitmap before = view.bitmap;
        EXPECT_FALSE(Render(*f, view, 1, 10, 25, ui));
        EXPECT_EQ(ui.messages, std::vector<std::string>{"ReadStrip Exception"});
        EXPECT_TRUE(SamePixels(view.bitmap, before));
    }
}

std::optional<mw::OpenedView> Open(const std::string& path, double z, Reported& ui) {
    return ui([&](mw::ImageFault& f) { return mw::OpenViewImage(path, z, 60, 40, 121, 81, f); });
}

TEST(OpenViewImage, CentresTheFirstViewOnTheImage) {
    mwtest::TempDir dir;
    mw::Mwf2Image image = mwtest::MakeTiledImage(300, 200, kPercents);
    ASSERT_TRUE(mw::WriteMwf2File(dir.File("m.mwf2"), image, nullptr));
    const struct {
        double divisor;
        int level, left, top;
    } cases[] = {{1.0, 0, 150 - 60, 100 - 40}, {2.0, 1, 75 - 60, 50 - 40}, {0.5, 0, 90, 60}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.divisor);
        Reported ui;
        auto v = Open(dir.File("m.mwf2"), c.divisor, ui);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->imageWidth, 300);
        EXPECT_EQ(v->imageHeight, 200);
        EXPECT_EQ(v->file.level, c.level);
        EXPECT_EQ(v->view.palette, mw::MakeDisplayPalette(image.levels[c.level].colours));
        EXPECT_TRUE(SamePixels(v->view.bitmap,
                               mwtest::ExpectedView(image.levels[c.level].pixels, c.left, c.top,
                                                    121, 81, v->view.backgroundIndex)));
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST(OpenViewImage, ReportsMissingDamagedAndBadlyTiledFiles) {
    mwtest::TempDir dir;
    Reported ui;
    EXPECT_FALSE(Open(dir.File("none.mwf2"), 1, ui));
    EXPECT_TRUE(ui.messages.empty());

    ASSERT_TRUE(mw::WriteMwf2File(dir.File("m.mwf2"), mwtest::MakeTiledImage(300, 200, kPercents),
                                  nullptr));
    const std::string good = dir.Read("m.mwf2");
    std::string bad = good;
    PatchU32(bad, bad.size() - 4, std::uint32_t(bad.size()));
    dir.Write("bad.mwf2", bad);
    EXPECT_FALSE(Open(dir.File("bad.mwf2"), 1, ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"LoadMWF2tile(s) Exception"});

    // A damaged tile in the first view: the image opens, the view is blank.
    ui.messages.clear();
    bad = good;
    PatchU32(bad, mwtest::ReadTiledLayout(bad).tileOffsetsAt[0] + 4 * 7, 3);  // tile (2, 1)
    dir.Write("bad.mwf2", bad);
    auto v = Open(dir.File("bad.mwf2"), 1, ui);
    ASSERT_TRUE(v);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"ReadTile Exception"});
    for (std::uint8_t p : v->view.bitmap.pixels) ASSERT_EQ(p, v->view.backgroundIndex);
}

TEST(BuildLevelImage, RefusesStripsAndDamagedTiles) {
    mwtest::TempDir dir;
    Reported ui;
    auto level = [&](const char* name, int n) {
        return ui([&](mw::ImageFault& f) { return mw::BuildLevelImage(dir.File(name), n, f); });
    };
    dir.Write("s.mwf", mwtest::MakeStripFile(mwtest::StripOf(mwtest::MakeMapLikeIndexed(9, 9, 4, 1), 8)));
    EXPECT_FALSE(level("s.mwf", -1));
    EXPECT_TRUE(ui.messages.empty());

    ASSERT_TRUE(mw::WriteMwf2File(dir.File("m.mwf2"), mwtest::MakeTiledImage(300, 200, kPercents),
                                  nullptr));
    EXPECT_FALSE(level("m.mwf2", 5));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"LoadMWF2tile(s) Exception"});
    ui.messages.clear();
    std::string bad = dir.Read("m.mwf2");
    PatchU32(bad, mwtest::ReadTiledLayout(bad).tileOffsetsAt.back(), std::uint32_t(bad.size() + 1));
    dir.Write("m.mwf2", bad);
    EXPECT_FALSE(level("m.mwf2", -1));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"ReadTile Exception"});
}

}  // namespace
