// True-colour images as the map image encoder takes them: a view of 32-bit
// 0x??RRGGBB pixels (the top byte is ignored) that another library's image
// buffer can be wrapped in without a copy, and an owning image for the
// reduced levels.
#pragma once

#include <cstddef>
#include <cstdint>
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

}  // namespace mw
