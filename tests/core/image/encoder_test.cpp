// The map image encoder: palette, levels, and what the reader gets back.
#include <cmath>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "image/mwf2_writer.h"
#include "image/palette_reduce.h"
#include "image/view_render.h"
#include "support/text.h"
#include "testlib/image_fixtures.h"
#include "testlib/temp_dir.h"

namespace {

using mwtest::SamePixels;

int FileCount(const std::string& folder) {
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) (void)e, ++files;
    return files;
}

mw::RgbImage MapLikeRgb(int w, int h, int colours) {
    return mwtest::ToRgb(mwtest::MakeMapLikeIndexed(w, h, colours, 11),
                         mwtest::MakeColourTable(colours, 5));
}

TEST(Encoder, RoundTripGivesBackEveryLevelsIndicesExactly) {
    const mw::RgbImage source = MapLikeRgb(500, 300, 200);
    for (bool compressed : {true, false}) {
        SCOPED_TRACE(compressed);
        mw::EncodeOptions options;
        options.compressed = compressed;
        mw::Mwf2Image built;
        mw::EncodeReport report;
        std::string error;
        ASSERT_TRUE(mw::BuildMapImage(source.View(), options, built, &report, &error)) << error;
        mwtest::TempDir dir;
        ASSERT_TRUE(mw::EncodeMapImage(source.View(), options, dir.File("m.mwf2"), nullptr, &error))
            << error;

        // The colours fit: the palette is exact, with white added for the
        // background beyond the map's edge.
        std::set<std::uint32_t> distinct(source.pixels.begin(), source.pixels.end());
        ASSERT_LT(distinct.size(), 256u);
        EXPECT_EQ(report.colourCount, int(distinct.size()) + 1);
        EXPECT_TRUE(std::isinf(report.psnr));
        ASSERT_EQ(built.levels.size(), 4u);  // 10 % is 50 pixels: no extra overview level
        mw::ImageFault fault = mw::ImageFault::None;
        for (int level = 0; level < 4; ++level) {
            SCOPED_TRACE(level);
            auto decoded = mw::BuildLevelImage(dir.File("m.mwf2"), level, fault);
            ASSERT_TRUE(decoded);
            EXPECT_EQ(fault, mw::ImageFault::None);
            EXPECT_TRUE(SamePixels(decoded->bitmap, built.levels[level].pixels));
            EXPECT_EQ(decoded->colourTable, built.levels[level].colours);
        }
        // Level 0 through its palette is the source, pixel for pixel.
        auto level0 = mw::BuildLevelImage(dir.File("m.mwf2"), 0, fault);
        ASSERT_TRUE(level0);
        for (int y = 0; y < 300; y += 7) {
            for (int x = 0; x < 500; x += 3) {
                mw::Rgb c = level0->palette[level0->bitmap.At(x, y)];
                ASSERT_EQ(mw::PackRgb(c.r, c.g, c.b), source.pixels[y * 500 + x]) << x << "," << y;
            }
        }
        // The background of a view is the added white.
        mw::DisplayPalette palette = level0->palette;
        EXPECT_EQ(palette[mw::BackgroundIndex(palette)], (mw::Rgb{255, 255, 255}));
    }
}

TEST(Encoder, LevelsAreSortedSizedAndEndWithASmallOverviewLevel) {
    mw::RgbImage source;
    source.width = 2400;
    source.height = 600;
    source.pixels.assign(2400 * 600, 0x336699);
    mw::EncodeOptions options;
    options.levelPercents = {25, 100, 10, 50, 50.04};
    mw::Mwf2Image image;
    mw::EncodeReport report;
    ASSERT_TRUE(mw::BuildMapImage(source.View(), options, image, &report, nullptr));
    // 10 % is still 240 pixels long, so a last level of at most 220 follows.
    const struct {
        float percent;
        int w, h, tilesX, tilesY;
    } want[] = {{100, 2400, 600, 38, 10}, {50, 1200, 300, 19, 5}, {25, 600, 150, 10, 3},
                {10, 240, 60, 4, 1},      {9.1f, 218, 55, 4, 1}};
    ASSERT_EQ(image.levels.size(), std::size(want));
    ASSERT_EQ(report.levels.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(image.levels[i].percent, want[i].percent);
        EXPECT_EQ(image.levels[i].pixels.width, want[i].w);
        EXPECT_EQ(image.levels[i].pixels.height, want[i].h);
        EXPECT_EQ(report.levels[i].tilesX, want[i].tilesX);
        EXPECT_EQ(report.levels[i].tilesY, want[i].tilesY);
    }
    EXPECT_EQ(report.colourCount, 2);  // the colour and white
}

