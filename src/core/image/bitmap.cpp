#include "image/bitmap.h"

#include <algorithm>
#include <new>

#include "image/byte_order.h"
#include "support/text.h"

namespace mw {

using namespace image_detail;

DisplayPalette MakeDisplayPalette(const ColourTable& table) {
    DisplayPalette p;
    for (int i = 0; i < 256; ++i) p[i] = Rgb{table[i].red, table[i].green, table[i].blue};
    return p;
}

int BackgroundIndex(const DisplayPalette& palette) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        int dr = 255 - palette[i].r, dg = 255 - palette[i].g, db = 255 - palette[i].b;
        int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

std::array<std::uint32_t, 256> PaletteArgb(const DisplayPalette& palette) {
    std::array<std::uint32_t, 256> out;
    for (int i = 0; i < 256; ++i) {
        out[i] = 0xff000000u | (std::uint32_t{palette[i].r} << 16) |
                 (std::uint32_t{palette[i].g} << 8) | palette[i].b;
    }
    return out;
}

bool CreateIndexedBitmap(IndexedBitmap& bitmap, int width, int height, std::uint8_t fill) {
    bitmap = IndexedBitmap{};
    if (width <= 0 || height <= 0) return false;
    std::int64_t stride = (std::int64_t{width} + 3) & ~std::int64_t{3};
    if (stride * height > kMaxBitmapPixels) return false;
    try {
        bitmap.pixels.assign(static_cast<std::size_t>(stride * height), fill);
    } catch (const std::bad_alloc&) {
        bitmap.pixels.clear();
        return false;
    }
    bitmap.width = width;
    bitmap.height = height;
    bitmap.stride = static_cast<int>(stride);
    return true;
}

bool CreateRgbBitmap(RgbBitmap& bitmap, int width, int height, std::uint32_t fill) {
    bitmap = RgbBitmap{};
    if (width <= 0 || height <= 0) return false;
    if (std::int64_t{width} * height > kMaxBitmapPixels) return false;
    try {
        bitmap.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                             fill);
    } catch (const std::bad_alloc&) {
        bitmap.pixels.clear();
        return false;
    }
    bitmap.width = width;
    bitmap.height = height;
    return true;
}

