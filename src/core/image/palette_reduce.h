// Reducing a true-colour image to one palette of at most 256 colours, and
// mapping images onto such a palette, for the map image encoder.
//
// An image with no more distinct colours than the palette holds keeps its
// colours exactly (scanned maps drawn in flat colours usually do). Otherwise
// libimagequant makes the palette from a histogram of 6 bits per channel
// (each cell its pixels' mean colour). Pixels are mapped to the nearest
// palette colour (exact squared RGB distance), or dithered by libimagequant
// when asked.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <vector>

#include "image/bitmap.h"
#include "image/rgb_image.h"

namespace mw {

// The palette for `image`, at most `maxColours` (1..256) entries. When the
// image has fewer colours than that and no white, white is added, so map
// views show white beyond the image's edges.
std::vector<Rgb> ReducePalette(const RgbImageView& image, int maxColours = 256);

// ReducePalette over rows handed in one at a time, top to bottom, so that a
// picture too large for memory can be read in bands. Finish() gives what
// ReducePalette gives for the whole picture.
class PaletteBuilder {
public:
    explicit PaletteBuilder(int maxColours = 256);
    void AddRow(const std::uint32_t* row, int width);
    std::vector<Rgb> Finish() const;
    // Whether Finish() gives fewer colours than the picture has.
    bool Quantised() const { return tooMany_; }

    // One histogram cell: the pixels sharing the top 6 bits of each channel.
    struct Sum {
        std::uint64_t n = 0, r = 0, g = 0, b = 0;
    };

private:
    int maxColours_;
    bool tooMany_ = false;
    std::unordered_map<std::uint32_t, std::uint64_t> counts_;  // until there are too many
    // Zeroed by the system (calloc) rather than written: a picture touches
    // only the cells of its colours, and each first touch of a page costs.
    struct FreeSums {
        void operator()(Sum* p) const { std::free(p); }
    };
    std::unique_ptr<Sum[], FreeSums> histogram_;
};

// MapToPalette a row at a time; it remembers the nearest colours found, so
// one mapper should see all rows of a picture.
class PaletteMapper {
public:
    explicit PaletteMapper(const std::vector<Rgb>& colours);
    void MapRow(const std::uint32_t* row, int width, std::uint8_t* out);
    // Sum over the row of the squared channel differences between the
    // pixels and their palette colours (for PeakSignalToNoise).
    double SquaredError(const std::uint32_t* row, int width, const std::uint8_t* indices) const;

private:
    static constexpr int kCellBits = 5, kCellMask = (1 << kCellBits) - 1,
                         kCells = 1 << (3 * kCellBits);
    int Nearest(std::uint32_t colour);
    const std::vector<std::uint8_t>& Candidates(int cell);
    struct Free {
        void operator()(void* p) const { std::free(p); }
    };
    std::vector<Rgb> colours_;
    // The nearest entry of every colour met, by its 24 bits, and which
    // colours were met: zeroed by the system, so only the pages of the
    // colours a picture has are ever touched (a scan has a few million).
    std::unique_ptr<std::uint8_t[], Free> nearest_;
    std::unique_ptr<std::uint64_t[], Free> known_;
    std::vector<std::vector<std::uint8_t>> candidates_;  // per cell; built when first met
};

// Maps bands of rows onto a palette with libimagequant's error diffusion,
// `level` 0 (none) .. 1 (full). Each band is dithered on its own, so the
// result depends on where the bands begin: callers cut them at fixed rows.
class PaletteDitherer {
public:
    PaletteDitherer(const std::vector<Rgb>& colours, float level);
    ~PaletteDitherer();
    // `height` rows of `width` 0x??RRGGBB pixels into indices; false when
    // libimagequant fails (out of memory).
    bool MapBand(const std::uint32_t* rows, int width, int height, std::uint8_t* out);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Each pixel as the index of the nearest colour (squared RGB distance; the
// lowest index on a tie). `colours` holds 1..256 entries.
IndexedBitmap MapToPalette(const RgbImageView& image, const std::vector<Rgb>& colours);

// Peak signal-to-noise ratio in dB of the palette image against `image`,
// over all three channels; +infinity when they are equal.
double PeakSignalToNoise(const RgbImageView& image, const IndexedBitmap& indexed,
                         const std::vector<Rgb>& colours);

// The colours as a file's colour table; unused entries black.
ColourTable ToColourTable(const std::vector<Rgb>& colours);

}  // namespace mw
