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

// lround of a non-negative float below 2^23, without the library call: the
// fraction v - trunc(v) is exact there, so halves go up as lround's do.
int RoundNonNegative(float v) {
    const int i = static_cast<int>(v);
    return i + (v - static_cast<float>(i) >= 0.5f);
}

}  // namespace

void SplitChannels(const std::uint32_t* row, int width, float* channels) {
    for (int x = 0; x < width; ++x) {
        const std::uint32_t c = row[x];
        channels[3 * x] = static_cast<float>(RedOf(c));
        channels[3 * x + 1] = static_cast<float>(GreenOf(c));
        channels[3 * x + 2] = static_cast<float>(BlueOf(c));
    }
}

RowScaler::RowScaler(int sourceWidth, int sourceHeight, int width, int height)
    : sourceWidth_(sourceWidth),
      width_(width),
      across_(Footprints(sourceWidth, width)),
      down_(Footprints(sourceHeight, height)),
      reduced_(3 * std::size_t(width)) {}

void RowScaler::AddRow(const std::uint32_t* row,
                       const std::function<void(const std::uint32_t*)>& emit) {
    channels_.resize(3 * std::size_t(sourceWidth_));
    SplitChannels(row, sourceWidth_, channels_.data());
    AddRow(channels_.data(), emit);
}

void RowScaler::AddRow(const float* channels,
                       const std::function<void(const std::uint32_t*)>& emit) {
    const int sy = sourceRow_++;
    for (int x = 0; x < width_; ++x) {
        float r = 0, g = 0, b = 0;
        const Footprint& fp = across_[x];
        const float* p = channels + 3 * std::size_t(fp.first);
        const float* w = fp.weights.data();
        for (std::size_t k = 0, n = fp.weights.size(); k < n; ++k, p += 3) {
            r += w[k] * p[0];
            g += w[k] * p[1];
            b += w[k] * p[2];
        }
        reduced_[3 * x] = r, reduced_[3 * x + 1] = g, reduced_[3 * x + 2] = b;
    }
    // Every output row whose footprint holds this source row takes its
    // share, in source row order, so each sum is formed exactly as a
    // whole-image pass forms it.
    const int height = static_cast<int>(down_.size());
    const std::size_t n = reduced_.size();
    for (int y = nextRow_; y < height && down_[y].first <= sy; ++y) {
        const Footprint& fp = down_[y];
        const int k = sy - fp.first;
        if (k >= static_cast<int>(fp.weights.size())) continue;
        std::size_t slot = static_cast<std::size_t>(y - nextRow_);
        while (open_.size() <= slot) {
            if (spare_.empty()) {
                open_.emplace_back(n, 0.0f);
            } else {
                open_.push_back(std::move(spare_.back()));
                spare_.pop_back();
                std::fill(open_.back().begin(), open_.back().end(), 0.0f);
            }
        }
        float* sum = open_[slot].data();
        const float weight = fp.weights[k];
        const float* reduced = reduced_.data();
        for (std::size_t i = 0; i < n; ++i) sum[i] += weight * reduced[i];
    }
    out_.resize(width_);
    while (nextRow_ < height && !open_.empty() &&
           down_[nextRow_].first + static_cast<int>(down_[nextRow_].weights.size()) - 1 <= sy) {
        const float* sum = open_.front().data();
        for (int x = 0; x < width_; ++x) {
            // Sums of non-negative weights times 0..255: never negative.
            auto channel = [&](int i) { return std::min(RoundNonNegative(sum[3 * x + i]), 255); };
            out_[x] = PackRgb(channel(0), channel(1), channel(2));
        }
        emit(out_.data());
        spare_.push_back(std::move(open_.front()));
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
