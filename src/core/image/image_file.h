// Reading the two map image formats piecewise: the tiled format (several
// pre-reduced zoom levels cut into 64 × 64 tiles of palette indices, each
// tile a zlib stream or raw) and the older strip format (one image stored
// row by row at 1, 2, 4 or 8 bits a pixel).
//
// Nothing taken from a file is trusted: every offset, length, count and
// level index is checked against the file before it is used, and inflation
// never writes past the tile or row buffer. A damaged file makes the
// operation fail with an ImageFault; the caller reports it once.
//
// Tiled file layout (little-endian):
//   0   u16 type 0x7778, 6 u16 tile size, 8 u16 compressed (1 = zlib)
//   14  40-byte bitmap info header (width at 18, height at 22)
//   58  i16 N, 60 N + 1 floats: zoom percentage of each level (100 = full)
//   end - 8  u32 offset of the last (smallest) level record
//   end - 4  u32 offset L of the level table (u32 record offsets, level 0 first)
//   level record: u32 width, u32 height, u16 tiles across, u16 tiles down,
//     1024-byte colour table, (across × down + 1) u32 tile offsets; tile i
//     occupies [offset i, offset i + 1) and is stored bottom row first.
// Strip file layout: the same 14 + 40 byte headers with any other type,
//   the colour table at 54, rows anywhere, u32 offset R of the row table at
//   end - 4; R holds height + 2 u32 offsets, row r occupying
//   [offset r, offset r + 1), rows counted from the top.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/bitmap.h"
#include "image/tile_cache.h"

namespace mw {

inline constexpr std::uint16_t kTiledImageType = 0x7778;
// The level table is read 80 bytes at a time, so it names at most 20 levels.
inline constexpr int kMaxLevels = 20;
// A stored tile or row longer than this is taken as damage: no encoder
// produces one, and it would otherwise make us allocate what a bad offset says.
inline constexpr std::uint32_t kMaxStreamBytes = 1u << 20;

// What went wrong while reading or decoding; each has its fixed message.
enum class ImageFault {
    None,
    ReadStrip,   // a row could not be read or inflated
    ReadTile,    // a tile could not be read or inflated
    LoadTile,    // fetching a tile into the cache failed
    LoadTiles,   // a tiled view (or a tiled file's headers and levels) failed
    LoadStrips,  // a strip view (or a strip file's headers) failed
};
// "ReadStrip Exception", "ReadTile Exception", "LoadMWF2tile Exception",
// "LoadMWF2tile(s) Exception", "LoadStrips Exception"; empty for None.
const char* ImageFaultMessage(ImageFault fault);
// What the user is told of a fault: its fixed text, then the image file, then
// the reason when one is known ("LoadStrips Exception: /maps/x.mwf: row
// table outside the file"). Empty for None.
std::string ImageFaultText(ImageFault fault, std::string_view path, std::string_view reason = {});

struct Inflater;  // a zlib inflate state, reused for every tile and row
struct InflaterDeleter {
    void operator()(Inflater* inflater) const;
};
using InflaterPtr = std::unique_ptr<Inflater, InflaterDeleter>;

struct ImageFile {
    ImageFile();
    ~ImageFile();
    ImageFile(ImageFile&&) noexcept;
    ImageFile& operator=(ImageFile&&) noexcept;
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    std::uint32_t type = 0;              // kTiledImageType, or any other value for the strip format
    std::int32_t width = 0, height = 0;  // full-resolution size from the info header
    int compressed = 0;                  // 1: tiles or rows are zlib streams
    // The selected level (tiled format).
    std::uint32_t levelWidth = 0, levelHeight = 0;
    std::int16_t tilesX = 0, tilesY = 0;
    int tileSize = 0;  // as the header says; tiles are always read as 64 × 64
    // Level records are 0 .. levelCount; levelPercent has levelCount + 1
    // entries, the zoom percentage of each.
    std::int16_t levelCount = 0;
    std::vector<float> levelPercent;
    ColourTable palette{};  // of the selected level, or the strip file's
    int bitsPerPixel = 8;   // strip format: 1, 2, 4 or 8
    // Tiled: tile offsets of the selected level (tilesX × tilesY + 1).
    // Strip: row offsets (height + 2).
    std::vector<std::uint32_t> offsets;
    int level = 0;  // the selected level as asked for (-1: the last record)
    // Level percentage of the current view, rounded to 0.1; 100 after open.
    double currentLevelPercent = 100;
    TileCache cache;

    std::FILE* file = nullptr;
    // Tells one opened file from another (never 0 for an open one), so a view
    // drawn from this file is not mistaken for one of another file.
    std::uint64_t serial = 0;
    std::uint64_t fileSize = 0;
    InflaterPtr inflater;
    std::vector<std::uint8_t> stream;  // the stored bytes of one tile or row

    bool IsOpen() const { return file != nullptr; }
    bool IsTiled() const { return type == kTiledImageType; }
    // The part of the selected level that can be shown: its size, clipped to
    // the tile grid.
    int ShownLevelWidth() const;
    int ShownLevelHeight() const;
    // Bytes of one stored strip row.
    std::int64_t RowBytes() const { return (std::int64_t{width} * bitsPerPixel + 7) / 8; }
};

// Opens a map image and reads its headers; for the tiled format level 0 is
// selected. None when the file cannot be opened; when it opens but its
// headers, level table or row table are damaged it is none too and `fault`
// (if given) says LoadTiles or LoadStrips, so the caller can tell a missing
// file from a bad one, and `reason` (if given) what is wrong with it.
std::optional<ImageFile> OpenImageFile(const std::string& path, ImageFault* fault = nullptr,
                                       std::string* reason = nullptr);

// Closes the file, frees the offsets and empties the cache.
void CloseImageFile(ImageFile& file);

// Reads level record `level` (0 .. levelCount, or -1 for the last record)
// into the handle. False when the level is not in the file or its record is
// damaged; the handle then keeps the level it had.
bool SelectLevel(ImageFile& file, int level);

// The first level whose percentage, rounded to a multiple of 0.1, equals
// `percent` rounded the same way; 0 when none does. All levelCount + 1
// levels are searched, so every percentage the zoom menu offers from the
// table has its level.
int FindLevel(const ImageFile& file, double percent);

// Reads tile `index` of the selected level into `buffer` (kTileBytes, rows
// as stored: bottom row first). False for an index outside the grid or a
// damaged tile (bad offsets, short data, a stream that does not inflate to a
// whole tile). A stream that inflates to more than a tile is damage too:
// tiles are exactly 4096 bytes, and only a whole stream has its check value
// verified.
bool ReadTile(ImageFile& file, int index, std::uint8_t* buffer);

// Reads strip row `row` into `buffer` (RowBytes() bytes). Compressed rows are
// inflated whole; raw rows have only bytes firstByte .. lastByte read, into
// the same positions of `buffer`. False for a row outside the image or a
// damaged row.
bool ReadRow(ImageFile& file, int row, std::uint8_t* buffer, std::int64_t firstByte,
             std::int64_t lastByte);

// Inflates the zlib stream in[0, inSize) into exactly outSize bytes of out,
// in one call over the whole buffer; zlib never writes past out + outSize.
// True when out was filled by a stream that ends there with a good check
// value. With `allowLonger`, a stream that goes on past the buffer (or lacks
// its end) is also taken, cut off at the buffer's end: strip rows may be
// stored padded. False for a corrupt stream or one that ends early.
bool InflateWhole(Inflater& inflater, const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                  std::size_t outSize, bool allowLonger);
// Null when zlib cannot set up a stream (out of memory).
InflaterPtr MakeInflater();

}  // namespace mw
