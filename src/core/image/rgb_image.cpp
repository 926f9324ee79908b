#include "image/rgb_image.h"

#include <algorithm>
#include <cmath>

namespace mw {

namespace {

// The source pixels one output pixel covers along one axis and their weights
// (summing to 1).
struct Footprint {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Footprint> Footprints(int sourceSize, int size) {
    std::vector<Footprint> out(size);
    const double scale = double(sourceSize) / size;
    for (int i = 0; i < size; ++i) {
        double a = i * scale, b = (i + 1) * scale;
        int first = static_cast<int>(std::floor(a));
        int last = std::min(sourceSize - 1, static_cast<int>(std::ceil(b)) - 1);
        out[i].first = first;
        for (int s = first; s <= last; ++s) {
            double w = std::min<double>(b, s + 1) - std::max<double>(a, s);
            out[i].weights.push_back(static_cast<float>(std::max(0.0, w) / scale));
        }
    }
    return out;
}

}  // namespace

RgbImage ScaleImage(const RgbImageView& source, int width, int height) {
    RgbImage out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<std::size_t>(width) * height);
    if (width == source.width && height == source.height) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                out.pixels[y * std::size_t(width) + x] = source.At(x, y);
        }
        return out;
    }
    const std::vector<Footprint> across = Footprints(source.width, width);
    const std::vector<Footprint> down = Footprints(source.height, height);

    // One source row reduced across, kept while the next output row may use
    // it again.
    std::vector<float> reduced(3 * std::size_t(width)), sum(3 * std::size_t(width));
    int reducedRow = -1;
    auto reduceRow = [&](int sy) {
        if (sy == reducedRow) return;
        const std::uint32_t* row = source.Row(sy);
        for (int x = 0; x < width; ++x) {
            float r = 0, g = 0, b = 0;
            const Footprint& fp = across[x];
            for (std::size_t k = 0; k < fp.weights.size(); ++k) {
                std::uint32_t c = row[fp.first + k];
                r += fp.weights[k] * RedOf(c);
                g += fp.weights[k] * GreenOf(c);
                b += fp.weights[k] * BlueOf(c);
            }
            reduced[3 * x] = r, reduced[3 * x + 1] = g, reduced[3 * x + 2] = b;
        }
        reducedRow = sy;
    };
    for (int y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        const Footprint& fp = down[y];
        for (std::size_t k = 0; k < fp.weights.size(); ++k) {
            reduceRow(fp.first + static_cast<int>(k));
            for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += fp.weights[k] * reduced[i];
        }
        std::uint32_t* dst = out.pixels.data() + y * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            auto channel = [&](int i) {
                return std::clamp(static_cast<int>(std::lround(sum[3 * x + i])), 0, 255);
            };
            dst[x] = PackRgb(channel(0), channel(1), channel(2));
        }
    }
    return out;
}

}  // namespace mw
