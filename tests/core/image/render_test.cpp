// Views of tiled and strip images: what the view bitmap shows, level and
// palette changes with the zoom, the tile cache, and damaged files during a
// render (one fault reported, previous view kept).
#include <cmath>
#include <fstream>

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
// would be shown, one per reported fault. Each call starts from a stale fault
// so that one left unset shows up.
struct Reported {
    std::vector<std::string> messages;
    void Note(mw::ImageFault fault) {
        if (fault != mw::ImageFault::None) messages.push_back(mw::ImageFaultMessage(fault));
    }
};

bool Render(mw::ImageFile& file, mw::ViewImage& view, double z, int top, int height, int left,
            int width, Reported& reported) {
    mw::ImageFault fault = mw::ImageFault::LoadStrips;
    const bool ok = mw::RenderView(file, view, z, top, height, left, width, fault);
    reported.Note(fault);
    return ok;
}

std::optional<mw::OpenedView> Open(const std::string& path, double z, int halfW, int halfH, int w,
                                   int h, Reported& reported) {
    mw::ImageFault fault = mw::ImageFault::LoadStrips;
    auto opened = mw::OpenViewImage(path, z, halfW, halfH, w, h, fault);
    reported.Note(fault);
    return opened;
}

std::optional<mw::LevelImage> Level(const std::string& path, int level, Reported& reported) {
    mw::ImageFault fault = mw::ImageFault::LoadStrips;
    auto image = mw::BuildLevelImage(path, level, fault);
    reported.Note(fault);
    return image;
}

// Overwrites bytes of a file in place, as if it were damaged on disk while
// the program has it open.
void OverwriteAt(const std::string& path, std::size_t offset, const std::string& bytes) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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
    std::string path;
    mw::ImageFile file;
    mw::ViewImage view;
    Reported ui;

    TiledView(int w, int h, int clientW, int clientH, std::vector<float> percents = kPercents,
              bool compressed = true)
        : image(mwtest::MakeTiledImage(w, h, percents, compressed)), path(dir.File("m.mwf2")) {
        EXPECT_TRUE(mw::WriteMwf2File(path, image, nullptr));
        auto f = mw::OpenImageFile(path);
        EXPECT_TRUE(f);
        if (f) file = std::move(*f);
        view.clientWidth = clientW;
        view.clientHeight = clientH;
    }
    bool Render(double z, int left, int top, int width = 0, int height = 0) {
        return ::Render(file, view, z, top, height, left, width, ui);
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
    } cases[] = {
        {"inside", 30, 20},
        {"left edge at -100", -100, 10},
        {"top above the image", 5, -70},
        {"beyond right and bottom", 250, 150},
        {"aligned to tiles", 64, 64},
        {"wholly outside", 1000, -1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(t.Render(1.0, c.left, c.top));
        EXPECT_EQ(t.view.palette, mw::MakeDisplayPalette(t.image.levels[0].colours));
        EXPECT_EQ(t.view.backgroundIndex, mw::BackgroundIndex(t.view.palette));
        EXPECT_TRUE(SamePixels(t.view.bitmap, t.Expected(0, c.left, c.top)));
    }
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST(TiledView, NarrowerRenderLeavesTheRestBackground) {
    TiledView t(300, 200, 160, 120);
    ASSERT_TRUE(t.Render(1.0, 10, 10, 50, 40));
    mw::IndexedBitmap want = t.Expected(0, 10, 10);
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x) {
            if (x >= 50 || y >= 40) want.Row(y)[x] = std::uint8_t(t.view.backgroundIndex);
        }
    }
    EXPECT_TRUE(SamePixels(t.view.bitmap, want));
}

TEST(TiledView, ShowsOnlyTheLevelsSizeNotTheWholeEdgeTiles) {
    mwtest::TempDir dir;
    mw::Mwf2Image image = mwtest::MakeTiledImage(300, 200, {100});
    ASSERT_TRUE(mw::WriteMwf2File(dir.File("m.mwf2"), image, nullptr));
    // Declare the level 290 × 190: the stored tiles still hold the pixels
    // beyond, which must not be shown.
    std::string bytes = dir.Read("m.mwf2");
    const std::uint32_t record = mwtest::ReadTiledLayout(bytes).records[0];
    PatchU32(bytes, record, 290);
    PatchU32(bytes, record + 4, 190);
    dir.Write("m.mwf2", bytes);
    auto f = mw::OpenImageFile(dir.File("m.mwf2"));
    ASSERT_TRUE(f);
    mw::ViewImage view = ViewOf(100, 80);
    Reported ui;
    ASSERT_TRUE(Render(*f, view, 1.0, 150, 0, 240, 0, ui));
    mw::IndexedBitmap cut;
    ASSERT_TRUE(mw::CreateIndexedBitmap(cut, 290, 190, 0));
    for (int y = 0; y < 190; ++y) std::copy_n(image.levels[0].pixels.Row(y), 290, cut.Row(y));
    EXPECT_TRUE(SamePixels(view.bitmap, mwtest::ExpectedView(cut, 240, 150, 100, 80,
                                                             std::uint8_t(view.backgroundIndex))));
}

