#include "testlib/image_fixtures.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace mwtest {

namespace {

struct Random {
    std::uint32_t state;
    std::uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
};

void Put16(std::string& s, std::uint32_t v) {
    s.push_back(char(v & 0xff));
    s.push_back(char((v >> 8) & 0xff));
}
void Put32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xff));
}

// Indices packed most significant bits first, as the strip format stores them.
std::vector<std::uint8_t> PackRow(const std::vector<std::uint8_t>& indices, int bits) {
    std::vector<std::uint8_t> out((indices.size() * bits + 7) / 8, 0);
    const int perByte = 8 / bits;
    for (std::size_t x = 0; x < indices.size(); ++x) {
        int shift = 8 - bits * (1 + int(x % perByte));
        out[x / perByte] |= std::uint8_t((indices[x] & ((1 << bits) - 1)) << shift);
    }
    return out;
}

}  // namespace

mw::IndexedBitmap MakeMapLikeIndexed(int width, int height, int colours, unsigned seed) {
    mw::IndexedBitmap b;
    if (!mw::CreateIndexedBitmap(b, width, height, 0)) throw std::runtime_error("bitmap");
    Random rnd{seed * 2654435761u + 1};
    auto set = [&](int x, int y, int c) {
        if (x >= 0 && y >= 0 && x < width && y < height) b.Row(y)[x] = std::uint8_t(c);
    };
    // Land areas: a few large blocks of flat colour.
    int blocks = 6 + (width * height) / 20000;
    for (int i = 0; i < blocks; ++i) {
        int x0 = rnd.Below(width), y0 = rnd.Below(height);
        int w = 1 + rnd.Below(std::max(1, width / 2)), h = 1 + rnd.Below(std::max(1, height / 2));
        int c = rnd.Below(colours);
        for (int y = y0; y < std::min(height, y0 + h); ++y) {
            for (int x = x0; x < std::min(width, x0 + w); ++x) set(x, y, c);
        }
    }
    // Roads and rivers: straight lines two pixels wide.
    int lines = 3 + (width + height) / 100;
    for (int i = 0; i < lines; ++i) {
        int c = rnd.Below(colours);
        double x = rnd.Below(width), y = rnd.Below(height);
        double angle = rnd.Below(360) * 3.14159265358979 / 180;
        int length = (width + height) / 2;
        for (int s = 0; s < length; ++s) {
            set(int(x), int(y), c);
            set(int(x) + 1, int(y), c);
            x += std::cos(angle);
            y += std::sin(angle);
        }
    }
    // Lettering: strokes in 5 × 7 cells.
    int words = 2 + (width * height) / 4000;
    for (int i = 0; i < words; ++i) {
        int x0 = rnd.Below(width), y0 = rnd.Below(height), c = rnd.Below(colours);
        int letters = 2 + rnd.Below(6);
        for (int l = 0; l < letters; ++l) {
            for (int k = 0; k < 12; ++k) set(x0 + 6 * l + rnd.Below(5), y0 + rnd.Below(7), c);
        }
    }
    return b;
}

mw::ColourTable MakeColourTable(int count, int shade) {
    mw::ColourTable t{};
    for (int i = 0; i < count && i < 256; ++i) {
        // Distinct for every i below 256, never 255/255/255.
        t[i] = mw::ColourEntry{std::uint8_t((i * 37 + shade) & 0xff), std::uint8_t(i),
                               std::uint8_t(std::min(254, (i * 91 + 3 * shade) % 255)), 0};
    }
    return t;
}

mw::RgbImage ToRgb(const mw::IndexedBitmap& indexed, const mw::ColourTable& table) {
    mw::RgbImage out;
    out.width = indexed.width;
    out.height = indexed.height;
    out.pixels.resize(std::size_t(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const mw::ColourEntry& e = table[indexed.At(x, y)];
            out.pixels[std::size_t(y) * out.width + x] = mw::PackRgb(e.red, e.green, e.blue);
        }
    }
    return out;
}

