// Writing the tiled map image format (layout in image_file.h), and the map
// image encoder on top of it: true-colour picture in, one 256-colour palette
// and a reduced copy per zoom level out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/bitmap.h"
#include "image/rgb_image.h"

namespace mw {

struct Mwf2Level {
    float percent = 100;  // zoom percentage; 100 = full resolution
    IndexedBitmap pixels;
    ColourTable colours{};
    // The index that fills tile parts beyond the level's edge; -1: the
    // colour nearest white.
    int background = -1;
};

struct Mwf2Image {
    int width = 0, height = 0;  // full resolution, for the info header
    bool compressed = true;     // zlib tiles, or raw 4096-byte tiles
    // Largest first; the last one is also named as the file's last level,
    // the one the overview window shows. 1 .. 20 levels.
    std::vector<Mwf2Level> levels;
};

// Writes `image` through a temporary file renamed over `path`, so a failed
// write never leaves half a file. Tile parts beyond a level's edge hold the
// level's background index. False with `error` set when the image is not
// writable as the format stands (no levels, more than 20, an empty level, a
// file beyond 4 GB) or the file cannot be written.
bool WriteMwf2File(const std::string& path, const Mwf2Image& image, std::string* error);

struct EncodeOptions {
    // Zoom levels in percent of the full size, each in (0, 100]; written
    // largest first, duplicates (to 0.1) dropped.
    std::vector<double> levelPercents{100, 50, 25, 10};
    bool compressed = true;
    // When the smallest level is longer than this on its longer side, a last
    // level this long is added for the overview window (whose largest size
    // is 220 pixels).
    int overviewSide = 220;
    // Error diffusion when the picture has more colours than the palette,
    // 0 (none: nearest colour) .. 1 (full). Diffusion trades banding in
    // smooth shades for grain, and costs compression and time.
    float dither = kDefaultDither;
    static constexpr float kDefaultDither = 0.0f;
};

struct EncodeReport {
    int colourCount = 0;
    double psnr = 0;  // level 0 against the source, dB (+inf when exact)
    struct Level {
        double percent;
        int width, height, tilesX, tilesY;
    };
    std::vector<Level> levels;
};

// Builds the levels of `source` in memory (what EncodeMapImage writes).
// False with `error` set for options that cannot be written.
bool BuildMapImage(const RgbImageView& source, const EncodeOptions& options, Mwf2Image& image,
                   EncodeReport* report, std::string* error);

// A picture read top to bottom in bands of rows, for pictures too large to
// hold in memory. The encoder reads it twice (once for the palette, once for
// the tiles); each pass asks for consecutive bands from row 0.
class PictureRows {
public:
    virtual ~PictureRows() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Rows y .. y + count - 1 into `out`, Width() pixels a row, as 32-bit
    // 0x??RRGGBB words (the top byte is ignored). False with `error` set
    // when the picture cannot be read.
    virtual bool ReadRows(int y, int count, std::uint32_t* out, std::string* error) = 0;
};

// A picture already in memory.
class ViewRows : public PictureRows {
public:
    explicit ViewRows(const RgbImageView& view) : view_(view) {}
    int Width() const override { return view_.width; }
    int Height() const override { return view_.height; }
    bool ReadRows(int y, int count, std::uint32_t* out, std::string* error) override;

private:
    RgbImageView view_;
};

// How far an encode has come, 0 .. 1; called from the encoding thread.
using EncodeProgress = std::function<void(double fraction)>;

// Encodes `source` into a tiled map image at `path`, band by band: the
// memory it needs grows with the picture's width, not its area (a few bands
// of rows and tiles; the smaller levels wait in temporary files beside
// `path` until the largest is written). Tiles are compressed on all cores.
// The file is the one BuildMapImage and WriteMwf2File would write.
bool EncodeMapImage(PictureRows& source, const EncodeOptions& options, const std::string& path,
                    EncodeReport* report, std::string* error, const EncodeProgress& progress = {});

// Encodes `source` into a tiled map image at `path`.
bool EncodeMapImage(const RgbImageView& source, const EncodeOptions& options,
                    const std::string& path, EncodeReport* report, std::string* error);

}  // namespace mw
