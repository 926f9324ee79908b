// Opening map images, their levels and tiles, and every way a damaged file
// must be refused.
#include <zlib.h>

#include <functional>

#include <gtest/gtest.h>

#include "image/image_file.h"
#include "image/mwf2_writer.h"
#include "testlib/image_fixtures.h"
#include "testlib/temp_dir.h"

namespace {

using mw::ImageFault;
using mwtest::PatchU16;
using mwtest::PatchU32;
using mwtest::U32At;

const std::vector<float> kPercents{100, 50, 25, 10, 3.3f};

std::string TiledBytes(bool compressed = true) {
    mwtest::TempDir dir;
    std::string error;
    EXPECT_TRUE(mw::WriteMwf2File(dir.File("t.mwf2"),
                                  mwtest::MakeTiledImage(300, 200, kPercents, compressed), &error))
        << error;
    return dir.Read("t.mwf2");
}

mwtest::StripContent StripFixture(bool compressed) {
    return mwtest::StripOf(mwtest::MakeMapLikeIndexed(37, 23, 256, 7), 8, compressed);
}

std::string CompressedBytes(const std::vector<std::uint8_t>& raw) {
    uLongf n = compressBound(raw.size());
    std::string z(n, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &n, raw.data(), raw.size(), 6);
    z.resize(n);
    return z;
}

// Puts `stream` at the end of the file, before its trailer (8 bytes in the
// tiled format, 4 in the strip format), and points entry `entry` of the
// offset table at `tableAt` to it.
void Relocate(std::string& bytes, std::size_t tableAt, int entry, const std::string& stream,
              std::size_t trailerSize = 8) {
    std::string trailer = bytes.substr(bytes.size() - trailerSize);
    bytes.resize(bytes.size() - trailerSize);
    std::uint32_t at = std::uint32_t(bytes.size());
    bytes += stream;
    bytes += trailer;
    PatchU32(bytes, tableAt + 4 * entry, at);
    PatchU32(bytes, tableAt + 4 * (entry + 1), at + std::uint32_t(stream.size()));
}

struct Damage {
    const char* name;
    std::function<void(std::string&)> apply;
};

// Writes each damaged copy of `good` and hands its path to `check`.
template <typename Check>
void ForEachDamaged(const std::string& good, const std::vector<Damage>& cases, Check check) {
    for (const Damage& d : cases) {
        SCOPED_TRACE(d.name);
        std::string bytes = good;
        d.apply(bytes);
        mwtest::TempDir dir;
        dir.Write("bad", bytes);
        check(dir.File("bad"));
    }
}

// Each case damages a good file so that opening it must fail with `fault`.
void ExpectOpenFails(const std::string& good, const std::vector<Damage>& cases, ImageFault fault) {
    ForEachDamaged(good, cases, [&](const std::string& path) {
        ImageFault got = ImageFault::None;
        EXPECT_FALSE(mw::OpenImageFile(path, &got));
        EXPECT_EQ(got, fault);
    });
}

// Cuts anywhere are the bad-input matrix's; these are the header fields.
TEST(ImageFile, DamagedHeadersAreRefusedAtOpen) {
    const std::string good = TiledBytes();
    const mwtest::TiledLayout at = mwtest::ReadTiledLayout(good);
    const std::uint32_t rec = at.records[0];
    const std::uint32_t size = std::uint32_t(good.size());
    ExpectOpenFails(
        good,
        {
            {"zero width", [](std::string& b) { PatchU32(b, 18, 0); }},
            {"negative level count", [](std::string& b) { PatchU16(b, 58, 0xffff); }},
            {"level table beyond the end", [=](std::string& b) { PatchU32(b, size - 4, size + 100); }},
            {"no tiles across", [=](std::string& b) { PatchU16(b, rec + 8, 0); }},
            {"tile table larger than the file",
             [=](std::string& b) {
                 PatchU16(b, rec + 8, 32767);
                 PatchU16(b, rec + 10, 32767);
             }},
        },
        ImageFault::LoadTiles);
    const std::string strip = mwtest::MakeStripFile(StripFixture(true));
    ExpectOpenFails(
        strip,
        {
            {"3 bits a pixel", [](std::string& b) { PatchU16(b, 28, 3); }},
            {"more rows than the table holds", [](std::string& b) { PatchU32(b, 22, 100000); }},
        },
        ImageFault::LoadStrips);
}

// Tile 1 of level 0 damaged in each way must fail to read, while tile 3,
// whose offsets no case touches, still reads.
TEST(ImageFile, DamagedTilesFailToRead) {
    for (bool compressed : {true, false}) {
        const std::string good = TiledBytes(compressed);
        const std::size_t table = mwtest::ReadTiledLayout(good).tileOffsetsAt[0];
        const std::uint32_t size = std::uint32_t(good.size());
        const std::uint32_t t1 = U32At(good, table + 4), t2 = U32At(good, table + 8);
        std::vector<Damage> cases{
            {"offset beyond the end", [=](std::string& b) { PatchU32(b, table + 4, size + 10); }},
            {"end before start", [=](std::string& b) { PatchU32(b, table + 8, t1 - 1); }},
            {"cut short", [=](std::string& b) { PatchU32(b, table + 8, t1 + (t2 - t1) / 2); }},
        };
        // clang-format off
        if (!compressed) {
            cases.push_back({"raw tile one byte short", [=](std::string& b) { PatchU32(b, table + 8, t1 + 4095); }});
        } else {
            // A raw tile is its first 4096 bytes: a range running past the
            // end of the file is damage only to a stream.
            cases.insert(cases.end(), {
                {"end beyond the end", [=](std::string& b) { PatchU32(b, table + 8, size + 10); }},
                {"check value wrong", [=](std::string& b) { b[t2 - 1] = char(b[t2 - 1] ^ 1); }},
                {"inflates short", [=](std::string& b) { Relocate(b, table, 1, CompressedBytes(std::vector<std::uint8_t>(3000, 7))); }},
                {"inflates long", [=](std::string& b) { Relocate(b, table, 1, CompressedBytes(std::vector<std::uint8_t>(5000, 7))); }},
            });
        }
        // clang-format on
        ForEachDamaged(good, cases, [](const std::string& path) {
            auto f = mw::OpenImageFile(path);
            ASSERT_TRUE(f);
            std::uint8_t tile[mw::kTileBytes];
            EXPECT_TRUE(mw::ReadTile(*f, 3, tile));
            EXPECT_FALSE(mw::ReadTile(*f, 1, tile));
        });
    }
}

TEST(ImageFile, CompressedRowLongerThanTheRowIsCutOff) {
    // A writer that pads rows to whole words stores more than the pixels.
    mwtest::StripContent content = StripFixture(true);
    std::string bytes = mwtest::MakeStripFile(content);
    const std::size_t table = U32At(bytes, bytes.size() - 4);
    std::vector<std::uint8_t> padded = content.indices[4];
    padded.resize(40, 0);
    Relocate(bytes, table, 4, CompressedBytes(padded), 4);
    mwtest::TempDir dir;
    dir.Write("s.mwf", bytes);
    auto f = mw::OpenImageFile(dir.File("s.mwf"));
    ASSERT_TRUE(f);
    std::vector<std::uint8_t> row(37);
    ASSERT_TRUE(mw::ReadRow(*f, 4, row.data(), 0, 36));
    EXPECT_EQ(row, content.indices[4]);
}

}  // namespace
