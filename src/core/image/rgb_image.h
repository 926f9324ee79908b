// True-colour images as the map image encoder takes them: a view of 32-bit
// 0x??RRGGBB pixels (the top byte is ignored) that another library's image
// buffer can be wrapped in without a copy, and an owning image for the
// reduced levels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace mw {

struct RgbImageView {
    const std::uint32_t* pixels = nullptr;
    int width = 0, height = 0;
    std::ptrdiff_t stride = 0;  // pixels from one row to the next
    std::uint32_t At(int x, int y) const { return pixels[y * stride + x] & 0xffffffu; }
    const std::uint32_t* Row(int y) const { return pixels + y * stride; }
};

struct RgbImage {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // top-down rows, 0x00RRGGBB
    RgbImageView View() const { return RgbImageView{pixels.data(), width, height, width}; }
};

inline std::uint32_t PackRgb(int r, int g, int b) {
    return (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}
inline int RedOf(std::uint32_t c) { return (c >> 16) & 0xff; }
inline int GreenOf(std::uint32_t c) { return (c >> 8) & 0xff; }
inline int BlueOf(std::uint32_t c) { return c & 0xff; }

// Reduces (or copies) `source` to width × height by area averaging: every
// output pixel is the mean of the source area it covers, partly covered
// source pixels weighted by the part covered. Sides must be positive and no
// larger than the source's.
RgbImage ScaleImage(const RgbImageView& source, int width, int height);

// Red, green and blue of `width` pixels as floats, three per pixel.
void SplitChannels(const std::uint32_t* row, int width, float* channels);

// ScaleImage a source row at a time, top to bottom, for pictures read in
// bands: AddRow hands every output row that the row completes to `emit`
// (width pixels, valid during the call), in order. The rows are exactly
// ScaleImage's. Sides as for ScaleImage, the output smaller in at least one.
class RowScaler {
public:
    RowScaler(int sourceWidth, int sourceHeight, int width, int height);
    void AddRow(const std::uint32_t* row, const std::function<void(const std::uint32_t*)>& emit);
    // The same with the row already split by SplitChannels, so that several
    // scalers of one picture split each row once.
    void AddRow(const float* channels, const std::function<void(const std::uint32_t*)>& emit);

    // The source pixels one output pixel covers along one axis and their
    // weights (summing to 1).
    struct Footprint {
        int first = 0;
        std::vector<float> weights;
    };

private:
    int sourceWidth_, width_;
    std::vector<Footprint> across_, down_;
    std::vector<float> channels_, reduced_;
    std::deque<std::vector<float>> open_;  // sums of output rows nextRow_, nextRow_ + 1, ...
    std::vector<std::vector<float>> spare_;  // emitted rows' sums, for reuse
    std::vector<std::uint32_t> out_;
    int sourceRow_ = 0, nextRow_ = 0;
};

}  // namespace mw
