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

#include <vector>

#include "image/bitmap.h"
#include "image/rgb_image.h"

namespace mw {

// The palette for `image`, at most `maxColours` (1..256) entries. When the
// image has fewer colours than that and no white, white is added, so map
// views show white beyond the image's edges.
std::vector<Rgb> ReducePalette(const RgbImageView& image, int maxColours = 256);

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