TEST(TiledView, ZoomSelectsTheLevelItsPaletteAndAFreshCache) {
    TiledView t(300, 200, 128, 96);
    const struct {
        double divisor;
        int level;
    } steps[] = {
        {1.0, 0}, {2.0, 1}, {4.0, 2}, {1.0, 0}, {10.0, 3},
        {3.0, 0},         // 33 %: no such level, level 0 is used
        {1.33333333, 0},  // 75 %: likewise
        {0.5, 0},         // magnified: drawn at 100 %, stretched when painted
        {100 / 3.3, 4},   // the last level is a level like the others
        {2.0, 1},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.divisor);
        ASSERT_TRUE(t.Render(s.divisor, 3, 5));
        EXPECT_EQ(t.file.level, s.level);
        EXPECT_EQ(t.view.palette, mw::MakeDisplayPalette(t.image.levels[s.level].colours));
        EXPECT_TRUE(SamePixels(t.view.bitmap, t.Expected(s.level, 3, 5)));
        // Only tiles of this level are cached: those of this view.
        const int tilesX = t.file.tilesX;
        const int lw = t.image.levels[s.level].pixels.width;
        const int lh = t.image.levels[s.level].pixels.height;
        int inView = (std::min(lw, 3 + 128) - 1) / 64 - 3 / 64 + 1;
        inView *= (std::min(lh, 5 + 96) - 1) / 64 - 5 / 64 + 1;
        int held = 0;
        for (const mw::TileSlot& slot : t.file.cache.entries) {
            if (slot.key < 0) continue;
            ++held;
            EXPECT_LT(slot.key, tilesX * t.file.tilesY);
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
    OverwriteAt(t.path, firstTile, std::string(record - firstTile, '\0'));
    ASSERT_TRUE(t.Render(1.0, 0, 0));
    EXPECT_TRUE(SamePixels(t.view.bitmap, t.Expected(0, 0, 0)));
    ASSERT_TRUE(t.Render(1.0, 1950, 10));
    EXPECT_TRUE(SamePixels(t.view.bitmap, t.Expected(0, 1950, 10)));
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST(TiledView, NoBitmapForAnEmptyWindowClosesTheFile) {
    TiledView t(300, 200, 0, 100);
    EXPECT_FALSE(t.Render(1.0, 0, 0));
    EXPECT_FALSE(t.file.IsOpen());
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_FALSE(t.Render(1.0, 0, 0));
}

TEST(TileCache, EvictsTheLeastRecentlyUsedUnlockedSlot) {
    const struct {
        const char* name;
        std::vector<std::uint64_t> stamps;
        std::vector<bool> locked;
        int victim;
    } cases[] = {
        {"all empty: the last", {0, 0, 0}, {false, false, false}, 2},
        {"oldest", {5, 3, 9}, {false, false, false}, 1},
        {"oldest unlocked", {5, 3, 9}, {false, true, false}, 0},
        {"equal stamps: the later", {4, 4, 7}, {false, false, false}, 1},
        {"empty before used", {6, 0, 2}, {false, false, false}, 1},
        {"the later of two empty", {0, 8, 0, 1}, {false, false, false, false}, 2},
        {"all locked: slot 0", {5, 3, 9}, {true, true, true}, 0},
    };
    for (const auto& c : cases) {
        mw::TileCache cache;
        ASSERT_TRUE(mw::GrowTileCache(cache, int(c.stamps.size())));
        for (std::size_t i = 0; i < c.stamps.size(); ++i) {
            if (c.stamps[i] == 0) continue;  // never used: empty
            mw::AssignSlot(cache, int(i), 100 + int(i));
            cache.entries[i].stamp = c.stamps[i];
            cache.entries[i].locked = c.locked[i];
        }
        EXPECT_EQ(mw::ChooseVictim(cache), c.victim) << c.name;
    }
}

// A damaged file during a render: the message once, the previous view and
// palette kept, and a later good view works. (A file whose level table lies
// outside it is refused when it is opened: see OpenViewImage.)
TEST(TiledView, DamageShowsItsMessageOnceAndKeepsThePreviousView) {
    const struct {
        const char* name;
        double divisor;
        int at;  // the failing view's left and top
        const char* message;
        // Damage to the file before it is opened; the first view (tile 0
        // only) does not meet it, the failing view does.
        std::function<void(std::string& bytes)> damage;
    } cases[] = {
        {"tile offset beyond the end", 1.0, 100, "ReadTile Exception",
         [](std::string& b) {
             std::size_t at = mwtest::ReadTiledLayout(b).tileOffsetsAt[0];
             PatchU32(b, at + 4 * 12, std::uint32_t(b.size() + 100));  // tile (2, 2)
         }},
        {"tile stream corrupt", 1.0, 100, "ReadTile Exception",
         [](std::string& b) {
             std::size_t at = mwtest::ReadTiledLayout(b).tileOffsetsAt[0];
             b.replace(U32At(b, at + 4 * 12) + 3, 20, std::string(20, '\x77'));
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
        std::string bytes = t.dir.Read("m.mwf2");
        c.damage(bytes);
        t.dir.Write("m.mwf2", bytes);
        auto f = mw::OpenImageFile(t.path);
        ASSERT_TRUE(f);
        t.file = std::move(*f);
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

mwtest::StripContent StripOf(const mw::IndexedBitmap& pic, int bits, bool compressed) {
    mwtest::StripContent content;
    for (int y = 0; y < pic.height; ++y)
        content.indices.emplace_back(pic.Row(y), pic.Row(y) + pic.width);
    content.bitsPerPixel = bits;
    content.compressed = compressed;
    content.colours = mwtest::MakeColourTable(1 << bits);
    return content;
}

TEST(StripView, ShowsEveryStepthPixelAtEachDepth) {
    const mw::IndexedBitmap picture8 = mwtest::MakeMapLikeIndexed(75, 52, 256, 3);
    for (int bits : {1, 2, 4, 8}) {
        mw::IndexedBitmap pic = picture8;
        for (auto& p : pic.pixels) p = std::uint8_t(p % (1 << bits));
        for (bool compressed : {true, false}) {
            mwtest::TempDir dir;
            dir.Write("s.mwf", mwtest::MakeStripFile(StripOf(pic, bits, compressed)));
            auto f = mw::OpenImageFile(dir.File("s.mwf"));
            ASSERT_TRUE(f);
            mw::ViewImage view = ViewOf(40, 30);
            Reported ui;
            const struct {
                double divisor;
                int left, top;
            } cases[] = {{1, 10, 5},  {1, -7, -3},  {1, 50, 40}, {2, 3, 2},
                         {2, 30, 20}, {3.0, -2, 1}, {2.5, 5, 5}, {0.5, 0, 0}};
            for (const auto& c : cases) {
                SCOPED_TRACE(testing::Message()
                             << bits << " bits, compressed " << compressed << ", divisor "
                             << c.divisor << " at " << c.left << "," << c.top);
                ASSERT_TRUE(Render(*f, view, c.divisor, c.top, 0, c.left, 0, ui));
                const int step = c.divisor < 1 ? 1 : int(c.divisor);
                mw::IndexedBitmap want;
                mw::CreateIndexedBitmap(want, 40, 30, std::uint8_t(view.backgroundIndex));
                for (int y = 0; y < 30; ++y) {
                    for (int x = 0; x < 40; ++x) {
                        int vx = c.left + x, vy = c.top + y;
                        if (vx >= 0 && vx < 75 / step && vy >= 0 && step * vy < 52) {
                            want.Row(y)[x] = pic.At(step * vx, step * vy);
                        }
                    }
                }
                EXPECT_TRUE(SamePixels(view.bitmap, want));
            }
            EXPECT_TRUE(ui.messages.empty());
        }
    }
}

TEST(StripView, PacksPixelsMostSignificantBitsFirst) {
    const struct {
        int bits;
        std::vector<std::uint8_t> pixels;
    } cases[] = {
        {1, {1, 0, 1, 1, 0, 0, 0, 0, 0, 1}}, {2, {3, 0, 1, 2, 1}}, {4, {0xa, 0x3, 0xf}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        mwtest::StripContent content;
        content.indices = {c.pixels};
        content.bitsPerPixel = c.bits;
        content.compressed = false;
        content.colours = mwtest::MakeColourTable(1 << c.bits);
        mwtest::TempDir dir;
        dir.Write("s.mwf", mwtest::MakeStripFile(content));
        auto f = mw::OpenImageFile(dir.File("s.mwf"));
        ASSERT_TRUE(f);
        mw::ViewImage view = ViewOf(int(c.pixels.size()), 1);
        Reported ui;
        ASSERT_TRUE(Render(*f, view, 1, 0, 0, 0, 0, ui));
        EXPECT_EQ(
            std::vector<std::uint8_t>(view.bitmap.Row(0), view.bitmap.Row(0) + c.pixels.size()),
            c.pixels);
    }
}

TEST(StripView, DamagedRowShowsItsMessageOnceAndKeepsThePreviousView) {
    for (bool compressed : {true, false}) {
        SCOPED_TRACE(compressed);
        mw::IndexedBitmap pic = mwtest::MakeMapLikeIndexed(60, 50, 256, 9);
        mwtest::TempDir dir;
        std::string bytes = mwtest::MakeStripFile(StripOf(pic, 8, compressed));
        // Row 30 ends before it starts.
        std::size_t table = U32At(bytes, bytes.size() - 4);
        PatchU32(bytes, table + 4 * 31, U32At(bytes, table + 4 * 30) - 1);
        dir.Write("s.mwf", bytes);
        auto f = mw::OpenImageFile(dir.File("s.mwf"));
        ASSERT_TRUE(f);
        mw::ViewImage view = ViewOf(30, 20);
        Reported ui;
        ASSERT_TRUE(Render(*f, view, 1, 0, 0, 0, 0, ui));
        const mw::IndexedBitmap before = view.bitmap;
        EXPECT_FALSE(Render(*f, view, 1, 25, 0, 10, 0, ui));
        EXPECT_EQ(ui.messages, std::vector<std::string>{"ReadStrip Exception"});
        EXPECT_TRUE(SamePixels(view.bitmap, before));
    }
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
        auto v = Open(dir.File("m.mwf2"), c.divisor, 60, 40, 121, 81, ui);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->imageWidth, 300);
        EXPECT_EQ(v->imageHeight, 200);
        EXPECT_EQ(v->file.level, c.level);
        EXPECT_EQ(v->view.palette, mw::MakeDisplayPalette(image.levels[c.level].colours));
        EXPECT_TRUE(SamePixels(
            v->view.bitmap, mwtest::ExpectedView(image.levels[c.level].pixels, c.left, c.top, 121,
                                                 81, std::uint8_t(v->view.backgroundIndex))));
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST(OpenViewImage, ReportsMissingDamagedAndBadlyTiledFiles) {
    mwtest::TempDir dir;
    Reported ui;
    EXPECT_FALSE(Open(dir.File("none.mwf2"), 1, 10, 10, 20, 20, ui));
    EXPECT_TRUE(ui.messages.empty());

    ASSERT_TRUE(mw::WriteMwf2File(dir.File("m.mwf2"), mwtest::MakeTiledImage(300, 200, kPercents),
                                  nullptr));
    std::string good = dir.Read("m.mwf2");
    std::string bad = good;
    PatchU32(bad, bad.size() - 4, std::uint32_t(bad.size()));
    dir.Write("bad.mwf2", bad);
    EXPECT_FALSE(Open(dir.File("bad.mwf2"), 1, 10, 10, 20, 20, ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"LoadMWF2tile(s) Exception"});

    // A damaged tile in the first view: the image opens, the view is blank.
    ui.messages.clear();
    bad = good;
    std::size_t at = mwtest::ReadTiledLayout(bad).tileOffsetsAt[0];
    PatchU32(bad, at + 4 * 7, 3);  // tile (2, 1), in the centre of the image
    dir.Write("bad.mwf2", bad);
    auto v = Open(dir.File("bad.mwf2"), 1, 10, 10, 20, 20, ui);
    ASSERT_TRUE(v);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"ReadTile Exception"});
    for (std::uint8_t p : v->view.bitmap.pixels) ASSERT_EQ(p, v->view.backgroundIndex);
}

TEST(BuildLevelImage, RefusesStripsAndDamagedTiles) {
    mwtest::TempDir dir;
    Reported ui;
    dir.Write("s.mwf",
              mwtest::MakeStripFile(StripOf(mwtest::MakeMapLikeIndexed(9, 9, 4, 1), 8, true)));
    EXPECT_FALSE(Level(dir.File("s.mwf"), -1, ui));
    EXPECT_TRUE(ui.messages.empty());

    ASSERT_TRUE(mw::WriteMwf2File(dir.File("m.mwf2"), mwtest::MakeTiledImage(300, 200, kPercents),
                                  nullptr));
    EXPECT_FALSE(Level(dir.File("m.mwf2"), 5, ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"LoadMWF2tile(s) Exception"});
    ui.messages.clear();
    std::string bad = dir.Read("m.mwf2");
    mwtest::TiledLayout at = mwtest::ReadTiledLayout(bad);
    PatchU32(bad, at.tileOffsetsAt.back(), std::uint32_t(bad.size() + 1));
    dir.Write("m.mwf2", bad);
    EXPECT_FALSE(Level(dir.File("m.mwf2"), -1, ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"ReadTile Exception"});
}

}  // namespace