namespace {

constexpr std::uint16_t kBitmapType = 19778;  // "BM"
constexpr std::uint32_t kRgbCompression = 0;
constexpr std::uint32_t kBitFieldsCompression = 3;
constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 26;

// A colour channel given by a bit mask, scaled to 0..255.
struct Channel {
    int shift = 0;
    std::uint32_t max = 0;  // mask >> shift
    static Channel FromMask(std::uint32_t mask) {
        Channel c;
        if (mask == 0) return c;
        while (!(mask & 1u)) {
            mask >>= 1;
            ++c.shift;
        }
        c.max = mask;
        return c;
    }
    std::uint32_t Get(std::uint32_t v) const {
        if (max == 0) return 0;
        std::uint64_t x = (v >> shift) & max;
        return static_cast<std::uint32_t>((x * 255 + max / 2) / max);
    }
};

std::optional<RgbBitmap> ReadBitmap(const std::string& path) {
    std::optional<std::string> file = ReadWholeFile(path);
    if (!file) return std::nullopt;
    const auto* data = reinterpret_cast<const std::uint8_t*>(file->data());
    const std::size_t size = file->size();
    if (size < 18 || GetU16(data) != kBitmapType) return std::nullopt;

    const std::uint64_t pixelOffset = GetU32(data + 10);
    const std::uint32_t headerSize = GetU32(data + 14);
    if (pixelOffset > size || 14 + std::uint64_t{headerSize} > pixelOffset) return std::nullopt;

    std::int64_t width = 0, height = 0;
    int bits = 0;
    std::uint32_t compression = kRgbCompression;
    std::uint32_t coloursUsed = 0;
    int entrySize = 4;
    std::size_t tableStart = 14 + headerSize;
    if (headerSize == 12) {  // the old core header: 16-bit sizes, 3-byte colours
        width = GetU16(data + 18);
        height = GetU16(data + 20);
        bits = GetU16(data + 24);
        entrySize = 3;
    } else if (headerSize >= 40 && headerSize <= 124) {
        width = GetI32(data + 18);
        height = GetI32(data + 22);
        bits = GetU16(data + 28);
        compression = GetU32(data + 30);
        coloursUsed = GetU32(data + 46);
    } else {
        return std::nullopt;
    }

    std::uint32_t masks[3] = {0x00ff0000u, 0x0000ff00u, 0x000000ffu};
    if (bits == 16) masks[0] = 0x7c00, masks[1] = 0x03e0, masks[2] = 0x001f;
    if (compression == kBitFieldsCompression) {
        if (bits != 16 && bits != 32) return std::nullopt;
        // The masks follow a 40-byte header and are part of the longer ones;
        // either way they start right after the first 40 bytes.
        if (headerSize == 40) tableStart += 12;
        if (14 + 40 + 12 > pixelOffset) return std::nullopt;
        for (int i = 0; i < 3; ++i) masks[i] = GetU32(data + 54 + 4 * i);
    } else if (compression != kRgbCompression) {
        return std::nullopt;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return std::nullopt;
    }

    bool topDown = height < 0;
    height = height < 0 ? -height : height;
    if (width <= 0 || height <= 0 || width * height > kMaxPicturePixels) return std::nullopt;

    std::array<std::uint32_t, 256> colours;
    colours.fill(0xff000000u);  // entries the table does not hold are black
    if (bits <= 8) {
        std::size_t wanted = coloursUsed ? coloursUsed : (std::size_t{1} << bits);
        std::size_t room = tableStart <= pixelOffset ? (pixelOffset - tableStart) / entrySize : 0;
        std::size_t count = std::min({wanted, room, std::size_t{256}});
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* e = data + tableStart + i * entrySize;
            colours[i] =
                0xff000000u | (std::uint32_t{e[2]} << 16) | (std::uint32_t{e[1]} << 8) | e[0];
        }
    }
    const Channel red = Channel::FromMask(masks[0]);
    const Channel green = Channel::FromMask(masks[1]);
    const Channel blue = Channel::FromMask(masks[2]);

    const std::size_t stride = static_cast<std::size_t>((width * bits + 31) / 32 * 4);
    const std::size_t available = size - pixelOffset;
    // A file cut short keeps its picture, the missing end black; a header
    // that claims far more rows than the file holds is damage, and believing
    // it would have a few bytes allocate and paint hundreds of megabytes.
    if (available < static_cast<std::uint64_t>(height) * stride / 2) return std::nullopt;

    RgbBitmap out;
    out.pixels.assign(static_cast<std::size_t>(width * height), 0xff000000u);
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);

    std::vector<std::uint8_t> row(stride);
    for (std::int64_t r = 0; r < height; ++r) {
        // Missing bytes at the end of a short file read as zero.
        std::size_t start = static_cast<std::size_t>(r) * stride;
        std::fill(row.begin(), row.end(), 0);
        if (start < available) {
            std::size_t n = std::min(stride, available - start);
            std::copy_n(data + pixelOffset + start, n, row.begin());
        }
        std::int64_t y = topDown ? r : height - 1 - r;
        std::uint32_t* dst = out.pixels.data() + y * width;
        for (std::int64_t x = 0; x < width; ++x) {
            switch (bits) {
                case 1:
                    dst[x] = colours[(row[x >> 3] >> (7 - (x & 7))) & 1];
                    break;
                case 4:
                    dst[x] = colours[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
                    break;
                case 8:
                    dst[x] = colours[row[x]];
                    break;
                case 24:
                    dst[x] = 0xff000000u | (std::uint32_t{row[3 * x + 2]} << 16) |
                             (std::uint32_t{row[3 * x + 1]} << 8) | row[3 * x];
                    break;
                default: {
                    std::uint32_t v = bits == 16 ? GetU16(&row[2 * x]) : GetU32(&row[4 * x]);
                    dst[x] = 0xff000000u | (red.Get(v) << 16) | (green.Get(v) << 8) | blue.Get(v);
                }
            }
        }
    }
    return out;
}

}  // namespace

std::optional<RgbBitmap> LoadBitmapFile(const std::string& path) {
    try {
        return ReadBitmap(path);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace mw
