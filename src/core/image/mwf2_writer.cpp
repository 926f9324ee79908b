#include "image/mwf2_writer.h"

#include <zlib.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <future>
#include <limits>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "image/byte_order.h"
#include "image/image_file.h"
#include "image/palette_reduce.h"
#include "support/text.h"

namespace mw {

using namespace image_detail;

namespace {

constexpr std::uint64_t kMaxFileSize = 0xffffffffull;
// zlib's own default level: on map tiles the best level (9) saves 0.02 % of
// the file for an eighth more of the encoder's time.
constexpr int kTileLevel = 6;

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

std::string FileHeader(const Mwf2Image& image) {
    std::string h;
    const int n = static_cast<int>(image.levels.size()) - 1;
    PutU16(h, kTiledImageType);
    PutU32(h, 0);  // not read
    PutU16(h, kTileEdge);
    PutU16(h, image.compressed ? 1 : 0);
    PutU32(h, 0);  // not read
    // Bitmap info header: size, width, height, planes, bits, compression,
    // image size, two resolutions, colours used, colours important.
    PutU32(h, 40);
    PutU32(h, static_cast<std::uint32_t>(image.width));
    PutU32(h, static_cast<std::uint32_t>(image.height));
    PutU16(h, 1);
    PutU16(h, 8);
    for (int i = 0; i < 4; ++i) PutU32(h, 0);
    PutU32(h, 256);
    PutU32(h, 0);
    PutU32(h, 0);  // not read
    PutU16(h, static_cast<std::uint32_t>(n));
    for (const Mwf2Level& level : image.levels) PutF32(h, level.percent);
    return h;
}

// One 64 × 64 tile as stored: bottom row first, beyond the level's edge
// filled with `fill`.
void CutTile(const IndexedBitmap& pixels, int c, int r, std::uint8_t fill, std::uint8_t* tile) {
    std::fill(tile, tile + kTileBytes, fill);
    const int x0 = c * kTileEdge, y0 = r * kTileEdge;
    const int cols = std::min(kTileEdge, pixels.width - x0);
    const int rows = std::min(kTileEdge, pixels.height - y0);
    for (int k = 0; k < rows; ++k) {
        std::copy_n(pixels.Row(y0 + k) + x0, cols, tile + (kTileEdge - 1 - k) * kTileEdge);
    }
}

int LevelSide(double percent, int side) {
    return std::clamp(static_cast<int>(std::lround(side * percent / 100)), 1, side);
}

// The level percentages to write, largest first, with the overview level
// added when the smallest asked for is still too long.
bool PlanLevels(int width, int height, const EncodeOptions& options, std::vector<double>& percents,
                std::string* error) {
    if (width <= 0 || height <= 0) return Fail(error, "the picture is empty");
    percents.clear();
    for (double p : options.levelPercents) {
        if (!(p > 0 && p <= 100)) return Fail(error, Format("level %g%% is not in (0, 100]", p));
        percents.push_back(std::round(p * 10) / 10);
    }
    if (percents.empty()) return Fail(error, "no levels asked for");
    std::sort(percents.begin(), percents.end(), std::greater<>());
    percents.erase(std::unique(percents.begin(), percents.end()), percents.end());

    const int longer = std::max(width, height);
    if (LevelSide(percents.back(), longer) > options.overviewSide && options.overviewSide > 0) {
        double p = std::floor(1000.0 * options.overviewSide / longer) / 10;
        percents.push_back(std::max(p, 0.1));
    }
    if (percents.size() > static_cast<std::size_t>(kMaxLevels)) {
        return Fail(error, Format("a map image holds at most %d levels", kMaxLevels));
    }
    return true;
}

// A level's record: size, tile grid, colour table, then the offsets of its
// tiles and of the end of the last one.
std::string LevelRecord(int width, int height, int tilesX, int tilesY, const ColourTable& colours,
                        const std::vector<std::uint32_t>& offsets) {
    std::string record;
    PutU32(record, static_cast<std::uint32_t>(width));
    PutU32(record, static_cast<std::uint32_t>(height));
    PutU16(record, static_cast<std::uint32_t>(tilesX));
    PutU16(record, static_cast<std::uint32_t>(tilesY));
    for (const ColourEntry& e : colours) {
        record.push_back(static_cast<char>(e.blue));
        record.push_back(static_cast<char>(e.green));
        record.push_back(static_cast<char>(e.red));
        record.push_back(static_cast<char>(e.reserved));
    }
    for (std::uint32_t o : offsets) PutU32(record, o);
    return record;
}

// A tile as stored: zlib, or the raw bytes.
bool StoreTile(const std::uint8_t* tile, bool compressed, std::string& stored) {
    if (!compressed) {
        stored.assign(reinterpret_cast<const char*>(tile), kTileBytes);
        return true;
    }
    stored.resize(compressBound(kTileBytes));
    uLongf size = stored.size();
    if (compress2(reinterpret_cast<Bytef*>(stored.data()), &size, tile, kTileBytes, kTileLevel) != Z_OK)
        return false;
    stored.resize(size);
    return true;
}

bool WriteLevels(const std::string& path, const Mwf2Image& image, std::string* error) {
    const std::size_t count = image.levels.size();
    if (count == 0 || count > static_cast<std::size_t>(kMaxLevels)) {
        return Fail(error, Format("a map image holds 1 to %d levels, not %zu", kMaxLevels, count));
    }
    if (image.width <= 0 || image.height <= 0) return Fail(error, "the image has no size");
    for (const Mwf2Level& level : image.levels) {
        if (level.pixels.width <= 0 || level.pixels.height <= 0 ||
            (level.pixels.width + kTileEdge - 1) / kTileEdge > 32767 ||
            (level.pixels.height + kTileEdge - 1) / kTileEdge > 32767) {
            return Fail(error, "a level is empty or too large for the tile grid");
        }
    }

    TextFileWriter out(path);
    if (!out.IsOpen()) return Fail(error, "cannot create " + path);
    std::uint64_t position = 0;
    auto write = [&](const std::string& bytes) {
        out.WriteText(bytes);
        position += bytes.size();
    };
    write(FileHeader(image));

    std::vector<std::uint32_t> records;
    std::string stored;
    std::uint8_t tile[kTileBytes];
    for (const Mwf2Level& level : image.levels) {
        const int tilesX = (level.pixels.width + kTileEdge - 1) / kTileEdge;
        const int tilesY = (level.pixels.height + kTileEdge - 1) / kTileEdge;
        const auto fill = static_cast<std::uint8_t>(
            level.background >= 0 ? level.background
                                  : BackgroundIndex(MakeDisplayPalette(level.colours)));
        std::vector<std::uint32_t> offsets;
        offsets.reserve(std::size_t(tilesX) * tilesY + 1);
        // The tiles come first, so their offsets are known when the record
        // after them is written.
        for (int r = 0; r < tilesY; ++r) {
            for (int c = 0; c < tilesX; ++c) {
                offsets.push_back(static_cast<std::uint32_t>(position));
                CutTile(level.pixels, c, r, fill, tile);
                if (!StoreTile(tile, image.compressed, stored)) {
                    return Fail(error, "zlib could not compress a tile");
                }
                write(stored);
                if (position > kMaxFileSize) {
                    return Fail(error, "the map image would be larger than 4 GB");
                }
            }
        }
        offsets.push_back(static_cast<std::uint32_t>(position));
        records.push_back(static_cast<std::uint32_t>(position));
        write(LevelRecord(level.pixels.width, level.pixels.height, tilesX, tilesY, level.colours,
                          offsets));
    }
    std::string tail;
    const std::uint64_t table = position;
    for (std::uint32_t r : records) PutU32(tail, r);
    PutU32(tail, records.back());
    PutU32(tail, static_cast<std::uint32_t>(table));
    write(tail);
    if (position > kMaxFileSize) return Fail(error, "the map image would be larger than 4 GB");
    if (!out.Commit()) return Fail(error, "cannot write " + path);
    return true;
}

// Maps a level's rows onto the palette a band of kTileEdge rows at a time,
// the bands starting at the level's row 0, so that a dithered result is the
// same however the picture was read.
class BandMapper {
public:
    BandMapper(const std::vector<Rgb>& colours, float dither) : nearest_(colours) {
        if (dither > 0) ditherer_ = std::make_unique<PaletteDitherer>(colours, dither);
    }
    bool MapBand(const std::uint32_t* rows, int width, int height, std::uint8_t* out) {
        if (ditherer_) return ditherer_->MapBand(rows, width, height, out);
        for (int k = 0; k < height; ++k)
            nearest_.MapRow(rows + std::size_t(k) * width, width, out + std::size_t(k) * width);
        return true;
    }
    PaletteMapper& Nearest() { return nearest_; }

private:
    PaletteMapper nearest_;
    std::unique_ptr<PaletteDitherer> ditherer_;
};

// What the full-size level's pixels make of each palette entry: with it the
// entries move to the exact mean of the pixels they stand for (a last
// k-means step on the whole picture, which only lowers the error), and the
// PSNR is measured against the colours written.
class EntryStats {
public:
    void Add(const std::uint32_t* row, const std::uint8_t* indices, int width) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = row[x];
            Sum& s = sums_[indices[x]];
            const std::uint64_t r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
            ++s.n, s.r += r, s.g += g, s.b += b, s.sq += r * r + g * g + b * b;
        }
        pixels_ += width;
    }
    std::vector<Rgb> Refined(const std::vector<Rgb>& colours) const {
        std::vector<Rgb> out = colours;
        for (std::size_t i = 0; i < out.size(); ++i) {
            const Sum& s = sums_[i];
            if (s.n == 0) continue;
            auto mean = [&](std::uint64_t v) {
                return static_cast<std::uint8_t>(std::min<std::uint64_t>((v + s.n / 2) / s.n, 255));
            };
            out[i] = Rgb{mean(s.r), mean(s.g), mean(s.b)};
        }
        return out;
    }
    // Of the pixels added, against `colours`.
    double Psnr(const std::vector<Rgb>& colours) const {
        double sq = 0;
        for (std::size_t i = 0; i < 256; ++i) {
            const Sum& s = sums_[i];
            if (s.n == 0) continue;
            const Rgb p = i < colours.size() ? colours[i] : Rgb{};
            // Sum of (v - p)^2 = sum v^2 - 2 p sum v + n p^2, exactly in
            // integers.
            const std::int64_t n = s.n;
            const std::int64_t e = std::int64_t(s.sq) - 2 * (std::int64_t(p.r) * s.r +
                                                             std::int64_t(p.g) * s.g +
                                                             std::int64_t(p.b) * s.b) +
                                   n * (p.r * p.r + p.g * p.g + p.b * p.b);
            sq += static_cast<double>(e);
        }
        const double mse = pixels_ ? sq / (3.0 * double(pixels_)) : 0;
        return mse <= 0 ? std::numeric_limits<double>::infinity()
                        : 10 * std::log10(255.0 * 255.0 / mse);
    }

private:
    struct Sum {
        std::uint64_t n = 0, r = 0, g = 0, b = 0, sq = 0;
    };
    std::array<Sum, 256> sums_{};
    std::uint64_t pixels_ = 0;
};

}  // namespace

