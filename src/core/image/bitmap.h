// Bitmaps as the core hands them to the windows, the colour tables of the map
// image formats and their display palettes, and the reader of plain Windows
// bitmap files (alarm pictures and symbols).
//
// The windows wrap these buffers without converting them: an IndexedBitmap
// with its DisplayPalette becomes an 8-bit indexed image, an RgbBitmap a
// 32-bit image of 0xffRRGGBB pixels.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ports/canvas.h"

namespace mw {

// One entry of a file's colour table, in the order the files store it.
struct ColourEntry {
    std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
    friend bool operator==(const ColourEntry&, const ColourEntry&) = default;
};
using ColourTable = std::array<ColourEntry, 256>;

// 256 colours for the screen, red-green-blue.
using DisplayPalette = std::array<Rgb, 256>;

// Builds the display palette from a file's colour table (all 256 entries).
DisplayPalette MakeDisplayPalette(const ColourTable& table);
// The palette index nearest to white (smallest squared distance in RGB; the
// lowest index on a tie). Map views are filled with it where there is no image.
int BackgroundIndex(const DisplayPalette& palette);
// The palette as 0xffRRGGBB words, the way the windows' image classes take it.
std::array<std::uint32_t, 256> PaletteArgb(const DisplayPalette& palette);

// An 8-bit palette-index bitmap with top-down rows. Each row is padded to a
// multiple of 4 bytes, so the windows can use the buffer in place.
struct IndexedBitmap {
    int width = 0, height = 0;
    int stride = 0;  // bytes from one row to the next
    std::vector<std::uint8_t> pixels;

    std::uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * stride; }
    const std::uint8_t* Row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * stride;
    }
    std::uint8_t At(int x, int y) const { return Row(y)[x]; }
    bool Empty() const { return pixels.empty(); }
};

// Largest bitmap the reader creates, in pixels; a bigger request fails like
// a bitmap the system cannot create.
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 30;

// Sizes `bitmap` to width × height and fills it with `fill`. False, leaving
// `bitmap` empty, when a side is not positive, the size exceeds
// kMaxBitmapPixels or the memory cannot be had.
bool CreateIndexedBitmap(IndexedBitmap& bitmap, int width, int height, std::uint8_t fill);

// A true-colour bitmap with top-down rows of 0xffRRGGBB pixels, `width`
// pixels from one row to the next (the windows' opaque 32-bit format).
struct RgbBitmap {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
    const std::uint32_t* Row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * width;
    }
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool Empty() const { return pixels.empty(); }
};

// Sizes `bitmap` to width × height and fills it with `fill`; false, leaving
// it empty, as CreateIndexedBitmap.
bool CreateRgbBitmap(RgbBitmap& bitmap, int width, int height, std::uint32_t fill);

// Reads a Windows bitmap file ("BM"): 1, 4 and 8 bits with a colour table,
// 16 and 32 bits (plain or with bit-field masks) and 24 bits; bottom-up or
// top-down rows. None when the file cannot be read, is not a bitmap file, is
// compressed with run lengths or is not something the reader understands.
// Pixel data that ends early reads as zero bytes, as the original display of
// a short file showed it; a pixel index beyond the colour table is black.
std::optional<RgbBitmap> LoadBitmapFile(const std::string& path);

}  // namespace mw
