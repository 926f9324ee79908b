#include "image/palette_reduce.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>
#include <span>
#include <unordered_map>

namespace mw {

namespace {

constexpr std::size_t kHistogramCells = 1 << 18;  // 6 bits of each channel

constexpr std::uint32_t kWhite = 0xffffff;

// A histogram cell: the pixels that share the top 6 bits of each channel,
// with their exact mean colour.
struct Cell {
    float c[3];
    double weight;
};

struct Box {
    int begin, end;
    double error;  // weighted squared distance of the cells from the box mean
    int axis;      // the channel with the widest spread
};

Box MeasureBox(const std::vector<Cell>& cells, int begin, int end) {
    double w = 0, sum[3] = {0, 0, 0}, sq[3] = {0, 0, 0};
    for (int i = begin; i < end; ++i) {
        const Cell& cell = cells[i];
        w += cell.weight;
        for (int k = 0; k < 3; ++k) {
            sum[k] += cell.weight * cell.c[k];
            sq[k] += cell.weight * cell.c[k] * cell.c[k];
        }
    }
    Box box{begin, end, 0, 0};
    double best = -1;
    for (int k = 0; k < 3; ++k) {
        double var = w > 0 ? sq[k] - sum[k] * sum[k] / w : 0;
        box.error += var;
        if (var > best) best = var, box.axis = k;
    }
    return box;
}

std::vector<Box> MedianCut(std::vector<Cell>& cells, int colours) {
    std::vector<Box> boxes{MeasureBox(cells, 0, static_cast<int>(cells.size()))};
    while (static_cast<int>(boxes.size()) < colours) {
        int pick = -1;
        for (int i = 0; i < static_cast<int>(boxes.size()); ++i) {
            if (boxes[i].end - boxes[i].begin < 2) continue;
            if (pick < 0 || boxes[i].error > boxes[pick].error) pick = i;
        }
        if (pick < 0 || boxes[pick].error <= 0) break;
        Box box = boxes[pick];
        const int axis = box.axis;
        std::sort(cells.begin() + box.begin, cells.begin() + box.end,
                  [axis](const Cell& a, const Cell& b) { return a.c[axis] < b.c[axis]; });
        double total = 0;
        for (int i = box.begin; i < box.end; ++i) total += cells[i].weight;
        double run = 0;
        int split = box.begin + 1;
        for (int i = box.begin; i < box.end - 1; ++i) {
            run += cells[i].weight;
            split = i + 1;
            if (run >= total / 2) break;
        }
        boxes[pick] = MeasureBox(cells, box.begin, split);
        boxes.push_back(MeasureBox(cells, split, box.end));
    }
    return boxes;
}

int Nearest(const std::array<double, 3>* centres, int count, const float* c) {
    int best = 0;
    double bestD = std::numeric_limits<double>::max();
    for (int i = 0; i < count; ++i) {
        double d = (c[0] - centres[i][0]) * (c[0] - centres[i][0]);
        if (d >= bestD) continue;
        d += (c[1] - centres[i][1]) * (c[1] - centres[i][1]);
        if (d >= bestD) continue;
        d += (c[2] - centres[i][2]) * (c[2] - centres[i][2]);
        if (d < bestD) bestD = d, best = i;
    }
    return best;
}

std::vector<Rgb> QuantiseColours(std::span<const PaletteBuilder::Sum> histogram, int colours) {
    std::vector<Cell> cells;
    for (const PaletteBuilder::Sum& s : histogram) {
        if (s.n == 0) continue;
        const double n = static_cast<double>(s.n);
        cells.push_back(
            Cell{{float(double(s.r) / n), float(double(s.g) / n), float(double(s.b) / n)}, n});
    }

    std::vector<Box> boxes = MedianCut(cells, colours);
    const int k = static_cast<int>(boxes.size());
    std::vector<std::array<double, 3>> centres(k);
    for (int i = 0; i < k; ++i) {
        double w = 0, sum[3] = {0, 0, 0};
        for (int j = boxes[i].begin; j < boxes[i].end; ++j) {
            w += cells[j].weight;
            for (int ch = 0; ch < 3; ++ch) sum[ch] += cells[j].weight * cells[j].c[ch];
        }
        for (int ch = 0; ch < 3; ++ch) centres[i][ch] = sum[ch] / w;
    }

    // Lloyd iterations move each colour to the mean of the cells nearest to
    // it; median cut alone leaves boxes split at the median, not where the
    // error is smallest.
    std::vector<int> owner(cells.size(), -1);
    for (int iteration = 0; iteration < 8; ++iteration) {
        std::vector<double> acc(4 * std::size_t(k), 0.0);
        std::size_t moved = 0;
        for (std::size_t j = 0; j < cells.size(); ++j) {
            int n = Nearest(centres.data(), k, cells[j].c);
            if (n != owner[j]) ++moved, owner[j] = n;
            acc[4 * n] += cells[j].weight;
            for (int ch = 0; ch < 3; ++ch) acc[4 * n + 1 + ch] += cells[j].weight * cells[j].c[ch];
        }
        for (int i = 0; i < k; ++i) {
            if (acc[4 * i] <= 0) continue;
            for (int ch = 0; ch < 3; ++ch) centres[i][ch] = acc[4 * i + 1 + ch] / acc[4 * i];
        }
        if (moved * 1000 < cells.size()) break;
    }
    std::vector<Rgb> out(k);
    for (int i = 0; i < k; ++i) {
        auto channel = [&](int ch) {
            return static_cast<std::uint8_t>(std::clamp<long>(std::lround(centres[i][ch]), 0, 255));
        };
        out[i] = Rgb{channel(0), channel(1), channel(2)};
    }
    return out;
}

}  // namespace

PaletteBuilder::PaletteBuilder(int maxColours)
    : maxColours_(std::clamp(maxColours, 1, 256)),
      histogram_(static_cast<Sum*>(std::calloc(kHistogramCells, sizeof(Sum)))) {
    if (!histogram_) throw std::bad_alloc();
}

void PaletteBuilder::AddRow(const std::uint32_t* row, int width) {
    int x = 0;
    while (x < width) {
        const std::uint32_t c = row[x] & 0xffffff;
        int run = 1;
        while (x + run < width && (row[x + run] & 0xffffff) == c) ++run;
        x += run;
        // Integer sums are exact, so the histogram does not depend on the
        // order the rows come in.
        const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
        Sum& s = histogram_[((r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2)];
        s.n += run, s.r += std::uint64_t(r) * run, s.g += std::uint64_t(g) * run,
            s.b += std::uint64_t(b) * run;
        if (tooMany_) continue;
        counts_[c] += run;
        if (static_cast<int>(counts_.size()) > maxColours_) {
            tooMany_ = true;
            counts_.clear();
        }
    }
}

std::vector<Rgb> PaletteBuilder::Finish() const {
    if (tooMany_) return QuantiseColours({histogram_.get(), kHistogramCells}, maxColours_);
    std::vector<std::pair<std::uint32_t, std::uint64_t>> sorted(counts_.begin(), counts_.end());
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    std::vector<Rgb> out;
    for (const auto& [c, n] : sorted) {
        out.push_back(
            Rgb{std::uint8_t(RedOf(c)), std::uint8_t(GreenOf(c)), std::uint8_t(BlueOf(c))});
    }
    if (static_cast<int>(out.size()) < maxColours_ && !counts_.count(kWhite)) {
        out.push_back(Rgb{255, 255, 255});
    }
    return out;
}

std::vector<Rgb> ReducePalette(const RgbImageView& image, int maxColours) {
    PaletteBuilder builder(maxColours);
    for (int y = 0; y < image.height; ++y) builder.AddRow(image.Row(y), image.width);
    return builder.Finish();
}

PaletteMapper::PaletteMapper(const std::vector<Rgb>& colours)
    : colours_(colours.begin(), colours.begin() + std::min<std::size_t>(colours.size(), 256)),
      keys_(1 << kCacheBits, 0xffffffffu),
      values_(1 << kCacheBits) {}

void PaletteMapper::MapRow(const std::uint32_t* row, int width, std::uint8_t* out) {
    const int n = static_cast<int>(colours_.size());
    for (int x = 0; x < width; ++x) {
        std::uint32_t c = row[x] & 0xffffff;
        std::uint32_t slot = (c * 2654435761u) >> (32 - kCacheBits);
        if (keys_[slot] != c) {
            int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
            int best = 0, bestD = 1 << 30;
            for (int i = 0; i < n && bestD > 0; ++i) {
                int dr = r - colours_[i].r, dg = g - colours_[i].g, db = b - colours_[i].b;
                int d = dr * dr + dg * dg + db * db;
                if (d < bestD) bestD = d, best = i;
            }
            keys_[slot] = c;
            values_[slot] = static_cast<std::uint8_t>(best);
        }
        out[x] = values_[slot];
    }
}

double PaletteMapper::SquaredError(const std::uint32_t* row, int width,
                                   const std::uint8_t* indices) const {
    double sq = 0;
    for (int x = 0; x < width; ++x) {
        const std::uint32_t c = row[x] & 0xffffff;
        const std::uint8_t i = indices[x];
        Rgb p = i < colours_.size() ? colours_[i] : Rgb{};
        double dr = RedOf(c) - p.r, dg = GreenOf(c) - p.g, db = BlueOf(c) - p.b;
        sq += dr * dr + dg * dg + db * db;
    }
    return sq;
}

IndexedBitmap MapToPalette(const RgbImageView& image, const std::vector<Rgb>& colours) {
    IndexedBitmap out;
    if (colours.empty() || !CreateIndexedBitmap(out, image.width, image.height, 0)) return out;
    PaletteMapper mapper(colours);
    for (int y = 0; y < image.height; ++y) mapper.MapRow(image.Row(y), image.width, out.Row(y));
    return out;
}

double PeakSignalToNoise(const RgbImageView& image, const IndexedBitmap& indexed,
                         const std::vector<Rgb>& colours) {
    double sq = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t c = image.At(x, y);
            std::uint8_t i = indexed.At(x, y);
            Rgb p = i < colours.size() ? colours[i] : Rgb{};
            double dr = RedOf(c) - p.r, dg = GreenOf(c) - p.g, db = BlueOf(c) - p.b;
            sq += dr * dr + dg * dg + db * db;
        }
    }
    double mse = sq / (3.0 * image.width * image.height);
    if (mse == 0) return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / mse);
}

ColourTable ToColourTable(const std::vector<Rgb>& colours) {
    ColourTable table{};
    for (std::size_t i = 0; i < colours.size() && i < 256; ++i) {
        table[i] = ColourEntry{colours[i].b, colours[i].g, colours[i].r, 0};
    }
    return table;
}

}  // namespace mw