bool WriteMwf2File(const std::string& path, const Mwf2Image& image, std::string* error) {
    try {
        return WriteLevels(path, image, error);
    } catch (const std::bad_alloc&) {
        return Fail(error, "out of memory");
    }
}

bool BuildMapImage(const RgbImageView& source, const EncodeOptions& options, Mwf2Image& image,
                   EncodeReport* report, std::string* error) {
    std::vector<double> percents;
    if (!PlanLevels(source.width, source.height, options, percents, error)) return false;

    try {
        PaletteBuilder builder;
        for (int y = 0; y < source.height; ++y) builder.AddRow(source.Row(y), source.width);
        const std::vector<Rgb> colours = builder.Finish();
        const int background = BackgroundIndex(MakeDisplayPalette(ToColourTable(colours)));
        BandMapper mapper(colours, builder.Quantised() ? options.dither : 0);
        EntryStats stats;
        image = Mwf2Image{};
        image.width = source.width;
        image.height = source.height;
        image.compressed = options.compressed;
        if (report) *report = EncodeReport{};
        bool fullLevel = false;
        for (double p : percents) {
            Mwf2Level level;
            level.percent = static_cast<float>(p);
            level.background = background;
            const int w = LevelSide(p, source.width), h = LevelSide(p, source.height);
            const bool full = w == source.width && h == source.height;
            RgbImage reduced;
            if (!full) reduced = ScaleImage(source, w, h);
            const RgbImageView view = full ? source : reduced.View();
            if (!CreateIndexedBitmap(level.pixels, w, h, 0))
                return Fail(error, "out of memory for a level");
            std::vector<std::uint32_t> band;
            for (int y = 0; y < h; y += kTileEdge) {
                const int rows = std::min(kTileEdge, h - y);
                band.resize(std::size_t(w) * rows);
                for (int k = 0; k < rows; ++k)
                    std::copy_n(view.Row(y + k), w, band.data() + std::size_t(k) * w);
                std::vector<std::uint8_t> indices(band.size());
                if (!mapper.MapBand(band.data(), w, rows, indices.data()))
                    return Fail(error, "out of memory");
                for (int k = 0; k < rows; ++k) {
                    std::copy_n(indices.data() + std::size_t(k) * w, w, level.pixels.Row(y + k));
                    if (full) stats.Add(band.data() + std::size_t(k) * w, level.pixels.Row(y + k), w);
                }
            }
            fullLevel = fullLevel || full;
            if (report) {
                report->levels.push_back(EncodeReport::Level{
                    p, w, h, (w + kTileEdge - 1) / kTileEdge, (h + kTileEdge - 1) / kTileEdge});
            }
            image.levels.push_back(std::move(level));
        }
        if (!fullLevel) {
            std::vector<std::uint8_t> indices(source.width);
            for (int y = 0; y < source.height; ++y) {
                mapper.Nearest().MapRow(source.Row(y), source.width, indices.data());
                stats.Add(source.Row(y), indices.data(), source.width);
            }
        }
        const std::vector<Rgb> final = builder.Quantised() ? stats.Refined(colours) : colours;
        const ColourTable table = ToColourTable(final);
        for (Mwf2Level& level : image.levels) level.colours = table;
        if (report) {
            report->colourCount = static_cast<int>(colours.size());
            report->psnr = stats.Psnr(final);
        }
    } catch (const std::bad_alloc&) {
        return Fail(error, "out of memory");
    }
    return true;
}

