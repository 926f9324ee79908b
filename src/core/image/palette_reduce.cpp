#include "image/palette_reduce.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>
#include <span>
#include <unordered_map>

#include <libimagequant.h>

namespace mw {

namespace {

constexpr std::size_t kHistogramCells = 1 << 18;  // 6 bits of each channel

constexpr std::uint32_t kWhite = 0xffffff;

// libimagequant raises colours to the power 0.5499 / gamma before it measures
// them: this gamma leaves them as they are.
constexpr double kLinearGamma = 0.5499;

// The palette of a picture with more colours than it holds: libimagequant
// on the histogram's cells, each cell its exact mean colour weighted by its
// pixels, so every pixel of the picture counts without holding it. The
// cells' gamma is given as the one libimagequant takes for linear values:
// its colour distances are then plain squared RGB distances, the error the
// mapping below minimises and PSNR measures.
std::vector<Rgb> QuantiseColours(std::span<const PaletteBuilder::Sum> histogram, int colours) {
    std::vector<liq_histogram_entry> entries;
    for (const PaletteBuilder::Sum& s : histogram) {
        if (s.n == 0) continue;
        auto mean = [&](std::uint64_t sum) {
            return static_cast<unsigned char>(std::min<std::uint64_t>((sum + s.n / 2) / s.n, 255));
        };
        entries.push_back(liq_histogram_entry{
            liq_color{mean(s.r), mean(s.g), mean(s.b), 255},
            static_cast<unsigned int>(std::min<std::uint64_t>(s.n, 0xffffffffu))});
    }
    std::unique_ptr<liq_attr, void (*)(liq_attr*)> attr(liq_attr_create(), liq_attr_destroy);
    if (!attr) throw std::bad_alloc();
    liq_set_max_colors(attr.get(), colours);
    std::unique_ptr<liq_histogram, void (*)(liq_histogram*)> hist(
        liq_histogram_create(attr.get()), liq_histogram_destroy);
    if (!hist) throw std::bad_alloc();
    if (liq_histogram_add_colors(hist.get(), attr.get(), entries.data(),
                                 static_cast<int>(entries.size()), kLinearGamma) != LIQ_OK)
        throw std::bad_alloc();
    liq_result* raw = nullptr;
    if (liq_histogram_quantize(hist.get(), attr.get(), &raw) != LIQ_OK || !raw)
        throw std::bad_alloc();
    std::unique_ptr<liq_result, void (*)(liq_result*)> result(raw, liq_result_destroy);
    liq_set_output_gamma(result.get(), kLinearGamma);
    const liq_palette* palette = liq_get_palette(result.get());
    std::vector<Rgb> out;
    for (unsigned i = 0; i < palette->count; ++i) {
        const liq_color& c = palette->entries[i];
        out.push_back(Rgb{c.r, c.g, c.b});
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
      nearest_(static_cast<std::uint8_t*>(std::calloc(1 << 24, 1))),
      known_(static_cast<std::uint64_t*>(std::calloc((1 << 24) / 64, 8))),
      candidates_(kCells) {
    if (!nearest_ || !known_) throw std::bad_alloc();
}

// The entries that can be nearest to some colour of a cell: those no farther
// from the cell's box than the farthest point of the box is from the entry
// that is nearest at its worst. A colour of the cell then needs only these.
const std::vector<std::uint8_t>& PaletteMapper::Candidates(int cell) {
    std::vector<std::uint8_t>& list = candidates_[cell];
    if (!list.empty() || colours_.empty()) return list;
    const int lo[3] = {((cell >> 2 * kCellBits) & kCellMask) << (8 - kCellBits),
                       ((cell >> kCellBits) & kCellMask) << (8 - kCellBits),
                       (cell & kCellMask) << (8 - kCellBits)};
    const int span = (1 << (8 - kCellBits)) - 1;
    const int n = static_cast<int>(colours_.size());
    std::vector<int> nearD(n);
    int bound = 1 << 30;
    for (int i = 0; i < n; ++i) {
        const int v[3] = {colours_[i].r, colours_[i].g, colours_[i].b};
        int nearSum = 0, farSum = 0;
        for (int k = 0; k < 3; ++k) {
            const int below = lo[k] - v[k], above = v[k] - (lo[k] + span);
            const int near = std::max({below, above, 0});
            const int far = std::max(std::abs(v[k] - lo[k]), std::abs(v[k] - lo[k] - span));
            nearSum += near * near;
            farSum += far * far;
        }
        nearD[i] = nearSum;
        bound = std::min(bound, farSum);
    }
    for (int i = 0; i < n; ++i)
        if (nearD[i] <= bound) list.push_back(static_cast<std::uint8_t>(i));
    return list;
}

int PaletteMapper::Nearest(std::uint32_t c) {
    const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    const int cell = ((r >> (8 - kCellBits)) << 2 * kCellBits) |
                     ((g >> (8 - kCellBits)) << kCellBits) | (b >> (8 - kCellBits));
    // In index order, so a tie goes to the lowest index.
    int best = 0, bestD = 1 << 30;
    for (std::uint8_t i : Candidates(cell)) {
        const int dr = r - colours_[i].r, dg = g - colours_[i].g, db = b - colours_[i].b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestD) bestD = d, best = i;
    }
    return best;
}

void PaletteMapper::MapRow(const std::uint32_t* row, int width, std::uint8_t* out) {
    std::uint8_t* const nearest = nearest_.get();
    std::uint64_t* const known = known_.get();
    for (int x = 0; x < width; ++x) {
        const std::uint32_t c = row[x] & 0xffffff;
        const std::uint64_t bit = std::uint64_t(1) << (c & 63);
        if (!(known[c >> 6] & bit)) {
            nearest[c] = static_cast<std::uint8_t>(Nearest(c));
            known[c >> 6] |= bit;
        }
        out[x] = nearest[c];
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

namespace {

struct LiqDeleter {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
    void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
    void operator()(liq_image* p) const { liq_image_destroy(p); }
};

struct RowSource {
    const std::uint32_t* rows;
    int width;
};

void ToLiqRow(liq_color out[], int y, int width, void* user) {
    const auto* source = static_cast<const RowSource*>(user);
    const std::uint32_t* row = source->rows + std::size_t(y) * source->width;
    for (int x = 0; x < width; ++x) {
        const std::uint32_t c = row[x];
        out[x] = liq_color{static_cast<unsigned char>(RedOf(c)),
                           static_cast<unsigned char>(GreenOf(c)),
                           static_cast<unsigned char>(BlueOf(c)), 255};
    }
}

}  // namespace

struct PaletteDitherer::State {
    std::unique_ptr<liq_attr, LiqDeleter> attr;
    std::unique_ptr<liq_result, LiqDeleter> result;
    std::uint8_t toOurs[256] = {};  // libimagequant's index to ours
};

PaletteDitherer::PaletteDitherer(const std::vector<Rgb>& colours, float level)
    : state_(std::make_unique<State>()) {
    const int n = static_cast<int>(std::min<std::size_t>(colours.size(), 256));
    if (n == 0) throw std::bad_alloc();
    // libimagequant remaps only onto a palette it made: it is asked for one
    // of exactly our colours, all fixed (and present once each, as it makes
    // no palette of an empty histogram), so its Floyd-Steinberg (which it
    // eases off on edges) works with them unchanged.
    state_->attr.reset(liq_attr_create());
    if (!state_->attr) throw std::bad_alloc();
    liq_set_max_colors(state_->attr.get(), std::max(n, 2));
    std::unique_ptr<liq_histogram, LiqDeleter> hist(liq_histogram_create(state_->attr.get()));
    if (!hist) throw std::bad_alloc();
    std::vector<liq_histogram_entry> entries;
    for (int i = 0; i < n; ++i) {
        const liq_color c{colours[i].r, colours[i].g, colours[i].b, 255};
        entries.push_back(liq_histogram_entry{c, 1});
        if (liq_histogram_add_fixed_color(hist.get(), c, kLinearGamma) != LIQ_OK)
            throw std::bad_alloc();
    }
    if (liq_histogram_add_colors(hist.get(), state_->attr.get(), entries.data(), n,
                                 kLinearGamma) != LIQ_OK)
        throw std::bad_alloc();
    liq_result* raw = nullptr;
    if (liq_histogram_quantize(hist.get(), state_->attr.get(), &raw) != LIQ_OK || !raw)
        throw std::bad_alloc();
    state_->result.reset(raw);
    liq_set_output_gamma(raw, kLinearGamma);
    liq_set_dithering_level(raw, std::clamp(level, 0.0f, 1.0f));
    PaletteMapper ours(colours);
    const liq_palette* palette = liq_get_palette(raw);
    for (unsigned i = 0; i < palette->count && i < 256; ++i) {
        const liq_color& c = palette->entries[i];
        const std::uint32_t packed = PackRgb(c.r, c.g, c.b);
        ours.MapRow(&packed, 1, &state_->toOurs[i]);
    }
}

PaletteDitherer::~PaletteDitherer() = default;

bool PaletteDitherer::MapBand(const std::uint32_t* rows, int width, int height, std::uint8_t* out) {
    if (width <= 0 || height <= 0) return true;
    RowSource source{rows, width};
    std::unique_ptr<liq_image, LiqDeleter> image(liq_image_create_custom(
        state_->attr.get(), ToLiqRow, &source, width, height, kLinearGamma));
    if (!image) return false;
    const std::size_t n = std::size_t(width) * height;
    if (liq_write_remapped_image(state_->result.get(), image.get(), out, n) != LIQ_OK) return false;
    for (std::size_t i = 0; i < n; ++i) out[i] = state_->toOurs[out[i]];
    return true;
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
