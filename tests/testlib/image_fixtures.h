// Map image and bitmap files for the image tests, made by the tests
// themselves: map-like pictures, a strip-format writer (the encoder writes
// only the tiled format), a Windows bitmap writer, and byte patching for
// damaged files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/bitmap.h"
#include "image/mwf2_writer.h"
#include "image/rgb_image.h"

namespace mwtest {

// A palette-index picture that looks like a map: flat areas, roads and
// rivers as lines, and small "lettering" blocks, using indices
// 0 .. colours - 1. The same seed gives the same picture.
mw::IndexedBitmap MakeMapLikeIndexed(int width, int height, int colours, unsigned seed);

// A colour table of `count` distinct colours (entries after it black), none
// of them pure white; `shade` varies the colours so two tables can differ.
mw::ColourTable MakeColourTable(int count, int shade = 0);

// The true-colour picture of `indexed` through `table`.
mw::RgbImage ToRgb(const mw::IndexedBitmap& indexed, const mw::ColourTable& table);

// The strip format: rows of `indices` (one byte per pixel, values below
// 2^bitsPerPixel) packed most significant bits first.
struct StripContent {
    std::vector<std::vector<std::uint8_t>> indices;  // rows, top first
    int bitsPerPixel = 8;
    bool compressed = true;
    mw::ColourTable colours{};
};
std::string MakeStripFile(const StripContent& content);
// The rows of `picture`, each index cut to `bitsPerPixel`, with a colour
// table of 2^bitsPerPixel colours.
StripContent StripOf(const mw::IndexedBitmap& picture, int bitsPerPixel, bool compressed = true);

// A Windows bitmap file. `pixels` are 0xRRGGBB for 16, 24 and 32 bits and
// colour-table indices for 1, 4 and 8 bits; rows top first. A negative
// `storedHeight` writes top-down rows. `headerSize` 12 writes the old core
// header; 40 or more the info header. With `bitFields` (16 and 32 bits) the
// masks are written and used.
struct BmpContent {
    int width = 0, height = 0;
    bool topDown = false;
    int bits = 24;
    int headerSize = 40;
    std::vector<std::uint32_t> colours;  // 0xRRGGBB table entries
    std::vector<std::uint32_t> pixels;
    bool bitFields = false;
    std::uint32_t masks[3] = {0xf800, 0x07e0, 0x001f};
};
std::string MakeBmpFile(const BmpContent& content);

// A tiled image whose level i is a map-like picture of its own (seed i) at
// percents[i] of width × height, with a colour table of its own (200
// colours, shade 40 i), so a test can tell the levels and palettes apart.
mw::Mwf2Image MakeTiledImage(int width, int height, const std::vector<float>& percents,
                             bool compressed = true);

// What a view of `level` with its top-left corner at (left, top) must show:
// the level's pixels, and `background` outside the level.
mw::IndexedBitmap ExpectedView(const mw::IndexedBitmap& level, int left, int top, int width,
                               int height, std::uint8_t background);

// Pixel-by-pixel comparison (row padding ignored), naming the first
// difference.
::testing::AssertionResult SamePixels(const mw::IndexedBitmap& actual,
                                      const mw::IndexedBitmap& expected);

// Little-endian fields inside a file's bytes.
std::uint32_t U32At(const std::string& bytes, std::size_t offset);
void PatchU32(std::string& bytes, std::size_t offset, std::uint32_t value);
void PatchU16(std::string& bytes, std::size_t offset, std::uint16_t value);

// Offsets inside a tiled file, found the way a reader finds them.
struct TiledLayout {
    std::vector<std::uint32_t> records;        // level record offsets
    std::vector<std::uint32_t> tileOffsetsAt;  // where each record's tile offsets start
};
TiledLayout ReadTiledLayout(const std::string& bytes);

}  // namespace mwtest