bool ViewRows::ReadRows(int y, int count, std::uint32_t* out, std::string* error) {
    if (y < 0 || count < 0 || y + count > view_.height)
        return Fail(error, "rows beyond the picture");
    for (int k = 0; k < count; ++k)
        std::copy_n(view_.Row(y + k), view_.width, out + std::size_t(k) * view_.width);
    return true;
}

namespace {

// Runs fn(0) .. fn(count - 1) on `threads` threads (this one included).
void ParallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& fn) {
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < count;) fn(i);
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads && t < count; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers) t.join();
}

// A temporary file beside the output, gone from the folder as soon as it is
// made (the space is freed when it is closed, whatever happens).
class SpillFile {
public:
    explicit SpillFile(const std::string& besides) {
        std::string pattern = besides + ".level-XXXXXX";
        int fd = mkstemp(pattern.data());
        if (fd >= 0) {
            unlink(pattern.c_str());
            file_ = fdopen(fd, "w+b");
            if (!file_) close(fd);
        }
        if (!file_) file_ = std::tmpfile();
    }
    ~SpillFile() {
        if (file_) std::fclose(file_);
    }
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;
    std::FILE* get() const { return file_; }

private:
    std::FILE* file_ = nullptr;
};

// One level on its way out: its tile rows fill up from the picture's bands
// (scaled first for the smaller levels) and leave as compressed tiles.
struct LevelWriter {
    double percent = 100;
    int width = 0, height = 0, tilesX = 0, tilesY = 0;
    bool full = false;  // the picture's own size: no scaling
    std::unique_ptr<RowScaler> scaler;
    std::vector<std::uint32_t> band;      // kTileEdge rows of colours...
    std::vector<std::uint8_t> indices;  // ...mapped onto the palette
    int bandRows = 0, rowsDone = 0, tileRowsDone = 0;
    std::vector<std::uint32_t> sizes;  // stored size of every tile so far
    std::unique_ptr<SpillFile> spill;  // every level but the first
};

