#include "image/image_file.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>

#include "image/byte_order.h"
#include "support/text.h"

namespace mw {

using namespace image_detail;

struct Inflater {
    z_stream zs{};
};

void InflaterDeleter::operator()(Inflater* inflater) const {
    if (!inflater) return;
    inflateEnd(&inflater->zs);
    delete inflater;
}

InflaterPtr MakeInflater() {
    InflaterPtr p(new (std::nothrow) Inflater);
    if (!p) return nullptr;
    if (inflateInit(&p->zs) != Z_OK) {
        // inflateEnd on a stream that never started is harmless, but there
        // is nothing to end either: drop the object without it.
        delete p.release();
        return nullptr;
    }
    return p;
}

bool InflateWhole(Inflater& inflater, const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                  std::size_t outSize, bool allowLonger) {
    z_stream& zs = inflater.zs;
    if (inflateReset(&zs) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(in);
    zs.avail_in = static_cast<uInt>(inSize);
    zs.next_out = out;
    zs.avail_out = static_cast<uInt>(outSize);
    int rc = inflate(&zs, Z_FINISH);
    if (rc == Z_STREAM_END) return zs.avail_out == 0;
    // The buffer is full but the stream goes on (or its end is missing).
    return allowLonger && (rc == Z_OK || rc == Z_BUF_ERROR) && zs.avail_out == 0;
}

const char* ImageFaultMessage(ImageFault fault) {
    switch (fault) {
        case ImageFault::None:
            return "";
        case ImageFault::ReadStrip:
            return "ReadStrip Exception";
        case ImageFault::ReadTile:
            return "ReadTile Exception";
        case ImageFault::LoadTile:
            return "LoadMWF2tile Exception";
        case ImageFault::LoadTiles:
            return "LoadMWF2tile(s) Exception";
        case ImageFault::LoadStrips:
            return "LoadStrips Exception";
    }
    return "";
}

std::string ImageFaultText(ImageFault fault, std::string_view path, std::string_view reason) {
    if (fault == ImageFault::None) return {};
    std::string text = ImageFaultMessage(fault);
    if (!path.empty()) {
        text += ": ";
        text += path;
    }
    if (!reason.empty()) {
        text += ": ";
        text += reason;
    }
    return text;
}

ImageFile::ImageFile() = default;
ImageFile::~ImageFile() { CloseImageFile(*this); }
ImageFile::ImageFile(ImageFile&& other) noexcept { *this = std::move(other); }
ImageFile& ImageFile::operator=(ImageFile&& other) noexcept {
    if (this == &other) return *this;
    CloseImageFile(*this);
    type = other.type;
    width = other.width;
    height = other.height;
    compressed = other.compressed;
    levelWidth = other.levelWidth;
    levelHeight = other.levelHeight;
    tilesX = other.tilesX;
    tilesY = other.tilesY;
    tileSize = other.tileSize;
    levelCount = other.levelCount;
    levelPercent = std::move(other.levelPercent);
    palette = other.palette;
    bitsPerPixel = other.bitsPerPixel;
    offsets = std::move(other.offsets);
    level = other.level;
    currentLevelPercent = other.currentLevelPercent;
    cache = std::move(other.cache);
    file = other.file;
    other.file = nullptr;
    serial = other.serial;
    fileSize = other.fileSize;
    inflater = std::move(other.inflater);
    stream = std::move(other.stream);
    return *this;
}

int ImageFile::ShownLevelWidth() const {
    return static_cast<int>(std::min<std::int64_t>(levelWidth, std::int64_t{tilesX} * kTileEdge));
}
int ImageFile::ShownLevelHeight() const {
    return static_cast<int>(std::min<std::int64_t>(levelHeight, std::int64_t{tilesY} * kTileEdge));
}

namespace {

constexpr std::size_t kHeaderBytes = 14 + 40;
constexpr std::size_t kColourTableBytes = 1024;
constexpr std::size_t kLevelRecordHead = 12 + kColourTableBytes;
// Wider strip images than this are taken as a damaged header.
constexpr std::int32_t kMaxStripWidth = 1 << 24;

// Reads exactly `size` bytes at `offset`; false when they are not all in the
// file.
bool ReadAt(ImageFile& f, std::uint64_t offset, void* out, std::size_t size) {
    if (!f.file || offset > f.fileSize || size > f.fileSize - offset) return false;
    if (std::fseek(f.file, static_cast<long>(offset), SEEK_SET) != 0) return false;
    return std::fread(out, 1, size, f.file) == size;
}

bool ReadU32At(ImageFile& f, std::uint64_t offset, std::uint32_t& value) {
    std::uint8_t b[4];
    if (!ReadAt(f, offset, b, 4)) return false;
    value = GetU32(b);
    return true;
}

void ReadColourTable(const std::uint8_t* p, ColourTable& table) {
    for (int i = 0; i < 256; ++i) {
        table[i] = ColourEntry{p[4 * i], p[4 * i + 1], p[4 * i + 2], p[4 * i + 3]};
    }
}

// Tenths of a percentage, for comparing percentages as the zoom menu and the
// level table round them; nullopt for values no level can have.
std::optional<std::int64_t> Tenths(double percent) {
    if (!std::isfinite(percent) || std::fabs(percent) > 1e9) return std::nullopt;
    return static_cast<std::int64_t>(std::trunc(percent / 0.1 + 0.5));
}

// Each returns why the file cannot be read, or null when it can.
const char* OpenTiled(ImageFile& f, const std::uint8_t* header) {
    std::uint8_t b[6];
    if (!ReadAt(f, kHeaderBytes, b, 6)) return "file too short for its zoom table";
    std::int16_t n = GetI16(b + 4);
    if (n < 0) return "negative level count";
    // Levels the 80-byte level table cannot name are ignored.
    f.levelCount = std::min<std::int16_t>(n, kMaxLevels - 1);
    std::vector<std::uint8_t> floats(4 * (static_cast<std::size_t>(f.levelCount) + 1));
    if (!ReadAt(f, kHeaderBytes + 6, floats.data(), floats.size()))
        return "file too short for its zoom table";
    f.levelPercent.resize(f.levelCount + 1);
    for (int i = 0; i <= f.levelCount; ++i) f.levelPercent[i] = GetF32(&floats[4 * i]);
    if (!GrowTileCache(f.cache, kMinTileCacheSlots)) return "out of memory";
    if (!SelectLevel(f, 0)) return "level 0 outside the file or damaged";
    return nullptr;
}

const char* OpenStrip(ImageFile& f, const std::uint8_t* header) {
    f.bitsPerPixel = GetU16(header + 28);
    if (f.bitsPerPixel != 1 && f.bitsPerPixel != 2 && f.bitsPerPixel != 4 && f.bitsPerPixel != 8) {
        return "bits per pixel not 1, 2, 4 or 8";
    }
    if (f.width > kMaxStripWidth) return "image too wide";
    std::vector<std::uint8_t> table(kColourTableBytes);
    if (!ReadAt(f, kHeaderBytes, table.data(), table.size()))
        return "file too short for its colour table";
    ReadColourTable(table.data(), f.palette);

    std::uint32_t rowTable = 0;
    if (f.fileSize < 4 || !ReadU32At(f, f.fileSize - 4, rowTable)) return "no row table offset";
    std::uint64_t entries = static_cast<std::uint64_t>(f.height) + 2;
    if (rowTable > f.fileSize || entries * 4 > f.fileSize - rowTable)
        return "row table outside the file";
    std::vector<std::uint8_t> raw(entries * 4);
    if (!ReadAt(f, rowTable, raw.data(), raw.size())) return "row table cannot be read";
    f.offsets.resize(entries);
    for (std::size_t i = 0; i < entries; ++i) f.offsets[i] = GetU32(&raw[4 * i]);
    return nullptr;
}

}  // namespace

std::optional<ImageFile> OpenImageFile(const std::string& path, ImageFault* fault,
                                       std::string* reason) {
    if (fault) *fault = ImageFault::None;
    if (reason) reason->clear();
    std::FILE* fp = OpenForReading(path);
    if (!fp) return std::nullopt;
    ImageFile f;
    f.file = fp;
    static std::atomic<std::uint64_t> opened{0};
    f.serial = ++opened;
    if (std::fseek(fp, 0, SEEK_END) == 0) {
        long end = std::ftell(fp);
        f.fileSize = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }

    std::uint8_t header[kHeaderBytes] = {};
    if (f.fileSize >= 2 && ReadAt(f, 0, header, 2)) f.type = GetU16(header);
    const char* why = nullptr;
    bool ok = ReadAt(f, 0, header, sizeof header);
    if (!ok) why = "file too short for its headers";
    if (ok) {
        f.type = GetU16(header);
        f.tileSize = GetU16(header + 6);
        f.compressed = GetU16(header + 8) == 1 ? 1 : 0;
        f.width = GetI32(header + 18);
        f.height = GetI32(header + 22);
        ok = f.width > 0 && f.height > 0;
        if (!ok) why = "image size not positive";
    }
    try {
        if (ok) {
            f.inflater = MakeInflater();
            ok = f.inflater != nullptr;
            if (!ok) why = "out of memory";
        }
        if (ok) {
            why = f.IsTiled() ? OpenTiled(f, header) : OpenStrip(f, header);
            ok = why == nullptr;
        }
    } catch (const std::bad_alloc&) {
        ok = false;
        why = "out of memory";
    }
    if (!ok) {
        if (fault) {
            bool tiled = f.IsTiled();
            *fault = tiled ? ImageFault::LoadTiles : ImageFault::LoadStrips;
        }
        if (reason && why) *reason = why;
        return std::nullopt;
    }
    f.currentLevelPercent = 100;
    return f;
}

void CloseImageFile(ImageFile& file) {
    if (file.file) std::fclose(file.file);
    file.file = nullptr;
    file.offsets.clear();
    file.offsets.shrink_to_fit();
    file.cache = TileCache{};
    file.stream.clear();
}

bool SelectLevel(ImageFile& f, int level) {
    if (!f.IsOpen() || !f.IsTiled() || f.fileSize < 8) return false;
    if (level < -1 || level > f.levelCount) return false;
    std::uint32_t tableOffset = 0, record = 0;
    if (!ReadU32At(f, f.fileSize - 4, tableOffset)) return false;
    if (level == -1) {
        if (!ReadU32At(f, f.fileSize - 8, record)) return false;
    } else {
        // The table is read 80 bytes at a time; an entry beyond what the file
        // holds there is missing.
        if (tableOffset > f.fileSize) return false;
        std::uint64_t available = std::min<std::uint64_t>(4 * kMaxLevels, f.fileSize - tableOffset);
        if (4 * static_cast<std::uint64_t>(level) + 4 > available) return false;
        if (!ReadU32At(f, std::uint64_t{tableOffset} + 4 * level, record)) return false;
    }

    std::uint8_t head[kLevelRecordHead];
    if (!ReadAt(f, record, head, sizeof head)) return false;
    std::uint32_t lw = GetU32(head), lh = GetU32(head + 4);
    std::int16_t tx = GetI16(head + 8), ty = GetI16(head + 10);
    if (lw == 0 || lh == 0 || tx <= 0 || ty <= 0) return false;
    std::uint64_t entries = std::uint64_t(tx) * std::uint64_t(ty) + 1;
    std::uint64_t tableStart = std::uint64_t{record} + kLevelRecordHead;
    if (tableStart > f.fileSize || entries * 4 > f.fileSize - tableStart) return false;
    std::vector<std::uint8_t> raw(entries * 4);
    if (!ReadAt(f, tableStart, raw.data(), raw.size())) return false;

    f.offsets.resize(entries);
    for (std::size_t i = 0; i < entries; ++i) f.offsets[i] = GetU32(&raw[4 * i]);
    f.levelWidth = lw;
    f.levelHeight = lh;
    f.tilesX = tx;
    f.tilesY = ty;
    ReadColourTable(head + 12, f.palette);
    f.level = level;
    return true;
}

int FindLevel(const ImageFile& file, double percent) {
    std::optional<std::int64_t> wanted = Tenths(percent);
    if (!wanted) return 0;
    for (int i = 0; i < static_cast<int>(file.levelPercent.size()); ++i) {
        if (Tenths(file.levelPercent[i]) == wanted) return i;
    }
    return 0;
}

namespace {

// The stored bytes [begin, end) of one tile or row, checked against the file.
const std::uint8_t* ReadStored(ImageFile& f, std::uint32_t begin, std::uint32_t end,
                               std::uint64_t limit) {
    if (begin > end || end > f.fileSize || end - begin > limit) return nullptr;
    std::size_t size = end - begin;
    if (f.stream.size() < size) f.stream.resize(size);
    if (size > 0 && !ReadAt(f, begin, f.stream.data(), size)) return nullptr;
    return f.stream.data();
}

}  // namespace

bool ReadTile(ImageFile& f, int index, std::uint8_t* buffer) {
    if (!f.IsOpen() || !f.IsTiled()) return false;
    std::int64_t count = std::int64_t{f.tilesX} * f.tilesY;
    if (index < 0 || index >= count || static_cast<std::size_t>(index) + 1 >= f.offsets.size()) {
        return false;
    }
    std::uint32_t begin = f.offsets[index], end = f.offsets[index + 1];
    try {
        if (f.compressed) {
            const std::uint8_t* in = ReadStored(f, begin, end, kMaxStreamBytes);
            return in && f.inflater &&
                   InflateWhole(*f.inflater, in, end - begin, buffer, kTileBytes, false);
        }
        // A raw tile is the 4096 index bytes; anything stored beyond is ignored.
        if (begin > end || end - begin < kTileBytes) return false;
        return ReadAt(f, begin, buffer, kTileBytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool ReadRow(ImageFile& f, int row, std::uint8_t* buffer, std::int64_t firstByte,
             std::int64_t lastByte) {
    if (!f.IsOpen() || f.IsTiled() || row < 0 || row >= f.height ||
        static_cast<std::size_t>(row) + 1 >= f.offsets.size()) {
        return false;
    }
    const std::int64_t rowBytes = f.RowBytes();
    std::uint32_t begin = f.offsets[row], end = f.offsets[row + 1];
    try {
        if (f.compressed) {
            // Deflate adds a few bytes per 16 KB even to data it cannot
            // shrink; twice the row is far more than any encoder stores.
            std::uint64_t limit = std::max<std::uint64_t>(kMaxStreamBytes, 2 * rowBytes + 1024);
            const std::uint8_t* in = ReadStored(f, begin, end, limit);
            return in && f.inflater &&
                   InflateWhole(*f.inflater, in, end - begin, buffer,
                                static_cast<std::size_t>(rowBytes), true);
        }
        if (firstByte < 0 || lastByte < firstByte || lastByte >= rowBytes || begin > end ||
            end - begin < lastByte + 1) {
            return false;
        }
        return ReadAt(f, std::uint64_t{begin} + firstByte, buffer + firstByte,
                      static_cast<std::size_t>(lastByte - firstByte + 1));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace mw
