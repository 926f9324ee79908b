// The map image encoder: palette, levels, and what the reader gets back.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "image/mwf2_writer.h"
#include "image/view_render.h"
#include "testlib/image_fixtures.h"
#include "testlib/temp_dir.h"

namespace {

using mwtest::SamePixels;

int FileCount(const std::string& folder) {
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) (void)e, ++files;
    return files;
}

// Smooth shades of far more colours than a palette holds, as in an aerial
// photograph.
mw::RgbImage PhotoLike(int w, int h) {
    mw::RgbImage photo;
    photo.width = w;
    photo.height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) photo.pixels.push_back(mw::PackRgb(x * 255 / w, y * 255 / h, (x * y) % 251));
    return photo;
}

mw::RgbImage MapLikeRgb(int w, int h, int colours) {
    return mwtest::ToRgb(mwtest::MakeMapLikeIndexed(w, h, colours, 11),
                         mwtest::MakeColourTable(colours, 5));
}

TEST(Encoder, RoundTripGivesBackEveryLevelsIndicesExactly) {
    // Exactly 256 colours, each used 16 times: the palette is full, with no
    // room for the white that a view's background beyond the map's edge gets.
    mw::IndexedBitmap all;
    ASSERT_TRUE(mw::CreateIndexedBitmap(all, 64, 64, 0));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) all.Row(y)[x] = std::uint8_t((x * 7 + y * 64) % 256);
    const struct {
        const char* name;
        mw::RgbImage source;
        bool compressed;
    } cases[] = {
        {"200 colours", MapLikeRgb(500, 300, 200), true},
        {"200 colours, raw tiles", MapLikeRgb(500, 300, 200), false},
        {"256 colours", mwtest::ToRgb(all, mwtest::MakeColourTable(256)), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mw::EncodeOptions options;
        options.compressed = c.compressed;
        mw::Mwf2Image built;
        mw::EncodeReport report;
        std::string error;
        ASSERT_TRUE(mw::BuildMapImage(c.source.View(), options, built, &report, &error)) << error;
        mwtest::TempDir dir;
        ASSERT_TRUE(mw::EncodeMapImage(c.source.View(), options, dir.File("m.mwf2"), nullptr, &error))
            << error;

        // The colours fit: the palette is exact, white added while there is room.
        const std::set<std::uint32_t> distinct(c.source.pixels.begin(), c.source.pixels.end());
        ASSERT_LE(distinct.size(), 256u);
        EXPECT_EQ(report.colourCount, std::min(int(distinct.size()) + 1, 256));
        EXPECT_TRUE(std::isinf(report.psnr));
        ASSERT_EQ(built.levels.size(), 4u);  // 10 % is at most 50 pixels: no extra overview level
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
        const int w = c.source.width;
        for (int y = 0; y < c.source.height; y += 3) {
            for (int x = 0; x < w; ++x) {
                mw::Rgb colour = level0->palette[level0->bitmap.At(x, y)];
                ASSERT_EQ(mw::PackRgb(colour.r, colour.g, colour.b), c.source.pixels[y * w + x]) << x << "," << y;
            }
        }
    }
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
    } cases[] = {{"zero", {100, 0}}, {"21 levels", tooMany}};
    for (const auto& c : cases) {
        mw::EncodeOptions options;
        options.levelPercents = c.percents;
        mw::Mwf2Image image;
        std::string error;
        EXPECT_FALSE(mw::BuildMapImage(source.View(), options, image, nullptr, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
}

// A picture handed out in bands that fails at a chosen row, as a damaged
// scan does.
class FailingRows : public mw::PictureRows {
public:
    FailingRows(const mw::RgbImage& image, int failAt) : view_(image.View()), rows_(view_), failAt_(failAt) {}
    int Width() const override { return view_.width; }
    int Height() const override { return view_.height; }
    bool ReadRows(int y, int count, std::uint32_t* out, std::string* error) override {
        if (failAt_ >= 0 && y <= failAt_ && failAt_ < y + count) {
            *error = "damaged band";
            return false;
        }
        return rows_.ReadRows(y, count, out, error);
    }

private:
    mw::RgbImageView view_;
    mw::ViewRows rows_;
    int failAt_;
};

TEST(StreamingEncoder, WritesTheSameFileAsTheWholePictureEncoder) {
    struct Case {
        const char* name;
        mw::RgbImage picture;
        std::vector<double> levels;
        bool compressed;
        float dither = 0;
    };
    const Case cases[] = {
        {"few colours, edges not on tiles", MapLikeRgb(333, 201, 40), {100, 50, 25, 10}, true},
        {"many colours: the palette is quantised", PhotoLike(300, 260), {100, 33}, true},
        {"no full-size level, raw tiles", MapLikeRgb(500, 140, 12), {70, 30.3}, false},
        {"one pixel", MapLikeRgb(1, 1, 1), {100}, true},
        // Tall enough for several bands of the picture and the overview level.
        {"tall and thin", MapLikeRgb(40, 2500, 30), {100, 40, 10}, true},
        // Error diffusion restarts at each band of tile rows, wherever the
        // picture's own bands were cut.
        {"many colours, dithered", PhotoLike(150, 700), {100, 45}, true, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mw::EncodeOptions options;
        options.levelPercents = c.levels;
        options.compressed = c.compressed;
        options.dither = c.dither;
        mwtest::TempDir dir;
        mw::Mwf2Image built;
        mw::EncodeReport whole, streamed;
        std::string error;
        ASSERT_TRUE(mw::BuildMapImage(c.picture.View(), options, built, &whole, &error)) << error;
        ASSERT_TRUE(mw::WriteMwf2File(dir.File("whole.mwf2"), built, &error)) << error;

        FailingRows rows(c.picture, -1);
        ASSERT_TRUE(mw::EncodeMapImage(rows, options, dir.File("streamed.mwf2"), &streamed, &error))
            << error;
        EXPECT_EQ(dir.Read("streamed.mwf2"), dir.Read("whole.mwf2"));
        EXPECT_EQ(streamed.colourCount, whole.colourCount);
        EXPECT_EQ(streamed.psnr, whole.psnr);
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
        FailingRows rows(picture, failAt);
        std::string error;
        EXPECT_FALSE(
            mw::EncodeMapImage(rows, mw::EncodeOptions{}, dir.File("m.mwf2"), nullptr, &error));
        EXPECT_EQ(error, "damaged band");
        EXPECT_EQ(dir.Read("m.mwf2"), "the old file");
        EXPECT_EQ(FileCount(dir.Path()), 1);
    }
}

// Shaded relief as on a topographic scan: a height field lit from the
// north-west, tinted from green lowlands to brown heights, with brown
// contour lines and dark strokes; grain of +-2 as a scanner leaves.
mw::RgbImage ShadedRelief(int w, int h) {
    auto height = [](double x, double y) {
        return 600 + 300 * std::sin(x / 37.0) * std::cos(y / 53.0) + 150 * std::sin((x + y) / 19.0) +
               40 * std::sin(x / 5.3) * std::sin(y / 6.1);
    };
    mw::RgbImage out;
    out.width = w;
    out.height = h;
    unsigned noise = 7;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double z = height(x, y);
            const double dx = height(x + 1, y) - height(x - 1, y);
            const double dy = height(x, y + 1) - height(x, y - 1);
            const double shade = std::clamp(0.7 + (-dx - dy) / 60.0, 0.3, 1.0);
            const double t = std::clamp((z - 150) / 900, 0.0, 1.0);
            double r = (110 + 110 * t) * shade, g = (160 + 20 * t) * shade, b = (90 + 30 * t) * shade;
            if (std::fmod(z, 100.0) < 4) r = 150, g = 90, b = 40;
            if ((x / 9 + y / 13) % 23 == 0 && (x % 9) < 2) r = g = b = 30;
            noise = noise * 1103515245u + 12345u;
            const int grain = int((noise >> 16) % 5) - 2;
            auto c = [&](double v) { return std::clamp(int(std::lround(v)) + grain, 0, 255); };
            out.pixels.push_back(mw::PackRgb(c(r), c(g), c(b)));
        }
    }
    return out;
}

// The palette of a shaded relief keeps the shades apart: a quantiser that
// bands them (a poor palette, or the nearest colour searched wrongly) falls
// below the floor. Diffusion may cost a little PSNR, not much, and must
// change the pixels it is asked to.
TEST(Encoder, ShadedReliefKeepsItsShades) {
    const mw::RgbImage relief = ShadedRelief(384, 320);
    mw::EncodeOptions options;
    options.levelPercents = {100};
    mw::Mwf2Image plain, dithered;
    mw::EncodeReport plainReport, ditheredReport;
    std::string error;
    ASSERT_TRUE(mw::BuildMapImage(relief.View(), options, plain, &plainReport, &error)) << error;
    options.dither = 1;
    ASSERT_TRUE(mw::BuildMapImage(relief.View(), options, dithered, &ditheredReport, &error))
        << error;
    EXPECT_EQ(plainReport.colourCount, 256);
    EXPECT_GE(plainReport.psnr, 45.0);  // 46.8 dB when written
    EXPECT_GE(ditheredReport.psnr, plainReport.psnr - 3.0);
    EXPECT_FALSE(SamePixels(plain.levels[0].pixels, dithered.levels[0].pixels));
    // The report's PSNR is the written picture's, through the written table.
    double sq = 0;
    const mw::ColourTable& table = plain.levels[0].colours;
    for (int y = 0; y < relief.height; ++y) {
        for (int x = 0; x < relief.width; ++x) {
            const std::uint32_t c = relief.pixels[std::size_t(y) * relief.width + x];
            const mw::ColourEntry& e = table[plain.levels[0].pixels.At(x, y)];
            const double dr = mw::RedOf(c) - e.red, dg = mw::GreenOf(c) - e.green,
                         db = mw::BlueOf(c) - e.blue;
            sq += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sq / (3.0 * relief.width * relief.height);
    EXPECT_NEAR(plainReport.psnr, 10 * std::log10(255.0 * 255.0 / mse), 1e-6);
}

}  // namespace

// Smaller levels are area means rounded half away from zero (a half-even or
// truncating rounding would change every written file); 254.5 stays 255.
TEST(ScaleImage, MeansRoundHalvesUp) {
    const std::uint32_t row[] = {mw::PackRgb(2, 0, 254), mw::PackRgb(3, 1, 255),
                                 mw::PackRgb(4, 7, 9), mw::PackRgb(5, 8, 10)};
    const mw::RgbImage half = mw::ScaleImage(mw::RgbImageView{row, 4, 1, 4}, 2, 1);
    EXPECT_EQ(half.pixels,
              (std::vector<std::uint32_t>{mw::PackRgb(3, 1, 255), mw::PackRgb(5, 8, 10)}));
    // Thirds: 1/3 of 0 + 1/3 of 0 + 1/3 of 2 rounds to 1.
    const std::uint32_t three[] = {mw::PackRgb(0, 0, 0), mw::PackRgb(0, 0, 0),
                                   mw::PackRgb(2, 2, 2)};
    EXPECT_EQ(mw::ScaleImage(mw::RgbImageView{three, 3, 1, 3}, 1, 1).pixels[0],
              mw::PackRgb(1, 1, 1));
}