struct TileJob {
    LevelWriter* level;
    std::uint8_t raw[kTileBytes];
    std::string stored;
    bool ok = true;
};

class StreamEncoder {
public:
    StreamEncoder(PictureRows& source, const EncodeOptions& options, const std::string& path,
                  const EncodeProgress& progress)
        : source_(source), options_(options), path_(path), progress_(progress) {}

    bool Run(EncodeReport* report, std::string* error);

private:
    bool ReadPass(double from, double to, const std::function<void(const std::uint32_t*)>& row,
                  std::string* error);
    void AddLevelRow(LevelWriter& level, const std::uint32_t* row);
    void CutTileRow(LevelWriter& level);
    bool FlushJobs(std::string* error);
    bool WriteStored(LevelWriter& level, const std::string& stored, std::string* error);

    PictureRows& source_;
    const EncodeOptions& options_;
    const std::string& path_;
    const EncodeProgress& progress_;
    unsigned threads_ = 1;
    std::uint8_t fill_ = 0;
    std::vector<std::unique_ptr<LevelWriter>> levels_;
    std::vector<std::unique_ptr<TileJob>> pending_;   // tiles cut, not yet compressed
    std::vector<std::unique_ptr<TileJob>> inFlight_;  // the batch before, being compressed...
    std::vector<std::unique_ptr<TileJob>> spare_;     // written jobs, for reuse
    std::future<void> compressing_;  // ...by this (declared after it: joined before it goes)
    std::unique_ptr<BandMapper> mapper_;
    EntryStats stats_;
    std::unique_ptr<std::uint32_t[]> bandStore_;  // the two bands of the passes
    TextFileWriter* out_ = nullptr;
    std::uint64_t position_ = 0;
};