StripContent StripOf(const mw::IndexedBitmap& picture, int bits, bool compressed) {
    StripContent content;
    for (int y = 0; y < picture.height; ++y) {
        content.indices.emplace_back(picture.Row(y), picture.Row(y) + picture.width);
        for (std::uint8_t& p : content.indices.back()) p = std::uint8_t(p % (1 << bits));
    }
    content.bitsPerPixel = bits;
    content.compressed = compressed;
    content.colours = MakeColourTable(1 << bits);
    return content;
}

std::string MakeStripFile(const StripContent& content) {
    const int height = static_cast<int>(content.indices.size());
    const int width = height ? static_cast<int>(content.indices[0].size()) : 0;
    std::string f;
    Put16(f, 0x4d42);
    Put32(f, 0);
    Put16(f, 0);
    Put16(f, content.compressed ? 1 : 0);
    Put32(f, 1078);
    Put32(f, 40);
    Put32(f, std::uint32_t(width));
    Put32(f, std::uint32_t(height));
    Put16(f, 1);
    Put16(f, std::uint32_t(content.bitsPerPixel));
    for (int i = 0; i < 6; ++i) Put32(f, 0);
    for (const mw::ColourEntry& e : content.colours) {
        f.push_back(char(e.blue));
        f.push_back(char(e.green));
        f.push_back(char(e.red));
        f.push_back(char(e.reserved));
    }
    std::vector<std::uint32_t> offsets;
    for (const auto& row : content.indices) {
        offsets.push_back(std::uint32_t(f.size()));
        std::vector<std::uint8_t> packed = PackRow(row, content.bitsPerPixel);
        if (content.compressed) {
            uLongf size = compressBound(packed.size());
            std::vector<Bytef> z(size);
            if (compress2(z.data(), &size, packed.data(), packed.size(), 6) != Z_OK) {
                throw std::runtime_error("compress2");
            }
            f.append(reinterpret_cast<const char*>(z.data()), size);
        } else {
            f.append(reinterpret_cast<const char*>(packed.data()), packed.size());
        }
    }
    offsets.push_back(std::uint32_t(f.size()));
    offsets.push_back(std::uint32_t(f.size()));
    std::uint32_t table = std::uint32_t(f.size());
    for (std::uint32_t o : offsets) Put32(f, o);
    Put32(f, table);
    return f;
}

std::string MakeBmpFile(const BmpContent& content) {
    const bool core = content.headerSize == 12;
    const int entry = core ? 3 : 4;
    const bool masksAfter = content.bitFields && content.headerSize == 40;
    const std::uint32_t pixelOffset = 14 + content.headerSize + (masksAfter ? 12 : 0) +
                                      std::uint32_t(content.colours.size()) * entry;
    const std::size_t stride = (std::size_t(content.width) * content.bits + 31) / 32 * 4;

    std::string f;
    Put16(f, 0x4d42);
    Put32(f, std::uint32_t(pixelOffset + stride * content.height));
    Put32(f, 0);
    Put32(f, pixelOffset);
    std::string h;
    if (core) {
        Put32(h, 12);
        Put16(h, std::uint32_t(content.width));
        Put16(h, std::uint32_t(content.height));
        Put16(h, 1);
        Put16(h, std::uint32_t(content.bits));
    } else {
        Put32(h, std::uint32_t(content.headerSize));
        Put32(h, std::uint32_t(content.width));
        Put32(h, std::uint32_t(content.topDown ? -content.height : content.height));
        Put16(h, 1);
        Put16(h, std::uint32_t(content.bits));
        Put32(h, content.bitFields ? 3 : 0);
        for (int i = 0; i < 3; ++i) Put32(h, 0);
        Put32(h, std::uint32_t(content.colours.size()));
        Put32(h, 0);
        // The masks follow a 40-byte header and lie inside the longer ones.
        if (content.bitFields) {
            for (std::uint32_t m : content.masks) Put32(h, m);
        }
        if (h.size() < std::size_t(content.headerSize)) h.resize(content.headerSize, '\0');
    }
    f += h;
    for (std::uint32_t c : content.colours) {
        f.push_back(char(c & 0xff));
        f.push_back(char((c >> 8) & 0xff));
        f.push_back(char((c >> 16) & 0xff));
        if (!core) f.push_back(0);
    }
    auto scaled = [](std::uint32_t v8, std::uint32_t mask) -> std::uint32_t {
        if (!mask) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1)) ++shift;
        std::uint32_t max = mask >> shift;
        return ((v8 * max + 127) / 255) << shift;
    };
    for (int r = 0; r < content.height; ++r) {
        int y = content.topDown ? r : content.height - 1 - r;
        std::string row(stride, '\0');
        for (int x = 0; x < content.width; ++x) {
            std::uint32_t p = content.pixels[std::size_t(y) * content.width + x];
            switch (content.bits) {
                case 1:
                    row[x / 8] |= char((p & 1) << (7 - x % 8));
                    break;
                case 4:
                    row[x / 2] |= char((p & 15) << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    row[x] = char(p);
                    break;
                case 24:
                    row[3 * x] = char(p & 0xff);
                    row[3 * x + 1] = char((p >> 8) & 0xff);
                    row[3 * x + 2] = char((p >> 16) & 0xff);
                    break;
                default: {
                    std::uint32_t m[3] = {content.masks[0], content.masks[1], content.masks[2]};
                    if (!content.bitFields) {
                        if (content.bits == 16)
                            m[0] = 0x7c00, m[1] = 0x03e0, m[2] = 0x1f;
                        else
                            m[0] = 0xff0000, m[1] = 0xff00, m[2] = 0xff;
                    }
                    std::uint32_t v = scaled((p >> 16) & 0xff, m[0]) |
                                      scaled((p >> 8) & 0xff, m[1]) | scaled(p & 0xff, m[2]);
                    for (int i = 0; i < content.bits / 8; ++i)
                        row[x * content.bits / 8 + i] = char(v >> (8 * i));
                }
            }
        }
        f += row;
    }
    return f;
}

