// The Windows bitmap reader, one file per depth and header kind.
#include <cstdlib>

#include <gtest/gtest.h>

#include "image/bitmap.h"
#include "testlib/image_fixtures.h"
#include "testlib/temp_dir.h"

namespace {

auto Load(const std::string& bytes) {
    mwtest::TempDir dir;
    dir.Write("p.bmp", bytes);
    return mw::LoadBitmapFile(dir.File("p.bmp"));
}

std::vector<std::uint32_t> Pattern(int w, int h, std::uint32_t mask) {
    std::vector<std::uint32_t> p;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) p.push_back(((x * 53 + y * 97) * 0x10305u + x * y) & mask);
    }
    return p;
}

TEST(LoadBitmapFile, ReadsEachDepthAndOrientation) {
    const std::vector<std::uint32_t> table{0x000000, 0xff0000, 0x00ff00, 0x0000ff,
                                           0x123456, 0xfedcba, 0x808080, 0xffffff};
    struct Case {
        const char* name;
        int bits, headerSize;
        bool topDown, bitFields;
        std::uint32_t masks[3];
        int tolerance;  // per channel: channels of 5 or 6 bits are rounded
    };
    const Case cases[] = {
        {"1 bit top-down", 1, 40, true, false, {}, 0},
        {"8 bits, old core header", 8, 12, false, false, {}, 0},
        {"32 bits, bit fields", 32, 40, false, true, {0xff0000, 0xff00, 0xff}, 0},
        {"16 bits 5-5-5", 16, 40, false, false, {}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool indexed = c.bits <= 8;
        mwtest::BmpContent content;
        content.width = 13;
        content.height = 5;
        content.bits = c.bits;
        content.headerSize = c.headerSize;
        content.topDown = c.topDown;
        content.bitFields = c.bitFields;
        for (int i = 0; i < 3; ++i) content.masks[i] = c.masks[i];
        if (indexed)
            content.colours.assign(table.begin(), table.begin() + std::min(8, 1 << c.bits));
        content.pixels = Pattern(13, 5, indexed ? (c.bits == 1 ? 1 : 7) : 0xffffff);
        auto b = Load(mwtest::MakeBmpFile(content));
        ASSERT_TRUE(b);
        ASSERT_EQ(b->width, 13);
        ASSERT_EQ(b->height, 5);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 13; ++x) {
                std::uint32_t p = content.pixels[y * 13 + x];
                std::uint32_t want = indexed ? table[p] : p;
                std::uint32_t got = b->At(x, y);
                ASSERT_EQ(got >> 24, 0xffu);
                for (int shift : {0, 8, 16}) {
                    int d = int((got >> shift) & 0xff) - int((want >> shift) & 0xff);
                    ASSERT_LE(std::abs(d), c.tolerance) << x << "," << y << " channel " << shift;
                }
            }
        }
    }
}

}  // namespace

namespace {

// A file cut short keeps its picture; a header claiming far more rows than
// the file holds is refused before anything is allocated for them.
TEST(LoadBitmapFile, ShortFilesAndHeadersThatClaimTooMuch) {
    mwtest::BmpContent content;
    content.width = 8;
    content.height = 8;
    content.bits = 24;
    content.pixels = Pattern(8, 8, 0xffffff);
    const std::string whole = mwtest::MakeBmpFile(content);
    // Found by fuzzing: 5 × 6,094,055 pixels of 16 bits in 93 bytes; it had
    // 120 MB allocated and painted (over 10 s under the address sanitizer).
    const unsigned char claims[] = {
        0x42, 0x4d, 0x66, 0x30, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42, 0x00, 0x00, 0x00, 0x28, 0x00,
        0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0xe7, 0x00, 0x5d, 0x00, 0x01, 0x00, 0x10, 0x00, 0x03, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf6, 0xff, 0xff, 0xff, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x42, 0x4d, 0x7e, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42, 0x00,
        0x28, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00,
        0x20, 0x40, 0x03, 0x50, 0xe1, 0x70, 0x00, 0x00, 0x00, 0x00, 0xf8, 0x80, 0x00};
    const struct {
        const char* name;
        std::string bytes;
        bool loads;
    } rows[] = {
        {"last row missing", whole.substr(0, whole.size() - 24), true},
        {"most rows missing", whole.substr(0, whole.size() - 6 * 24), false},
        {"fuzzer's 6 million rows", std::string(reinterpret_cast<const char*>(claims), sizeof claims), false},
    };
    for (const auto& row : rows) EXPECT_EQ(Load(row.bytes).has_value(), row.loads) << row.name;
}

}  // namespace