bool StreamEncoder::ReadPass(double from, double to,
                             const std::function<void(const std::uint32_t*)>& row,
                             std::string* error) {
    const int w = source_.Width(), h = source_.Height();
    // Bands of whole tile rows, about 4 MiB of pixels or one tile row. Two
    // of them: the next one is read (and decoded) on another thread while
    // this one's rows are handed on. They are made once for both passes and
    // left uninitialised: the first touch of fresh memory is what costs.
    const std::size_t rowBytes = std::size_t(w) * 4;
    const int tileRows =
        static_cast<int>(std::clamp<std::size_t>((4u << 20) / (rowBytes * kTileEdge), 1, 16));
    const int bandRows = tileRows * kTileEdge;
    const std::size_t bandPixels = std::size_t(w) * std::min(bandRows, h);
    if (!bandStore_) bandStore_.reset(new std::uint32_t[2 * bandPixels]);
    std::uint32_t* const bands[2] = {bandStore_.get(), bandStore_.get() + bandPixels};
    std::string nextError;
    std::future<bool> next;  // joined before a return leaves the bands
    auto read = [&](int y, std::uint32_t* band, std::string* e) {
        return source_.ReadRows(y, std::min(bandRows, h - y), band, e);
    };
    if (h > 0 && !read(0, bands[0], error)) return false;
    for (int y = 0, current = 0; y < h; y += bandRows, current = 1 - current) {
        const int count = std::min(bandRows, h - y);
        if (y + bandRows < h)
            next =
                std::async(std::launch::async, read, y + bandRows, bands[1 - current], &nextError);
        const std::uint32_t* band = bands[current];
        for (int k = 0; k < count; ++k) row(band + std::size_t(k) * w);
        if (progress_) progress_(from + (to - from) * double(y + count) / h);
        if (next.valid() && !next.get()) {
            if (error) *error = nextError;
            return false;
        }
    }
    return true;
}

void StreamEncoder::CutTileRow(LevelWriter& level) {
    const int rows = level.bandRows;
    if (!mapper_->MapBand(level.band.data(), level.width, rows, level.indices.data()))
        throw std::bad_alloc();  // libimagequant fails only for want of memory
    if (level.full) {
        for (int k = 0; k < rows; ++k)
            stats_.Add(level.band.data() + std::size_t(k) * level.width,
                       level.indices.data() + std::size_t(k) * level.width, level.width);
    }
    for (int c = 0; c < level.tilesX; ++c) {
        // Jobs are used again once written: no tile costs an allocation.
        std::unique_ptr<TileJob> job;
        if (spare_.empty()) {
            job.reset(new TileJob);  // the pixels are all written below
        } else {
            job = std::move(spare_.back());
            spare_.pop_back();
        }
        job->level = &level;
        std::uint8_t* tile = job->raw;
        const int x0 = c * kTileEdge;
        const int cols = std::min(kTileEdge, level.width - x0);
        if (rows < kTileEdge || cols < kTileEdge) std::fill(tile, tile + kTileBytes, fill_);
        // Stored bottom row first.
        for (int k = 0; k < rows; ++k)
            std::copy_n(level.indices.data() + std::size_t(k) * level.width + x0, cols,
                        tile + (kTileEdge - 1 - k) * kTileEdge);
        pending_.push_back(std::move(job));
    }
    level.bandRows = 0;
    ++level.tileRowsDone;
}

