// Reducing a true-colour image to one palette of at most 256 colours, and
// mapping images onto such a palette, for the map image encoder.
//
// An image with no more distinct colours than the palette holds keeps its
// colours exactly (scanned maps drawn in flat colours usually do). Otherwise
// the palette comes from median cut on a histogram of 6 bits per channel,
// refined by weighted k-means on the same histogram; pixels are then mapped
// to the nearest palette colour without dithering, which keeps the flat
// areas and thin lines of a map clean.
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
    static constexpr int kCacheBits = 16;
    std::vector<Rgb> colours_;
    std::vector<std::uint32_t> keys_;
    std::vector<std::uint8_t> values_;
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