TEST(Encoder, RefusesLevelsTheFormatCannotHold) {
    mw::RgbImage source;
    source.width = source.height = 10;
    source.pixels.assign(100, 0);
    std::vector<double> tooMany;
    for (int i = 1; i <= 21; ++i) tooMany.push_back(i);
    const struct {
        const char* name;
        std::vector<double> percents;
    } cases[] = {{"none", {}}, {"zero", {100, 0}}, {"above 100", {150}}, {"not a number", {NAN}},
                 {"21 levels", tooMany}};
    for (const auto& c : cases) {
        mw::EncodeOptions options;
        options.levelPercents = c.percents;
        mw::Mwf2Image image;
        std::string error;
        EXPECT_FALSE(mw::BuildMapImage(source.View(), options, image, nullptr, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
}

TEST(Encoder, WriterRefusesImagesItCannotWrite) {
    mwtest::TempDir dir;
    mw::Mwf2Image image = mwtest::MakeTiledImage(100, 80, {100});
    std::string error;
    EXPECT_FALSE(mw::WriteMwf2File(dir.File("no/such/folder/m.mwf2"), image, &error));
    mw::Mwf2Image none = image;
    none.levels.clear();
    EXPECT_FALSE(mw::WriteMwf2File(dir.File("a.mwf2"), none, &error));
    mw::Mwf2Image many = image;
    while (many.levels.size() < 21) many.levels.push_back(image.levels[0]);
    EXPECT_FALSE(mw::WriteMwf2File(dir.File("a.mwf2"), many, &error));
    mw::Mwf2Image empty = image;
    empty.levels[0].pixels = mw::IndexedBitmap{};
    EXPECT_FALSE(mw::WriteMwf2File(dir.File("a.mwf2"), empty, &error));
    EXPECT_FALSE(mw::FileExists(dir.File("a.mwf2")));
}

TEST(ScaleImage, AveragesTheAreaEachPixelCovers) {
    mw::RgbImage s;
    s.width = 3;
    s.height = 2;
    s.pixels = {mw::PackRgb(0, 0, 0),  mw::PackRgb(90, 30, 3), mw::PackRgb(180, 60, 255),
                mw::PackRgb(30, 0, 0), mw::PackRgb(90, 30, 3), mw::PackRgb(180, 60, 255)};
    // 3 → 2 across, 2 → 1 down: output 0 covers pixel 0 and half of pixel 1.
    mw::RgbImage out = mw::ScaleImage(s.View(), 2, 1);
    ASSERT_EQ(out.pixels.size(), 2u);
    // Rows averaged: (15, 0, 0), (90, 30, 3), (180, 60, 255); then
    // (c0 + c1 / 2) / 1.5 and (c1 / 2 + c2) / 1.5.
    EXPECT_EQ(out.pixels[0], mw::PackRgb(40, 10, 1));
    EXPECT_EQ(out.pixels[1], mw::PackRgb(150, 50, 171));
}

// The palette of a photograph-like picture against a fixed 6 × 7 × 6 colour
// cube: the reduction must beat it clearly and reach a quality where the
// difference is hard to see.
TEST(PaletteReduction, PhotographLikePictureKeepsItsQuality) {
    const mw::RgbImage photo = mwtest::MakePhotoLike(256, 192);
    const std::vector<mw::Rgb> palette = mw::ReducePalette(photo.View());
    ASSERT_EQ(palette.size(), 256u);
    const double psnr =
        mw::PeakSignalToNoise(photo.View(), mw::MapToPalette(photo.View(), palette), palette);

    std::vector<mw::Rgb> cube;
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 7; ++g) {
            for (int b = 0; b < 6; ++b)
                cube.push_back(
                    mw::Rgb{std::uint8_t(r * 51), std::uint8_t(g * 42), std::uint8_t(b * 51)});
        }
    }
    const double cubePsnr =
        mw::PeakSignalToNoise(photo.View(), mw::MapToPalette(photo.View(), cube), cube);
    EXPECT_GT(psnr, cubePsnr + 6) << psnr << " dB against " << cubePsnr << " dB";
    EXPECT_GT(psnr, 36.0);
}

TEST(PaletteReduction, FewColoursAreKeptExactly) {
    // Exactly 256 colours, each used 16 times.
    mw::IndexedBitmap all;
    ASSERT_TRUE(mw::CreateIndexedBitmap(all, 64, 64, 0));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) all.Row(y)[x] = std::uint8_t((x * 7 + y * 64) % 256);
    }
    mw::ColourTable table = mwtest::MakeColourTable(256);
    const mw::RgbImage map = mwtest::ToRgb(all, table);
    const std::vector<mw::Rgb> palette = mw::ReducePalette(map.View());
    EXPECT_EQ(palette.size(), 256u);  // full: no room for an extra white
    const mw::IndexedBitmap indexed = mw::MapToPalette(map.View(), palette);
    EXPECT_TRUE(std::isinf(mw::PeakSignalToNoise(map.View(), indexed, palette)));
}

