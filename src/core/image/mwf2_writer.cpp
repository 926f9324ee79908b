#include "image/mwf2_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "image/byte_order.h"
#include "image/image_file.h"
#include "image/palette_reduce.h"
#include "support/text.h"

namespace mw {

using namespace image_detail;

namespace {

constexpr std::uint64_t kMaxFileSize = 0xffffffffull;

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
    std::vector<Bytef> packed(compressBound(kTileBytes));
    for (const Mwf2Level& level : image.levels) {
        const int tilesX = (level.pixels.width + kTileEdge - 1) / kTileEdge;
        const int tilesY = (level.pixels.height + kTileEdge - 1) / kTileEdge;
        const auto fill =
            static_cast<std::uint8_t>(BackgroundIndex(MakeDisplayPalette(level.colours)));
        std::vector<std::uint32_t> offsets;
        offsets.reserve(std::size_t(tilesX) * tilesY + 1);
        // The tiles come first, so their offsets are known when the record
        // after them is written.
        for (int r = 0; r < tilesY; ++r) {
            for (int c = 0; c < tilesX; ++c) {
                offsets.push_back(static_cast<std::uint32_t>(position));
                CutTile(level.pixels, c, r, fill, tile);
                if (image.compressed) {
                    uLongf size = packed.size();
                    if (compress2(packed.data(), &size, tile, kTileBytes, 9) != Z_OK) {
                        return Fail(error, "zlib could not compress a tile");
                    }
                    stored.assign(reinterpret_cast<const char*>(packed.data()), size);
                } else {
                    stored.assign(reinterpret_cast<const char*>(tile), kTileBytes);
                }
                write(stored);
                if (position > kMaxFileSize) {
                    return Fail(error, "the map image would be larger than 4 GB");
                }
            }
        }
        offsets.push_back(static_cast<std::uint32_t>(position));
        records.push_back(static_cast<std::uint32_t>(position));
        std::string record;
        PutU32(record, static_cast<std::uint32_t>(level.pixels.width));
        PutU32(record, static_cast<std::uint32_t>(level.pixels.height));
        PutU16(record, static_cast<std::uint32_t>(tilesX));
        PutU16(record, static_cast<std::uint32_t>(tilesY));
        for (const ColourEntry& e : level.colours) {
            record.push_back(static_cast<char>(e.blue));
            record.push_back(static_cast<char>(e.green));
            record.push_back(static_cast<char>(e.red));
            record.push_back(static_cast<char>(e.reserved));
        }
        for (std::uint32_t o : offsets) PutU32(record, o);
        write(record);
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
    if (source.width <= 0 || source.height <= 0) return Fail(error, "the picture is empty");
    std::vector<double> percents;
    for (double p : options.levelPercents) {
        if (!(p > 0 && p <= 100)) return Fail(error, Format("level %g%% is not in (0, 100]", p));
        percents.push_back(std::round(p * 10) / 10);
    }
    if (percents.empty()) return Fail(error, "no levels asked for");
    std::sort(percents.begin(), percents.end(), std::greater<>());
    percents.erase(std::unique(percents.begin(), percents.end()), percents.end());

    auto sizeAt = [&](double percent, int side) {
        return std::clamp(static_cast<int>(std::lround(side * percent / 100)), 1, side);
    };
    const int longer = std::max(source.width, source.height);
    if (sizeAt(percents.back(), longer) > options.overviewSide && options.overviewSide > 0) {
        double p = std::floor(1000.0 * options.overviewSide / longer) / 10;
        percents.push_back(std::max(p, 0.1));
    }
    if (percents.size() > static_cast<std::size_t>(kMaxLevels)) {
        return Fail(error, Format("a map image holds at most %d levels", kMaxLevels));
    }

    try {
        const std::vector<Rgb> colours = ReducePalette(source);
        const ColourTable table = ToColourTable(colours);
        image = Mwf2Image{};
        image.width = source.width;
        image.height = source.height;
        image.compressed = options.compressed;
        if (report) *report = EncodeReport{};
        for (double p : percents) {
            Mwf2Level level;
            level.percent = static_cast<float>(p);
            level.colours = table;
            const int w = sizeAt(p, source.width), h = sizeAt(p, source.height);
            if (w == source.width && h == source.height) {
                level.pixels = MapToPalette(source, colours);
                if (report) report->psnr = PeakSignalToNoise(source, level.pixels, colours);
            } else {
                RgbImage reduced = ScaleImage(source, w, h);
                level.pixels = MapToPalette(reduced.View(), colours);
            }
            if (level.pixels.Empty()) return Fail(error, "out of memory for a level");
            if (report) {
                report->levels.push_back(EncodeReport::Level{
                    p, w, h, (w + kTileEdge - 1) / kTileEdge, (h + kTileEdge - 1) / kTileEdge});
            }
            image.levels.push_back(std::move(level));
        }
        if (report) {
            report->colourCount = static_cast<int>(colours.size());
            if (percents.front() < 100) {
                report->psnr = PeakSignalToNoise(source, MapToPalette(source, colours), colours);
            }
        }
    } catch (const std::bad_alloc&) {
        return Fail(error, "out of memory");
    }
    return true;
}

bool EncodeMapImage(const RgbImageView& source, const EncodeOptions& options,
                    const std::string& path, EncodeReport* report, std::string* error) {
    Mwf2Image image;
    if (!BuildMapImage(source, options, image, report, error)) return false;
    return WriteMwf2File(path, image, error);
}

}  // namespace mw