mw::Mwf2Image MakeTiledImage(int width, int height, const std::vector<float>& percents,
                             bool compressed) {
    mw::Mwf2Image image;
    image.width = width;
    image.height = height;
    image.compressed = compressed;
    for (std::size_t i = 0; i < percents.size(); ++i) {
        mw::Mwf2Level level;
        level.percent = percents[i];
        int w = std::max(1, int(std::lround(width * percents[i] / 100)));
        int h = std::max(1, int(std::lround(height * percents[i] / 100)));
        level.pixels = MakeMapLikeIndexed(w, h, 200, unsigned(i));
        level.colours = MakeColourTable(200, 40 * int(i));
        image.levels.push_back(std::move(level));
    }
    return image;
}

mw::IndexedBitmap ExpectedView(const mw::IndexedBitmap& level, int left, int top, int width,
                               int height, std::uint8_t background) {
    mw::IndexedBitmap out;
    mw::CreateIndexedBitmap(out, width, height, background);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int lx = left + x, ly = top + y;
            if (lx >= 0 && ly >= 0 && lx < level.width && ly < level.height) {
                out.Row(y)[x] = level.At(lx, ly);
            }
        }
    }
    return out;
}

::testing::AssertionResult SamePixels(const mw::IndexedBitmap& actual,
                                      const mw::IndexedBitmap& expected) {
    if (actual.width != expected.width || actual.height != expected.height) {
        return ::testing::AssertionFailure()
               << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
               << "x" << expected.height;
    }
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            if (actual.At(x, y) != expected.At(x, y)) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << int(actual.At(x, y))
                       << ", expected " << int(expected.At(x, y));
            }
        }
    }
    return ::testing::AssertionSuccess();
}

std::uint32_t U32At(const std::string& bytes, std::size_t offset) {
    auto b = [&](std::size_t i) { return std::uint32_t(std::uint8_t(bytes.at(offset + i))); };
    return b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
}

void PatchU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.at(offset + i) = char((value >> (8 * i)) & 0xff);
}

void PatchU16(std::string& bytes, std::size_t offset, std::uint16_t value) {
    bytes.at(offset) = char(value & 0xff);
    bytes.at(offset + 1) = char(value >> 8);
}

TiledLayout ReadTiledLayout(const std::string& bytes) {
    TiledLayout l;
    for (std::size_t at = U32At(bytes, bytes.size() - 4); at + 8 < bytes.size(); at += 4) {
        l.records.push_back(U32At(bytes, at));
        l.tileOffsetsAt.push_back(l.records.back() + 1036);
    }
    return l;
}

}  // namespace mwtest
