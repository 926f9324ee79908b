// The raster reader on small files made here with GDAL: each kind of raster
// comes out as the 8-bit RGB the encoder takes, and damaged files fail with
// the file's name and a reason.
#include <gdal.h>
#include <cpl_conv.h>

#include <unistd.h>

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "image/rgb_image.h"
#include "raster/raster_rows.h"
#include "testlib/temp_dir.h"

namespace {

using mw::PackRgb;
constexpr std::uint32_t kWhite = 0xffffff;

// Value of band b (1-based) at x, y.
using Fill = std::function<double(int b, int x, int y)>;
using Prepare = std::function<void(GDALDatasetH)>;

// Makes `path` through an in-memory raster copied by `driver`, as a user's
// file would have been written.
void MakeRaster(const std::string& path, const char* driver, int w, int h, int bands,
                GDALDataType type, const Fill& fill, const Prepare& setup = {},
                char** options = nullptr) {
    GDALAllRegister();
    GDALDatasetH mem =
        GDALCreate(GDALGetDriverByName("MEM"), "", w, h, bands, type, nullptr);
    ASSERT_NE(mem, nullptr);
    std::vector<double> row(w);
    for (int b = 1; b <= bands; ++b) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) row[x] = fill(b, x, y);
            ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(mem, b), GF_Write, 0, y, w, 1, row.data(), w,
                                   1, GDT_Float64, 0, 0),
                      CE_None);
        }
    }
    if (setup) setup(mem);
    GDALDatasetH out = GDALCreateCopy(GDALGetDriverByName(driver), path.c_str(), mem, FALSE,
                                      options, nullptr, nullptr);
    ASSERT_NE(out, nullptr) << CPLGetLastErrorMsg();
    GDALClose(out);
    GDALClose(mem);
}

void Interpret(GDALDatasetH ds, std::vector<GDALColorInterp> interps) {
    for (std::size_t i = 0; i < interps.size(); ++i)
        GDALSetRasterColorInterpretation(GDALGetRasterBand(ds, int(i) + 1), interps[i]);
}

std::vector<std::uint32_t> ReadAll(mw::PictureRows& rows, std::string* error) {
    std::vector<std::uint32_t> out(std::size_t(rows.Width()) * rows.Height());
    if (!rows.ReadRows(0, rows.Height(), out.data(), error)) out.clear();
    for (auto& p : out) p &= 0xffffff;
    return out;
}