// A picture handed out in bands, recording what was asked; it can fail at a
// chosen row, as a damaged scan does.
class RecordingRows : public mw::PictureRows {
public:
    explicit RecordingRows(const mw::RgbImage& image) : view_(image.View()), rows_(view_) {}
    int Width() const override { return view_.width; }
    int Height() const override { return view_.height; }
    bool ReadRows(int y, int count, std::uint32_t* out, std::string* error) override {
        if (failAt >= 0 && y <= failAt && failAt < y + count) {
            *error = "damaged band";
            return false;
        }
        // Each pass reads consecutive bands from the top.
        if (y == 0) ++passes;
        if (y != next && y != 0) gaps = true;
        next = y + count;
        return rows_.ReadRows(y, count, out, error);
    }
    int failAt = -1, passes = 0, next = 0;
    bool gaps = false;

private:
    mw::RgbImageView view_;
    mw::ViewRows rows_;
};

TEST(StreamingEncoder, WritesTheSameFileAsTheWholePictureEncoder) {
    struct Case {
        const char* name;
        mw::RgbImage picture;
        std::vector<double> levels;
        bool compressed;
    };
    const Case cases[] = {
        {"few colours, edges not on tiles", MapLikeRgb(333, 201, 40), {100, 50, 25, 10}, true},
        {"many colours: the palette is quantised", mwtest::MakePhotoLike(300, 260), {100, 33}, true},
        {"no full-size level, raw tiles", MapLikeRgb(500, 140, 12), {70, 30.3}, false},
        {"one pixel", MapLikeRgb(1, 1, 1), {100}, true},
        // Tall enough for several bands of the picture and the overview level.
        {"tall and thin", MapLikeRgb(40, 2500, 30), {100, 40, 10}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mw::EncodeOptions options;
        options.levelPercents = c.levels;
        options.compressed = c.compressed;
        mwtest::TempDir dir;
        mw::Mwf2Image built;
        mw::EncodeReport whole, streamed;
        std::string error;
        ASSERT_TRUE(mw::BuildMapImage(c.picture.View(), options, built, &whole, &error)) << error;
        ASSERT_TRUE(mw::WriteMwf2File(dir.File("whole.mwf2"), built, &error)) << error;

        RecordingRows rows(c.picture);
        std::vector<double> progress;
        ASSERT_TRUE(mw::EncodeMapImage(rows, options, dir.File("streamed.mwf2"), &streamed, &error,
                                       [&](double f) { progress.push_back(f); }))
            << error;
        EXPECT_EQ(dir.Read("streamed.mwf2"), dir.Read("whole.mwf2"));
        EXPECT_EQ(streamed.colourCount, whole.colourCount);
        EXPECT_EQ(streamed.psnr, whole.psnr);
        EXPECT_EQ(rows.passes, 2);  // the palette, then the tiles
        EXPECT_FALSE(rows.gaps);
        ASSERT_FALSE(progress.empty());
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_EQ(progress.back(), 1.0);
        // Nothing but the two images is left in the folder.
        EXPECT_EQ(FileCount(dir.Path()), 2);
    }
}

TEST(StreamingEncoder, AFailedReadLeavesNoFileBehind) {
    const mw::RgbImage picture = MapLikeRgb(200, 900, 20);
    for (int failAt : {0, 899}) {
        SCOPED_TRACE(failAt);
        mwtest::TempDir dir;
        dir.Write("m.mwf2", "the old file");
        RecordingRows rows(picture);
        rows.failAt = failAt;
        std::string error;
        EXPECT_FALSE(
            mw::EncodeMapImage(rows, mw::EncodeOptions{}, dir.File("m.mwf2"), nullptr, &error));
        EXPECT_EQ(error, "damaged band");
        EXPECT_EQ(dir.Read("m.mwf2"), "the old file");
        EXPECT_EQ(FileCount(dir.Path()), 1);
    }
}

}  // namespace