void StreamEncoder::AddLevelRow(LevelWriter& level, const std::uint32_t* row) {
    std::copy_n(row, level.width,
                level.band.data() + std::size_t(level.bandRows) * level.width);
    ++level.bandRows;
    ++level.rowsDone;
    if (level.bandRows == kTileEdge || level.rowsDone == level.height) CutTileRow(level);
}

bool StreamEncoder::WriteStored(LevelWriter& level, const std::string& stored, std::string* error) {
    level.sizes.push_back(static_cast<std::uint32_t>(stored.size()));
    if (!level.spill) {
        out_->WriteText(stored);
        position_ += stored.size();
        if (position_ > kMaxFileSize) return Fail(error, "the map image would be larger than 4 GB");
        return true;
    }
    if (std::fwrite(stored.data(), 1, stored.size(), level.spill->get()) != stored.size())
        return Fail(error, "cannot write a temporary file beside " + path_);
    return true;
}

// Hands the tiles cut so far to the compressing threads, after writing the
// batch they finished before (in order: the file holds each level's tiles
// row by row).
bool StreamEncoder::FlushJobs(std::string* error) {
    if (compressing_.valid()) compressing_.get();
    for (auto& job : inFlight_) {
        if (!job->ok) return Fail(error, "zlib could not compress a tile");
        if (!WriteStored(*job->level, job->stored, error)) return false;
        spare_.push_back(std::move(job));
    }
    inFlight_ = std::move(pending_);
    pending_.clear();
    if (inFlight_.empty()) return true;
    const bool compressed = options_.compressed;
    compressing_ = std::async(std::launch::async, [this, compressed] {
        ParallelFor(inFlight_.size(), threads_, [&](std::size_t i) {
            TileJob& job = *inFlight_[i];
            job.ok = StoreTile(job.raw, compressed, job.stored);
        });
    });
    return true;
}