TEST(RasterRows, EachKindOfRasterComesOutAsRgb) {
    struct Case {
        const char* name;
        const char* driver;
        int bands;
        GDALDataType type;
        Fill fill;
        Prepare setup;
        // The pixels of a 3 x 2 raster, top row first.
        std::vector<std::uint32_t> want;
    };
    const Case cases[] = {
        {"RGB", "PNG", 3, GDT_Byte, [](int b, int x, int y) { return b * 40 + x * 10 + y; }, {},
         {PackRgb(40, 80, 120), PackRgb(50, 90, 130), PackRgb(60, 100, 140),
          PackRgb(41, 81, 121), PackRgb(51, 91, 131), PackRgb(61, 101, 141)}},
        {"grey", "GTiff", 1, GDT_Byte, [](int, int x, int y) { return x * 100 + y; }, {},
         {PackRgb(0, 0, 0), PackRgb(100, 100, 100), PackRgb(200, 200, 200), PackRgb(1, 1, 1),
          PackRgb(101, 101, 101), PackRgb(201, 201, 201)}},
        {"palette, index 3 transparent", "PNG", 1, GDT_Byte,
         [](int, int x, int y) { return (x + 3 * y) % 4; },
         [](GDALDatasetH ds) {
             GDALColorTableH t = GDALCreateColorTable(GPI_RGB);
             const GDALColorEntry e[] = {
                 {10, 20, 30, 255}, {200, 0, 0, 255}, {0, 0, 250, 255}, {0, 0, 0, 0}};
             for (int i = 0; i < 4; ++i) GDALSetColorEntry(t, i, &e[i]);
             GDALSetRasterColorTable(GDALGetRasterBand(ds, 1), t);
             GDALDestroyColorTable(t);
         },
         {PackRgb(10, 20, 30), PackRgb(200, 0, 0), PackRgb(0, 0, 250), kWhite,
          PackRgb(10, 20, 30), PackRgb(200, 0, 0)}},
        // 16 bits from 1000 to 3000: the range is spread over 0 .. 255.
        {"16-bit grey", "GTiff", 1, GDT_UInt16,
         [](int, int x, int y) { return 1000 + 1000 * x + (y ? 500 : 0) * (x == 0); }, {},
         {PackRgb(0, 0, 0), PackRgb(128, 128, 128), PackRgb(255, 255, 255),
          PackRgb(64, 64, 64), PackRgb(128, 128, 128), PackRgb(255, 255, 255)}},
        // Floats with a nodata value: that pixel is white, the others scaled
        // from -1 to 1 (nodata left out of the range).
        {"float, nodata", "GTiff", 1, GDT_Float32,
         [](int, int x, int y) { return y == 1 && x == 2 ? -9999.0 : -1.0 + x + y * 0.5; },
         [](GDALDatasetH ds) { GDALSetRasterNoDataValue(GDALGetRasterBand(ds, 1), -9999); },
         {PackRgb(0, 0, 0), PackRgb(128, 128, 128), PackRgb(255, 255, 255),
          PackRgb(64, 64, 64), PackRgb(191, 191, 191), kWhite}},
        // Alpha 0 is white, alpha 102 (40 %) lays 60 % white over the colour.
        {"RGBA", "PNG", 4, GDT_Byte,
         [](int b, int x, int y) { return b == 4 ? (x == 0 ? 255 : x == 1 ? 0 : 102) : 100.0; },
         [](GDALDatasetH ds) {
             Interpret(ds, {GCI_RedBand, GCI_GreenBand, GCI_BlueBand, GCI_AlphaBand});
         },
         {PackRgb(100, 100, 100), kWhite, PackRgb(193, 193, 193), PackRgb(100, 100, 100), kWhite,
          PackRgb(193, 193, 193)}},
        // RGB with nodata 0 on each band: black is no data, a colour with
        // one channel at 0 is a colour.
        {"RGB, nodata on every band", "GTiff", 3, GDT_Byte,
         [](int b, int x, int y) { return x == 0 ? 0.0 : x == 1 ? (b == 2 ? 0 : 90) : 7.0 * b + y; },
         [](GDALDatasetH ds) {
             for (int b = 1; b <= 3; ++b) GDALSetRasterNoDataValue(GDALGetRasterBand(ds, b), 0);
         },
         {kWhite, PackRgb(90, 0, 90), PackRgb(7, 14, 21), kWhite, PackRgb(90, 0, 90),
          PackRgb(8, 15, 22)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mwtest::TempDir dir;
        const std::string path = dir.File(std::string("in.") + (c.driver[0] == 'P' ? "png" : "tif"));
        MakeRaster(path, c.driver, 3, 2, c.bands, c.type, c.fill, c.setup);
        std::string error;
        auto rows = mw::OpenRasterRows(path, &error);
        ASSERT_TRUE(rows) << error;
        ASSERT_EQ(rows->Width(), 3);
        ASSERT_EQ(rows->Height(), 2);
        EXPECT_EQ(ReadAll(*rows, &error), c.want) << error;
    }
}

TEST(RasterRows, ExtremeShapesReadInBands) {
    const struct {
        int w, h;
    } shapes[] = {{1, 1}, {100000, 1}, {1, 3000}};
    for (const auto& s : shapes) {
        SCOPED_TRACE(std::to_string(s.w) + " x " + std::to_string(s.h));
        mwtest::TempDir dir;
        const auto value = [](int b, int x, int y) { return (x * 7 + y * 3 + b) % 256; };
        MakeRaster(dir.File("in.tif"), "GTiff", s.w, s.h, 3, GDT_Byte, value);
        std::string error;
        auto rows = mw::OpenRasterRows(dir.File("in.tif"), &error);
        ASSERT_TRUE(rows) << error;
        ASSERT_EQ(rows->Width(), s.w);
        ASSERT_EQ(rows->Height(), s.h);
        // The last rows alone, as the encoder's last band asks for them.
        const int count = std::min(s.h, 7);
        std::vector<std::uint32_t> band(std::size_t(s.w) * count);
        ASSERT_TRUE(rows->ReadRows(s.h - count, count, band.data(), &error)) << error;
        for (int k = 0; k < count; ++k) {
            const int y = s.h - count + k;
            for (int x = 0; x < s.w; x += std::max(1, s.w / 97)) {
                ASSERT_EQ(band[std::size_t(k) * s.w + x] & 0xffffff,
                          PackRgb(value(1, x, y), value(2, x, y), value(3, x, y)))
                    << x << "," << y;
            }
        }
    }
}

TEST(RasterRows, DamagedOrMissingFilesFailWithTheFileAndAReason) {
    mwtest::TempDir dir;
    // 400 rows of strips of 16, uncompressed: cutting the file loses rows.
    const auto value = [](int b, int x, int y) { return (x + y + b) % 256; };
    char* options[] = {const_cast<char*>("TILED=NO"), const_cast<char*>("BLOCKYSIZE=16"), nullptr};
    MakeRaster(dir.File("whole.tif"), "GTiff", 300, 400, 3, GDT_Byte, value, {}, options);
    const std::string whole = dir.Read("whole.tif");

    std::string error;
    // Cut short before it is opened.
    dir.Write("cut.tif", whole.substr(0, whole.size() / 2));
    auto cut = mw::OpenRasterRows(dir.File("cut.tif"), &error);
    if (cut) {
        std::vector<std::uint32_t> all(300 * 400);
        EXPECT_FALSE(cut->ReadRows(0, 400, all.data(), &error));
    }
    EXPECT_EQ(error.rfind("cannot read " + dir.File("cut.tif") + ": ", 0), 0u) << error;
    EXPECT_GT(error.size(), dir.File("cut.tif").size() + 14) << "no reason given";

    // Cut short while it is read: the first band reads, a later one fails.
    dir.Write("shrinks.tif", whole);
    auto shrinks = mw::OpenRasterRows(dir.File("shrinks.tif"), &error);
    ASSERT_TRUE(shrinks) << error;
    std::vector<std::uint32_t> band(300 * 32);
    ASSERT_TRUE(shrinks->ReadRows(0, 32, band.data(), &error)) << error;
    ASSERT_EQ(truncate(dir.File("shrinks.tif").c_str(), 4096), 0);
    error.clear();
    EXPECT_FALSE(shrinks->ReadRows(300, 32, band.data(), &error));
    EXPECT_EQ(error.rfind("cannot read " + dir.File("shrinks.tif") + ": ", 0), 0u) << error;

    // Not there, not a raster, a folder.
    dir.Write("notes.tif", "not a picture at all\n");
    for (const std::string name : {"missing.png", "notes.tif", ""}) {
        SCOPED_TRACE(name);
        error.clear();
        const std::string path = name.empty() ? dir.Path() : dir.File(name);
        EXPECT_FALSE(mw::OpenRasterRows(path, &error));
        EXPECT_EQ(error.rfind("cannot read " + path + ": ", 0), 0u) << error;
    }
}

}  // namespace
