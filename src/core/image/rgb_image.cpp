#include "image/rgb_image.h"

#include <algorithm>
#include <cmath>

namespace mw {

namespace {

using Footprint = RowScaler::Footprint;

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

RowScaler::RowScaler(int sourceWidth, int sourceHeight, int width, int height)
    : width_(width),
      across_(Footprints(sourceWidth, width)),
      down_(Footprints(sourceHeight, height)),
      reduced_(3 * std::size_t(width)) {}

void RowScaler::AddRow(const std::uint32_t* row,
                       const std::function<void(const std::uint32_t*)>& emit) {
    const int sy = sourceRow_++;
    for (int x = 0; x < width_; ++x) {
        float r = 0, g = 0, b = 0;
        const Footprint& fp = across_[x];
        for (std::size_t k = 0; k < fp.weights.size(); ++k) {
            std::uint32_t c = row[fp.first + k];
            r += fp.weights[k] * RedOf(c);
            g += fp.weights[k] * GreenOf(c);
            b += fp.weights[k] * BlueOf(c);
        }
        reduced_[3 * x] = r, reduced_[3 * x + 1] = g, reduced_[3 * x + 2] = b;
    }
    // Every output row whose footprint holds this source row takes its
    // share, in source row order, so each sum is formed exactly as a
    // whole-image pass forms it.
    const int height = static_cast<int>(down_.size());
    for (int y = nextRow_; y < height && down_[y].first <= sy; ++y) {
        const Footprint& fp = down_[y];
        const int k = sy - fp.first;
        if (k >= static_cast<int>(fp.weights.size())) continue;
        std::size_t slot = static_cast<std::size_t>(y - nextRow_);
        while (open_.size() <= slot) open_.emplace_back(reduced_.size(), 0.0f);
        std::vector<float>& sum = open_[slot];
        for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += fp.weights[k] * reduced_[i];
    }
    out_.resize(width_);
    while (nextRow_ < height && !open_.empty() &&
           down_[nextRow_].first + static_cast<int>(down_[nextRow_].weights.size()) - 1 <= sy) {
        const std::vector<float>& sum = open_.front();
        for (int x = 0; x < width_; ++x) {
            auto channel = [&](int i) {
                return std::clamp(static_cast<int>(std::lround(sum[3 * x + i])), 0, 255);
            };
            out_[x] = PackRgb(channel(0), channel(1), channel(2));
        }
        emit(out_.data());
        open_.pop_front();
        ++nextRow_;
    }
}

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
    RowScaler scaler(source.width, source.height, width, height);
    std::uint32_t* dst = out.pixels.data();
    for (int y = 0; y < source.height; ++y) {
        scaler.AddRow(source.Row(y), [&](const std::uint32_t* row) {
            std::copy_n(row, width, dst);
            dst += width;
        });
    }
    return out;
}

}  // namespace mw