bool StreamEncoder::Run(EncodeReport* report, std::string* error) {
    const int width = source_.Width(), height = source_.Height();
    std::vector<double> percents;
    if (!PlanLevels(width, height, options_, percents, error)) return false;
    threads_ = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);

    // First pass: the palette.
    PaletteBuilder builder;
    if (!ReadPass(
            0, 0.25, [&](const std::uint32_t* row) { builder.AddRow(row, width); }, error))
        return false;
    const std::vector<Rgb> colours = builder.Finish();
    fill_ = static_cast<std::uint8_t>(BackgroundIndex(MakeDisplayPalette(ToColourTable(colours))));
    mapper_ = std::make_unique<BandMapper>(colours, builder.Quantised() ? options_.dither : 0);

    Mwf2Image header;
    header.width = width;
    header.height = height;
    header.compressed = options_.compressed;
    for (double p : percents) {
        auto level = std::make_unique<LevelWriter>();
        level->percent = p;
        level->width = LevelSide(p, width);
        level->height = LevelSide(p, height);
        level->tilesX = (level->width + kTileEdge - 1) / kTileEdge;
        level->tilesY = (level->height + kTileEdge - 1) / kTileEdge;
        if (level->tilesX > 32767 || level->tilesY > 32767)
            return Fail(error, "a level is empty or too large for the tile grid");
        level->full = level->width == width && level->height == height;
        if (!level->full)
            level->scaler = std::make_unique<RowScaler>(width, height, level->width, level->height);
        level->band.resize(std::size_t(level->width) * kTileEdge);
        level->indices.resize(level->band.size());
        level->sizes.reserve(std::size_t(level->tilesX) * level->tilesY);
        if (!levels_.empty()) {
            level->spill = std::make_unique<SpillFile>(path_);
            if (!level->spill->get()) return Fail(error, "cannot create a temporary file");
        }
        levels_.push_back(std::move(level));
        header.levels.push_back(Mwf2Level{static_cast<float>(p), {}, {}});
    }

    TextFileWriter out(path_);
    if (!out.IsOpen()) return Fail(error, "cannot create " + path_);
    out_ = &out;
    const std::string head = FileHeader(header);
    out.WriteText(head);
    position_ = head.size();

    // Second pass: every source row goes to the full-size level and to the
    // smaller levels' scalers; each level maps its rows a band at a time.
    const bool anyFull =
        std::any_of(levels_.begin(), levels_.end(), [](const auto& l) { return l->full; });
    std::vector<std::uint8_t> indices(std::max(width, 1));
    // Split into channels once per row for all the smaller levels' scalers.
    std::vector<float> channels(3 * std::size_t(width));
    const bool anyScaled =
        std::any_of(levels_.begin(), levels_.end(), [](const auto& l) { return !l->full; });
    int rowsSinceFlush = 0;
    bool ok = true;
    auto perRow = [&](const std::uint32_t* row) {
        if (!ok) return;
        if (!anyFull) {
            // The PSNR is still the full size's, mapped to the nearest colours.
            mapper_->Nearest().MapRow(row, width, indices.data());
            stats_.Add(row, indices.data(), width);
        }
        if (anyScaled) SplitChannels(row, width, channels.data());
        for (auto& level : levels_) {
            if (level->full) {
                AddLevelRow(*level, row);
                continue;
            }
            level->scaler->AddRow(channels.data(), [&](const std::uint32_t* scaled) {
                AddLevelRow(*level, scaled);
            });
        }
        if (++rowsSinceFlush >= kTileEdge * 2) {
            rowsSinceFlush = 0;
            ok = FlushJobs(error);
        }
    };
    if (!ReadPass(0.25, 1.0, perRow, error) || !ok) {
        if (compressing_.valid()) compressing_.get();
        return false;
    }
    if (!FlushJobs(error) || !FlushJobs(error)) return false;

    // Level records, with the smaller levels copied in after the first.
    const std::vector<Rgb> final = builder.Quantised() ? stats_.Refined(colours) : colours;
    const ColourTable table = ToColourTable(final);
    std::vector<std::uint32_t> records;
    std::vector<char> copy(1 << 20);
    for (auto& level : levels_) {
        if (level->spill) {
            std::FILE* f = level->spill->get();
            if (std::fflush(f) != 0 || std::fseek(f, 0, SEEK_SET) != 0)
                return Fail(error, "cannot read back a temporary file");
            std::size_t n;
            while ((n = std::fread(copy.data(), 1, copy.size(), f)) > 0) {
                out.WriteText(std::string_view(copy.data(), n));
            }
            if (std::ferror(f)) return Fail(error, "cannot read back a temporary file");
            level->spill.reset();
        }
        std::vector<std::uint32_t> offsets;
        offsets.reserve(level->sizes.size() + 1);
        std::uint64_t at = level.get() == levels_.front().get() ? head.size() : position_;
        for (std::uint32_t size : level->sizes) {
            offsets.push_back(static_cast<std::uint32_t>(at));
            at += size;
        }
        offsets.push_back(static_cast<std::uint32_t>(at));
        if (level.get() != levels_.front().get()) position_ = at;
        if (position_ > kMaxFileSize) return Fail(error, "the map image would be larger than 4 GB");
        records.push_back(static_cast<std::uint32_t>(position_));
        const std::string record =
            LevelRecord(level->width, level->height, level->tilesX, level->tilesY, table, offsets);
        out.WriteText(record);
        position_ += record.size();
    }
    std::string tail;
    const std::uint64_t tableAt = position_;
    for (std::uint32_t r : records) PutU32(tail, r);
    PutU32(tail, records.back());
    PutU32(tail, static_cast<std::uint32_t>(tableAt));
    out.WriteText(tail);
    position_ += tail.size();
    if (position_ > kMaxFileSize) return Fail(error, "the map image would be larger than 4 GB");
    if (!out.Commit()) return Fail(error, "cannot write " + path_);

    if (report) {
        *report = EncodeReport{};
        report->colourCount = static_cast<int>(colours.size());
        report->psnr = stats_.Psnr(final);
        for (const auto& level : levels_) {
            report->levels.push_back(EncodeReport::Level{
                level->percent, level->width, level->height, level->tilesX, level->tilesY});
        }
    }
    return true;
}

}  // namespace

bool EncodeMapImage(PictureRows& source, const EncodeOptions& options, const std::string& path,
                    EncodeReport* report, std::string* error, const EncodeProgress& progress) {
    try {
        StreamEncoder encoder(source, options, path, progress);
        return encoder.Run(report, error);
    } catch (const std::bad_alloc&) {
        return Fail(error, "out of memory");
    } catch (const std::system_error&) {
        return Fail(error, "cannot start the compressing threads");
    }
}

bool EncodeMapImage(const RgbImageView& source, const EncodeOptions& options,
                    const std::string& path, EncodeReport* report, std::string* error) {
    ViewRows rows(source);
    return EncodeMapImage(rows, options, path, report, error);
}

}  // namespace mw
